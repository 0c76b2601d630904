#include "tests/support/demo/DemoHome.h"
#include "app/viewmodel/StudioDerived.h"
#include "app/viewmodel/UpdateStudioViewModel.h"
#include "core/homebrew/HomebrewSearch.h"
#include "core/homebrew/HomebrewState.h"
#include "core/inventory/FastDirectorySizeReader.h"
#include "core/inventory/InstalledAppScanner.h"
#include "core/leftovers/AppLeftoverScanner.h"
#include "core/records/UpdateConfigStore.h"
#include "kit/foundation/TruneAppLogger.h"
#include "kit/platform/TruneTrash.h"
#include "tests/app/StudioTestHome.h"
#include "tests/support/TestWaits.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QProcess>
#include <QSet>

#include <algorithm>

#include <signal.h>

using namespace Qt::StringLiterals;

namespace {

// The demo home as the studio sees it, with its stand-in brew quick and the only one looked for.
class DemoHomeTest : public ::testing::Test {
protected:
    DemoHomeTest() { HomebrewService::overrideSearchFolders(QStringList{QFileInfo(home.brewExecutable()).path()}); }
    ~DemoHomeTest() override { HomebrewService::overrideSearchFolders(std::nullopt); }

    UpdateStudioEnvironment environment()
    {
        return {
            .searchDirectories = {home.applications()},
            .libraryRoot = home.library(),
            .trashFolder = TruneTrash::filesDirectory(),
            .configFolder = UpdateConfigStore::defaultDirectoryURL(),
            .logger = &logger,
            .now = [] { return QDateTime::currentDateTimeUtc(); },
            .measureSize = [](const QString& path) { return FastDirectorySizeReader::allocatedSize(path, true); },
            .locale = QLocale(QLocale::English, QLocale::UnitedStates),
            .openUrl = [](const QUrl&) { return false; },
        };
    }

    std::vector<HomebrewItem> brewItems() const { return HomebrewService::fetchInstalledAndOutdated().value(); }

    static const HomebrewItem* item(const std::vector<HomebrewItem>& items, const QString& name)
    {
        const auto found = std::ranges::find(items, name, &HomebrewItem::name);
        return found == items.end() ? nullptr : &*found;
    }

