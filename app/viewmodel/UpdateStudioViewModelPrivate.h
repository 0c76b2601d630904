#pragma once

// What lies behind the studio's view model: its services, timers, tasks and bookkeeping. Only
// the view model's own source files include this; views see the view model's header alone.

#include "app/viewmodel/AppUpdateFacts.h"
#include "app/viewmodel/UpdateStudioViewModel.h"
#include "core/homebrew/HomebrewBatchUpgrader.h"
#include "core/homebrew/HomebrewService.h"
#include "core/leftovers/TrashRemovalReport.h"
#include "core/records/UpdateConfigStore.h"
#include "core/sparkle/SparkleUpdateChecker.h"
#include "core/watchers/ApplicationsDirectoryWatcher.h"
#include "core/watchers/TrashAppWatcher.h"
#include "kit/desktop/TruneGlobalHotkeyManager.h"

#include <QMetaObject>
#include <QTimer>

#include <stop_token>

// One Homebrew command as the runner takes it.
struct UpdateStudioViewModel::BrewOperation {
    QString title;
    QString appName;
    UpdateLogAction action = UpdateLogAction::brewUpgrade;
    std::optional<QString> fromVersion = {};
    std::optional<QString> toVersion = {};
    std::function<void(UpdateStudioViewModel&)> onSuccessOptimisticUpdate = {};
    BrewCommand command;
};

// What the Homebrew query of one pass found.
struct UpdateStudioViewModel::HomebrewOutcome {
    std::optional<QString> brewPath = {};
    std::optional<std::vector<HomebrewItem>> items = {}; // none: brew failed twice
    std::optional<HomebrewCommandError> failure = {};
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

// A bundle this program moved to the Trash: the Trash watcher sees it arrive, but it is no news
// to the user, who just asked for it.
struct UpdateStudioViewModel::OwnTrashedBundle {
    QString bundleID;
    QString name;
    QDateTime movedAt;
};

struct UpdateStudioViewModel::Private {
    explicit Private(const UpdateStudioEnvironment& environment);

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
    std::stop_source sizeScan;
    HomebrewService::Cancellation homebrewQueryCancellation;

    HomebrewService::Cancellation brewCancellation;
    quint64 latestBrewSearch = 0;

    QTimer toastTimer;
    std::function<void()> studioWindowOpener;
    QMetaObject::Connection reopenWindowObserver;

    quint64 inspectionGeneration = 0;
    std::vector<OwnTrashedBundle> ownTrashedBundles;
    QTimer autoCheckTimer;
    QMetaObject::Connection appActiveObserver;
    std::optional<QDateTime> externalUpdateWatchUntil;
    std::unique_ptr<TruneGlobalHotkeyManager> hotkeyManager;
};
