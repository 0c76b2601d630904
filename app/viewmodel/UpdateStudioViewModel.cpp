#include "app/viewmodel/UpdateStudioViewModelPrivate.h"

#include "app/viewmodel/FeedResultMerge.h"
#include "app/viewmodel/HeldRowOrder.h"
#include "app/viewmodel/StudioDerived.h"
#include "app/viewmodel/StudioThreadPools.h"
#include "core/homebrew/HomebrewState.h"
#include "core/homebrew/HomebrewStateReconciler.h"
#include "core/inventory/FastDirectorySizeReader.h"
#include "core/inventory/InstalledAppScanner.h"
#include "core/leftovers/AppLeftoverScanner.h"
#include "kit/foundation/TruneAppLogger.h"
#include "kit/foundation/TruneLaunchAtLogin.h"
#include "kit/foundation/TrunePermissionCenter.h"
#include "kit/localization/TruneText.h"
#include "kit/platform/TruneNotifier.h"

#include <QCoreApplication>
#include <QPointer>

#include <chrono>
#include <thread>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 kMaxHistoryCount = 500;
constexpr double kApplicationsDebounceSeconds = 1.5;
constexpr std::chrono::milliseconds kToastDuration{3600};
// One frame of the screen: brew's output reaches the console at most this often.
constexpr std::chrono::milliseconds kConsoleFrame{16};
constexpr std::chrono::milliseconds kHomebrewRetryDelay{400};
constexpr int kMaxBundlesScannedAtOnce = 8;
constexpr int kMaxFeedsFetchedAtOnce = 6;
constexpr BundleSizeBatchOptions kSizeBatches{.maxConcurrency = 6, .batchSize = 8};

QString boolText(bool value)
{
    return value ? u"true"_s : u"false"_s;
}

} // namespace

UpdateStudioViewModel::Private::Private(UpdateStudioViewModel& model)
    : host(model)
    , desk(host, model.m_environment)
    , uninstallSession(host, model.m_environment)
    , store(model.m_environment.configFolder, kMaxHistoryCount)
    , sparkleChecker(model.m_environment.feedTimeoutSeconds)
    , trashWatcher(
          model.m_environment.trashFolder, model.m_environment.libraryRoot, model.m_environment.searchDirectories)
    , applicationsWatcher(model.m_environment.searchDirectories, kApplicationsDebounceSeconds)
    , homebrewQueryCancellation(std::make_shared<TruneProcessCancellation>())
{
}

UpdateStudioViewModel::UpdateStudioViewModel(UpdateStudioEnvironment environment, QObject* parent)
    : QObject(parent)
    , m_environment(std::move(environment))
    , d(std::make_unique<Private>(*this))
{
    m_state.brewExecutablePath = HomebrewService::brewExecutableURL();
    m_state.language = TruneLanguage::current();
    m_state.launchAtLogin = TruneLaunchAtLogin::isEnabled();
    m_state.accessibilityGranted = TrunePermissionCenter::isAccessibilityGranted(false);
    m_state.screenRecordingGranted = TrunePermissionCenter::isScreenRecordingGranted();

    d->toastTimer.setSingleShot(true);
    d->toastTimer.setTimerType(Qt::PreciseTimer); // a coarse timer may end a toast 5 % early
    // The toast ends by the environment's clock; the timer only says when to look. A clock set
    // back while a toast shows ends it at once instead of holding it until the clock catches up.
    connect(&d->toastTimer, &QTimer::timeout, this, [this] {
        const qint64 left = m_environment.now().msecsTo(d->toastEndsAt);
        if (left > 0 && left <= kToastDuration.count())
            d->toastTimer.start(std::chrono::milliseconds(left));
        else
            assign(StudioField::toastMessage, &StudioState::toastMessage, std::optional<QString>());
    });

    d->brewOutputFrame.setSingleShot(true);
    d->brewOutputFrame.setInterval(kConsoleFrame);
    connect(&d->brewOutputFrame, &QTimer::timeout, this, [this] { appendBrewLog(QString()); });

    registerGlobalHotkey();
    startApplicationsWatcher();
    registerAppActivationObserver();
    connect(&d->autoCheckTimer, &QTimer::timeout, this, [this] { refreshAllAndCheckUpdates(); });
    startEarlyHomebrewQuery();
    loadStoredFiles();
}

