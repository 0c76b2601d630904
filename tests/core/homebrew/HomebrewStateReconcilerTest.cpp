#include "core/homebrew/HomebrewStateReconciler.h"

#include "tests/core/homebrew/HomebrewTestItems.h"

#include <gtest/gtest.h>

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
    return InstalledAppRecord(std::nullopt, name, u"com.example."_qs + name, u"/Applications/"_qs + name + u".app"_qs,
                              installedVersion, u"1"_qs, std::nullopt, false, std::nullopt, std::nullopt, std::nullopt,
                              std::move(caskToken), origin, AppArchitecture::appleSilicon, 1024, std::nullopt,
                              std::nullopt);
}

TEST(HomebrewReconcilerTest, AnUpgradeMakesThePackageCurrentAndResorts)
{
    const std::vector<HomebrewItem> items{
        withVersions(formula(u"zsh"_qs, true), u"5.8"_qs, u"5.9"_qs),
        withVersions(cask(u"wget"_qs, true), u"1.0"_qs, u"2.0"_qs),
        withVersions(notInstalled(formula(u"wget"_qs, true)), u"1.20"_qs, u"1.21"_qs),
        withVersions(formula(u"node"_qs, true), u"21"_qs, QString()),
        formula(u"abc"_qs),
    };
    struct Case {
        const char* label;
        QString name;
        bool isCask;
        std::vector<HomebrewItem> expected;
    };
    const Case cases[] = {
        {"the formula of a trimmed name, ignoring case",
         u" WGet\n"_qs,
         false,
         {items[3], items[1], items[0], formula(u"abc"_qs), withVersions(formula(u"wget"_qs), u"1.21"_qs, u"1.21"_qs)}},
        {"the cask of that name only",
         u"wget"_qs,
         true,
         {items[3], items[2], items[0], formula(u"abc"_qs), withVersions(cask(u"wget"_qs), u"2.0"_qs, u"2.0"_qs)}},
        {"no latest version: the installed one stays; same names keep their order",
         u"node"_qs,
         false,
         {items[1], items[2], items[0], formula(u"abc"_qs), withVersions(formula(u"node"_qs), u"21"_qs, QString())}},
        {"a package not in the list changes nothing, not even the order", u"lumen"_qs, false, items},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(Reconciler::applyUpgradeSuccess(items, row.name, row.isCask, english), row.expected);
    }
}

TEST(HomebrewReconcilerTest, UpgradingEverythingKeepsInstalledFlags)
{
    const std::vector<HomebrewItem> items{
        formula(u"zsh"_qs),
        withVersions(notInstalled(cask(u"lumen"_qs, true)), std::nullopt, u"3.0"_qs),
        withVersions(formula(u"node"_qs, true), u"21"_qs, QString()),
        withVersions(formula(u"abc"_qs, true), u"1"_qs, u"2"_qs),
    };
    const std::vector<HomebrewItem> expected{
        withVersions(formula(u"abc"_qs), u"2"_qs, u"2"_qs),
        withVersions(notInstalled(cask(u"lumen"_qs)), u"3.0"_qs, u"3.0"_qs),
        withVersions(formula(u"node"_qs), u"21"_qs, QString()),
        formula(u"zsh"_qs),
    };
    EXPECT_EQ(Reconciler::applyAllUpgraded(items, english), expected);

    // Nothing outdated: nothing changes, not even the order.
    const std::vector<HomebrewItem> current{formula(u"zsh"_qs), formula(u"abc"_qs)};
    EXPECT_EQ(Reconciler::applyAllUpgraded(current, english), current);
}

