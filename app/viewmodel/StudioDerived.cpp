#include "app/viewmodel/StudioDerived.h"

#include "app/viewmodel/HeldRowOrder.h"
#include "core/homebrew/HomebrewStateReconciler.h"
#include "core/records/LocalizedNameComparison.h"
#include "kit/foundation/TruneAppVersion.h"
#include "kit/platform/TruneStableSort.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

QString normalisedQuery(const QString& text)
{
    return text.trimmed().toLower();
}

bool textMatches(const QString& text, const QString& query)
{
    return text.toLower().contains(query);
}

qint64 saturatingAdd(qint64 total, qint64 value)
{
    qint64 sum = 0;
    if (!__builtin_add_overflow(total, value, &sum))
        return sum;
    return value > 0 ? std::numeric_limits<qint64>::max() : std::numeric_limits<qint64>::min();
}

// The ignore test with the ignored set built once, for a pass over a whole list.
class ActionableUpdateTest final {
public:
    explicit ActionableUpdateTest(const TruneUpdateConfig& config)
        : m_ignored(StudioDerived::ignoredBundleSet(config))
    {
    }

    bool operator()(const InstalledAppRecord& app) const
    {
        return app.updateAvailable && !StudioDerived::isIgnored(app, m_ignored);
    }

private:
    QSet<QString> m_ignored;
};

bool isFormula(const HomebrewItem& item)
{
    return !item.isCask;
}

bool runsNatively(const InstalledAppRecord& app)
{
    return app.architecture == AppArchitecture::appleSilicon || app.architecture == AppArchitecture::universal;
}

bool passesFilter(const InstalledAppRecord& app, AppFilterKind filter, const ActionableUpdateTest& actionable)
{
    switch (filter) {
    case AppFilterKind::all:
        return true;
    case AppFilterKind::updatesAvailable:
        return actionable(app);
    case AppFilterKind::quorvane:
        return app.origin == AppOriginKind::quorvane;
    case AppFilterKind::homebrew:
        return app.origin == AppOriginKind::homebrewCask || app.homebrewCaskToken.has_value();
    case AppFilterKind::sparkle:
        return app.sparkleFeedURL.has_value() || app.origin == AppOriginKind::sparkle;
    case AppFilterKind::appStore:
        return app.origin == AppOriginKind::appStore;
    case AppFilterKind::appleSilicon:
        return runsNatively(app);
    case AppFilterKind::intel:
        return app.architecture == AppArchitecture::intel;
    }
    return false;
}

bool appMatchesSearch(const InstalledAppRecord& app, const QString& query)
{
    return query.isEmpty() || textMatches(app.name, query) || textMatches(app.bundleID, query)
        || (app.homebrewCaskToken && textMatches(*app.homebrewCaskToken, query));
}

template <typename Item, typename Keep> std::vector<Item> keptItems(const std::vector<Item>& items, Keep keep)
{
    std::vector<Item> kept;
    std::copy_if(items.begin(), items.end(), std::back_inserter(kept), keep);
    return kept;
}

template <typename Item, typename Keep> int countOf(const std::vector<Item>& items, Keep keep)
{
    return static_cast<int>(std::count_if(items.begin(), items.end(), keep));
}

} // namespace

