#include "core/homebrew/HomebrewStateReconciler.h"

#include "tests/core/homebrew/HomebrewTestItems.h"
#include "tests/support/RecordBuilders.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

using namespace HomebrewTestItems;
namespace Reconciler = HomebrewStateReconciler;

const QLocale english(QLocale::English, QLocale::UnitedStates);

// The fields the reconciler must leave alone are filled in, so that one it clobbers shows.
AppRecordBuilder app(const QString& name)
{
    return AppRecordBuilder(name)
        .bundleID(u"com.example."_s + name)
        .buildVersion(u"1"_s)
        .architecture(AppArchitecture::appleSilicon)
        .sizeBytes(1024);
}

TEST(HomebrewReconcilerTest, AnUpgradeMakesThePackageCurrentAndResorts)
{
    const std::vector<HomebrewItem> items{
        HomebrewItemBuilder(u"zsh"_s).outdated().installedVersion(u"5.8"_s).latestVersion(u"5.9"_s).build(),
        HomebrewItemBuilder(u"wget"_s).cask().outdated().installedVersion(u"1.0"_s).latestVersion(u"2.0"_s).build(),
        HomebrewItemBuilder(u"wget"_s)
            .installed(false)
            .outdated()
            .installedVersion(u"1.20"_s)
            .latestVersion(u"1.21"_s)
            .build(),
        HomebrewItemBuilder(u"node"_s).outdated().installedVersion(u"21"_s).build(),
        HomebrewItemBuilder(u"abc"_s).build(),
    };
    struct Case {
        const char* label;
        QString name;
        bool isCask;
        std::vector<HomebrewItem> expected;
    };
    const Case cases[] = {
        {"the formula of a trimmed name, ignoring case", u" WGet\n"_s, false,
            {items[3], items[1], items[0], HomebrewItemBuilder(u"abc"_s).build(),
                HomebrewItemBuilder(u"wget"_s).installedVersion(u"1.21"_s).latestVersion(u"1.21"_s).build()}},
        {"the cask of that name only", u"wget"_s, true,
            {items[3], items[2], items[0], HomebrewItemBuilder(u"abc"_s).build(),
                HomebrewItemBuilder(u"wget"_s).cask().installedVersion(u"2.0"_s).latestVersion(u"2.0"_s).build()}},
        {"no latest version: the installed one stays; same names keep their order", u"node"_s, false,
            {items[1], items[2], items[0], HomebrewItemBuilder(u"abc"_s).build(),
                HomebrewItemBuilder(u"node"_s).installedVersion(u"21"_s).build()}},
        {"a package not in the list changes nothing, not even the order", u"lumen"_s, false, items},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(Reconciler::applyUpgradeSuccess(items, row.name, row.isCask, english), row.expected);
    }
}

TEST(HomebrewReconcilerTest, UpgradingEverythingKeepsInstalledFlags)
{
    const std::vector<HomebrewItem> items{
        HomebrewItemBuilder(u"zsh"_s).build(),
        HomebrewItemBuilder(u"lumen"_s).cask().installed(false).outdated().latestVersion(u"3.0"_s).build(),
        HomebrewItemBuilder(u"node"_s).outdated().installedVersion(u"21"_s).build(),
        HomebrewItemBuilder(u"abc"_s).outdated().installedVersion(u"1"_s).latestVersion(u"2"_s).build(),
    };
    const std::vector<HomebrewItem> expected{
        HomebrewItemBuilder(u"abc"_s).installedVersion(u"2"_s).latestVersion(u"2"_s).build(),
        HomebrewItemBuilder(u"lumen"_s)
            .cask()
            .installed(false)
            .installedVersion(u"3.0"_s)
            .latestVersion(u"3.0"_s)
            .build(),
        HomebrewItemBuilder(u"node"_s).installedVersion(u"21"_s).build(),
        HomebrewItemBuilder(u"zsh"_s).build(),
    };
    EXPECT_EQ(Reconciler::applyAllUpgraded(items, english), expected);

    // Nothing outdated: nothing changes, not even the order.
    const std::vector<HomebrewItem> current{
        HomebrewItemBuilder(u"zsh"_s).build(), HomebrewItemBuilder(u"abc"_s).build()};
    EXPECT_EQ(Reconciler::applyAllUpgraded(current, english), current);
}

