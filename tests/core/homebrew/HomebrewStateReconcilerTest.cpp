#include "core/homebrew/HomebrewStateReconciler.h"

#include "tests/core/homebrew/HomebrewTestItems.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

using namespace HomebrewTestItems;
namespace Reconciler = HomebrewStateReconciler;

const QLocale english(QLocale::English, QLocale::UnitedStates);

HomebrewItem notInstalled(HomebrewItem item)
{
    item.isInstalled = false;
    return item;
}

InstalledAppRecord app(const QString& name, const QString& installedVersion,
                       std::optional<QString> caskToken = std::nullopt, AppOriginKind origin = AppOriginKind::direct)
{
    return InstalledAppRecord(std::nullopt, name, u"com.example."_s + name, u"/Applications/"_s + name + u".app"_s,
                              installedVersion, u"1"_s, std::nullopt, false, std::nullopt, std::nullopt, std::nullopt,
                              std::move(caskToken), origin, AppArchitecture::appleSilicon, 1024, std::nullopt,
                              std::nullopt);
}

TEST(HomebrewReconcilerTest, AnUpgradeMakesThePackageCurrentAndResorts)
{
    const std::vector<HomebrewItem> items{
        withVersions(formula(u"zsh"_s, true), u"5.8"_s, u"5.9"_s),
        withVersions(cask(u"wget"_s, true), u"1.0"_s, u"2.0"_s),
        withVersions(notInstalled(formula(u"wget"_s, true)), u"1.20"_s, u"1.21"_s),
        withVersions(formula(u"node"_s, true), u"21"_s, QString()),
        formula(u"abc"_s),
    };
    struct Case {
        const char* label;
        QString name;
        bool isCask;
        std::vector<HomebrewItem> expected;
    };
    const Case cases[] = {
        {"the formula of a trimmed name, ignoring case",
         u" WGet\n"_s,
         false,
         {items[3], items[1], items[0], formula(u"abc"_s), withVersions(formula(u"wget"_s), u"1.21"_s, u"1.21"_s)}},
        {"the cask of that name only",
         u"wget"_s,
         true,
         {items[3], items[2], items[0], formula(u"abc"_s), withVersions(cask(u"wget"_s), u"2.0"_s, u"2.0"_s)}},
        {"no latest version: the installed one stays; same names keep their order",
         u"node"_s,
         false,
         {items[1], items[2], items[0], formula(u"abc"_s), withVersions(formula(u"node"_s), u"21"_s, QString())}},
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
        formula(u"zsh"_s),
        withVersions(notInstalled(cask(u"lumen"_s, true)), std::nullopt, u"3.0"_s),
        withVersions(formula(u"node"_s, true), u"21"_s, QString()),
        withVersions(formula(u"abc"_s, true), u"1"_s, u"2"_s),
    };
    const std::vector<HomebrewItem> expected{
        withVersions(formula(u"abc"_s), u"2"_s, u"2"_s),
        withVersions(notInstalled(cask(u"lumen"_s)), u"3.0"_s, u"3.0"_s),
        withVersions(formula(u"node"_s), u"21"_s, QString()),
        formula(u"zsh"_s),
    };
    EXPECT_EQ(Reconciler::applyAllUpgraded(items, english), expected);

    // Nothing outdated: nothing changes, not even the order.
    const std::vector<HomebrewItem> current{formula(u"zsh"_s), formula(u"abc"_s)};
    EXPECT_EQ(Reconciler::applyAllUpgraded(current, english), current);
}

TEST(HomebrewReconcilerTest, AnInstallUpdatesTheFirstItemOfThePackageOrAddsIt)
{
    HomebrewItem listed = withVersions(notInstalled(cask(u"Lumen"_s, true)), std::nullopt, QString());
    listed.description = u"Photo editor"_s;
    listed.appArtifacts = {u"Lumen.app"_s};
    HomebrewItem reported = withVersions(cask(u"lumen"_s), u"0.9"_s, u"3.1"_s);
    reported.description = u"other text"_s;

    struct Case {
        const char* label;
        std::vector<HomebrewItem> items;
        HomebrewItem installed;
        std::vector<HomebrewItem> expected;
    };
    HomebrewItem listedAfter = withVersions(cask(u"Lumen"_s), u"3.1"_s, u"3.1"_s);
    listedAfter.description = u"Photo editor"_s;
    listedAfter.appArtifacts = {u"Lumen.app"_s};
    const HomebrewItem withOwnLatest = withVersions(notInstalled(cask(u"lumen"_s)), std::nullopt, u"3.0"_s);
    const Case cases[] = {
        {"the installed item's version fills an empty latest one; other fields stay",
         {formula(u"zsh"_s), listed, listed},
         reported,
         {listed, listedAfter, formula(u"zsh"_s)}},
        {"its own latest version wins",
         {withOwnLatest},
         reported,
         {withVersions(cask(u"lumen"_s), u"3.0"_s, u"3.0"_s)}},
        {"no version anywhere leaves the installed version",
         {withVersions(notInstalled(cask(u"lumen"_s)), u"1.0"_s, QString())},
         withVersions(cask(u"lumen"_s), std::nullopt, QString()),
         {withVersions(cask(u"lumen"_s), u"1.0"_s, QString())}},
        {"a formula of the name is another package",
         {formula(u"lumen"_s), formula(u"abc"_s, true)},
         withVersions(notInstalled(cask(u"lumen"_s, true)), std::nullopt, u"3.1"_s),
         {formula(u"abc"_s, true), formula(u"lumen"_s), withVersions(cask(u"lumen"_s), u"3.1"_s, u"3.1"_s)}},
        {"an empty installed version counts as one",
         {},
         withVersions(cask(u"lumen"_s), QString(), u"3.1"_s),
         {withVersions(cask(u"lumen"_s), QString(), u"3.1"_s)}},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(Reconciler::applyInstallSuccess(row.items, row.installed, english), row.expected);
    }
}

