#pragma once

#include "app/viewmodel/AppSizeMeasurement.h"
#include "app/viewmodel/StudioState.h"
#include "app/viewmodel/UninstallSelection.h"
#include "app/viewmodel/UpdateStudioEnvironment.h"
#include "kit/foundation/TrunePermissionCenter.h"

#include <QByteArrayView>
#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QUrl>

#include <expected>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

class QTimer;
struct HomebrewCommandError;
struct SparkleUpdateCheckResult;
class SparkleFeedAppQueue;
class TruneProcessCancellation;

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
    // the Homebrew query, and cancels a running brew command without waiting for it; work still
    // running on a pool finishes on its own and is dropped.
    ~UpdateStudioViewModel() override;

    const StudioState& state() const { return m_state; }
    // Whether the stored settings and history have been read. They are read off the main thread
    // when the view model is made; until then the state holds the defaults, and the feeds of the
    // first refresh, the Trash watcher and the check timer wait for them.
    bool hasLoadedStoredFiles() const;
    // Changes are announced once per turn of the event loop; this announces those collected so far
    // at once, for a window about to paint, so that its frame shows the state as it is.
    void announcePendingChanges();
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
    void setShowBrewConsole(bool show);

    // --- Uninstaller and Trash alerts ---
    // Each app the uninstaller takes up is numbered and named: a scan that ends after the user picked
    // another target is dropped, never shown under the new one. A bundle that lies in the Trash is
    // never taken along by a move, as that would only rename it there and orphan its record.

    // Makes `app` the uninstaller's target and scans its leftovers in the background.
    void inspectAppForUninstall(const InstalledAppRecord& app, bool switchToTab);
    // Reads a bundle dropped on the uninstaller and inspects it, on the uninstaller tab.
    void inspectDroppedAppURL(const QUrl& url);
    // Shows the alert's leftovers (as found by the Trash watcher) and dismisses the alert.
    void openTrashAlertInUninstaller(const TrashLeftoverAlert& alert);
    void dismissTrashAlert(const TrashLeftoverAlert& alert);
    void toggleLeftoverSelection(const QString& id);
    void setAllLeftoversSelected(bool selected);
    void setIncludeAppBundleInTrash(bool include);
    // Moves the selected leftovers, and the bundle when chosen and still there, to the Trash;
    // ignored while a move runs (isMovingToTrash) or the leftovers are being scanned.
    void trashSelectedLeftovers();
    // Moves what `selection` names (taken when the confirmation opened), and nothing else: the
    // bundle only when it is still there and outside the Trash. Ignored unless the selection's
    // target is still the target, and while a move runs or the leftovers are being scanned.
    void trashUninstallSelection(const UninstallSelection& selection);
    // What the Trash watcher found, on the main thread: filed first unless its path is known or
    // the bundle is one this program moved to the Trash in the last minute.
    void receiveTrashAlert(const TrashLeftoverAlert& alert);

    // --- Settings, watchers, timers and system hooks ---
    // Changes the settings in place, saves them, restarts the Trash watcher and the timer. Before
    // the stored settings are read, `change` is kept and made again on them, so it must own what
    // it uses.
    void updateConfig(const std::function<void(TruneUpdateConfig&)>& change);
    // Starts (or restarts) the Trash watcher when the setting is on, else stops it.
    void configureTrashWatcher();
    // Replaces the repeating update check by one of the configured period (none below one hour).
    void scheduleAutoCheckTimer();
    const QTimer& autoCheckTimer() const;
    void clearHistory();
    void refreshPermissions();
    void openPermissionSettings(TruneSystemPermissionKind kind);
    // Asks the desktop for the login item; the published state is what the desktop then reports.
    void toggleLaunchAtLogin(bool enabled);
    // Reacts to the application becoming active, once per view model.
    void registerAppActivationObserver();
    // Opens the 600 s watch after an update was handed to an outside updater: re-activations then
    // refresh sooner, until a refresh finds every app current.
    void watchForExternalUpdate();
    // The application became active again: refreshes as decideOnActivation says.
    void handleAppDidBecomeActive();
    // The Applications folders changed: refreshes unless a Homebrew command runs.
    void handleApplicationsChanged();
    // The global hot key's action: the studio window on the updates tab, in front.
    void performGlobalHotkeyAction();

    // --- Homebrew commands, the console, and app update actions ---
    //
    // One Homebrew command runs at a time (a single operation or a batch); a start meanwhile is
    // refused with an error toast. Each command streams brew's output into the console in the
    // order brew printed it, writes one history entry, shows a toast and ends with a refresh.

    void upgradeBrewItem(const HomebrewItem& item);
    void upgradeBrewCaskToken(const QString& token, const QString& displayName,
        const std::optional<QString>& fromVersion, const std::optional<QString>& toVersion);
    // One "brew upgrade" of everything outdated, for the outdated dependency formulae.
    void upgradeAllBrewDependenciesNative();
    void installBrewItem(const HomebrewItem& item);
    void uninstallBrewItem(const HomebrewItem& item);
    void runBrewCleanup();
    void runBrewUpdateMetadata();
    // Upgrades the outdated casks and requested formulae one by one.
    void upgradeAllBrew();
    void cancelBrewCommand();
    void clearBrewConsole();

    void setBrewSearchQuery(const QString& query);
    // Searches for brewSearchQuery. Searches may overlap: only the latest one started publishes.
    void performBrewSearch();

    // Updates the app by the first route that applies: its Homebrew cask, its download link, the
    // App Store, its release notes.
    void updateApp(const InstalledAppRecord& app);
    void openReleaseNotes(const InstalledAppRecord& app);
    void launchApp(const InstalledAppRecord& app);
    void revealInFinder(const QString& path);
    void toggleIgnoreApp(const InstalledAppRecord& app);
    // Removes every entry equal to `bundleID` when case is ignored.
    void removeIgnoredBundleID(const QString& bundleID);

    // Until when coming back to the program means the user may have updated an app elsewhere.
    std::optional<QDateTime> externalUpdateWatchUntil() const;