TEST(HomebrewReconcilerTest, AnInstallUpdatesTheFirstItemOfThePackageOrAddsIt)
{
    const HomebrewItem listed = HomebrewItemBuilder(u"Lumen"_s)
                                    .cask()
                                    .installed(false)
                                    .outdated()
                                    .description(u"Photo editor"_s)
                                    .appArtifacts({u"Lumen.app"_s})
                                    .build();
    const HomebrewItem reported = HomebrewItemBuilder(u"lumen"_s)
                                      .cask()
                                      .installedVersion(u"0.9"_s)
                                      .latestVersion(u"3.1"_s)
                                      .description(u"other text"_s)
                                      .build();

    struct Case {
        const char* label;
        std::vector<HomebrewItem> items;
        HomebrewItem installed;
        std::vector<HomebrewItem> expected;
    };
    const HomebrewItem listedAfter = HomebrewItemBuilder(u"Lumen"_s)
                                         .cask()
                                         .installedVersion(u"3.1"_s)
                                         .latestVersion(u"3.1"_s)
                                         .description(u"Photo editor"_s)
                                         .appArtifacts({u"Lumen.app"_s})
                                         .build();
    const HomebrewItem withOwnLatest
        = HomebrewItemBuilder(u"lumen"_s).cask().installed(false).latestVersion(u"3.0"_s).build();
    const Case cases[] = {
        {"the installed item's version fills an empty latest one; other fields stay",
            {HomebrewItemBuilder(u"zsh"_s).build(), listed, listed}, reported,
            {listed, listedAfter, HomebrewItemBuilder(u"zsh"_s).build()}},
        {"its own latest version wins", {withOwnLatest}, reported,
            {HomebrewItemBuilder(u"lumen"_s).cask().installedVersion(u"3.0"_s).latestVersion(u"3.0"_s).build()}},
        {"no version anywhere leaves the installed version",
            {HomebrewItemBuilder(u"lumen"_s).cask().installed(false).installedVersion(u"1.0"_s).build()},
            HomebrewItemBuilder(u"lumen"_s).cask().build(),
            {HomebrewItemBuilder(u"lumen"_s).cask().installedVersion(u"1.0"_s).build()}},
        {"a formula of the name is another package",
            {HomebrewItemBuilder(u"lumen"_s).build(), HomebrewItemBuilder(u"abc"_s).outdated().build()},
            HomebrewItemBuilder(u"lumen"_s).cask().installed(false).outdated().latestVersion(u"3.1"_s).build(),
            {HomebrewItemBuilder(u"abc"_s).outdated().build(), HomebrewItemBuilder(u"lumen"_s).build(),
                HomebrewItemBuilder(u"lumen"_s).cask().installedVersion(u"3.1"_s).latestVersion(u"3.1"_s).build()}},
        {"an empty installed version counts as one", {},
            HomebrewItemBuilder(u"lumen"_s).cask().installedVersion(QString()).latestVersion(u"3.1"_s).build(),
            {HomebrewItemBuilder(u"lumen"_s).cask().installedVersion(QString()).latestVersion(u"3.1"_s).build()}},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(Reconciler::applyInstallSuccess(row.items, row.installed, english), row.expected);
    }
}

TEST(HomebrewReconcilerTest, AnUninstallRemovesEveryItemOfThePackageOnly)
{
    const std::vector<HomebrewItem> items{HomebrewItemBuilder(u"zsh"_s).outdated().build(),
        HomebrewItemBuilder(u"Lumen"_s).cask().build(), HomebrewItemBuilder(u"lumen"_s).build(),
        HomebrewItemBuilder(u"lumen"_s).cask().build(), HomebrewItemBuilder(u"abc"_s).build()};
    EXPECT_EQ(Reconciler::applyUninstallSuccess(items, u" LUMEN "_s, true),
        (std::vector{HomebrewItemBuilder(u"zsh"_s).outdated().build(), HomebrewItemBuilder(u"lumen"_s).build(),
            HomebrewItemBuilder(u"abc"_s).build()}));
    EXPECT_EQ(Reconciler::applyUninstallSuccess(items, u"prism"_s, false), items);
}

