#include "app/viewmodel/StudioThreadPools.h"
#include "app/viewmodel/UpdateStudioViewModel.h"

#include "kit/foundation/TruneLaunchAtLogin.h"
#include "kit/platform/TruneTrash.h"
#include "tests/app/StudioTestAccess.h"
#include "tests/app/StudioTestHome.h"
#include "tests/app/ToastLog.h"
#include "tests/core/homebrew/InstalledFakeBrew.h"
#include "tests/support/BundleMaker.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/TestWaits.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFileInfo>
#include <QTimeZone>
#include <QTimer>

#include <limits>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

QByteArray appcast(const QString& version)
{
    return u"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<rss version=\"2.0\" xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\"><channel>"
           "<item><title>Version %1</title>"
           "<enclosure url=\"https://downloads.example/%1.zip\" sparkle:version=\"%1\" "
           "sparkle:shortVersionString=\"%1\" length=\"1\" type=\"application/octet-stream\"/>"
           "</item></channel></rss>\n"_s.arg(version)
               .toUtf8();
}

class SettingsAndHooksTest : public ::testing::Test {
protected:
    QString makeApp(const QString& name, const std::optional<QString>& feed = std::nullopt)
    {
        QVariantMap info{{u"CFBundleIdentifier"_s, u"com.example."_s + name.toLower()}, {u"CFBundleName"_s, name},
            {u"CFBundleShortVersionString"_s, u"1.0"_s}, {u"CFBundleVersion"_s, u"1.0"_s}};
        if (feed)
            info.insert(u"SUFeedURL"_s, *feed);
        return BundleMaker::makeAppBundle(
            home.applications() + u"/"_s + name + u".app"_s, {.info = info, .executableName = name});
    }

    // An app of `name` with a leftover, moved to the Trash as the user would.
    void trashAppWithLeftover(const QString& name)
    {
        BundleMaker::writeFile(
            home.home.filePath(u"Library/Caches/com.example."_s + name.toLower() + u"/c"_s), "cache");
        ASSERT_TRUE(TruneTrash::trashItem(makeApp(name)).has_value());
    }

    std::unique_ptr<UpdateStudioViewModel> makeModel()
    {
        UpdateStudioEnvironment environment = home.environment();
        environment.now = [clock = clock] { return *clock; };
        auto model = std::make_unique<UpdateStudioViewModel>(std::move(environment));
        toasts.follow(*model);
        EXPECT_TRUE(waitForFirstRefresh(*model));
        return model;
    }

    // A model after its first check, which found the one app's feed offering a newer version.
    std::unique_ptr<UpdateStudioViewModel> makeModelWithAnOutdatedApp(LoopbackHttpServer& server)
    {
        server.setResponse(u"/feedy.xml"_s, LoopbackHttpServer::Response::ok(appcast(u"2.0"_s)));
        makeApp(u"Feedy"_s, server.url(u"/feedy.xml"_s));
        auto model = makeModel();
        EXPECT_EQ(model->menuBarBadgeCount(), 1);
        return model;
    }

    bool listed(const UpdateStudioViewModel& model, const QString& name) const
    {
        return std::ranges::any_of(
            model.state().installedApps, [&](const InstalledAppRecord& app) { return app.name == name; });
    }

    // Sets the clock `seconds` after the last check and reports the application active again;
    // whether that started a refresh (which is then waited for).
    bool activateAfter(UpdateStudioViewModel& model, qint64 seconds)
    {
        *clock = model.state().lastCheckDate->addSecs(seconds);
        model.handleAppDidBecomeActive();
        const bool refreshed = model.state().isCheckingUpdates;
        EXPECT_TRUE(waitUntil([&] { return !model.state().isCheckingUpdates; }));
        return refreshed;
    }

