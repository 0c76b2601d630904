#include "app/viewmodel/StudioDerived.h"

#include "tests/support/RecordBuilders.h"

#include <gtest/gtest.h>

#include <QLocale>
#include <QStringList>

#include <functional>
#include <limits>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

const QLocale english(QLocale::English, QLocale::UnitedStates);

QStringList namesOf(const std::vector<InstalledAppRecord>& apps)
{
    QStringList names;
    for (const InstalledAppRecord& app : apps)
        names.append(app.name);
    return names;
}

QStringList namesOf(const std::vector<HomebrewItem>& items)
{
    QStringList names;
    for (const HomebrewItem& item : items)
        names.append(item.name);
    return names;
}

InstalledAppRecord outdatedApp(const QString& name, const QString& bundleID)
{
    return AppRecordBuilder(name).bundleID(bundleID).updateAvailable().build();
}

TEST(StudioDerivedTest, TheIgnoreListFoldsCaseButTrimsNothing)
{
    struct Case {
        const char* label;
        QString ignoredEntry;
        QString bundleID;
        bool ignored;
    };
    const Case cases[] = {
        {"same text", u"com.example.lumen"_s, u"com.example.lumen"_s, true},
        {"entry in capitals", u"COM.Example.Lumen"_s, u"com.example.lumen"_s, true},
        {"bundle id in capitals", u"com.example.lumen"_s, u"Com.Example.LUMEN"_s, true},
        {"entry with a trailing blank", u"com.example.lumen "_s, u"com.example.lumen"_s, false},
        {"another app", u"com.example.other"_s, u"com.example.lumen"_s, false},
        {"no bundle id, even with an empty entry", QString(), QString(), false},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        StudioState state;
        state.config.ignoredBundleIDs = {row.ignoredEntry};
        state.installedApps = {outdatedApp(u"Lumen"_s, row.bundleID)};
        const InstalledAppRecord& app = state.installedApps.front();

        EXPECT_EQ(StudioDerived::isIgnored(app, StudioDerived::ignoredBundleSet(state.config)), row.ignored);
        EXPECT_EQ(StudioDerived::outdatedApps(state).size(), row.ignored ? 0u : 1u);
        state.selectedFilter = AppFilterKind::updatesAvailable;
        EXPECT_EQ(StudioDerived::filteredApps(state, english).size(), row.ignored ? 0u : 1u);
        // Every other list still counts the ignored app.
        EXPECT_EQ(StudioDerived::filteredUninstallerApps(state, english).size(), 1u);
    }
}

TEST(StudioDerivedTest, BadgeCountsIgnoredAppsOutAndFormulaeOnlyWhenAsked)
{
    StudioState state;
    state.installedApps = {outdatedApp(u"A"_s, u"com.a"_s), outdatedApp(u"B"_s, u"com.b"_s),
        outdatedApp(u"C"_s, u"com.c"_s), AppRecordBuilder(u"Current"_s).build()};
    state.config.ignoredBundleIDs = {u"com.b"_s};
    state.homebrewItems = {
        HomebrewItemBuilder(u"wget"_s).outdated().build(),
        HomebrewItemBuilder(u"libpng"_s).outdated().installedOnRequest(false).build(),
        HomebrewItemBuilder(u"firefox"_s).cask().outdated().build(),
        HomebrewItemBuilder(u"jq"_s).build(),
    };

    EXPECT_EQ(StudioDerived::menuBarBadgeCount(state), 2);
    state.config.includeHomebrewFormulaeInBadge = true;
    EXPECT_EQ(StudioDerived::menuBarBadgeCount(state), 3); // the outdated formula, never the cask
    EXPECT_EQ(StudioDerived::outdatedBrewCount(state), 2);
    EXPECT_EQ(StudioDerived::outdatedDependencyBrewCount(state), 1);
}