bool UpdateStudioViewModel::hasLoadedStoredFiles() const
{
    return d->storedFilesLoaded;
}

// A long history or a hand-edited settings file may take a while to read, so the window comes up
// with the defaults meanwhile. The records pool runs one task at a time in order, so the files are
// read before any write asked for afterwards lands.
void UpdateStudioViewModel::loadStoredFiles()
{
    StudioThreadPools::records().start([self = QPointer(this), store = d->store]() mutable {
        TruneUpdateConfig config = store.loadConfig();
        std::vector<UpdateLogEntry> history = store.loadHistory();
        post(self, [config = std::move(config), history = std::move(history)](UpdateStudioViewModel& model) mutable {
            model.applyStoredFiles(std::move(config), std::move(history));
        });
    });
}

// A history written meanwhile comes back after this with the stored entries and its own; one
// cleared meanwhile stays clear.
void UpdateStudioViewModel::applyStoredFiles(TruneUpdateConfig config, std::vector<UpdateLogEntry> history)
{
    for (const auto& change : d->configChangesBeforeLoad)
        change(config);
    const bool changedBeforeLoad = !d->configChangesBeforeLoad.empty();
    d->configChangesBeforeLoad.clear();
    d->storedFilesLoaded = true;
    assign(StudioField::config, &StudioState::config, std::move(config));
    if (changedBeforeLoad)
        saveConfig();
    if (!d->historyClearedBeforeLoad)
        assign(StudioField::history, &StudioState::history, std::move(history));

    configureTrashWatcher();
    scheduleAutoCheckTimer();
    m_environment.logger->info(
        u"TruneUpdate initialized (brewAvailable=%1, watchTrash=%2, autoCheckHours=%3)"_s.arg(
            boolText(m_state.brewExecutablePath.has_value()), boolText(m_state.config.watchTrashForLeftovers),
            QString::number(m_state.config.autoCheckIntervalHours)),
        u"lifecycle"_s);
    refreshAllAndCheckUpdates();
}

// The worker pools wait for their running work when the application ends: the long work of the
// refresh is asked to stop here (the command desk cancels its own job), so that quitting does not
// wait for a slow feed, a size scan or a Homebrew query.
UpdateStudioViewModel::~UpdateStudioViewModel()
{
    d->applicationsWatcher.stop();
    d->trashWatcher.stop();
    d->toastTimer.stop();
    d->sizeScan.request_stop();
    d->feedCheck.request_stop();
    d->homebrewQueryCancellation->cancel();
}

const QTimer& UpdateStudioViewModel::autoCheckTimer() const
{
    return d->autoCheckTimer;
}

std::optional<QDateTime> UpdateStudioViewModel::externalUpdateWatchUntil() const
{
    return d->externalUpdateWatchUntil;
}

QString UpdateStudioViewModel::t(const QString& en, const QString& tr) const
{
    return truneText(en, tr, m_state.language);
}

void UpdateStudioViewModel::showToast(const QString& message, bool isError)
{
    assign(StudioField::toastMessage, &StudioState::toastMessage, std::optional<QString>(message));
    assign(StudioField::toastIsError, &StudioState::toastIsError, isError);
    d->toastEndsAt = m_environment.now().addMSecs(kToastDuration.count());
    d->toastTimer.start(kToastDuration);
    emit toastShown(message, isError);
}

void UpdateStudioViewModel::bindStudioWindowOpener(std::function<void()> opener)
{
    d->studioWindowOpener = std::move(opener);
    if (d->reopenWindowObserver)
        return;
    d->reopenWindowObserver
        = connect(&TruneNotifier::instance(), &TruneNotifier::posted, this, [this](const QString& name) {
              if (name != TruneNotificationName::reopenStudioWindow)
                  return;
              QMetaObject::invokeMethod(
                  this,
                  [this] {
                      if (d->studioWindowOpener)
                          d->studioWindowOpener();
                  },
                  Qt::QueuedConnection);
          });
}