TEST(HomebrewReconcilerTest, AnInstallUpdatesTheFirstItemOfThePackageOrAddsIt)
{
    HomebrewItem listed = withVersions(notInstalled(cask(u"Lumen"_qs, true)), std::nullopt, QString());
    listed.description = u"Photo editor"_qs;
    listed.appArtifacts = {u"Lumen.app"_qs};
    HomebrewItem reported = withVersions(cask(u"lumen"_qs), u"0.9"_qs, u"3.1"_qs);
    reported.description = u"other text"_qs;

    struct Case {
        const char* label;
        std::vector<HomebrewItem> items;
        HomebrewItem installed;
        std::vector<HomebrewItem> expected;
    };
    HomebrewItem listedAfter = withVersions(cask(u"Lumen"_qs), u"3.1"_qs, u"3.1"_qs);
    listedAfter.description = u"Photo editor"_qs;
    listedAfter.appArtifacts = {u"Lumen.app"_qs};
    const HomebrewItem withOwnLatest = withVersions(notInstalled(cask(u"lumen"_qs)), std::nullopt, u"3.0"_qs);
    const Case cases[] = {
        {"the installed item's version fills an empty latest one; other fields stay",
         {formula(u"zsh"_qs), listed, listed},
         reported,
         {listed, listedAfter, formula(u"zsh"_qs)}},
        {"its own latest version wins",
         {withOwnLatest},
         reported,
         {withVersions(cask(u"lumen"_qs), u"3.0"_qs, u"3.0"_qs)}},
        {"no version anywhere leaves the installed version",
         {withVersions(notInstalled(cask(u"lumen"_qs)), u"1.0"_qs, QString())},
         withVersions(cask(u"lumen"_qs), std::nullopt, QString()),
         {withVersions(cask(u"lumen"_qs), u"1.0"_qs, QString())}},
        {"a formula of the name is another package",
         {formula(u"lumen"_qs), formula(u"abc"_qs, true)},
         withVersions(notInstalled(cask(u"lumen"_qs, true)), std::nullopt, u"3.1"_qs),
         {formula(u"abc"_qs, true), formula(u"lumen"_qs), withVersions(cask(u"lumen"_qs), u"3.1"_qs, u"3.1"_qs)}},
        {"an empty installed version counts as one",
         {},
         withVersions(cask(u"lumen"_qs), QString(), u"3.1"_qs),
         {withVersions(cask(u"lumen"_qs), QString(), u"3.1"_qs)}},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(Reconciler::applyInstallSuccess(row.items, row.installed, english), row.expected);
    }
}

TEST(HomebrewReconcilerTest, AnUninstallRemovesEveryItemOfThePackageOnly)
{
    const std::vector<HomebrewItem> items{formula(u"zsh"_qs, true), cask(u"Lumen"_qs), formula(u"lumen"_qs),
                                          cask(u"lumen"_qs), formula(u"abc"_qs)};
    EXPECT_EQ(Reconciler::applyUninstallSuccess(items, u" LUMEN "_qs, true),
              (std::vector{formula(u"zsh"_qs, true), formula(u"lumen"_qs), formula(u"abc"_qs)}));
    EXPECT_EQ(Reconciler::applyUninstallSuccess(items, u"prism"_qs, false), items);
}

TEST(HomebrewReconcilerTest, SearchResultsTakeTheStateOfTheirInstalledPackage)
{
    HomebrewItem installedWget = withVersions(formula(u"Wget"_qs, true), u"1.0"_qs, u"1.1"_qs);
    installedWget.description = u"Internet file retriever"_qs;
    installedWget.homepage = u"https://www.gnu.org/software/wget/"_qs;
    const std::vector<HomebrewItem> installed{
        withVersions(formula(u"wget"_qs), u"0.9"_qs, u"0.9"_qs), // overridden by the later item of the package
        installedWget,
        withVersions(notInstalled(cask(u"lumen"_qs, true)), u"2.0"_qs, u"3.0"_qs), // not installed: ignored
        withVersions(formula(u"node"_qs), std::nullopt, QString()),
    };

    HomebrewItem wgetResult = withVersions(notInstalled(formula(u"wget"_qs)), std::nullopt, u"1.2"_qs);
    HomebrewItem nodeResult = withVersions(notInstalled(formula(u"node"_qs)), std::nullopt, u"22"_qs);
    nodeResult.description = u"JavaScript runtime"_qs;
    nodeResult.homepage = u"https://nodejs.org/"_qs;
    const HomebrewItem staleLumen = withVersions(cask(u"lumen"_qs, true), u"2.0"_qs, u"3.0"_qs);
    const HomebrewItem wgetCask = withVersions(cask(u"wget"_qs), u"5"_qs, u"5"_qs);

    HomebrewItem wgetSynced = withVersions(formula(u"wget"_qs, true), u"1.0"_qs, u"1.1"_qs);
    wgetSynced.description = u"Internet file retriever"_qs;
    wgetSynced.homepage = u"https://www.gnu.org/software/wget/"_qs;
    HomebrewItem nodeSynced = nodeResult;
    nodeSynced.isInstalled = true;
    const std::vector<HomebrewItem> expected{
        wgetSynced,
        nodeSynced, // an empty latest version and no description take nothing away
        withVersions(notInstalled(cask(u"lumen"_qs)), std::nullopt, u"3.0"_qs),
        withVersions(notInstalled(cask(u"wget"_qs)), std::nullopt, u"5"_qs),
    };
    EXPECT_EQ(Reconciler::syncSearchResults({wgetResult, nodeResult, staleLumen, wgetCask}, installed), expected);
    EXPECT_TRUE(Reconciler::syncSearchResults({}, installed).empty());
}