TEST(StudioDerivedTest, HomebrewPartitionsKeepListOrder)
{
    const std::vector<HomebrewItem> items = {
        HomebrewItemBuilder(u"zeta"_s).outdated().build(),
        HomebrewItemBuilder(u"libpng"_s).outdated().installedOnRequest(false).build(),
        HomebrewItemBuilder(u"arc"_s).cask().outdated().build(),
        HomebrewItemBuilder(u"alpha"_s).outdated().build(),
        HomebrewItemBuilder(u"pcre"_s).installedOnRequest(false).build(),
        HomebrewItemBuilder(u"iterm2"_s).cask().build(),
        HomebrewItemBuilder(u"jq"_s).build(),
        // Not installed (a search result copied in): a formula, but not a dependency.
        HomebrewItemBuilder(u"ghost"_s).installed(false).installedOnRequest(false).build(),
    };
    EXPECT_EQ(namesOf(StudioDerived::outdatedFormulae(items)), (QStringList{u"zeta"_s, u"alpha"_s}));
    EXPECT_EQ(namesOf(StudioDerived::outdatedDependencyFormulae(items)), QStringList{u"libpng"_s});
    EXPECT_EQ(namesOf(StudioDerived::outdatedCasks(items)), QStringList{u"arc"_s});
    EXPECT_EQ(StudioDerived::directFormulaeCount(items), 4);
    EXPECT_EQ(StudioDerived::dependencyFormulaeCount(items), 2);
}

TEST(StudioDerivedTest, NativePercentageRoundsHalvesUp)
{
    struct Case {
        int native;
        int universal;
        int intel;
        int unknown;
        int percent;
    };
    const Case cases[] = {
        {0, 0, 0, 0, 0},
        {1, 0, 7, 0, 13},
        {2, 1, 5, 0, 38},
        {1, 1, 1, 0, 67},
        {0, 1, 2, 0, 33},
        {1, 0, 0, 1, 50},
        {0, 0, 0, 3, 0},
        {4, 4, 0, 0, 100},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(testing::Message() << row.native << " arm, " << row.universal << " universal, " << row.intel
                                        << " intel, " << row.unknown << " unknown");
        std::vector<InstalledAppRecord> apps;
        const auto add = [&](int count, AppArchitecture architecture) {
            for (int i = 0; i < count; ++i)
                apps.push_back(AppRecordBuilder(u"App"_s).architecture(architecture).build());
        };
        add(row.native, AppArchitecture::appleSilicon);
        add(row.universal, AppArchitecture::universal);
        add(row.intel, AppArchitecture::intel);
        add(row.unknown, AppArchitecture::unknown);
        EXPECT_EQ(StudioDerived::appleSiliconNativePercent(apps), row.percent);
    }
}

// One inventory for the filter table: inventory order is not name order.
std::vector<InstalledAppRecord> filterInventory()
{
    return {
        AppRecordBuilder(u"Zed"_s).bundleID(u"com.zed"_s).architecture(AppArchitecture::universal).build(),
        AppRecordBuilder(u"Beam"_s)
            .bundleID(u"com.quorvane.beam"_s)
            .origin(AppOriginKind::quorvane)
            .architecture(AppArchitecture::appleSilicon)
            .build(),
        AppRecordBuilder(u"Caskette"_s)
            .bundleID(u"org.caskette"_s)
            .homebrewCaskToken(u"caskette"_s)
            .origin(AppOriginKind::direct)
            .architecture(AppArchitecture::intel)
            .updateAvailable()
            .build(),
        AppRecordBuilder(u"Feedy"_s)
            .bundleID(u"net.feedy"_s)
            .sparkleFeedURL(u"https://feedy.example/appcast.xml"_s)
            .origin(AppOriginKind::homebrewCask)
            .build(),
        AppRecordBuilder(u"Storely"_s)
            .bundleID(u"com.store.ly"_s)
            .origin(AppOriginKind::appStore)
            .architecture(AppArchitecture::intel)
            .build(),
        AppRecordBuilder(u"Sparky"_s).bundleID(u"io.sparky"_s).origin(AppOriginKind::sparkle).updateAvailable().build(),
        AppRecordBuilder(u"Ignored"_s).bundleID(u"com.ignored"_s).updateAvailable().build(),
    };
}

