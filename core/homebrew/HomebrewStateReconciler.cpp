#include "core/homebrew/HomebrewStateReconciler.h"

#include "core/homebrew/HomebrewCanonicalOrder.h"
#include "core/homebrew/HomebrewCaskMatcher.h"
#include "core/homebrew/HomebrewPackageKey.h"
#include "core/homebrew/HomebrewSearch.h"
#include "core/records/VersionComparator.h"

#include <QHash>

#include <algorithm>

namespace {

QString keyOf(const HomebrewItem& item)
{
    return homebrewPackageKey(item.name, item.isCask);
}

std::vector<HomebrewItem> sortedCanonically(std::vector<HomebrewItem> items, const QLocale& locale)
{
    sortHomebrewItemsCanonically(items, locale);
    return items;
}

void takeLatestAsInstalled(HomebrewItem& item)
{
    if (!item.latestVersion.isEmpty())
        item.installedVersion = item.latestVersion;
}

// Whether the installed version is already what the cask offers. A cask version with a build
// part ("1.2.3,456") is only met by an installed version that orders strictly after it: the app
// reports "1.2.3" for every build of 1.2.3, so sameness proves nothing there.
bool installedIsCurrent(const QString& installed, const QString& latest)
{
    if (installed.isEmpty() || latest.isEmpty())
        return false;
    if (installed.compare(latest, Qt::CaseInsensitive) == 0)
        return true;
    switch (VersionComparator::compare(installed, latest)) {
    case ComparisonResult::orderedDescending:
        return true;
    case ComparisonResult::orderedAscending:
        return false;
    case ComparisonResult::orderedSame:
        break;
    }
    return !latest.contains(QLatin1Char(','));
}

} // namespace

namespace HomebrewStateReconciler {

std::vector<HomebrewItem> applyUpgradeSuccess(
    const std::vector<HomebrewItem>& items, const QString& name, bool isCask, const QLocale& locale)
{
    const QString key = homebrewPackageKey(name, isCask);
    std::vector<HomebrewItem> updated = items;
    bool matched = false;
    for (HomebrewItem& item : updated) {
        if (keyOf(item) != key)
            continue;
        matched = true;
        item.isInstalled = true;
        item.isOutdated = false;
        takeLatestAsInstalled(item);
    }
    return matched ? sortedCanonically(std::move(updated), locale) : updated;
}

std::vector<HomebrewItem> applyAllUpgraded(const std::vector<HomebrewItem>& items, const QLocale& locale)
{
    std::vector<HomebrewItem> updated = items;
    bool changed = false;
    for (HomebrewItem& item : updated) {
        if (!item.isOutdated)
            continue;
        changed = true;
        item.isOutdated = false;
        takeLatestAsInstalled(item);
    }
    return changed ? sortedCanonically(std::move(updated), locale) : updated;
}

std::vector<HomebrewItem> applyInstallSuccess(
    const std::vector<HomebrewItem>& items, const HomebrewItem& installedItem, const QLocale& locale)
{
    const QString key = keyOf(installedItem);
    std::vector<HomebrewItem> updated = items;
    const auto existing
        = std::find_if(updated.begin(), updated.end(), [&](const HomebrewItem& item) { return keyOf(item) == key; });
    if (existing != updated.end()) {
        existing->isInstalled = true;
        existing->isOutdated = false;
        if (existing->latestVersion.isEmpty() && !installedItem.latestVersion.isEmpty())
            existing->latestVersion = installedItem.latestVersion;
        takeLatestAsInstalled(*existing);
    } else {
        HomebrewItem added = installedItem;
        added.isInstalled = true;
        added.isOutdated = false;
        if (!added.installedVersion)
            takeLatestAsInstalled(added);
        updated.push_back(std::move(added));
    }
    return sortedCanonically(std::move(updated), locale);
}

std::vector<HomebrewItem> applyUninstallSuccess(
    const std::vector<HomebrewItem>& items, const QString& name, bool isCask)
{
    const QString key = homebrewPackageKey(name, isCask);
    std::vector<HomebrewItem> remaining;
    remaining.reserve(items.size());
    std::copy_if(items.begin(), items.end(), std::back_inserter(remaining),
        [&](const HomebrewItem& item) { return keyOf(item) != key; });
    return remaining;
}

std::vector<HomebrewItem> syncSearchResults(
    const std::vector<HomebrewItem>& results, const std::vector<HomebrewItem>& installed)
{
    QHash<QString, const HomebrewItem*> installedByKey;
    for (const HomebrewItem& item : installed) {
        if (item.isInstalled)
            installedByKey.insert(keyOf(item), &item);
    }

    std::vector<HomebrewItem> synced = results;
    for (HomebrewItem& result : synced) {
        const HomebrewItem* match = installedByKey.value(keyOf(result));
        if (!match) {
            result.installedVersion.reset();
            result.isOutdated = false;
            result.isInstalled = false;
            continue;
        }
        result.installedVersion = match->installedVersion;
        if (!match->latestVersion.isEmpty())
            result.latestVersion = match->latestVersion;
        result.isOutdated = match->isOutdated;
        if (result.description.isEmpty())
            result.description = match->description;
        if (!result.homepage)
            result.homepage = match->homepage;
        result.isInstalled = true;
    }
    return synced;
}

std::vector<InstalledAppRecord> markCaskUpgraded(
    const std::vector<InstalledAppRecord>& apps, const QString& token, const std::optional<QString>& newVersion)
{
    const QString wanted = token.trimmed().toLower();
    if (wanted.isEmpty())
        return apps;
    const std::optional<QString> version = newVersion ? std::optional(newVersion->trimmed()) : std::nullopt;

    std::vector<InstalledAppRecord> updated = apps;
    for (InstalledAppRecord& app : updated) {
        if (!app.homebrewCaskToken || app.homebrewCaskToken->toLower() != wanted)
            continue;
        app.updateAvailable = false;
        if (version && !version->isEmpty()) {
            app.installedVersion = *version;
            app.latestVersion = *version;
        }
    }
    return updated;
}

std::vector<InstalledAppRecord> applyHomebrewMetadata(
    const std::vector<InstalledAppRecord>& apps, const std::vector<HomebrewItem>& brewItems, const QDateTime& checkedAt)
{
    const HomebrewCaskMatcher casks(brewItems);
    std::vector<InstalledAppRecord> updated = apps;
    for (InstalledAppRecord& app : updated) {
        const HomebrewItem* cask = casks.match(app);
        if (!cask)
            continue;
        app.homebrewCaskToken = cask->name;
        if (app.origin != AppOriginKind::quorvane)
            app.origin = AppOriginKind::homebrewCask;
        if (!cask->latestVersion.isEmpty())
            app.latestVersion = cask->latestVersion;
        app.updateAvailable
            = cask->isOutdated && !installedIsCurrent(app.installedVersion.trimmed(), cask->latestVersion.trimmed());
        app.lastCheckedAt = checkedAt;
    }
    return updated;
}

bool isCaskOutdated(const QString& token, const std::vector<HomebrewItem>& items)
{
    const QString wanted = token.trimmed().toLower();
    if (wanted.isEmpty())
        return false;
    return std::any_of(items.begin(), items.end(),
        [&](const HomebrewItem& item) { return item.isCask && item.isOutdated && item.name.toLower() == wanted; });
}

} // namespace HomebrewStateReconciler
