#include "app/viewmodel/UpdateStudioViewModel.h"

#include "app/viewmodel/StudioThreadPools.h"
#include "kit/platform/TruneNotifier.h"
#include "tests/app/BrewDeskFixture.h"
#include "tests/app/StudioTestAccess.h"
#include "tests/app/StudioTestHome.h"
#include "tests/core/homebrew/InstalledFakeBrew.h"
#include "tests/support/RecordBuilders.h"
#include "tests/support/TestWaits.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QFile>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTimeZone>
#include <QTimer>

#include <functional>
#include <memory>
#include <utility>

using namespace Qt::StringLiterals;

namespace {

class UpdateStudioViewModelTest : public ::testing::Test {
protected:
    UpdateLogEntry historyEntry(const QString& appName, qint64 secondsSinceEpoch) const
    {
        return UpdateLogEntry(QUuid::createUuid(), QDateTime::fromSecsSinceEpoch(secondsSinceEpoch, QTimeZone::utc()),
            appName, UpdateLogAction::brewUpgrade, std::nullopt, std::nullopt, UpdateLogStatus::success, {});
    }

    StudioTestHome home;
};

// Holds the records pool, which reads and writes the stored files one task at a time, until
// released: what a view model asks of it meanwhile waits behind the hold.
class RecordsPoolHold final {
public:
    RecordsPoolHold()
    {
        StudioThreadPools::records().start([gate = m_gate] { gate->acquire(); });
    }
    ~RecordsPoolHold() { release(); }
    RecordsPoolHold(const RecordsPoolHold&) = delete;
    RecordsPoolHold& operator=(const RecordsPoolHold&) = delete;