TEST(HomebrewReconcilerTest, MarkingACaskUpgradedClearsTheUpdatesOfItsApps)
{
    std::vector<InstalledAppRecord> apps{app(u"Lumen"_qs, u"1.0"_qs, u"Lumen"_qs), app(u"Prism"_qs, u"2.0"_qs, u"prism"_qs),
                                         app(u"Other"_qs, u"1.0"_qs)};
    for (InstalledAppRecord& record : apps) {
        record.updateAvailable = true;
        record.latestVersion = u"9.9"_qs;
    }
    struct Case {
        const char* label;
        QString token;
        std::optional<QString> newVersion;
        bool changesLumen;
        std::optional<QString> version;
    };
    const Case cases[] = {
        {"token trimmed and matched ignoring case, new version trimmed", u" lumen\n"_qs, u" 3.0 "_qs, true, u"3.0"_qs},
        {"no new version: only the flag", u"lumen"_qs, std::nullopt, true, std::nullopt},
        {"a blank new version: only the flag", u"lumen"_qs, u"  "_qs, true, std::nullopt},
        {"a blank token changes nothing", u" \n"_qs, u"3.0"_qs, false, std::nullopt},
        {"an unknown token changes nothing", u"lumen-beta"_qs, u"3.0"_qs, false, std::nullopt},
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
        {"older installed version", u"1.9"_qs, u"2.0"_qs, true, true},
        {"newer installed version is current", u"2.0"_qs, u"1.9"_qs, true, false},
        {"same text ignoring case", u"2.0B1"_qs, u"2.0b1"_qs, true, false},
        {"the same version is current", u"2.0.0"_qs, u"2.0"_qs, true, false},
        {"a build part on the latest version proves nothing", u"1.2.3"_qs, u"1.2.3,456"_qs, true, true},
        {"blank installed version", u"  "_qs, u"2.0"_qs, true, true},
        {"trimmed before comparing", u" 2.0 "_qs, u"2.0"_qs, true, false},
        {"not outdated means no update", u"1.0"_qs, u"2.0"_qs, false, false},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        HomebrewItem lumen = withVersions(cask(u"lumen"_qs, row.outdated), u"1.0"_qs, row.latestVersion);
        lumen.appArtifacts = {u"Lumen.app"_qs};
        InstalledAppRecord record = app(u"Lumen"_qs, row.installedVersion);
        record.updateAvailable = !row.updateAvailable;

        InstalledAppRecord expected = record;
        expected.homebrewCaskToken = u"lumen"_qs;
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
    const HomebrewItem lumen = withVersions(cask(u"lumen"_qs), u"1.0"_qs, QString());
    InstalledAppRecord own = app(u"Lumen"_qs, u"1.0"_qs, std::nullopt, AppOriginKind::quorvane);
    own.latestVersion = u"1.1"_qs;
    InstalledAppRecord unmatched = app(u"Prism"_qs, u"1.0"_qs);
    unmatched.lastCheckedAt = QDateTime(QDate(2024, 1, 1), QTime(0, 0), Qt::UTC);

    InstalledAppRecord ownAfter = own;
    ownAfter.homebrewCaskToken = u"lumen"_qs; // matched by name; an empty latest version leaves "1.1"
    ownAfter.lastCheckedAt = checkedAt;
    EXPECT_EQ(Reconciler::applyHomebrewMetadata({own, unmatched}, {formula(u"prism"_qs), lumen}, checkedAt),
              (std::vector{ownAfter, unmatched}));
}

TEST(HomebrewReconcilerTest, TellsWhetherACaskIsOutdated)
{
    const std::vector<HomebrewItem> items{cask(u"Lumen"_qs, true), cask(u"prism"_qs), formula(u"wget"_qs, true)};
    struct Case {
        QString token;
        bool outdated;
    };
    const Case cases[] = {
        {u" lumen\n"_qs, true}, {u"LUMEN"_qs, true}, {u"prism"_qs, false},
        {u"wget"_qs, false},    {u"  "_qs, false},   {u"quill"_qs, false},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.token.toStdString());
        EXPECT_EQ(Reconciler::isCaskOutdated(row.token, items), row.outdated);
    }
}

} // namespace
