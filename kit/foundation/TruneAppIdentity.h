#pragma once

#include "kit/platform/TruneBundle.h"
#include "kit/platform/TruneRawValue.h"

#include <QString>

#include <optional>

// The catalogue of the maker's apps, this program included. An entry's slug is its raw value;
// its position in the declaration order picks its emblem group: 0 to 26 productivity, 27 to 42
// media, 43 to 74 system and network. Positions are fixed: never insert or reorder entries.
// JSON codes an entry as its slug (kit/platform/TruneJson.h); other texts do not decode.
#define TRUNE_APP_IDENTITIES(X)                                                                                        \
    /* productivity */                                                                                                 \
    X(quillet, "quillet")                                                                                              \
    X(marrowpad, "marrowpad")                                                                                          \
    X(tallyra, "tallyra")                                                                                              \
    X(scribbon, "scribbon")                                                                                            \
    X(veltask, "veltask")                                                                                              \
    X(nookery, "nookery")                                                                                              \
    X(plandry, "plandry")                                                                                              \
    X(ledgera, "ledgera")                                                                                              \
    X(fernote, "fernote")                                                                                              \
    X(glimmet, "glimmet")                                                                                              \
    X(cardwyn, "cardwyn")                                                                                              \
    X(pinwick, "pinwick")                                                                                              \
    X(tabulor, "tabulor")                                                                                              \
    X(memvane, "memvane")                                                                                              \
    X(sortwell, "sortwell")                                                                                            \
    X(draftor, "draftor")                                                                                              \
    X(stillo, "stillo")                                                                                                \
    X(dovel, "dovel")                                                                                                  \
    X(outlinq, "outlinq")                                                                                              \
    X(clipvane, "clipvane")                                                                                            \
    X(focusel, "focusel")                                                                                              \
    X(truneUpdate, "truneupdate")                                                                                      \
    X(dockery, "dockery")                                                                                              \
    X(taskwren, "taskwren")                                                                                            \
    X(calvine, "calvine")                                                                                              \
    X(snipora, "snipora")                                                                                              \
    X(wordhaven, "wordhaven")                                                                                          \
    /* media */                                                                                                        \
    X(vidrella, "vidrella")                                                                                            \
    X(framelo, "framelo")                                                                                              \
    X(pixmire, "pixmire")                                                                                              \
    X(snaplume, "snaplume")                                                                                            \
    X(reelwyn, "reelwyn")                                                                                              \
    X(chromari, "chromari")                                                                                            \
    X(lenswyn, "lenswyn")                                                                                              \
    X(giffel, "giffel")                                                                                                \
    X(photalo, "photalo")                                                                                              \
    X(audrel, "audrel")                                                                                                \
    X(tunelo, "tunelo")                                                                                                \
    X(castora, "castora")                                                                                              \
    X(voxelle, "voxelle")                                                                                              \
    X(clipsong, "clipsong")                                                                                            \
    X(beatrill, "beatrill")                                                                                            \
    X(mixolo, "mixolo")                                                                                                \
    /* system and network */                                                                                           \
    X(sysvane, "sysvane")                                                                                              \
    X(lumbra, "lumbra")                                                                                                \
    X(vantor, "vantor")                                                                                                \
    X(haltrix, "haltrix")                                                                                              \
    X(netquill, "netquill")                                                                                            \
    X(portello, "portello")                                                                                            \
    X(diskarn, "diskarn")                                                                                              \
    X(signalo, "signalo")                                                                                              \
    X(pingrel, "pingrel")                                                                                              \
    X(voltrel, "voltrel")                                                                                              \
    X(fanwise, "fanwise")                                                                                              \
    X(memsweep, "memsweep")                                                                                            \
    X(thermix, "thermix")                                                                                              \
    X(keyrook, "keyrook")                                                                                              \
    X(firewick, "firewick")                                                                                            \
    X(dnsora, "dnsora")                                                                                                \
    X(proxelle, "proxelle")                                                                                            \
    X(launchel, "launchel")                                                                                            \
    X(uptora, "uptora")                                                                                                \
    X(logwarden, "logwarden")                                                                                          \
    X(procly, "procly")                                                                                                \
    X(shellwyn, "shellwyn")                                                                                            \
    X(mountra, "mountra")                                                                                              \
    X(syncrest, "syncrest")                                                                                            \
    X(backvane, "backvane")                                                                                            \
    X(hashling, "hashling")                                                                                            \
    X(iplume, "iplume")                                                                                                \
    X(routrix, "routrix")                                                                                              \
    X(bandwel, "bandwel")                                                                                              \
    X(cronella, "cronella")                                                                                            \
    X(dockwise, "dockwise")                                                                                            \
    X(bootrel, "bootrel")

enum class TruneAppIdentity {
#define TRUNE_APP_IDENTITY_CASE(name, slug) name,
    TRUNE_APP_IDENTITIES(TRUNE_APP_IDENTITY_CASE)
#undef TRUNE_APP_IDENTITY_CASE
};

template <> struct TruneRawValues<TruneAppIdentity> {
    static constexpr std::array cases{
#define TRUNE_APP_IDENTITY_CASE(name, slug) TruneRawCase{TruneAppIdentity::name, slug},
        TRUNE_APP_IDENTITIES(TRUNE_APP_IDENTITY_CASE)
#undef TRUNE_APP_IDENTITY_CASE
    };
};

#undef TRUNE_APP_IDENTITIES

namespace TruneAppIdentityCatalog {

// Position 50 under the name the product first shipped as.
inline constexpr TruneAppIdentity signalBar = TruneAppIdentity::signalo;

// The entry a bundle identifier, app name or slug stands for: its last dot-separated piece,
// lower-cased, with everything but letters, marks and digits removed, matched against the
// products' other names and then the slugs. Nothing for any other name.
std::optional<TruneAppIdentity> resolve(const QString& name);

// The running program's entry, tried through the bundle identifier, "CFBundleDisplayName",
// "CFBundleName" and then the process name; nothing when none of them resolves.
std::optional<TruneAppIdentity> current(const TruneBundle& bundle = TruneBundle::main());

} // namespace TruneAppIdentityCatalog
