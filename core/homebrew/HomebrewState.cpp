#include "core/homebrew/HomebrewState.h"

#include "core/homebrew/BrewInfoResponseDTO.h"
#include "core/homebrew/BrewOutdatedResponseDTO.h"
#include "core/homebrew/HomebrewCanonicalOrder.h"

#include <QHash>

#include <algorithm>

namespace {

std::optional<QString> lastInstalledVersion(const BrewFormulaDTO& formula)
{
    if (!formula.installed || formula.installed->empty())
        return std::nullopt;
    return formula.installed->back().version;
}

// Kegs without the flag say nothing about it; a formula is a mere dependency only when some keg
// says so and none says it was asked for.
bool isInstalledOnRequest(const BrewFormulaDTO& formula)
{
    if (!formula.installed)
        return true;
    const auto& kegs = *formula.installed;
    const auto carriesFlag = [](const BrewInstalledFormulaDTO& keg) { return keg.installedOnRequest.has_value(); };
    if (std::none_of(kegs.begin(), kegs.end(), carriesFlag))
        return true;
    return std::any_of(kegs.begin(), kegs.end(),
        [](const BrewInstalledFormulaDTO& keg) { return keg.installedOnRequest.value_or(false); });
}

HomebrewItem formulaItem(const BrewFormulaDTO& formula)
{
    const std::optional<QString> installedVersion = lastInstalledVersion(formula);
    const std::optional<QString> stable = formula.versions ? formula.versions->stable : std::nullopt;
    return HomebrewItem(formula.name, formula.fullName, false, installedVersion,
        stable.value_or(installedVersion.value_or(QString())), formula.outdated.value_or(false),
        formula.desc.value_or(QString()), formula.homepage, installedVersion.has_value(), {},
        isInstalledOnRequest(formula));
}

QStringList appArtifactsOf(const BrewCaskDTO& cask)
{
    QStringList names;
    if (cask.artifacts) {
        for (const BrewCaskArtifactDTO& artifact : *cask.artifacts)
            names.append(artifact.appNames);
    }
    return names;
}

HomebrewItem caskItem(const BrewCaskDTO& cask)
{
    const std::optional<QString> installedVersion = cask.installed ? cask.installed->firstNonEmpty() : std::nullopt;
    // The first display name counts even when it is empty.
    const std::optional<QString> fullName
        = cask.name && !cask.name->isEmpty() ? std::optional(cask.name->first()) : std::optional(cask.token);
    return HomebrewItem(cask.token, fullName, true, installedVersion,
        cask.version.value_or(installedVersion.value_or(QString())), cask.outdated.value_or(false),
        cask.desc.value_or(QString()), cask.homepage, installedVersion.has_value(), appArtifactsOf(cask), true);
}

HomebrewOutdatedEntry outdatedEntry(const BrewOutdatedItemDTO& item, bool isCask)
{
    return HomebrewOutdatedEntry{
        .name = item.name,
        .isCask = isCask,
        .installedVersions = item.installedVersions ? item.installedVersions->values : QStringList(),
        .currentVersion = item.currentVersion.value_or(QString()),
        // Casks cannot be pinned; a "pinned" key on one means nothing.
        .isPinned = !isCask && item.pinned.value_or(false),
    };
}

std::vector<HomebrewOutdatedEntry> outdatedEntries(const std::vector<BrewOutdatedItemDTO>& items, bool isCask)
{
    std::vector<HomebrewOutdatedEntry> entries;
    entries.reserve(items.size());
    for (const BrewOutdatedItemDTO& item : items)
        entries.push_back(outdatedEntry(item, isCask));
    return entries;
}

using OutdatedLookup = QHash<QString, const HomebrewOutdatedEntry*>;

// Homebrew prints each name once; should a list ever repeat one (or differ only in case), the
// first entry counts rather than the lookup failing.
OutdatedLookup lookupByLowercasedName(const std::vector<HomebrewOutdatedEntry>& entries)
{
    OutdatedLookup lookup;
    lookup.reserve(static_cast<qsizetype>(entries.size()));
    for (const HomebrewOutdatedEntry& entry : entries) {
        const QString key = entry.name.toLower();
        if (!lookup.contains(key))
            lookup.insert(key, &entry);
    }
    return lookup;
}

void applyOutdatedState(HomebrewItem& item, const OutdatedLookup& lookup, bool trustOutdated)
{
    const HomebrewOutdatedEntry* entry = lookup.value(item.name.toLower());
    if (!entry) {
        if (trustOutdated)
            item.isOutdated = false;
        return;
    }
    // brew outdated lists installed packages only, even where brew info says "installed": null.
    item.isInstalled = true;
    if (entry->isPinned) {
        item.isOutdated = false;
        return;
    }
    item.isOutdated = true;
    if (!entry->currentVersion.isEmpty())
        item.latestVersion = entry->currentVersion;
    if (!item.installedVersion && !entry->installedVersions.isEmpty())
        item.installedVersion = entry->installedVersions.last();
}

// The outdated list only refines the installed one: when brew outdated fails, prints nothing or
// prints something unreadable, the flags of brew info stand.
std::optional<HomebrewOutdatedSnapshot> usableOutdatedList(const TruneProcessResult& run)
{
    if (run.exitCode != 0 || run.stdout.isEmpty())
        return std::nullopt;
    TruneJsonResult<HomebrewOutdatedSnapshot> snapshot = HomebrewService::parseOutdatedJSON(run.stdout);
    if (!snapshot)
        return std::nullopt;
    return std::move(*snapshot);
}

} // namespace

