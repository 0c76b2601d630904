#pragma once

#include "kit/platform/TruneRawValue.h"
#include "kit/platform/TruneRunningApplications.h"

#include <QString>

#include <optional>
#include <vector>

// The maker's sibling apps that take part in the suite: they send and receive suite commands,
// publish live telemetry and tiles, and can be launched from the suite widgets. The raw value is
// the display name every suite file and message carries. Positions are fixed: never insert or
// reorder entries. JSON codes an app as its raw value; other texts, any letter case, do not decode.
#define TRUNE_SUITE_APPS(X)                                                                                            \
    X(haltrix, "Haltrix", "xmark.octagon.fill")                                                                        \
    X(lumbra, "Lumbra", "memorychip.fill")                                                                             \
    X(vantor, "Vantor", "waveform.path.ecg")                                                                           \
    X(sysvane, "Sysvane", "gearshape.2.fill")                                                                          \
    X(netquill, "Netquill", "network")                                                                                 \
    X(portello, "Portello", "point.3.connected.trianglepath.dotted")                                                   \
    X(stillo, "Stillo", "timer")                                                                                       \
    X(dovel, "Dovel", "checklist.checked")                                                                             \
    X(diskarn, "Diskarn", "internaldrive.fill")                                                                        \
    X(signalo, "Signalo", "antenna.radiowaves.left.and.right")                                                         \
    X(pingrel, "Pingrel", "dot.radiowaves.up.forward")                                                                 \
    X(voltrel, "Voltrel", "bolt.fill")                                                                                 \
    X(fanwise, "Fanwise", "fan.fill")                                                                                  \
    X(memsweep, "Memsweep", "sparkles")                                                                                \
    X(thermix, "Thermix", "thermometer.medium")                                                                        \
    X(keyrook, "Keyrook", "key.fill")                                                                                  \
    X(firewick, "Firewick", "flame.fill")                                                                              \
    X(dnsora, "Dnsora", "globe")                                                                                       \
    X(proxelle, "Proxelle", "arrow.triangle.swap")                                                                     \
    X(launchel, "Launchel", "airplane.departure")                                                                      \
    X(uptora, "Uptora", "clock.arrow.circlepath")                                                                      \
    X(logwarden, "Logwarden", "doc.text.magnifyingglass")                                                              \
    X(procly, "Procly", "cpu")                                                                                         \
    X(shellwyn, "Shellwyn", "terminal.fill")                                                                           \
    X(mountra, "Mountra", "externaldrive.fill")                                                                        \
    X(syncrest, "Syncrest", "arrow.triangle.2.circlepath")                                                             \
    X(backvane, "Backvane", "clock.badge.checkmark")                                                                   \
    X(hashling, "Hashling", "number.square.fill")                                                                      \
    X(tunelo, "Tunelo", "music.note.list")                                                                             \
    X(iplume, "Iplume", "wifi")                                                                                        \
    X(audrel, "Audrel", "slider.horizontal.3")                                                                         \
    X(routrix, "Routrix", "arrow.triangle.branch")                                                                     \
    X(bandwel, "Bandwel", "speedometer")                                                                               \
    X(cronella, "Cronella", "calendar.badge.clock")                                                                    \
    X(dockwise, "Dockwise", "dock.rectangle")                                                                          \
    X(bootrel, "Bootrel", "power")                                                                                     \
    X(quillet, "Quillet", "pencil.line")                                                                               \
    X(marrowpad, "Marrowpad", "note.text")                                                                             \
    X(tallyra, "Tallyra", "chart.bar.fill")                                                                            \
    X(scribbon, "Scribbon", "scribble")                                                                                \
    X(veltask, "Veltask", "list.bullet.rectangle")                                                                     \
    X(nookery, "Nookery", "books.vertical.fill")                                                                       \
    X(plandry, "Plandry", "calendar")                                                                                  \
    X(ledgera, "Ledgera", "tablecells")                                                                                \
    X(fernote, "Fernote", "leaf.fill")                                                                                 \
    X(glimmet, "Glimmet", "lightbulb.fill")                                                                            \
    X(vidrella, "Vidrella", "film.fill")                                                                               \
    X(framelo, "Framelo", "photo.on.rectangle")                                                                        \
    X(pixmire, "Pixmire", "paintbrush.pointed.fill")

enum class TruneSuiteApp : quint8 {
#define TRUNE_SUITE_APP_CASE(name, raw, symbol) name,
    TRUNE_SUITE_APPS(TRUNE_SUITE_APP_CASE)
#undef TRUNE_SUITE_APP_CASE
};

template <> struct TruneRawValues<TruneSuiteApp> {
    static constexpr std::array cases{
#define TRUNE_SUITE_APP_CASE(name, raw, symbol) TruneRawCase{TruneSuiteApp::name, raw},
        TRUNE_SUITE_APPS(TRUNE_SUITE_APP_CASE)
#undef TRUNE_SUITE_APP_CASE
    };
};

namespace TruneSuiteCatalog {

// "com.quorvane." + the raw value in lower case.
QString bundleIdentifier(TruneSuiteApp app);
// The app's SF Symbol name; no two apps share one.
QString symbolName(TruneSuiteApp app);

// The first of `running` that is this app: its bundle identifier equals ours ignoring case, or
// else its name equals the raw value ignoring case.
std::optional<TruneRunningApplication> firstMatch(
    TruneSuiteApp app, const std::vector<TruneRunningApplication>& running);

bool isRunning(TruneSuiteApp app);

// "<home>/Applications/<raw value>.app" when it exists, else "/Applications/<raw value>.app"
// when that exists, else nothing.
std::optional<QString> installedURL(TruneSuiteApp app);
bool isInstalled(TruneSuiteApp app);

// Brings the running app to the front, or starts the installed one and asks it to come to the
// front. False when the app is neither running nor installed, or could not be started.
bool launch(TruneSuiteApp app);

} // namespace TruneSuiteCatalog
