#pragma once

#include "app/viewmodel/AppSizeMeasurement.h"
#include "app/viewmodel/StudioState.h"
#include "app/viewmodel/UninstallSelection.h"
#include "app/viewmodel/UpdateStudioEnvironment.h"

#include <QDateTime>
#include <QObject>
#include <QUrl>

#include <optional>
#include <vector>

struct TrashRemovalReport;

// The uninstaller's work on one app: its target, the leftovers a background scan finds for
// it, which of them the user selects and whether the bundle goes too, and the move of that
// selection to the Trash.
//
// Each app taken up is numbered and named: a scan that ends after the user picked
// another target is dropped, never shown under the new one. A bundle that lies in the Trash is
// never taken along by a move, as that would only rename it there and orphan its record. Bundles
// the move took are remembered for a minute, so that the Trash watcher's news of them can be
// passed over (isOwnTrashedBundle).
//
// The session keeps its own state (target() ... isMoving()) and reports every change at once
// through Host::sessionChanged, before any toast or history entry that follows it; its owner
// (the view model) then publishes that state in StudioState, from which the selection to move is
// read as the views read it. Host is called on the main thread only; a scan or move that ends
// after the session is gone is dropped (the session is a QObject for that guard).
class UninstallSession final : public QObject {
public:
    class Host {
    public:
        virtual ~Host() = default;
        // The installed apps (whose own files a scan leaves alone) and the language are read here.
        virtual const StudioState& studioState() const = 0;
        virtual void sessionChanged() = 0;
        // Brings the uninstaller's tab forward.
        virtual void showUninstaller() = 0;
        virtual void showToast(const QString& message, bool isError) = 0;
        virtual void recordHistory(UpdateLogEntry entry) = 0;
        // A scan measured its target, whose size belongs to the app whatever is inspected by then.
        virtual void applySizeMeasurements(const std::vector<AppSizeMeasurement>& measurements) = 0;
        // A move took an app's bundle: the app lists no longer hold.
        virtual void appBundleTrashed() = 0;
    };

    UninstallSession(Host& host, const UpdateStudioEnvironment& environment);

    const std::optional<InstalledAppRecord>& target() const { return m_target; }
    const std::vector<LeftoverFileItem>& leftovers() const { return m_leftovers; }
    bool isScanning() const { return m_isScanning; }
    bool includesBundle() const { return m_includesBundle; }
    bool isMoving() const { return m_isMoving; }

    // Makes `app` the target and scans its leftovers in the background.
    void inspect(const InstalledAppRecord& app, bool switchToTab);
    // Reads a bundle dropped on the uninstaller and inspects it, on the uninstaller's tab.
    void inspectDroppedAppURL(const QUrl& url);
    // Makes the alert's app the target with the leftovers the Trash watcher found, on the
    // uninstaller's tab.
    void openTrashAlert(const TrashLeftoverAlert& alert);
    void toggleLeftoverSelection(const QString& id);
    void setAllLeftoversSelected(bool selected);
    void setIncludeAppBundleInTrash(bool include);
    // Moves the selected leftovers, and the bundle when chosen and still there, to the Trash;
    // ignored while a move runs or the leftovers are being scanned.
    void trashSelectedLeftovers();
    // Moves what `selection` names, and nothing else: the bundle only when it is still there and
    // outside the Trash. Ignored unless the selection's target is still the target, and while a
    // move runs or the leftovers are being scanned.
    void trashUninstallSelection(const UninstallSelection& selection);
    // Keeps the target's size up to date with what the studio measured.
    void applySizeMeasurements(const std::vector<AppSizeMeasurement>& measurements);
    // Whether `alert` is about a bundle the move took within the last minute: by bundle
    // identifier (letter case ignored), or by name for bundles without one.
    bool isOwnTrashedBundle(const TrashLeftoverAlert& alert);

private:
    struct OwnTrashedBundle {
        QString bundleID;
        QString name;
        QDateTime movedAt;
    };

    void abandonInspection();
    void applyInspection(quint64 generation, const QString& targetID, const QString& name,
        std::vector<LeftoverFileItem> leftovers, std::optional<qint64> measuredSize);
    void applyTrashRemoval(const InstalledAppRecord& target, bool includedBundle, const QString& fromVersion,
        const TrashRemovalReport& report);
    void rememberOwnTrashedBundle(const InstalledAppRecord& target);
    void forgetOwnTrashedBundle(const InstalledAppRecord& target);
    QString t(const QString& en, const QString& tr) const;

    Host& m_host;
    const UpdateStudioEnvironment& m_environment;
    std::optional<InstalledAppRecord> m_target;
    std::vector<LeftoverFileItem> m_leftovers;
    bool m_isScanning = false;
    bool m_includesBundle = true;
    bool m_isMoving = false;
    quint64 m_generation = 0;
    std::vector<OwnTrashedBundle> m_ownTrashedBundles;
};