void UpdateStudioViewModel::setLanguage(TruneLanguage language)
{
    assign(StudioField::language, &StudioState::language, language);
    TruneLanguage::setCurrent(language);
}

int UpdateStudioViewModel::menuBarBadgeCount() const
{
    return StudioDerived::menuBarBadgeCount(m_state);
}

int UpdateStudioViewModel::outdatedBrewCount() const
{
    return StudioDerived::outdatedBrewCount(m_state);
}

int UpdateStudioViewModel::outdatedDependencyBrewCount() const
{
    return StudioDerived::outdatedDependencyBrewCount(m_state);
}

void UpdateStudioViewModel::setSelectedTab(UpdateStudioTab tab)
{
    assign(StudioField::selectedTab, &StudioState::selectedTab, tab);
}

void UpdateStudioViewModel::setSelectedFilter(AppFilterKind filter)
{
    assign(StudioField::selectedFilter, &StudioState::selectedFilter, filter);
}

void UpdateStudioViewModel::setAppSearchQuery(const QString& query)
{
    assign(StudioField::appSearchQuery, &StudioState::appSearchQuery, query);
}

void UpdateStudioViewModel::setHomebrewSubTab(HomebrewSubTab tab)
{
    assign(StudioField::homebrewSubTab, &StudioState::homebrewSubTab, tab);
}

void UpdateStudioViewModel::setHomebrewFilterQuery(const QString& query)
{
    assign(StudioField::homebrewFilterQuery, &StudioState::homebrewFilterQuery, query);
}

void UpdateStudioViewModel::setShowBrewDependencies(bool show)
{
    assign(StudioField::showBrewDependencies, &StudioState::showBrewDependencies, show);
}

void UpdateStudioViewModel::setUninstallerSearchQuery(const QString& query)
{
    assign(StudioField::uninstallerSearchQuery, &StudioState::uninstallerSearchQuery, query);
}

void UpdateStudioViewModel::setUninstallerSortOrder(UninstallerAppSortOrder order)
{
    assign(StudioField::uninstallerSortOrder, &StudioState::uninstallerSortOrder, order);
}

void UpdateStudioViewModel::setLeftoverSortOrder(LeftoverSortOrder order)
{
    assign(StudioField::leftoverSortOrder, &StudioState::leftoverSortOrder, order);
}

void UpdateStudioViewModel::setVersionLogsSheetPresented(bool presented)
{
    assign(StudioField::isVersionLogsSheetPresented, &StudioState::isVersionLogsSheetPresented, presented);
}

void UpdateStudioViewModel::setShowBrewConsole(bool show)
{
    assign(StudioField::showBrewConsole, &StudioState::showBrewConsole, show);
}

void UpdateStudioViewModel::markChanged(StudioFields fields)
{
    const bool announcementDue = m_unannounced.isEmpty();
    m_unannounced |= fields;
    if (announcementDue)
        QMetaObject::invokeMethod(this, &UpdateStudioViewModel::announcePendingChanges, Qt::QueuedConnection);
}

void UpdateStudioViewModel::announcePendingChanges()
{
    const StudioFields fields = std::exchange(m_unannounced, StudioFields());
    if (!fields.isEmpty())
        emit changed(fields);
}

// --- Refresh ---

void UpdateStudioViewModel::refreshAllAndCheckUpdates(std::function<void()> done)
{
    if (done)
        d->refreshWaiters.push_back(std::move(done));
    if (d->refreshSeriesRunning) {
        d->pendingRefreshRequested = true;
        return;
    }
    d->refreshSeriesRunning = true;
    startRefreshPass();
}