TEST(StudioDerivedTest, EachFilterKeepsItsAppsActionableUpdatesFirstThenByName)
{
    struct Case {
        AppFilterKind filter;
        QStringList names;
    };
    const Case cases[] = {
        {AppFilterKind::all, {u"Caskette"_s, u"Sparky"_s, u"Beam"_s, u"Feedy"_s, u"Ignored"_s, u"Storely"_s, u"Zed"_s}},
        {AppFilterKind::updatesAvailable, {u"Caskette"_s, u"Sparky"_s}},
        {AppFilterKind::quorvane, {u"Beam"_s}},
        {AppFilterKind::homebrew, {u"Caskette"_s, u"Feedy"_s}},
        {AppFilterKind::sparkle, {u"Sparky"_s, u"Feedy"_s}},
        {AppFilterKind::appStore, {u"Storely"_s}},
        {AppFilterKind::appleSilicon, {u"Beam"_s, u"Zed"_s}},
        {AppFilterKind::intel, {u"Caskette"_s, u"Storely"_s}},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(rawValue(row.filter).toStdString());
        StudioState state;
        state.installedApps = filterInventory();
        state.config.ignoredBundleIDs = {u"com.ignored"_s};
        state.selectedFilter = row.filter;
        EXPECT_EQ(namesOf(StudioDerived::filteredApps(state, english)), row.names);
    }
}

TEST(StudioDerivedTest, AppSearchLooksAtNameBundleIDAndCaskToken)
{
    struct Case {
        QString query;
        QStringList apps;
        QStringList uninstallerApps;
    };
    const Case cases[] = {
        {u"  \n\t "_s, {u"Caskette"_s, u"Sparky"_s, u"Beam"_s, u"Feedy"_s, u"Ignored"_s, u"Storely"_s, u"Zed"_s},
            {u"Beam"_s, u"Caskette"_s, u"Feedy"_s, u"Ignored"_s, u"Sparky"_s, u"Storely"_s, u"Zed"_s}},
        {u" SPARK\n"_s, {u"Sparky"_s}, {u"Sparky"_s}}, {u"quorvane"_s, {u"Beam"_s}, {u"Beam"_s}}, // bundle identifier
        {u"ette"_s, {u"Caskette"_s}, {u"Caskette"_s}},                             // name, bundle id and token alike
        {u"caskette"_s, {u"Caskette"_s}, {u"Caskette"_s}}, {u"appcast"_s, {}, {}}, // the feed address is not searched
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.query.toStdString());
        StudioState state;
        state.installedApps = filterInventory();
        state.config.ignoredBundleIDs = {u"com.ignored"_s};
        state.appSearchQuery = row.query;
        state.uninstallerSearchQuery = row.query;
        state.uninstallerSortOrder = UninstallerAppSortOrder::nameAscending;
        EXPECT_EQ(namesOf(StudioDerived::filteredApps(state, english)), row.apps);
        EXPECT_EQ(namesOf(StudioDerived::filteredUninstallerApps(state, english)), row.uninstallerApps);
    }
}

TEST(StudioDerivedTest, SearchMatchesACaskTokenOnlyInTheAppsList)
{
    StudioState state;
    state.installedApps
        = {AppRecordBuilder(u"Lumen"_s).bundleID(u"com.x.lumen"_s).homebrewCaskToken(u"brightly"_s).build()};
    state.appSearchQuery = u"bright"_s;
    state.uninstallerSearchQuery = u"bright"_s;
    EXPECT_EQ(StudioDerived::filteredApps(state, english).size(), 1u);
    EXPECT_TRUE(StudioDerived::filteredUninstallerApps(state, english).empty());
}