    NoBrewAnywhere noBrew;
    StudioTestHome home;
    ToastLog toasts; // of every model makeModel() made
    std::shared_ptr<QDateTime> clock
        = std::make_shared<QDateTime>(QDateTime::fromSecsSinceEpoch(1'900'000'000, QTimeZone::utc()));
};

TEST_F(SettingsAndHooksTest, ASettingsChangeIsSavedAndReschedulesTheTimer)
{
    auto model = makeModel();
    const QTimer& timer = model->autoCheckTimer();
    EXPECT_TRUE(timer.isActive());
    EXPECT_EQ(timer.intervalAsDuration(), std::chrono::hours(6));

    const struct {
        qint64 hours;
        std::optional<std::chrono::milliseconds> interval;
    } cases[] = {
        {1, std::chrono::hours(1)},
        {0, std::nullopt},
        {-3, std::nullopt},
        {1194, std::chrono::milliseconds(std::numeric_limits<int>::max())},
        {24, std::chrono::hours(24)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hours);
        model->updateConfig([&](TruneUpdateConfig& config) { config.autoCheckIntervalHours = c.hours; });
        EXPECT_EQ(model->state().config.autoCheckIntervalHours, c.hours);
        StudioThreadPools::records().waitForDone();
        EXPECT_EQ(UpdateConfigStore(home.configFolder(), 500).loadConfig(), model->state().config);
        EXPECT_EQ(timer.isActive(), c.interval.has_value());
        if (c.interval) {
            EXPECT_EQ(timer.intervalAsDuration(), *c.interval);
        }
    }
}

TEST_F(SettingsAndHooksTest, TheTrashSettingStopsTheWatcherAndARestartOnlyReportsLaterArrivals)
{
    auto model = makeModel();
    const StudioState& state = model->state();

    model->updateConfig([](TruneUpdateConfig& config) { config.watchTrashForLeftovers = false; });
    trashAppWithLeftover(u"Early"_s);
    ASSERT_TRUE(waitForStudioWork());
    EXPECT_TRUE(state.trashAlerts.empty());

    model->updateConfig([](TruneUpdateConfig& config) { config.watchTrashForLeftovers = true; });
    trashAppWithLeftover(u"Late"_s);
    // Had the stopped watcher seen Early, its alert would have come first.
    ASSERT_TRUE(waitUntil([&] { return !state.trashAlerts.empty(); }));
    ASSERT_TRUE(waitForStudioWork());
    ASSERT_EQ(state.trashAlerts.size(), 1u);
    EXPECT_EQ(state.trashAlerts.front().appName(), u"Late"_s);
}

TEST_F(SettingsAndHooksTest, AChangeInApplicationsRefreshesAfterItSettlesUnlessBrewRuns)
{
    BundleMaker::makeFolder(home.applications());
    auto model = makeModel();
    QElapsedTimer sinceChange;
    sinceChange.start();
    makeApp(u"Fresh"_s);
    ASSERT_TRUE(waitUntil([&] { return listed(*model, u"Fresh"_s); }));
    EXPECT_GE(sinceChange.elapsed(), 1500);
    ASSERT_TRUE(waitUntil([&] { return !model->state().isCheckingUpdates; }));

    // During a Homebrew command a settled change is dropped, and not replayed when the command ends.
    StudioTestAccess::setBrewCommandRunning(*model, true);
    StudioTestAccess::reportApplicationsChanged(*model);
    EXPECT_FALSE(model->state().isCheckingUpdates);
    StudioTestAccess::setBrewCommandRunning(*model, false);
    settle();
    EXPECT_FALSE(model->state().isCheckingUpdates);
}

TEST_F(SettingsAndHooksTest, ReactivationWithNothingOutdatedRefreshesOnlyInsideTheWatchWindow)
{
    auto model = makeModel();
    EXPECT_FALSE(activateAfter(*model, 3600));

    model->watchForExternalUpdate(); // open for 600 s from the clock's now
    EXPECT_FALSE(activateAfter(*model, 4));
    EXPECT_TRUE(activateAfter(*model, 5));
    // That refresh found every app current: the window is closed.
    EXPECT_FALSE(activateAfter(*model, 10));

    // Nothing happens while a Homebrew command runs, even inside the window.
    model->watchForExternalUpdate();
    StudioTestAccess::setBrewCommandRunning(*model, true);
    EXPECT_FALSE(activateAfter(*model, 60));
    StudioTestAccess::setBrewCommandRunning(*model, false);
    EXPECT_TRUE(activateAfter(*model, 60));
}

TEST_F(SettingsAndHooksTest, ReactivationWithAnOutdatedAppRefreshesAfterThirtySecondsAndKeepsTheWindow)
{
    LoopbackHttpServer server;
    auto model = makeModelWithAnOutdatedApp(server);

    EXPECT_FALSE(activateAfter(*model, 29));
    EXPECT_TRUE(activateAfter(*model, 30));

    model->watchForExternalUpdate();
    EXPECT_TRUE(activateAfter(*model, 5));
    // Still outdated: the window stays open, so 5 s are enough again.
    EXPECT_TRUE(activateAfter(*model, 5));
    // Once it has passed, the 30 s rule applies again: a check 10 s before its end, then an
    // activation 5 s after its end.
    *clock = model->state().lastCheckDate->addSecs(580);
    ASSERT_TRUE(refreshAndWait(*model));
    EXPECT_FALSE(activateAfter(*model, 15));
    EXPECT_TRUE(activateAfter(*model, 30));
}

// The window becomes active while the first check of a start runs: that check answers, no second
// one follows it.
TEST_F(SettingsAndHooksTest, ReactivationDuringACheckAsksForNoSecondOne)
{
    LoopbackHttpServer server;
    auto model = makeModelWithAnOutdatedApp(server);
    const size_t asked = server.requests(u"/feedy.xml"_s).size();

    *clock = model->state().lastCheckDate->addSecs(3600);
    bool done = false;
    model->refreshAllAndCheckUpdates([&] { done = true; });
    model->handleAppDidBecomeActive();
    ASSERT_TRUE(waitUntil([&] { return done; }));
    ASSERT_TRUE(waitForStudioWork());
    EXPECT_EQ(server.requests(u"/feedy.xml"_s).size(), asked + 1);
}

TEST_F(SettingsAndHooksTest, ClearingTheHistoryEmptiesTheFileAndSaysSo)
{
    UpdateConfigStore store(home.configFolder(), 500);
    store.appendHistory(UpdateLogEntry(QUuid::createUuid(), *clock, u"Lumen"_s, UpdateLogAction::leftoverTrash,
        u"1.0"_s, std::nullopt, UpdateLogStatus::success, u"Moved 1 item(s) to Trash (4.1 KB)"_s));
    auto model = makeModel();
    ASSERT_EQ(model->state().history.size(), 1u);

    model->clearHistory();
    EXPECT_TRUE(model->state().history.empty());
    StudioThreadPools::records().waitForDone();
    EXPECT_TRUE(store.loadHistory().empty());
    EXPECT_TRUE(QFileInfo::exists(store.historyURL()));
    EXPECT_EQ(toasts.lastMessage(), u"Update history cleared."_s);
    EXPECT_FALSE(toasts.lastIsError());
}

TEST_F(SettingsAndHooksTest, TheLoginItemFollowsTheAutostartEntryAndARefusalSnapsBack)
{
    auto model = makeModel();
    const QString entry = home.home.configHome() + u"/autostart/com.quorvane.truneupdate.desktop"_s;
    const StudioState& state = model->state();

    model->toggleLaunchAtLogin(true);
    EXPECT_TRUE(QFileInfo(entry).isFile());
    EXPECT_TRUE(state.launchAtLogin);
    EXPECT_TRUE(toasts.shown().empty());

    model->toggleLaunchAtLogin(false);
    EXPECT_FALSE(QFileInfo::exists(entry));
    EXPECT_FALSE(state.launchAtLogin);

    // A file where the autostart folder belongs: the desktop cannot take the entry.
    QDir(home.home.configHome()).rmdir(u"autostart"_s);
    BundleMaker::writeFile(home.home.configHome() + u"/autostart"_s, "not a folder");
    model->toggleLaunchAtLogin(true);
    EXPECT_FALSE(state.launchAtLogin);
    EXPECT_EQ(toasts.lastMessage(), u"Could not update Login Item registration."_s);
    EXPECT_TRUE(toasts.lastIsError());
}

} // namespace