private:
    // The services, timers, tasks and bookkeeping behind the state; only the view model's own
    // source files see them.
    struct Private;
    struct PartsHost;
    struct HomebrewOutcome;
    struct RefreshPass;
    struct EarlyHomebrewQuery;

    // What the Homebrew command desk reports of its job, published into the state.
    void brewJobStarted();
    void publishBrewJob();
    void brewJobEnded();
    // Keeps the rows of the apps and package lists in place while a batch runs.
    void holdRowOrder();
    bool holdsRowOrder() const;
    void releaseRowOrder();
    // Where a worker passes brew's output for the console.
    std::function<void(QByteArrayView utf8)> brewConsoleOutput();
    void showBrewOutputNextFrame();
    // Adds `text` to the console after the brew output that waits for it.
    void appendBrewLog(const QString& text);

    void applyOptimisticBrewUpgrade(const QString& name, bool isCask, const std::optional<QString>& newVersion);
    void applyOptimisticAllBrewUpgraded();
    void applyOptimisticBrewInstall(const HomebrewItem& item);
    void applyOptimisticBrewUninstall(const QString& name, bool isCask);
    void setHomebrewItemsAndResync(std::vector<HomebrewItem> items);

    void receiveSearchResults(quint64 search, const QString& query,
        const std::expected<std::vector<HomebrewItem>, HomebrewCommandError>& outcome);

    void loadStoredFiles();
    void applyStoredFiles(TruneUpdateConfig config, std::vector<UpdateLogEntry> history);
    // Shows the changed settings and saves them; returns false while the stored settings are still
    // being read, when the change is kept for them instead.
    bool changeConfig(std::function<void(TruneUpdateConfig&)> change);
    void recordHistory(UpdateLogEntry entry);
    void saveConfig();

    // Runs `apply` on the main thread if this view model still exists. Callable from any thread;
    // calls from one thread run in the order they were made.
    static void post(QPointer<UpdateStudioViewModel> self, std::function<void(UpdateStudioViewModel&)> apply);

signals:
    void changed(StudioFields fields);
    // Every toast as it is shown; `changed` may come after a short toast has already ended.
    void toastShown(const QString& message, bool isError);

private:
    template <typename T> void assign(StudioField field, T StudioState::*member, T value);
    void markChanged(StudioFields fields);

    void startRefreshPass();
    void startHomebrewQuery();
    void startAppScan();
    void startSizeMeasurement();
    void startFeedCheck(std::shared_ptr<SparkleFeedAppQueue> apps);
    void publishScannedApps(std::vector<InstalledAppRecord> apps);
    void receiveHomebrew(HomebrewOutcome outcome);
    static HomebrewOutcome queryHomebrew(const std::shared_ptr<TruneProcessCancellation>& cancellation);
    void startEarlyHomebrewQuery();
    void receiveEarlyHomebrew(HomebrewOutcome outcome);
    void receiveFeeds(QHash<QString, SparkleUpdateCheckResult> results);
    void continueRefreshPass();
    void applyHomebrewOutcome(const HomebrewOutcome& outcome);
    void finishRefreshPass();
    void logScanSummary();

    // Runs `apply` on the main thread if this view model still exists and `generation` is still
    // the latest pass. Callable from any thread; the QPointer must have been made on the main one.
    static void deliver(
        QPointer<UpdateStudioViewModel> self, quint64 generation, std::function<void(UpdateStudioViewModel&)> apply);

    // The uninstall session's state, published into the state.
    void publishUninstallSession();
    void registerGlobalHotkey();
    void startApplicationsWatcher();

    friend struct StudioTestAccess; // lets tests stand in for what the view model learns from outside

    UpdateStudioEnvironment m_environment;
    StudioState m_state;
    StudioFields m_unannounced;

    std::unique_ptr<Private> d;
};

// Defined here, as the view model's operations are spread over several source files.
template <typename T> void UpdateStudioViewModel::assign(StudioField field, T StudioState::*member, T value)
{
    if (m_state.*member == value)
        return;
    m_state.*member = std::move(value);
    markChanged(field);
}