TEST(StudioDerivedTest, AppsWithNamesEqualButForCaseKeepInventoryOrder)
{
    StudioState state;
    state.installedApps = {AppRecordBuilder(u"lumen"_s).id(u"first"_s).build(),
        AppRecordBuilder(u"Alpha"_s).id(u"alpha"_s).build(), AppRecordBuilder(u"LUMEN"_s).id(u"second"_s).build()};
    const std::vector<InstalledAppRecord> apps = StudioDerived::filteredApps(state, english);
    ASSERT_EQ(apps.size(), 3u);
    EXPECT_EQ(apps[0].id(), u"alpha"_s);
    EXPECT_EQ(apps[1].id(), u"first"_s);
    EXPECT_EQ(apps[2].id(), u"second"_s);
}

TEST(StudioDerivedTest, HomebrewSubTabsChooseTheirListAndFilter)
{
    const std::vector<HomebrewItem> installed = {
        HomebrewItemBuilder(u"firefox"_s).cask().description(u"Web browser"_s).build(),
        HomebrewItemBuilder(u"wget"_s).description(u"Internet file retriever"_s).build(),
        HomebrewItemBuilder(u"libidn2"_s)
            .description(u"International domain names"_s)
            .installedOnRequest(false)
            .build(),
        HomebrewItemBuilder(u"iterm2"_s).cask().fullName(u"homebrew/cask/iterm2"_s).build(),
    };
    const std::vector<HomebrewItem> searchResults = {HomebrewItemBuilder(u"zz-found"_s).installed(false).build()};

    struct Case {
        const char* label;
        HomebrewSubTab tab;
        QString filter;
        bool showDependencies;
        QStringList names;
    };
    const Case cases[] = {
        {"casks", HomebrewSubTab::casks, {}, false, {u"firefox"_s, u"iterm2"_s}},
        {"casks by full name", HomebrewSubTab::casks, u"CASK/"_s, false, {u"iterm2"_s}},
        {"casks by description", HomebrewSubTab::casks, u" web "_s, false, {u"firefox"_s}},
        {"formulae without dependencies", HomebrewSubTab::formulae, {}, false, {u"wget"_s}},
        {"formulae with dependencies", HomebrewSubTab::formulae, {}, true, {u"wget"_s, u"libidn2"_s}},
        {"blank filter keeps dependencies hidden", HomebrewSubTab::formulae, u" \n"_s, false, {u"wget"_s}},
        {"any filter text shows matching dependencies", HomebrewSubTab::formulae, u"INTERN"_s, false,
            {u"wget"_s, u"libidn2"_s}},
        {"search ignores the filter", HomebrewSubTab::search, u"nothing matches this"_s, false, {u"zz-found"_s}},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        StudioState state;
        state.homebrewItems = installed;
        state.brewSearchResults = searchResults;
        state.homebrewSubTab = row.tab;
        state.homebrewFilterQuery = row.filter;
        state.showBrewDependencies = row.showDependencies;
        EXPECT_EQ(namesOf(StudioDerived::filteredHomebrewItems(state)), row.names);
    }
}