TEST(HomebrewReconcilerTest, SearchResultsTakeTheStateOfTheirInstalledPackage)
{
    const HomebrewItem installedWget = HomebrewItemBuilder(u"Wget"_s)
                                           .outdated()
                                           .installedVersion(u"1.0"_s)
                                           .latestVersion(u"1.1"_s)
                                           .description(u"Internet file retriever"_s)
                                           .homepage(u"https://www.gnu.org/software/wget/"_s)
                                           .build();
    const std::vector<HomebrewItem> installed{
        // Overridden by the later item of the package.
        HomebrewItemBuilder(u"wget"_s).installedVersion(u"0.9"_s).latestVersion(u"0.9"_s).build(),
        installedWget,
        // Not installed: ignored.
        HomebrewItemBuilder(u"lumen"_s)
            .cask()
            .installed(false)
            .outdated()
            .installedVersion(u"2.0"_s)
            .latestVersion(u"3.0"_s)
            .build(),
        HomebrewItemBuilder(u"node"_s).build(),
    };

    const HomebrewItem wgetResult = HomebrewItemBuilder(u"wget"_s).installed(false).latestVersion(u"1.2"_s).build();
    const HomebrewItem nodeResult = HomebrewItemBuilder(u"node"_s)
                                        .installed(false)
                                        .latestVersion(u"22"_s)
                                        .description(u"JavaScript runtime"_s)
                                        .homepage(u"https://nodejs.org/"_s)
                                        .build();
    const HomebrewItem staleLumen
        = HomebrewItemBuilder(u"lumen"_s).cask().outdated().installedVersion(u"2.0"_s).latestVersion(u"3.0"_s).build();
    const HomebrewItem wgetCask
        = HomebrewItemBuilder(u"wget"_s).cask().installedVersion(u"5"_s).latestVersion(u"5"_s).build();

    const HomebrewItem wgetSynced = HomebrewItemBuilder(u"wget"_s)
                                        .outdated()
                                        .installedVersion(u"1.0"_s)
                                        .latestVersion(u"1.1"_s)
                                        .description(u"Internet file retriever"_s)
                                        .homepage(u"https://www.gnu.org/software/wget/"_s)
                                        .build();
    HomebrewItem nodeSynced = nodeResult;
    nodeSynced.isInstalled = true;
    const std::vector<HomebrewItem> expected{
        wgetSynced,
        nodeSynced, // an empty latest version and no description take nothing away
        HomebrewItemBuilder(u"lumen"_s).cask().installed(false).latestVersion(u"3.0"_s).build(),
        HomebrewItemBuilder(u"wget"_s).cask().installed(false).latestVersion(u"5"_s).build(),
    };
    EXPECT_EQ(Reconciler::syncSearchResults({wgetResult, nodeResult, staleLumen, wgetCask}, installed), expected);
    EXPECT_TRUE(Reconciler::syncSearchResults({}, installed).empty());
}

TEST(HomebrewReconcilerTest, MarkingACaskUpgradedClearsTheUpdatesOfItsApps)
{
    std::vector<InstalledAppRecord> apps{
        app(u"Lumen"_s).installedVersion(u"1.0"_s).homebrewCaskToken(u"Lumen"_s).build(),
        app(u"Prism"_s).installedVersion(u"2.0"_s).homebrewCaskToken(u"prism"_s).build(),
        app(u"Other"_s).installedVersion(u"1.0"_s).build(),
    };
    for (InstalledAppRecord& record : apps) {
        record.updateAvailable = true;
        record.latestVersion = u"9.9"_s;
    }
    struct Case {
        const char* label;
        QString token;
        std::optional<QString> newVersion;
        bool changesLumen;
        std::optional<QString> version;
    };
    const Case cases[] = {
        {"token trimmed and matched ignoring case, new version trimmed", u" lumen\n"_s, u" 3.0 "_s, true, u"3.0"_s},
        {"no new version: only the flag", u"lumen"_s, std::nullopt, true, std::nullopt},
        {"a blank new version: only the flag", u"lumen"_s, u"  "_s, true, std::nullopt},
        {"a blank token changes nothing", u" \n"_s, u"3.0"_s, false, std::nullopt},
        {"an unknown token changes nothing", u"lumen-beta"_s, u"3.0"_s, false, std::nullopt},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        std::vector<InstalledAppRecord> expected = apps;
        if (row.changesLumen) {
            expected[0].updateAvailable = false;
            if (row.version) {
                expected[0].installedVersion = *row.version;
                expected[0].latestVersion = *row.version;
            }
        }
        EXPECT_EQ(Reconciler::markCaskUpgraded(apps, row.token, row.newVersion), expected);
    }
}