void UpdateStudioViewModel::startRefreshPass()
{
    d->pendingRefreshRequested = false;
    ++d->scanGeneration;
    d->sizeScan.request_stop();
    d->pass = RefreshPass{};

    assign(StudioField::isScanningApps, &StudioState::isScanningApps, true);
    assign(StudioField::isCheckingUpdates, &StudioState::isCheckingUpdates, true);
    assign(StudioField::accessibilityGranted, &StudioState::accessibilityGranted,
        TrunePermissionCenter::isAccessibilityGranted(false));
    assign(StudioField::screenRecordingGranted, &StudioState::screenRecordingGranted,
        TrunePermissionCenter::isScreenRecordingGranted());
    m_environment.logger->info(u"Starting app inventory scan and update check"_s, u"scan"_s);

    startHomebrewQuery();
    startAppScan();
}

void UpdateStudioViewModel::deliver(
    QPointer<UpdateStudioViewModel> self, quint64 generation, std::function<void(UpdateStudioViewModel&)> apply)
{
    QCoreApplication* application = QCoreApplication::instance();
    if (!application)
        return;
    QMetaObject::invokeMethod(
        application,
        [self = std::move(self), generation, apply = std::move(apply)] {
            if (self && self->d->scanGeneration == generation)
                apply(*self);
        },
        Qt::QueuedConnection);
}

// Runs on a worker: brew's installed and outdated packages, asked a second time after a failure.
UpdateStudioViewModel::HomebrewOutcome UpdateStudioViewModel::queryHomebrew(
    const std::shared_ptr<TruneProcessCancellation>& cancellation)
{
    HomebrewOutcome outcome;
    outcome.brewPath = HomebrewService::brewExecutableURL();
    if (!outcome.brewPath) {
        outcome.items = std::vector<HomebrewItem>();
        return outcome;
    }
    auto fetched = HomebrewService::fetchInstalledAndOutdated(cancellation);
    if (!fetched && !cancellation->isCancelled()) {
        std::this_thread::sleep_for(kHomebrewRetryDelay);
        fetched = HomebrewService::fetchInstalledAndOutdated(cancellation);
    }
    if (fetched)
        outcome.items = std::move(*fetched);
    else
        outcome.failure = std::move(fetched.error());
    return outcome;
}

void UpdateStudioViewModel::startEarlyHomebrewQuery()
{
    d->earlyHomebrew.running = true;
    StudioThreadPools::homebrew().start([self = QPointer(this), cancellation = d->homebrewQueryCancellation] {
        post(self, [outcome = queryHomebrew(cancellation)](UpdateStudioViewModel& model) mutable {
            model.receiveEarlyHomebrew(std::move(outcome));
        });
    });
}

void UpdateStudioViewModel::receiveEarlyHomebrew(HomebrewOutcome outcome)
{
    d->earlyHomebrew.running = false;
    if (d->pass)
        receiveHomebrew(std::move(outcome));
    else
        d->earlyHomebrew.outcome = std::move(outcome);
}

void UpdateStudioViewModel::startHomebrewQuery()
{
    if (std::optional<HomebrewOutcome> early = std::exchange(d->earlyHomebrew.outcome, std::nullopt)) {
        receiveHomebrew(std::move(*early));
        return;
    }
    if (d->earlyHomebrew.running)
        return;
    const quint64 generation = d->scanGeneration;
    StudioThreadPools::homebrew().start(
        [self = QPointer(this), generation, cancellation = d->homebrewQueryCancellation] {
            deliver(self, generation, [outcome = queryHomebrew(cancellation)](UpdateStudioViewModel& model) mutable {
                model.receiveHomebrew(std::move(outcome));
            });
        });
}