    DemoHome home{{.brewLinePause = 0}};
    TruneAppLogger logger{u"TruneUpdate"_s, home.path() + u"/logs"_s, 2 * 1024 * 1024, 5, {}};
};

const InstalledAppRecord* appNamed(const StudioState& state, const QString& name)
{
    const auto found = std::ranges::find(state.installedApps, name, &InstalledAppRecord::name);
    return found == state.installedApps.end() ? nullptr : &*found;
}

TEST_F(DemoHomeTest, TheStudioShowsAppsOfEveryKindTheirUpdatesHomebrewAndTheHistory)
{
    UpdateStudioViewModel model(environment());
    ASSERT_TRUE(waitForFirstRefresh(model));
    const StudioState& state = model.state();

    ASSERT_EQ(state.installedApps.size(), std::size_t(home.appNames().size()));
    QSet<AppOriginKind> origins;
    QSet<AppArchitecture> architectures;
    for (const InstalledAppRecord& app : state.installedApps) {
        origins << app.origin;
        architectures << app.architecture;
    }
    EXPECT_EQ(origins,
        (QSet{AppOriginKind::quorvane, AppOriginKind::homebrewCask, AppOriginKind::appStore, AppOriginKind::sparkle,
            AppOriginKind::direct}));
    EXPECT_EQ(architectures, (QSet{AppArchitecture::appleSilicon, AppArchitecture::intel, AppArchitecture::universal}));
    ASSERT_NE(appNamed(state, u"Firefox"_s), nullptr);
    EXPECT_EQ(appNamed(state, u"Firefox"_s)->homebrewCaskToken, u"firefox"_s);
    EXPECT_GT(appNamed(state, u"Kestrel Notes"_s)->sizeBytes, 2 * 1024 * 1024);

    QStringList outdated;
    for (const InstalledAppRecord& app : StudioDerived::outdatedApps(state))
        outdated << app.name;
    outdated.sort();
    // Orbit Clock's feed answers only after six seconds, and still counts.
    EXPECT_EQ(outdated,
        (QStringList{u"Docker"_s, u"Firefox"_s, u"Kestrel Notes"_s, u"Orbit Clock"_s, u"Pixel Harbor"_s,
            u"Visual Studio Code"_s}));
    EXPECT_EQ(model.outdatedBrewCount(), 6);
    EXPECT_EQ(model.outdatedDependencyBrewCount(), 1);
    EXPECT_EQ(state.history.size(), 7u);
    EXPECT_TRUE(state.config.includeHomebrewFormulaeInBadge);
}

// A check publishes the list in stages (the scan, Homebrew, the feeds; one feed answers only after
// six seconds). In between, the list keeps what it knew: no figure the user sees, and so no "all
// apps are up to date" line, falls below both the truth before the check and the truth after it,
// and an app Homebrew manages never shows as a plain download meanwhile.
TEST_F(DemoHomeTest, ACheckNeverShowsFewerUpdatesThanItFindsOrFoundBefore)
{
    UpdateStudioViewModel model(environment());
    ASSERT_TRUE(waitForFirstRefresh(model));
    struct Figures {
        qsizetype outdatedApps;
        int badge;
        int outdatedBrew;
        std::optional<AppOriginKind> firefoxOrigin;
    };
    const auto figures = [&] {
        const InstalledAppRecord* firefox = appNamed(model.state(), u"Firefox"_s);
        return Figures{qsizetype(StudioDerived::outdatedApps(model.state()).size()), model.menuBarBadgeCount(),
            model.outdatedBrewCount(), firefox ? std::optional(firefox->origin) : std::nullopt};
    };
    const Figures before = figures();
    ASSERT_GT(before.outdatedApps, 0);
    std::vector<Figures> shown;
    QObject::connect(&model, &UpdateStudioViewModel::changed, [&] { shown.push_back(figures()); });

    ASSERT_TRUE(refreshAndWait(model));
    const Figures after = figures();
    ASSERT_GE(shown.size(), 3u) << "the pass published in stages";
    for (const Figures& seen : shown) {
        EXPECT_GE(seen.outdatedApps, std::min(before.outdatedApps, after.outdatedApps));
        EXPECT_GE(seen.badge, std::min(before.badge, after.badge));
        EXPECT_GE(seen.outdatedBrew, std::min(before.outdatedBrew, after.outdatedBrew));
        EXPECT_EQ(seen.firefoxOrigin, AppOriginKind::homebrewCask);
    }
}

TEST_F(DemoHomeTest, TheAppTrashedWhileTheStudioRunsRaisesATrashAlertWithItsLeftovers)
{
    UpdateStudioViewModel model(environment());
    ASSERT_TRUE(waitForFirstRefresh(model));
    ASSERT_TRUE(home.trashLateApp());

    ASSERT_TRUE(waitUntil([&] { return !model.state().trashAlerts.empty(); }));
    const TrashLeftoverAlert& alert = model.state().trashAlerts.front();
    EXPECT_EQ(alert.appName(), QString::fromLatin1(DemoHome::lateTrashedAppName));
    QSet<LeftoverCategory> categories;
    for (const LeftoverFileItem& leftover : alert.leftovers())
        categories << leftover.category;
    EXPECT_EQ(categories,
        (QSet{LeftoverCategory::appSupport, LeftoverCategory::caches, LeftoverCategory::preferences,
            LeftoverCategory::containers, LeftoverCategory::launchAgents, LeftoverCategory::savedState}));
    EXPECT_FALSE(home.trashLateApp()) << "it is in the Trash already";
}

TEST_F(DemoHomeTest, TheStandInBrewChangesItsPackagesAsHomebrewWould)
{
    ASSERT_TRUE(HomebrewService::upgrade(u"node"_s, {}).has_value());
    ASSERT_TRUE(HomebrewService::upgrade(u"firefox"_s, {.isCask = true}).has_value());
    std::vector<HomebrewItem> items = brewItems();
    EXPECT_FALSE(item(items, u"node"_s)->isOutdated);
    EXPECT_EQ(item(items, u"node"_s)->installedVersion, u"22.1.0"_s);
    EXPECT_TRUE(item(items, u"python@3.12"_s)->isOutdated);
    EXPECT_FALSE(item(items, u"firefox"_s)->isOutdated);
    const std::vector<InstalledAppRecord> apps
        = InstalledAppScanner::scanInstalledApps({home.applications()}, false, 4);
    const auto firefox = std::ranges::find(apps, u"Firefox"_s, &InstalledAppRecord::name);
    ASSERT_NE(firefox, apps.end());
    EXPECT_EQ(firefox->installedVersion, u"125.0.3"_s) << "the cask upgraded its app";

    const std::vector<HomebrewItem> found = HomebrewService::search(u"mosaic"_s, items).value();
    ASSERT_EQ(found.size(), 1u);
    EXPECT_TRUE(found.front().isCask);
    ASSERT_TRUE(HomebrewService::install(u"mosaic-viewer"_s, true).has_value());
    ASSERT_TRUE(HomebrewService::uninstall(u"wget"_s, false).has_value());
    items = brewItems();
    EXPECT_NE(item(items, u"mosaic-viewer"_s), nullptr);
    EXPECT_EQ(item(items, u"wget"_s), nullptr);

    ASSERT_TRUE(HomebrewService::upgradeAll(true).has_value());
    items = brewItems();
    EXPECT_TRUE(std::ranges::none_of(items, &HomebrewItem::isOutdated));
    EXPECT_EQ(item(items, u"postgresql@14"_s)->installedVersion, u"14.10_1"_s) << "pinned: left as it is";
    EXPECT_TRUE(item(items, u"openssl@3"_s)->isDependencyOnly()) << "still there only as a dependency";
    EXPECT_EQ(item(items, u"openssl@3"_s)->installedVersion, u"3.3.1"_s);
}

// Both of brew's answers agree on what is installed: brew info alone knows every outdated cask.
TEST_F(DemoHomeTest, TheStandInBrewInfoKnowsEveryOutdatedCaskAsInstalled)
{
    QProcess brew;
    brew.start(home.brewExecutable(), {u"info"_s, u"--json=v2"_s, u"--installed"_s});
    ASSERT_TRUE(brew.waitForFinished(10000));
    const auto installed = HomebrewService::parseInstalledInfoJSON(brew.readAllStandardOutput());
    ASSERT_TRUE(installed.has_value());
    const HomebrewItem* docker = item(installed->casks, u"docker"_s);
    ASSERT_NE(docker, nullptr);
    EXPECT_TRUE(docker->isInstalled);
    EXPECT_EQ(docker->installedVersion, u"4.28.0,139021"_s);
}

TEST_F(DemoHomeTest, TheStandInBrewRefusesWhatHomebrewWouldRefuse)
{
    struct Case {
        QStringList arguments;
    };
    const std::vector<Case> cases{{{u"upgrade"_s, u"no-such-package"_s}}, {{u"install"_s, u"../state/x"_s}},
        {{u"uninstall"_s, u"--cask"_s, u"wget"_s}}, {{u"search"_s, u"--cask"_s, u"zzz-nothing"_s}},
        {{u"frobnicate"_s}}};
    for (const Case& refused : cases) {
        QProcess brew;
        brew.start(home.brewExecutable(), refused.arguments);
        ASSERT_TRUE(brew.waitForFinished(10000));
        EXPECT_NE(brew.exitCode(), 0) << refused.arguments.join(u' ').toStdString();
        EXPECT_TRUE(brew.readAllStandardError().startsWith("Error: ")) << refused.arguments.join(u' ').toStdString();
    }
    EXPECT_EQ(brewItems().size(), 11u) << "nothing changed";
}

TEST_F(DemoHomeTest, TheSampleIconDecodes)
{
    QImageReader icon(home.applications() + u"/Kestrel Notes.app/Contents/Resources/AppIcon.icns"_s);
    const QImage image = icon.read();
    ASSERT_FALSE(image.isNull()) << icon.errorString().toStdString();
    EXPECT_EQ(image.size(), QSize(128, 128));
}

TEST(DemoHomeLauncher, RunsTheProgramOnTheHomeAndRemovesTheHomeAfterwards)
{
    QProcess launcher;
    launcher.start(QStringLiteral(TRUNE_DEMO_HOME_PROGRAM),
        {u"--trash-after"_s, u"0"_s, u"/bin/sh"_s, u"-c"_s,
            u"printf '%s\\n' \"$HOME\" \"$(command -v brew)\" \"$XDG_DATA_HOME\"; ls \"$HOME/Applications\"; exit 3"_s});
    ASSERT_TRUE(launcher.waitForFinished(30000));
    EXPECT_EQ(launcher.exitCode(), 3) << "the program's exit status is the demo's";
    const QStringList lines = QString::fromUtf8(launcher.readAllStandardOutput()).split(u'\n');
    ASSERT_GE(lines.size(), 5);
    const QString demoHome = lines[1];
    EXPECT_TRUE(lines[0].contains(demoHome)) << "the banner names the home";
    EXPECT_EQ(lines[2], demoHome + u"/.linuxbrew/bin/brew"_s);
    EXPECT_EQ(lines[3], demoHome + u"/.local/share"_s);
    EXPECT_TRUE(lines.contains(u"Kestrel Notes.app"_s));
    EXPECT_FALSE(QFileInfo::exists(demoHome)) << "the home is removed";
}

TEST(DemoHomeLauncher, EndsWhatTheProgramLeftRunningBeforeTheHomeIsRemoved)
{
    // The program ends while a process it started still runs (as a brew command may).
    QProcess launcher;
    launcher.start(QStringLiteral(TRUNE_DEMO_HOME_PROGRAM),
        {u"--trash-after"_s, u"0"_s, u"/bin/sh"_s, u"-c"_s, u"sleep 300 </dev/null >/dev/null 2>&1 & echo $!"_s});
    ASSERT_TRUE(launcher.waitForFinished(30000));
    const QStringList lines = QString::fromUtf8(launcher.readAllStandardOutput()).split(u'\n');
    ASSERT_GE(lines.size(), 2);
    bool ok = false;
    const pid_t leftBehind = lines[1].toInt(&ok);
    ASSERT_TRUE(ok) << lines[1].toStdString();
    const bool stillRunning = ::kill(leftBehind, 0) == 0;
    if (stillRunning)
        ::kill(leftBehind, SIGKILL);
    EXPECT_FALSE(stillRunning) << "the process the program left behind outlived the demo";
}

TEST(DemoHomeLauncher, RefusesAMissingProgram)
{
    QProcess launcher;
    launcher.start(QStringLiteral(TRUNE_DEMO_HOME_PROGRAM), {u"--trash-after"_s});
    ASSERT_TRUE(launcher.waitForFinished(30000));
    EXPECT_EQ(launcher.exitCode(), 2);
    EXPECT_TRUE(launcher.readAllStandardError().startsWith("usage: "));
}

} // namespace