namespace HomebrewService {

std::expected<std::vector<HomebrewItem>, HomebrewCommandError> fetchInstalledAndOutdated(
    const Cancellation& cancellation)
{
    const std::optional<QString> brew = brewExecutableURL();
    if (!brew)
        return std::unexpected(HomebrewServiceError::brewNotInstalled());
    const QMap<QString, QString> environment = commandEnvironment(true);

    auto info = runBrew(*brew, {QStringLiteral("info"), QStringLiteral("--json=v2"), QStringLiteral("--installed")},
        environment, BrewOutput::largeDocument, cancellation, {});
    if (!info)
        return std::unexpected(info.error());
    if (const CommandResult success = requireSuccess(*info); !success)
        return std::unexpected(success.error());
    const TruneJsonResult<HomebrewInstalledSnapshot> installed = parseInstalledInfoJSON(std::move(info->stdout));
    if (!installed)
        return std::unexpected(installed.error());

    const auto outdated = runBrew(*brew, {QStringLiteral("outdated"), QStringLiteral("--json=v2")}, environment,
        BrewOutput::read, cancellation, {});
    if (!outdated)
        return std::unexpected(outdated.error());
    const std::optional<HomebrewOutdatedSnapshot> outdatedSnapshot = usableOutdatedList(*outdated);
    return merge(*installed, outdatedSnapshot.value_or(HomebrewOutdatedSnapshot{}), outdatedSnapshot.has_value());
}

TruneJsonResult<HomebrewInstalledSnapshot> parseInstalledInfoJSON(QByteArray json)
{
    const TruneJsonResult<QJsonValue> document = parseBrewJson(std::move(json), brewInfoResponseShape());
    if (!document)
        return std::unexpected(document.error());
    const TruneJsonResult<BrewInfoResponseDTO> response = truneJsonDecode<BrewInfoResponseDTO>(*document);
    if (!response)
        return std::unexpected(response.error());
    HomebrewInstalledSnapshot snapshot;
    snapshot.formulae.reserve(response->formulae.size());
    for (const BrewFormulaDTO& formula : response->formulae)
        snapshot.formulae.push_back(formulaItem(formula));
    snapshot.casks.reserve(response->casks.size());
    for (const BrewCaskDTO& cask : response->casks)
        snapshot.casks.push_back(caskItem(cask));
    return snapshot;
}

TruneJsonResult<HomebrewOutdatedSnapshot> parseOutdatedJSON(const QByteArray& json)
{
    const TruneJsonResult<QJsonValue> document = parseBrewJson(json, brewOutdatedResponseShape());
    if (!document)
        return std::unexpected(document.error());
    const TruneJsonResult<BrewOutdatedResponseDTO> response = truneJsonDecode<BrewOutdatedResponseDTO>(*document);
    if (!response)
        return std::unexpected(response.error());
    return HomebrewOutdatedSnapshot{
        .formulae = outdatedEntries(response->formulae, false),
        .casks = outdatedEntries(response->casks, true),
    };
}

std::vector<HomebrewItem> merge(const HomebrewInstalledSnapshot& installed, const HomebrewOutdatedSnapshot& outdated,
    bool trustOutdatedAsAuthoritative, const QLocale& locale)
{
    const OutdatedLookup outdatedFormulae = lookupByLowercasedName(outdated.formulae);
    const OutdatedLookup outdatedCasks = lookupByLowercasedName(outdated.casks);

    std::vector<HomebrewItem> items;
    items.reserve(installed.formulae.size() + installed.casks.size());
    for (HomebrewItem item : installed.formulae) {
        applyOutdatedState(item, outdatedFormulae, trustOutdatedAsAuthoritative);
        items.push_back(std::move(item));
    }
    for (HomebrewItem item : installed.casks) {
        applyOutdatedState(item, outdatedCasks, trustOutdatedAsAuthoritative);
        items.push_back(std::move(item));
    }
    sortHomebrewItemsCanonically(items, locale);
    return items;
}

} // namespace HomebrewService