// The feeds are fetched while the scan is still reading bundles: each app goes to the feed check
// as soon as it is read. The scan is queued first, so a check waiting on the refresh pool always
// has its scan running or done before it.
void UpdateStudioViewModel::startAppScan()
{
    const quint64 generation = d->scanGeneration;
    auto feedApps = std::make_shared<SparkleFeedAppQueue>();
    StudioThreadPools::refresh().start([self = QPointer(this), generation, folders = m_environment.searchDirectories,
                                           locale = m_environment.locale, feedApps] {
        const InstalledAppScanner::InspectionObserver toFeedCheck{
            .inspected = [&](const InstalledAppRecord& app) { feedApps->add(app); }};
        std::vector<InstalledAppRecord> apps
            = InstalledAppScanner::scanInstalledApps(folders, false, kMaxBundlesScannedAtOnce, locale, toFeedCheck);
        feedApps->close();
        for (InstalledAppRecord& app : apps) {
            if (const std::optional<qint64> cached = FastDirectorySizeReader::cachedSize(app.path))
                app.sizeBytes = *cached;
        }
        deliver(self, generation, [apps = std::move(apps)](UpdateStudioViewModel& model) mutable {
            model.publishScannedApps(std::move(apps));
        });
    });
    startFeedCheck(std::move(feedApps));
}

// Until the pass has its own answer for an app, the list keeps what it knew of it.
void UpdateStudioViewModel::publishScannedApps(std::vector<InstalledAppRecord> apps)
{
    d->pass->earlierFacts = AppUpdateFacts::byID(m_state.installedApps);
    d->pass->ownFacts = AppUpdateFacts::byID(apps);
    assign(StudioField::installedApps, &StudioState::installedApps,
        withEarlierFacts(apps, d->pass->earlierFacts, RefreshPassStage::scanned));
    assign(StudioField::isScanningApps, &StudioState::isScanningApps, false);
    d->pass->appsPublished = true;
    startSizeMeasurement();
    continueRefreshPass();
}

void UpdateStudioViewModel::startSizeMeasurement()
{
    const quint64 generation = d->scanGeneration;
    std::vector<AppSizeTarget> targets;
    for (const InstalledAppRecord& app : m_state.installedApps) {
        if (app.sizeBytes < 1)
            targets.push_back({.id = app.id(), .path = app.path});
    }
    if (targets.empty())
        return;
    d->sizeScan = std::stop_source();
    QThreadPool* sizes = &StudioThreadPools::sizes();
    StudioThreadPools::refresh().start([self = QPointer(this), generation, targets = std::move(targets), sizes,
                                           measure = m_environment.measureSize, stop = d->sizeScan.get_token()] {
        measureBundleSizesInBatches(
            targets, kSizeBatches, measure,
            [&](std::vector<AppSizeMeasurement> batch) {
                deliver(self, generation,
                    [batch = std::move(batch)](UpdateStudioViewModel& model) { model.applySizeMeasurements(batch); });
            },
            *sizes, stop);
    });
}

void UpdateStudioViewModel::startFeedCheck(std::shared_ptr<SparkleFeedAppQueue> apps)
{
    const quint64 generation = d->scanGeneration;
    d->feedCheck = std::stop_source();
    StudioThreadPools::refresh().start(
        [self = QPointer(this), generation, checker = d->sparkleChecker, apps = std::move(apps),
            includePrereleases = m_state.config.includePrereleases, stop = d->feedCheck.get_token()] {
            QHash<QString, SparkleUpdateCheckResult> results
                = checker.checkUpdates(*apps, includePrereleases, kMaxFeedsFetchedAtOnce, stop);
            if (stop.stop_requested())
                return;
            deliver(self, generation, [results = std::move(results)](UpdateStudioViewModel& model) mutable {
                model.receiveFeeds(std::move(results));
            });
        });
}

void UpdateStudioViewModel::receiveHomebrew(HomebrewOutcome outcome)
{
    d->pass->homebrew = std::move(outcome);
    continueRefreshPass();
}

void UpdateStudioViewModel::receiveFeeds(QHash<QString, SparkleUpdateCheckResult> results)
{
    d->pass->feeds = std::move(results);
    continueRefreshPass();
}

// The parts of a pass come back in any order; each step waits only for what it reads: the
// Homebrew metadata for the scanned list and the Homebrew result, the feed merge for both.
void UpdateStudioViewModel::continueRefreshPass()
{
    if (!d->pass->appsPublished || !d->pass->homebrew)
        return;
    if (!d->pass->homebrewApplied) {
        applyHomebrewOutcome(*d->pass->homebrew);
        d->pass->homebrewApplied = true;
    }
    if (d->pass->feeds)
        finishRefreshPass();
}

