#pragma once

#include "app/viewmodel/AppSizeMeasurement.h"
#include "app/viewmodel/StudioState.h"
#include "app/viewmodel/UpdateStudioEnvironment.h"
#include "core/homebrew/HomebrewService.h"
#include "core/records/UpdateConfigStore.h"
#include "core/sparkle/SparkleUpdateChecker.h"
#include "core/watchers/ApplicationsDirectoryWatcher.h"
#include "core/watchers/TrashAppWatcher.h"

#include <QHash>
#include <QMetaObject>
#include <QObject>
#include <QPointer>
#include <QTimer>

#include <functional>
#include <optional>
#include <stop_token>
#include <vector>

// The studio's one state object, on the main thread: every view reads state() and calls the
// operations below. `changed` names the fields that changed, at most once per event-loop turn.
//
// Work that would block (scans, brew, feeds, sizes) runs on the studio's worker pools; each
// result comes back to the main thread tagged with the refresh pass it belongs to and is
// dropped there when the view model is gone or a newer pass has started.
class UpdateStudioViewModel final : public QObject {
    Q_OBJECT

public:
    explicit UpdateStudioViewModel(
        UpdateStudioEnvironment environment = UpdateStudioEnvironment::real(), QObject* parent = nullptr);
    // Stops the watchers (waiting for a running check), the toast timer, the size measurement and
    // the Homebrew query; work still running on a pool finishes on its own and is dropped.
    ~UpdateStudioViewModel() override;

    const StudioState& state() const { return m_state; }
    const UpdateStudioEnvironment& environment() const { return m_environment; }

    // The text for the view model's language.
    QString t(const QString& en, const QString& tr) const;

    // Shows `message` until 3.6 s have passed or a newer toast replaces it.
    void showToast(const QString& message, bool isError);

    // Keeps the latest opener of the studio window; the reopen-studio-window notification calls it.
    void bindStudioWindowOpener(std::function<void()> opener);

    // Switches the interface language and stores it as the user's choice.
    void setLanguage(TruneLanguage language);

    int menuBarBadgeCount() const;
    int outdatedBrewCount() const;
    int outdatedDependencyBrewCount() const;

    // Rescans apps, Homebrew and the update feeds. A request during a pass causes one more pass
    // after it, however many arrive; `done` runs when the series that covers this request ends.
    void refreshAllAndCheckUpdates(std::function<void()> done = {});

    // Puts measured sizes into the app list and the uninstaller's target.
    void applySizeMeasurements(const std::vector<AppSizeMeasurement>& measurements);

    // The views' own settings of what they show.
    void setSelectedTab(UpdateStudioTab tab);
    void setSelectedFilter(AppFilterKind filter);
    void setAppSearchQuery(const QString& query);
    void setHomebrewSubTab(HomebrewSubTab tab);
    void setHomebrewFilterQuery(const QString& query);
    void setShowBrewDependencies(bool show);
    void setUninstallerSearchQuery(const QString& query);
    void setUninstallerSortOrder(UninstallerAppSortOrder order);
    void setLeftoverSortOrder(LeftoverSortOrder order);
    void setVersionLogsSheetPresented(bool presented);

signals:
    void changed(StudioFields fields);

private:
    // What the Homebrew query of one pass found.
    struct HomebrewOutcome {
        std::optional<QString> brewPath = {};
        std::optional<std::vector<HomebrewItem>> items = {}; // none: brew failed twice
        std::optional<HomebrewCommandError> failure = {};
    };

    // The pass in progress: which of its concurrent parts have come back.
    struct RefreshPass {
        bool appsPublished = false;
        std::optional<HomebrewOutcome> homebrew;
        bool homebrewApplied = false;
        std::optional<QHash<QString, SparkleUpdateCheckResult>> feeds;
    };

    template <typename T> void assign(StudioField field, T StudioState::*member, T value);
    void markChanged(StudioFields fields);
    void emitChanged();

    void startRefreshPass();
    void startHomebrewQuery();
    void startAppScan();
    void startSizeMeasurement();
    void startFeedCheck();
    void publishScannedApps(std::vector<InstalledAppRecord> apps);
    void receiveHomebrew(HomebrewOutcome outcome);
    void receiveFeeds(QHash<QString, SparkleUpdateCheckResult> results);
    void continueRefreshPass();
    void applyHomebrewOutcome(const HomebrewOutcome& outcome);
    void finishRefreshPass();
    void logScanSummary();

    // Runs `apply` on the main thread if this view model still exists and `generation` is still
    // the latest pass. Callable from any thread; the QPointer must have been made on the main one.
    static void deliver(
        QPointer<UpdateStudioViewModel> self, quint64 generation, std::function<void(UpdateStudioViewModel&)> apply);

    UpdateStudioEnvironment m_environment;
    StudioState m_state;
    StudioFields m_unannounced;

    UpdateConfigStore m_store;
    SparkleUpdateChecker m_sparkleChecker;
    TrashAppWatcher m_trashWatcher;
    ApplicationsDirectoryWatcher m_applicationsWatcher;

    quint64 m_scanGeneration = 0;
    bool m_refreshSeriesRunning = false;
    bool m_pendingRefreshRequested = false;
    std::vector<std::function<void()>> m_refreshWaiters;
    std::optional<RefreshPass> m_pass;
    std::stop_source m_sizeScan;
    HomebrewService::Cancellation m_homebrewQueryCancellation;

    QTimer m_toastTimer;
    std::function<void()> m_studioWindowOpener;
    QMetaObject::Connection m_reopenWindowObserver;
};
