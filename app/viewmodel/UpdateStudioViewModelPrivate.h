#pragma once

// What lies behind the studio's view model: its services, timers, tasks and bookkeeping. Only
// the view model's own source files include this; views see the view model's header alone.

#include "app/viewmodel/AppUpdateFacts.h"
#include "app/viewmodel/BrewCommandDesk.h"
#include "app/viewmodel/BrewConsoleFeed.h"
#include "app/viewmodel/UninstallSession.h"
#include "app/viewmodel/UpdateStudioViewModel.h"
#include "core/homebrew/HomebrewService.h"
#include "core/records/UpdateConfigStore.h"
#include "core/sparkle/SparkleUpdateChecker.h"
#include "core/watchers/ApplicationsDirectoryWatcher.h"
#include "core/watchers/TrashAppWatcher.h"
#include "kit/desktop/TruneGlobalHotkeyManager.h"

#include <QMetaObject>
#include <QTimer>

#include <stop_token>

// What the Homebrew query of one pass found.
struct UpdateStudioViewModel::HomebrewOutcome {
    std::optional<QString> brewPath = {};
    std::optional<std::vector<HomebrewItem>> items = {}; // none: brew failed twice
    std::optional<HomebrewCommandError> failure = {};
};

// The first pass's Homebrew query, started with the view model: brew, the slowest part of a pass,
// runs while the window is built and the stored files are read. The first pass takes its answer,
// at once when it came before the pass, or when it comes (a pass that begins while the query
// runs is always the first).
struct UpdateStudioViewModel::EarlyHomebrewQuery {
    bool running = false;
    std::optional<HomebrewOutcome> outcome;
};

// The pass in progress: which of its concurrent parts have come back, what it has found out
// about the apps so far, and what the list knew before it.
struct UpdateStudioViewModel::RefreshPass {
    bool appsPublished = false;
    QHash<QString, AppUpdateFacts> ownFacts;
    QHash<QString, AppUpdateFacts> earlierFacts;
    std::optional<HomebrewOutcome> homebrew;
    bool homebrewApplied = false;
    std::optional<QHash<QString, SparkleUpdateCheckResult>> feeds;
};

// The view model as the host of its command desk and its uninstall session: what they read of
// the state, and how what they report reaches the state, the console, the toasts and the history.
struct UpdateStudioViewModel::PartsHost final : BrewCommandDesk::Host, UninstallSession::Host {
    explicit PartsHost(UpdateStudioViewModel& model)
        : model(model)
    {
    }

    const StudioState& studioState() const override { return model.m_state; }
    void showToast(const QString& message, bool isError) override { model.showToast(message, isError); }
    void recordHistory(UpdateLogEntry entry) override { model.recordHistory(std::move(entry)); }

    void brewJobStarted() override { model.brewJobStarted(); }
    void brewJobChanged() override { model.publishBrewJob(); }
    void brewJobEnded() override { model.brewJobEnded(); }
    void appendBrewLog(const QString& text) override { model.appendBrewLog(text); }
    std::function<void(QByteArrayView utf8)> brewConsoleOutput() override { return model.brewConsoleOutput(); }
    void brewPackageUpgraded(const HomebrewItem& item) override
    {
        model.applyOptimisticBrewUpgrade(item.name, item.isCask, item.latestVersion);
    }

    void sessionChanged() override { model.publishUninstallSession(); }
    void showUninstaller() override { model.setSelectedTab(UpdateStudioTab::uninstaller); }
    void applySizeMeasurements(const std::vector<AppSizeMeasurement>& measurements) override
    {
        model.applySizeMeasurements(measurements);
    }
    void appBundleTrashed() override { model.refreshAllAndCheckUpdates(); }

    UpdateStudioViewModel& model;
};

struct UpdateStudioViewModel::Private {
    explicit Private(UpdateStudioViewModel& model);

    PartsHost host;
    BrewCommandDesk desk;
    UninstallSession uninstallSession;

    UpdateConfigStore store;
    bool storedFilesLoaded = false;
    // What the user changed before the stored files were read, made again on them once read.
    std::vector<std::function<void(TruneUpdateConfig&)>> configChangesBeforeLoad;
    bool historyClearedBeforeLoad = false;
    SparkleUpdateChecker sparkleChecker;
    TrashAppWatcher trashWatcher;
    ApplicationsDirectoryWatcher applicationsWatcher;

    quint64 scanGeneration = 0;
    bool refreshSeriesRunning = false;
    bool pendingRefreshRequested = false;
    std::vector<std::function<void()>> refreshWaiters;
    std::optional<RefreshPass> pass;
    EarlyHomebrewQuery earlyHomebrew;
    std::stop_source sizeScan;
    std::stop_source feedCheck;
    // Cancelled when the view model ends: its Homebrew queries and searches stop with it.
    HomebrewService::Cancellation homebrewQueryCancellation;

    // Brew's output on its way to the console, which takes it in once a frame.
    std::shared_ptr<BrewConsoleFeed> brewOutput = std::make_shared<BrewConsoleFeed>();
    QTimer brewOutputFrame;
    quint64 latestBrewSearch = 0;

    QTimer toastTimer;
    QDateTime toastEndsAt; // on the environment's clock
    std::function<void()> studioWindowOpener;
    QMetaObject::Connection reopenWindowObserver;

    QTimer autoCheckTimer;
    QMetaObject::Connection appActiveObserver;
    std::optional<QDateTime> externalUpdateWatchUntil;
    std::unique_ptr<TruneGlobalHotkeyManager> hotkeyManager;
};