    void release()
    {
        if (std::exchange(m_held, false))
            m_gate->release();
    }

private:
    std::shared_ptr<QSemaphore> m_gate = std::make_shared<QSemaphore>();
    bool m_held = true;
};

TEST_F(UpdateStudioViewModelTest, StartsFromTheDefaultsAndLogsWhatItFound)
{
    const NoBrewAnywhere noBrew;
    UpdateStudioViewModel model(home.environment());

    // Literal values, not the state record's own defaults, so that a wrong default shows.
    const StudioState& state = model.state();
    EXPECT_EQ(state.selectedTab, UpdateStudioTab::updates);
    EXPECT_EQ(state.selectedFilter, AppFilterKind::all);
    EXPECT_EQ(state.appSearchQuery, QString());
    EXPECT_EQ(state.homebrewSubTab, HomebrewSubTab::casks);
    EXPECT_EQ(state.homebrewFilterQuery, QString());
    EXPECT_FALSE(state.showBrewDependencies);
    EXPECT_TRUE(state.installedApps.empty());
    EXPECT_FALSE(state.isScanningApps);
    EXPECT_FALSE(state.isCheckingUpdates);
    EXPECT_EQ(state.lastCheckDate, std::nullopt);
    EXPECT_EQ(state.brewExecutablePath, std::nullopt);
    EXPECT_TRUE(state.homebrewItems.empty());
    EXPECT_EQ(state.brewSearchQuery, QString());
    EXPECT_TRUE(state.brewSearchResults.empty());
    EXPECT_FALSE(state.isSearchingBrew);
    EXPECT_FALSE(state.isBrewCommandRunning);
    EXPECT_EQ(state.activeBrewCommandTitle, QString());
    EXPECT_EQ(state.batchUpgradeProgress, std::nullopt);
    EXPECT_EQ(state.brewConsoleLog, QString());
    EXPECT_FALSE(state.showBrewConsole);
    EXPECT_EQ(state.uninstallerTargetApp, std::nullopt);
    EXPECT_TRUE(state.leftoverItems.empty());
    EXPECT_FALSE(state.isScanningLeftovers);
    EXPECT_TRUE(state.includeAppBundleInTrash);
    EXPECT_EQ(state.uninstallerSearchQuery, QString());
    EXPECT_EQ(state.uninstallerSortOrder, UninstallerAppSortOrder::sizeDescending);
    EXPECT_EQ(state.leftoverSortOrder, LeftoverSortOrder::category);
    EXPECT_TRUE(state.trashAlerts.empty());
    EXPECT_FALSE(state.accessibilityGranted);
    EXPECT_FALSE(state.screenRecordingGranted);
    EXPECT_TRUE(state.config.ignoredBundleIDs.isEmpty());
    EXPECT_EQ(state.config.autoCheckIntervalHours, 6);
    EXPECT_TRUE(state.config.watchTrashForLeftovers);
    EXPECT_FALSE(state.config.includePrereleases);
    EXPECT_FALSE(state.config.autoCleanupAfterBrewUpgrade);
    EXPECT_FALSE(state.config.includeHomebrewFormulaeInBadge);
    EXPECT_TRUE(state.history.empty());
    EXPECT_EQ(state.language, TruneLanguage::current());
    ASSERT_TRUE(waitUntil([&] { return model.hasLoadedStoredFiles(); }));
    EXPECT_FALSE(state.launchAtLogin);
    EXPECT_FALSE(state.isVersionLogsSheetPresented);
    EXPECT_EQ(state.toastMessage, std::nullopt);
    EXPECT_FALSE(state.toastIsError);
    EXPECT_FALSE(state.isMovingToTrash);
    EXPECT_EQ(state.searchedBrewQuery, std::nullopt);
    EXPECT_EQ(state.heldAppOrder, std::nullopt);
    EXPECT_EQ(home.logMessages(TruneLogLevel::info, u"lifecycle"_s),
        QStringList{u"TruneUpdate initialized (brewAvailable=false, watchTrash=true, autoCheckHours=6)"_s});
    ASSERT_TRUE(waitForFirstRefresh(model));
}

TEST_F(UpdateStudioViewModelTest, ReadsStoredSettingsHistoryAndBrew)
{
    InstalledFakeBrew brew;
    UpdateConfigStore store(home.configFolder(), 500);
    const TruneUpdateConfig config{.ignoredBundleIDs = {u"com.example.quiet"_s},
        .autoCheckIntervalHours = 12,
        .watchTrashForLeftovers = false,
        .includePrereleases = true,
        .autoCleanupAfterBrewUpgrade = false,
        .includeHomebrewFormulaeInBadge = true};
    store.saveConfig(config);
    const UpdateLogEntry entry(QUuid::createUuid(), QDateTime::fromSecsSinceEpoch(1700000000, QTimeZone::utc()),
        u"Homebrew"_s, UpdateLogAction::brewCleanup, std::nullopt, std::nullopt, UpdateLogStatus::success,
        u"brew cleanup --prune=all"_s);
    store.appendHistory(entry);

    UpdateStudioViewModel model(home.environment());
    ASSERT_TRUE(waitUntil([&] { return model.hasLoadedStoredFiles(); }));
    EXPECT_EQ(model.state().config, config);
    EXPECT_EQ(model.state().history, std::vector{entry});
    EXPECT_EQ(model.state().brewExecutablePath, brew.fake.executablePath());
    EXPECT_EQ(home.logMessages(TruneLogLevel::info, u"lifecycle"_s),
        QStringList{u"TruneUpdate initialized (brewAvailable=true, watchTrash=false, autoCheckHours=12)"_s});
    ASSERT_TRUE(waitForFirstRefresh(model));
}

TEST_F(UpdateStudioViewModelTest, TheStoredFilesAreReadOffTheMainThreadAndShownWhenRead)
{
    const NoBrewAnywhere noBrew;
    UpdateConfigStore store(home.configFolder(), 500);
    const TruneUpdateConfig config{.ignoredBundleIDs = {u"com.example.quiet"_s}, .autoCheckIntervalHours = 0};
    store.saveConfig(config);
    const UpdateLogEntry entry = historyEntry(u"Lumen"_s, 1'700'000'000);
    store.appendHistory(entry);

    RecordsPoolHold hold;
    UpdateStudioViewModel model(home.environment());
    settle();
    EXPECT_FALSE(model.hasLoadedStoredFiles());
    EXPECT_EQ(model.state().config, TruneUpdateConfig());
    EXPECT_TRUE(model.state().history.empty());
    EXPECT_FALSE(model.state().isCheckingUpdates) << "the first refresh waits for the settings";
    EXPECT_FALSE(model.autoCheckTimer().isActive());

    hold.release();
    ASSERT_TRUE(waitUntil([&] { return model.hasLoadedStoredFiles(); }));
    EXPECT_EQ(model.state().config, config);
    EXPECT_EQ(model.state().history, std::vector{entry});
    EXPECT_FALSE(model.autoCheckTimer().isActive()) << "the stored settings check only when asked";
    ASSERT_TRUE(waitForFirstRefresh(model));
}

// Brew, the slowest part of a pass, is asked while the stored files are still being read. The
// first pass takes that answer, whether it came before the pass began or comes during it, and
// asks brew nothing more.
TEST_F(UpdateStudioViewModelTest, TheFirstPassTakesTheBrewAnswerAskedForWhileTheStoredFilesWereRead)
{
    const QByteArray info = R"({"formulae":[{"name":"bat","full_name":"bat","versions":{"stable":"2.0"},)"
                            R"("installed":[{"version":"1.0","installed_on_request":true}],"outdated":true}],)"
                            R"("casks":[]})";
    const auto infoRuns = [](const FakeBrew& fake) {
        return std::ranges::count_if(
            fake.runs(), [](const FakeBrew::Run& run) { return run.arguments == kInfoArguments; });
    };
    for (const bool answeredBeforeThePass : {true, false}) {
        SCOPED_TRACE(answeredBeforeThePass ? "answered before the pass" : "answered during the pass");
        StudioTestHome caseHome;
        InstalledFakeBrew brew;
        answerWithPackages(brew.fake, {{.name = u"bat"_s, .latest = u"2.0"_s, .outdated = true}});
        brew.fake.respond(kInfoArguments, {.stdoutPieces = {info}, .gate = u"info"_s});

        RecordsPoolHold hold;
        UpdateStudioViewModel model(caseHome.environment());
        ASSERT_TRUE(waitUntil([&] { return infoRuns(brew.fake) == 1; }));
        EXPECT_FALSE(model.hasLoadedStoredFiles());
        if (answeredBeforeThePass) {
            brew.fake.release(u"info"_s);
            ASSERT_TRUE(waitUntil([&] { return StudioThreadPools::homebrew().waitForDone(0); }));
            settle();
            hold.release();
        } else {
            hold.release();
            ASSERT_TRUE(waitUntil([&] { return model.state().isCheckingUpdates; }));
            brew.fake.release(u"info"_s);
        }
        ASSERT_TRUE(waitForFirstRefresh(model));
        ASSERT_TRUE(waitForStudioWork());
        EXPECT_EQ(infoRuns(brew.fake), 1);
        ASSERT_EQ(model.state().homebrewItems.size(), 1u);
        EXPECT_EQ(model.state().homebrewItems.front().name, u"bat"_s);
        EXPECT_TRUE(model.state().homebrewItems.front().isOutdated);
    }
}

// A window about to paint asks for the changes collected so far at once; the turn's own
// announcement then has nothing left to say.
TEST_F(UpdateStudioViewModelTest, PendingChangesCanBeAnnouncedBeforeTheTurnEnds)
{
    const NoBrewAnywhere noBrew;
    UpdateStudioViewModel model(home.environment());
    ASSERT_TRUE(waitForFirstRefresh(model));
    settle();
    QSignalSpy changes(&model, &UpdateStudioViewModel::changed);

    model.setAppSearchQuery(u"lumen"_s);
    model.setSelectedFilter(AppFilterKind::sparkle);
    EXPECT_EQ(changes.count(), 0);
    model.announcePendingChanges();
    ASSERT_EQ(changes.count(), 1);
    EXPECT_EQ(changes.at(0).at(0).value<StudioFields>(), StudioField::appSearchQuery | StudioField::selectedFilter);
    settle();
    EXPECT_EQ(changes.count(), 1);

    model.setAppSearchQuery(u"kestrel"_s);
    settle();
    ASSERT_EQ(changes.count(), 2);
    EXPECT_EQ(changes.at(1).at(0).value<StudioFields>(), StudioFields(StudioField::appSearchQuery));
}

TEST_F(UpdateStudioViewModelTest, WhatIsWrittenBeforeTheStoredFilesAreReadKeepsThemAndItself)
{
    const NoBrewAnywhere noBrew;
    const UpdateLogEntry stored = historyEntry(u"Stored"_s, 1'700'000'000);
    const UpdateLogEntry added = historyEntry(u"Added"_s, 1'700'000'100);
    const InstalledAppRecord quiet = AppRecordBuilder(u"Quiet"_s).bundleID(u"com.example.quiet"_s).build();
    const struct {
        const char* label;
        std::function<void(UpdateStudioViewModel&)> write;
        std::vector<UpdateLogEntry> history;
        QStringList ignored;
        qint64 hours;
    } cases[] = {
        {"a history entry", [&](UpdateStudioViewModel& model) { StudioTestAccess::recordHistory(model, added); },
            {added, stored}, {u"com.example.kept"_s}, 12},
        {"a cleared history", [](UpdateStudioViewModel& model) { model.clearHistory(); }, {}, {u"com.example.kept"_s},
            12},
        {"an ignored app", [&](UpdateStudioViewModel& model) { model.toggleIgnoreApp(quiet); }, {stored},
            {u"com.example.kept"_s, u"com.example.quiet"_s}, 12},
        {"a restored app", [](UpdateStudioViewModel& model) { model.removeIgnoredBundleID(u"COM.example.KEPT"_s); },
            {stored}, {}, 12},
        {"a setting",
            [](UpdateStudioViewModel& model) {
                model.updateConfig([](TruneUpdateConfig& config) { config.autoCheckIntervalHours = 24; });
            },
            {stored}, {u"com.example.kept"_s}, 24},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        StudioTestHome caseHome;
        UpdateConfigStore store(caseHome.configFolder(), 500);
        store.saveConfig({.ignoredBundleIDs = {u"com.example.kept"_s}, .autoCheckIntervalHours = 12});
        store.appendHistory(stored);

        RecordsPoolHold hold;
        UpdateStudioViewModel model(caseHome.environment());
        c.write(model);
        hold.release();
        ASSERT_TRUE(waitUntil([&] { return model.hasLoadedStoredFiles(); }));
        ASSERT_TRUE(waitForStudioWork());
        EXPECT_EQ(model.state().history, c.history);
        EXPECT_EQ(store.loadHistory(), c.history);
        EXPECT_EQ(model.state().config.ignoredBundleIDs, c.ignored);
        EXPECT_EQ(store.loadConfig().ignoredBundleIDs, c.ignored);
        EXPECT_EQ(store.loadConfig().autoCheckIntervalHours, c.hours);
        EXPECT_EQ(model.autoCheckTimer().intervalAsDuration(), std::chrono::hours(c.hours));
    }
}

TEST_F(UpdateStudioViewModelTest, ChangesAreAnnouncedOncePerTurnNamingEveryField)
{
    const NoBrewAnywhere noBrew;
    UpdateStudioViewModel model(home.environment());
    ASSERT_TRUE(waitForFirstRefresh(model));
    ASSERT_TRUE(waitForStudioWork());
    QSignalSpy spy(&model, &UpdateStudioViewModel::changed);

    model.setSelectedTab(UpdateStudioTab::homebrew);
    model.setAppSearchQuery(u"lu"_s);
    model.setAppSearchQuery(u"lumen"_s);
    model.setSelectedFilter(AppFilterKind::all); // unchanged: not named
    EXPECT_EQ(spy.count(), 0);
    ASSERT_TRUE(waitUntil([&] { return spy.count() > 0; }));
    QCoreApplication::processEvents();
    ASSERT_EQ(spy.count(), 1);
    EXPECT_EQ(spy.at(0).at(0).value<StudioFields>(), StudioField::selectedTab | StudioField::appSearchQuery);
    EXPECT_EQ(model.state().appSearchQuery, u"lumen"_s);

    model.setSelectedTab(UpdateStudioTab::homebrew);
    QCoreApplication::processEvents();
    EXPECT_EQ(spy.count(), 1);
}

TEST_F(UpdateStudioViewModelTest, ANewerToastGetsItsOwnFullTimeAndTheErrorFlagStays)
{
    const NoBrewAnywhere noBrew;
    const QDateTime start = QDateTime::currentDateTimeUtc();
    const auto clock = std::make_shared<QDateTime>(start);
    UpdateStudioEnvironment environment = home.environment();
    environment.now = [clock] { return *clock; };
    UpdateStudioViewModel model(environment);
    ASSERT_TRUE(waitForFirstRefresh(model));

    model.showToast(u"First"_s, false);
    *clock = start.addMSecs(1000);
    model.showToast(u"Second"_s, true);
    EXPECT_EQ(model.state().toastMessage, u"Second"_s);
    EXPECT_TRUE(model.state().toastIsError);

    // Past the moment the first would have ended, short of the second's own full time: when its
    // 3.6 s are up the toast's timer looks at the clock and keeps the toast.
    *clock = start.addMSecs(4500);
    QElapsedTimer sinceSecond;
    sinceSecond.start();
    ASSERT_TRUE(waitUntil([&] { return sinceSecond.hasExpired(3700); }));
    EXPECT_EQ(model.state().toastMessage, u"Second"_s);

    // Its full time on the clock ends it; the error flag stays for the fade.
    *clock = start.addMSecs(4600);
    ASSERT_TRUE(waitUntil([&] { return !model.state().toastMessage; }));
    EXPECT_TRUE(model.state().toastIsError);
}

TEST_F(UpdateStudioViewModelTest, TheReopenNotificationCallsTheLatestOpener)
{
    const NoBrewAnywhere noBrew;
    UpdateStudioViewModel model(home.environment());
    ASSERT_TRUE(waitForFirstRefresh(model));
    int firstCalls = 0;
    int secondCalls = 0;

    TruneNotifier::instance().post(TruneNotificationName::reopenStudioWindow);
    model.bindStudioWindowOpener([&] { ++firstCalls; });
    model.bindStudioWindowOpener([&] { ++secondCalls; });
    QCoreApplication::processEvents();
    EXPECT_EQ(firstCalls + secondCalls, 0); // before any binding, nothing was remembered

    TruneNotifier::instance().post(TruneNotificationName::reopenStudioWindow);
    TruneNotifier::instance().post(TruneNotificationName::languageDidChange);
    ASSERT_TRUE(waitUntil([&] { return secondCalls > 0; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(firstCalls, 0);
    EXPECT_EQ(secondCalls, 1);
}

TEST_F(UpdateStudioViewModelTest, ReleasedViewModelIgnoresTheReopenNotification)
{
    const NoBrewAnywhere noBrew;
    int calls = 0;
    {
        UpdateStudioViewModel model(home.environment());
        model.bindStudioWindowOpener([&] { ++calls; });
        TruneNotifier::instance().post(TruneNotificationName::reopenStudioWindow); // queued, then released
    }
    TruneNotifier::instance().post(TruneNotificationName::reopenStudioWindow);
    settle();
    EXPECT_EQ(calls, 0);
}

TEST_F(UpdateStudioViewModelTest, SetLanguageShowsAndStoresTheChoice)
{
    const NoBrewAnywhere noBrew;
    UpdateStudioViewModel model(home.environment());
    ASSERT_TRUE(waitForFirstRefresh(model));
    QStringList announced;
    const QMetaObject::Connection listening = QObject::connect(
        &TruneNotifier::instance(), &TruneNotifier::posted, [&](const QString& name, const QVariantMap& info) {
            if (name == TruneNotificationName::languageDidChange)
                announced.append(info.value(TruneLanguage::languageDidChangeKey).toString());
        });

    model.setLanguage(TruneLanguage::tr);
    QObject::disconnect(listening);
    EXPECT_EQ(model.state().language, TruneLanguage::tr);
    EXPECT_EQ(model.t(u"Update history cleared."_s, u"Güncelleme geçmişi temizlendi."_s),
        u"Güncelleme geçmişi temizlendi."_s);
    EXPECT_EQ(TruneLanguage::storedPreferenceCode(), u"tr"_s);
    EXPECT_EQ(announced, QStringList{u"tr"_s});
    TruneLanguage::setFollowSystem();
}

} // namespace