TEST(HomebrewReconcilerTest, CaskMetadataReachesTheAppsItInstalled)
{
    const QDateTime checkedAt(QDate(2024, 5, 2), QTime(9, 30), Qt::UTC);
    struct Case {
        const char* label;
        QString installedVersion;
        QString latestVersion;
        bool outdated;
        bool updateAvailable;
    };
    const Case cases[] = {
        {"older installed version", u"1.9"_s, u"2.0"_s, true, true},
        {"newer installed version is current", u"2.0"_s, u"1.9"_s, true, false},
        {"same text ignoring case", u"2.0B1"_s, u"2.0b1"_s, true, false},
        {"the same version is current", u"2.0.0"_s, u"2.0"_s, true, false},
        {"a build part on the latest version proves nothing", u"1.2.3"_s, u"1.2.3,456"_s, true, true},
        {"blank installed version", u"  "_s, u"2.0"_s, true, true},
        {"trimmed before comparing", u" 2.0 "_s, u"2.0"_s, true, false},
        {"not outdated means no update", u"1.0"_s, u"2.0"_s, false, false},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        const HomebrewItem lumen = HomebrewItemBuilder(u"lumen"_s)
                                       .cask()
                                       .outdated(row.outdated)
                                       .installedVersion(u"1.0"_s)
                                       .latestVersion(row.latestVersion)
                                       .appArtifacts({u"Lumen.app"_s})
                                       .build();
        const InstalledAppRecord record
            = app(u"Lumen"_s).installedVersion(row.installedVersion).updateAvailable(!row.updateAvailable).build();

        InstalledAppRecord expected = record;
        expected.homebrewCaskToken = u"lumen"_s;
        expected.origin = AppOriginKind::homebrewCask;
        expected.latestVersion = row.latestVersion;
        expected.updateAvailable = row.updateAvailable;
        expected.lastCheckedAt = checkedAt;
        EXPECT_EQ(Reconciler::applyHomebrewMetadata({record}, {lumen}, checkedAt), std::vector{expected});
    }
}

TEST(HomebrewReconcilerTest, AppsWithoutACaskStayAsTheyWereAndTheMakersKeepTheirOrigin)
{
    const QDateTime checkedAt(QDate(2024, 5, 2), QTime(9, 30), Qt::UTC);
    const HomebrewItem lumen = HomebrewItemBuilder(u"lumen"_s).cask().installedVersion(u"1.0"_s).build();
    const InstalledAppRecord own
        = app(u"Lumen"_s).installedVersion(u"1.0"_s).latestVersion(u"1.1"_s).origin(AppOriginKind::quorvane).build();
    const InstalledAppRecord unmatched = app(u"Prism"_s)
                                             .installedVersion(u"1.0"_s)
                                             .lastCheckedAt(QDateTime(QDate(2024, 1, 1), QTime(0, 0), Qt::UTC))
                                             .build();

    InstalledAppRecord ownAfter = own;
    ownAfter.homebrewCaskToken = u"lumen"_s; // matched by name; an empty latest version leaves "1.1"
    ownAfter.lastCheckedAt = checkedAt;
    EXPECT_EQ(Reconciler::applyHomebrewMetadata(
                  {own, unmatched}, {HomebrewItemBuilder(u"prism"_s).build(), lumen}, checkedAt),
        (std::vector{ownAfter, unmatched}));
}

TEST(HomebrewReconcilerTest, TellsWhetherACaskIsOutdated)
{
    const std::vector<HomebrewItem> items{HomebrewItemBuilder(u"Lumen"_s).cask().outdated().build(),
        HomebrewItemBuilder(u"prism"_s).cask().build(), HomebrewItemBuilder(u"wget"_s).outdated().build()};
    struct Case {
        QString token;
        bool outdated;
    };
    const Case cases[] = {
        {u" lumen\n"_s, true},
        {u"LUMEN"_s, true},
        {u"prism"_s, false},
        {u"wget"_s, false},
        {u"  "_s, false},
        {u"quill"_s, false},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.token.toStdString());
        EXPECT_EQ(Reconciler::isCaskOutdated(row.token, items), row.outdated);
    }
}

} // namespace