void UpdateStudioViewModel::applyHomebrewOutcome(const HomebrewOutcome& outcome)
{
    assign(StudioField::brewExecutablePath, &StudioState::brewExecutablePath, outcome.brewPath);
    if (outcome.items) {
        std::vector<HomebrewItem> items = *outcome.items;
        if (holdsRowOrder())
            sortByHeldOrder(items, rowIDs(m_state.homebrewItems));
        assign(StudioField::homebrewItems, &StudioState::homebrewItems, std::move(items));
    } else
        m_environment.logger->warn(
            u"Homebrew metadata fetch failed: "_s + outcome.failure->description(m_state.language), u"homebrew"_s);
    assign(StudioField::brewSearchResults, &StudioState::brewSearchResults,
        HomebrewStateReconciler::syncSearchResults(m_state.brewSearchResults, m_state.homebrewItems));
    std::vector<InstalledAppRecord> apps = HomebrewStateReconciler::applyHomebrewMetadata(
        withOwnFacts(m_state.installedApps, d->pass->ownFacts), m_state.homebrewItems, m_environment.now());
    d->pass->ownFacts = AppUpdateFacts::byID(apps);
    assign(StudioField::installedApps, &StudioState::installedApps,
        withEarlierFacts(std::move(apps), d->pass->earlierFacts, RefreshPassStage::homebrewMetadataApplied));
    assign(StudioField::trashAlerts, &StudioState::trashAlerts,
        AppLeftoverScanner::pruneStaleTrashAlerts(m_state.trashAlerts, m_state.installedApps));
}

void UpdateStudioViewModel::finishRefreshPass()
{
    const QDateTime mergeTime = m_environment.now();
    assign(StudioField::installedApps, &StudioState::installedApps,
        mergeFeedResults(withOwnFacts(m_state.installedApps, d->pass->ownFacts), *d->pass->feeds, mergeTime));
    assign(StudioField::lastCheckDate, &StudioState::lastCheckDate, std::optional(mergeTime));
    logScanSummary();
    assign(StudioField::isScanningApps, &StudioState::isScanningApps, false);
    assign(StudioField::isCheckingUpdates, &StudioState::isCheckingUpdates, false);
    d->pass.reset();

    if (d->pendingRefreshRequested) {
        startRefreshPass();
        return;
    }
    d->refreshSeriesRunning = false;
    for (const std::function<void()>& waiter : std::exchange(d->refreshWaiters, {}))
        waiter();
}

void UpdateStudioViewModel::logScanSummary()
{
    const auto count = [](const auto& list) { return QString::number(list.size()); };
    const std::vector<HomebrewItem>& items = m_state.homebrewItems;
    m_environment.logger->info(
        u"Scan finished: %1 app(s) (%2 update(s)), %3 Homebrew item(s) (%4 outdated, %5 outdated deps)"_s.arg(
            count(m_state.installedApps), count(StudioDerived::outdatedApps(m_state)), count(items),
            QString::number(StudioDerived::outdatedCasks(items).size() + StudioDerived::outdatedFormulae(items).size()),
            count(StudioDerived::outdatedDependencyFormulae(items))),
        u"scan"_s);
}

void UpdateStudioViewModel::applySizeMeasurements(const std::vector<AppSizeMeasurement>& measurements)
{
    if (measurements.empty())
        return;
    QHash<QString, size_t> indexByID;
    for (size_t index = 0; index < m_state.installedApps.size(); ++index)
        indexByID.insert(m_state.installedApps[index].id(), index);

    std::vector<InstalledAppRecord> apps = m_state.installedApps;
    for (const AppSizeMeasurement& measurement : measurements) {
        if (const auto found = indexByID.constFind(measurement.id); found != indexByID.constEnd())
            apps[*found].sizeBytes = measurement.sizeBytes;
    }
    assign(StudioField::installedApps, &StudioState::installedApps, std::move(apps));
    d->uninstallSession.applySizeMeasurements(measurements);
}