namespace StudioDerived {

QSet<QString> ignoredBundleSet(const TruneUpdateConfig& config)
{
    QSet<QString> ignored;
    for (const QString& bundleID : config.ignoredBundleIDs)
        ignored.insert(bundleID.toLower());
    return ignored;
}

bool isIgnored(const InstalledAppRecord& app, const QSet<QString>& ignoredSet)
{
    return !app.bundleID.isEmpty() && ignoredSet.contains(app.bundleID.toLower());
}

std::vector<InstalledAppRecord> outdatedApps(const StudioState& state)
{
    return keptItems(state.installedApps, ActionableUpdateTest(state.config));
}

bool canUpgradeAppViaHomebrew(const StudioState& state, const InstalledAppRecord& app)
{
    if (!app.homebrewCaskToken || !state.brewExecutablePath)
        return false;
    return HomebrewStateReconciler::isCaskOutdated(*app.homebrewCaskToken, state.homebrewItems)
        || !app.downloadURL.has_value();
}

std::vector<HomebrewItem> outdatedFormulae(const std::vector<HomebrewItem>& items)
{
    return keptItems(
        items, [](const HomebrewItem& item) { return isFormula(item) && item.isOutdated && !item.isDependencyOnly(); });
}

std::vector<HomebrewItem> outdatedDependencyFormulae(const std::vector<HomebrewItem>& items)
{
    return keptItems(
        items, [](const HomebrewItem& item) { return isFormula(item) && item.isOutdated && item.isDependencyOnly(); });
}

std::vector<HomebrewItem> outdatedCasks(const std::vector<HomebrewItem>& items)
{
    return keptItems(items, [](const HomebrewItem& item) { return item.isCask && item.isOutdated; });
}

int directFormulaeCount(const std::vector<HomebrewItem>& items)
{
    return countOf(items, [](const HomebrewItem& item) { return isFormula(item) && !item.isDependencyOnly(); });
}

int dependencyFormulaeCount(const std::vector<HomebrewItem>& items)
{
    return countOf(items, [](const HomebrewItem& item) { return isFormula(item) && item.isDependencyOnly(); });
}

int menuBarBadgeCount(const StudioState& state)
{
    const int apps = static_cast<int>(outdatedApps(state).size());
    if (!state.config.includeHomebrewFormulaeInBadge)
        return apps;
    return apps + static_cast<int>(outdatedFormulae(state.homebrewItems).size());
}

int outdatedBrewCount(const StudioState& state)
{
    return static_cast<int>(outdatedCasks(state.homebrewItems).size() + outdatedFormulae(state.homebrewItems).size());
}

int outdatedDependencyBrewCount(const StudioState& state)
{
    return static_cast<int>(outdatedDependencyFormulae(state.homebrewItems).size());
}

std::vector<InstalledAppRecord> quorvaneApps(const std::vector<InstalledAppRecord>& apps)
{
    return keptItems(apps, [](const InstalledAppRecord& app) { return app.origin == AppOriginKind::quorvane; });
}

int appleSiliconNativePercent(const std::vector<InstalledAppRecord>& apps)
{
    if (apps.empty())
        return 0;
    const double native = countOf(apps, runsNatively);
    return static_cast<int>(std::round(native / static_cast<double>(apps.size()) * 100.0));
}

qint64 totalAppsDiskBytes(const std::vector<InstalledAppRecord>& apps)
{
    qint64 total = 0;
    for (const InstalledAppRecord& app : apps)
        total = saturatingAdd(total, app.sizeBytes);
    return total;
}

std::vector<InstalledAppRecord> filteredApps(const StudioState& state, const QLocale& locale)
{
    const QString query = normalisedQuery(state.appSearchQuery);
    const ActionableUpdateTest actionable(state.config);
    std::vector<InstalledAppRecord> kept = keptItems(state.installedApps, [&](const InstalledAppRecord& app) {
        return passesFilter(app, state.selectedFilter, actionable) && appMatchesSearch(app, query);
    });
    const LocalizedNameComparison names(locale);
    truneStableSort(kept, [&](const InstalledAppRecord& left, const InstalledAppRecord& right) {
        const bool leftFirst = actionable(left);
        if (leftFirst != actionable(right))
            return leftFirst;
        return names.compare(left.name, right.name) < 0;
    });
    if (state.heldAppOrder)
        sortByHeldOrder(kept, *state.heldAppOrder);
    return kept;
}

std::vector<HomebrewItem> filteredHomebrewItems(const StudioState& state)
{
    HomebrewFilterIndex index;
    return filteredHomebrewItems(state, index);
}

std::vector<HomebrewItem> filteredHomebrewItems(const StudioState& state, HomebrewFilterIndex& index)
{
    if (state.homebrewSubTab == HomebrewSubTab::search)
        return state.brewSearchResults;
    // Followed even without a query, so that the first key does not lower-case the whole list.
    index.follow(state.homebrewItems);
    const QString query = normalisedQuery(state.homebrewFilterQuery);
    const bool casks = state.homebrewSubTab == HomebrewSubTab::casks;
    const bool showDependencies = state.showBrewDependencies || !query.isEmpty();
    std::vector<HomebrewItem> kept;
    for (size_t position = 0; position < state.homebrewItems.size(); ++position) {
        const HomebrewItem& item = state.homebrewItems[position];
        const bool onSubTab = casks ? item.isCask : isFormula(item) && (showDependencies || !item.isDependencyOnly());
        if (onSubTab && (query.isEmpty() || index.matches(position, query)))
            kept.push_back(item);
    }
    return kept;
}

std::vector<InstalledAppRecord> filteredUninstallerApps(const StudioState& state, const QLocale& locale)
{
    const QString query = normalisedQuery(state.uninstallerSearchQuery);
    const std::vector<InstalledAppRecord> matching = keptItems(state.installedApps, [&](const InstalledAppRecord& app) {
        return query.isEmpty() || textMatches(app.name, query) || textMatches(app.bundleID, query);
    });
    return sort(state.uninstallerSortOrder, matching, locale);
}

std::vector<LeftoverFileItem> sortedLeftoverItems(const StudioState& state, const QLocale& locale)
{
    return sort(state.leftoverSortOrder, state.leftoverItems, locale);
}

qint64 selectedLeftoverBytes(const StudioState& state)
{
    qint64 total = 0;
    for (const LeftoverFileItem& item : state.leftoverItems) {
        if (item.isSelected)
            total = saturatingAdd(total, item.sizeBytes);
    }
    if (state.includeAppBundleInTrash && state.uninstallerTargetApp)
        total = saturatingAdd(total, state.uninstallerTargetApp->sizeBytes);
    return total;
}

int selectedLeftoverCount(const StudioState& state)
{
    return countOf(state.leftoverItems, [](const LeftoverFileItem& item) { return item.isSelected; });
}

QString appVersionString()
{
    return TruneAppVersion::current().tag();
}

} // namespace StudioDerived