// One index serves every key typed over a list that changes in between: each change must reach
// the filter, including a text edited in place without changing its length.
TEST(StudioDerivedTest, TheHomebrewFilterIndexFollowsEveryChangeOfThePackages)
{
    StudioState state;
    state.homebrewSubTab = HomebrewSubTab::formulae;
    state.homebrewItems = {
        HomebrewItemBuilder(u"wget"_s).description(u"Internet file retriever"_s).build(),
        // Built at run time: a literal's text is never edited in place.
        HomebrewItemBuilder(u"jq"_s).description(u"JSON"_s + u" processor"_s).build(),
        HomebrewItemBuilder(u"tree"_s).build(),
    };
    HomebrewFilterIndex index;

    struct Step {
        const char* what;
        std::function<void(std::vector<HomebrewItem>&)> change;
        QString filter;
        QStringList names;
    };
    const std::vector<Step> steps{
        {"first key", [](auto&) {}, u"et"_s, {u"wget"_s}},
        {"a description edited in place, same length", [](auto& items) { items[1].description[0] = u'E'; }, u"eson"_s,
            {u"jq"_s}},
        {"a package renamed", [](auto& items) { items[2].fullName = u"TREE-ESON"_s; }, u"eson"_s, {u"jq"_s, u"tree"_s}},
        {"a package added", [](auto& items) { items.push_back(HomebrewItemBuilder(u"mesonx"_s).build()); }, u"eson"_s,
            {u"jq"_s, u"tree"_s, u"mesonx"_s}},
        {"a package removed ahead of others", [](auto& items) { items.erase(items.begin()); }, u"t"_s, {u"tree"_s}},
        {"a new list of the same length",
            [](auto& items) {
                items = {HomebrewItemBuilder(u"a"_s).build(), HomebrewItemBuilder(u"b"_s).build(),
                    HomebrewItemBuilder(u"ct"_s).build()};
            },
            u"t"_s, {u"ct"_s}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.change(state.homebrewItems);
        state.homebrewFilterQuery = step.filter;
        EXPECT_EQ(namesOf(StudioDerived::filteredHomebrewItems(state, index)), step.names);
        EXPECT_EQ(namesOf(StudioDerived::filteredHomebrewItems(state)), step.names) << "without an index";
    }
}

TEST(StudioDerivedTest, HomebrewRouteNeedsBrewAndAnOutdatedCaskOrNoDownload)
{
    const std::vector<HomebrewItem> casks
        = {HomebrewItemBuilder(u"lumen"_s).cask().outdated().build(), HomebrewItemBuilder(u"beam"_s).cask().build()};
    struct Case {
        const char* label;
        std::optional<QString> token;
        std::optional<QString> downloadURL;
        std::optional<QString> brew;
        bool viaHomebrew;
    };
    const std::optional<QString> brew = u"/opt/homebrew/bin/brew"_s;
    const std::optional<QString> download = u"https://beam.example/beam.zip"_s;
    const Case cases[] = {
        {"outdated cask with a download", u" LUMEN "_s, download, brew, true},
        {"current cask without a download", u"beam"_s, std::nullopt, brew, true},
        {"current cask with a download", u"beam"_s, download, brew, false},
        {"no brew", u"lumen"_s, std::nullopt, std::nullopt, false},
        {"no cask", std::nullopt, std::nullopt, brew, false},
        {"a cask brew does not list, no download", u"gone"_s, std::nullopt, brew, true},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        StudioState state;
        state.homebrewItems = casks;
        state.brewExecutablePath = row.brew;
        const InstalledAppRecord app
            = AppRecordBuilder(u"App"_s).homebrewCaskToken(row.token).downloadURL(row.downloadURL).build();
        EXPECT_EQ(StudioDerived::canUpgradeAppViaHomebrew(state, app), row.viaHomebrew);
    }
}

TEST(StudioDerivedTest, LeftoverTotalsCountTheBundleOnlyInBytes)
{
    StudioState state;
    state.leftoverItems
        = {LeftoverFileItem(std::nullopt, u"/h/Library/Caches/a"_s, LeftoverCategory::caches, 100, true),
            LeftoverFileItem(std::nullopt, u"/h/Library/Logs/b"_s, LeftoverCategory::logs, 20, false),
            LeftoverFileItem(std::nullopt, u"/h/Library/Preferences/c"_s, LeftoverCategory::preferences, 3, true)};
    struct Case {
        const char* label;
        bool includeBundle;
        bool hasTarget;
        qint64 bytes;
    };
    const Case cases[] = {
        {"bundle included", true, true, 103 + 5000},
        {"bundle left out", false, true, 103},
        {"bundle included but no target", true, false, 103},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        state.includeAppBundleInTrash = row.includeBundle;
        state.uninstallerTargetApp
            = row.hasTarget ? std::optional(AppRecordBuilder(u"T"_s).sizeBytes(5000).build()) : std::nullopt;
        EXPECT_EQ(StudioDerived::selectedLeftoverBytes(state), row.bytes);
        EXPECT_EQ(StudioDerived::selectedLeftoverCount(state), 2);
    }
}

TEST(StudioDerivedTest, ByteTotalsSaturateInsteadOfWrapping)
{
    constexpr qint64 max = std::numeric_limits<qint64>::max();
    const std::vector<InstalledAppRecord> apps = {AppRecordBuilder(u"Huge"_s).sizeBytes(max - 10).build(),
        AppRecordBuilder(u"Big"_s).sizeBytes(max / 2).build(), AppRecordBuilder(u"Small"_s).sizeBytes(5).build()};
    EXPECT_EQ(StudioDerived::totalAppsDiskBytes(apps), max);
    EXPECT_EQ(StudioDerived::totalAppsDiskBytes({}), 0);

    StudioState state;
    state.leftoverItems = {LeftoverFileItem(std::nullopt, u"/a"_s, LeftoverCategory::caches, max - 1, true)};
    state.uninstallerTargetApp = AppRecordBuilder(u"T"_s).sizeBytes(max).build();
    EXPECT_EQ(StudioDerived::selectedLeftoverBytes(state), max);
}

TEST(StudioDerivedTest, SortedListsFollowTheirSortOrders)
{
    StudioState state;
    state.installedApps = {AppRecordBuilder(u"Small"_s).sizeBytes(1).build(),
        AppRecordBuilder(u"Large"_s).sizeBytes(30).build(), AppRecordBuilder(u"Medium"_s).sizeBytes(20).build()};
    EXPECT_EQ(namesOf(StudioDerived::filteredUninstallerApps(state, english)),
        (QStringList{u"Large"_s, u"Medium"_s, u"Small"_s}));
    state.uninstallerSortOrder = UninstallerAppSortOrder::sizeAscending;
    EXPECT_EQ(namesOf(StudioDerived::filteredUninstallerApps(state, english)),
        (QStringList{u"Small"_s, u"Medium"_s, u"Large"_s}));

    state.leftoverItems = {LeftoverFileItem(std::nullopt, u"/L/Logs/b"_s, LeftoverCategory::logs, 900, true),
        LeftoverFileItem(std::nullopt, u"/L/Caches/a"_s, LeftoverCategory::caches, 5, true)};
    EXPECT_EQ(StudioDerived::sortedLeftoverItems(state, english).front().path, u"/L/Caches/a"_s);
    state.leftoverSortOrder = LeftoverSortOrder::sizeDescending;
    EXPECT_EQ(StudioDerived::sortedLeftoverItems(state, english).front().path, u"/L/Logs/b"_s);
}

TEST(StudioDerivedTest, NavigationEnumsReadOnlyTheirExactRawValues)
{
    EXPECT_EQ(allCases<UpdateStudioTab>(),
        (std::vector{UpdateStudioTab::updates, UpdateStudioTab::homebrew, UpdateStudioTab::uninstaller,
            UpdateStudioTab::suiteHub, UpdateStudioTab::settings}));
    EXPECT_EQ(fromRawValue<UpdateStudioTab>(u"suiteHub"), UpdateStudioTab::suiteHub);
    EXPECT_EQ(fromRawValue<UpdateStudioTab>(u"SuiteHub"), std::nullopt);
    EXPECT_EQ(fromRawValue<AppFilterKind>(u"appleSilicon"), AppFilterKind::appleSilicon);
    EXPECT_EQ(allCases<AppFilterKind>().size(), 8u);
    EXPECT_EQ(rawValue(HomebrewSubTab::formulae), u"formulae"_s);
    EXPECT_EQ(fromRawValue<HomebrewSubTab>(u"formula"), std::nullopt);
}

} // namespace