TEST(HomebrewReconcilerTest, AnUninstallRemovesEveryItemOfThePackageOnly)
{
    const std::vector<HomebrewItem> items{formula(u"zsh"_s, true), cask(u"Lumen"_s), formula(u"lumen"_s),
                                          cask(u"lumen"_s), formula(u"abc"_s)};
    EXPECT_EQ(Reconciler::applyUninstallSuccess(items, u" LUMEN "_s, true),
              (std::vector{formula(u"zsh"_s, true), formula(u"lumen"_s), formula(u"abc"_s)}));
    EXPECT_EQ(Reconciler::applyUninstallSuccess(items, u"prism"_s, false), items);
}

TEST(HomebrewReconcilerTest, SearchResultsTakeTheStateOfTheirInstalledPackage)
{
    HomebrewItem installedWget = withVersions(formula(u"Wget"_s, true), u"1.0"_s, u"1.1"_s);
    installedWget.description = u"Internet file retriever"_s;
    installedWget.homepage = u"https://www.gnu.org/software/wget/"_s;
    const std::vector<HomebrewItem> installed{
        withVersions(formula(u"wget"_s), u"0.9"_s, u"0.9"_s), // overridden by the later item of the package
        installedWget,
        withVersions(notInstalled(cask(u"lumen"_s, true)), u"2.0"_s, u"3.0"_s), // not installed: ignored
        withVersions(formula(u"node"_s), std::nullopt, QString()),
    };

    HomebrewItem wgetResult = withVersions(notInstalled(formula(u"wget"_s)), std::nullopt, u"1.2"_s);
    HomebrewItem nodeResult = withVersions(notInstalled(formula(u"node"_s)), std::nullopt, u"22"_s);
    nodeResult.description = u"JavaScript runtime"_s;
    nodeResult.homepage = u"https://nodejs.org/"_s;
    const HomebrewItem staleLumen = withVersions(cask(u"lumen"_s, true), u"2.0"_s, u"3.0"_s);
    const HomebrewItem wgetCask = withVersions(cask(u"wget"_s), u"5"_s, u"5"_s);

    HomebrewItem wgetSynced = withVersions(formula(u"wget"_s, true), u"1.0"_s, u"1.1"_s);
    wgetSynced.description = u"Internet file retriever"_s;
    wgetSynced.homepage = u"https://www.gnu.org/software/wget/"_s;
    HomebrewItem nodeSynced = nodeResult;
    nodeSynced.isInstalled = true;
    const std::vector<HomebrewItem> expected{
        wgetSynced,
        nodeSynced, // an empty latest version and no description take nothing away
        withVersions(notInstalled(cask(u"lumen"_s)), std::nullopt, u"3.0"_s),
        withVersions(notInstalled(cask(u"wget"_s)), std::nullopt, u"5"_s),
    };
    EXPECT_EQ(Reconciler::syncSearchResults({wgetResult, nodeResult, staleLumen, wgetCask}, installed), expected);
    EXPECT_TRUE(Reconciler::syncSearchResults({}, installed).empty());
}

TEST(HomebrewReconcilerTest, MarkingACaskUpgradedClearsTheUpdatesOfItsApps)
{
    std::vector<InstalledAppRecord> apps{app(u"Lumen"_s, u"1.0"_s, u"Lumen"_s), app(u"Prism"_s, u"2.0"_s, u"prism"_s),
                                         app(u"Other"_s, u"1.0"_s)};
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
        HomebrewItem lumen = withVersions(cask(u"lumen"_s, row.outdated), u"1.0"_s, row.latestVersion);
        lumen.appArtifacts = {u"Lumen.app"_s};
        InstalledAppRecord record = app(u"Lumen"_s, row.installedVersion);
        record.updateAvailable = !row.updateAvailable;

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
    const HomebrewItem lumen = withVersions(cask(u"lumen"_s), u"1.0"_s, QString());
    InstalledAppRecord own = app(u"Lumen"_s, u"1.0"_s, std::nullopt, AppOriginKind::quorvane);
    own.latestVersion = u"1.1"_s;
    InstalledAppRecord unmatched = app(u"Prism"_s, u"1.0"_s);
    unmatched.lastCheckedAt = QDateTime(QDate(2024, 1, 1), QTime(0, 0), Qt::UTC);

    InstalledAppRecord ownAfter = own;
    ownAfter.homebrewCaskToken = u"lumen"_s; // matched by name; an empty latest version leaves "1.1"
    ownAfter.lastCheckedAt = checkedAt;
    EXPECT_EQ(Reconciler::applyHomebrewMetadata({own, unmatched}, {formula(u"prism"_s), lumen}, checkedAt),
              (std::vector{ownAfter, unmatched}));
}

TEST(HomebrewReconcilerTest, TellsWhetherACaskIsOutdated)
{
    const std::vector<HomebrewItem> items{cask(u"Lumen"_s, true), cask(u"prism"_s), formula(u"wget"_s, true)};
    struct Case {
        QString token;
        bool outdated;
    };
    const Case cases[] = {
        {u" lumen\n"_s, true}, {u"LUMEN"_s, true}, {u"prism"_s, false},
        {u"wget"_s, false},    {u"  "_s, false},   {u"quill"_s, false},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.token.toStdString());
        EXPECT_EQ(Reconciler::isCaskOutdated(row.token, items), row.outdated);
    }
}

} // namespace
