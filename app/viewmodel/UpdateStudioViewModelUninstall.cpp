// The uninstaller's operations and the Trash alerts of the studio's view model.
#include "app/viewmodel/UpdateStudioViewModelPrivate.h"

#include "app/viewmodel/StudioThreadPools.h"
#include "core/inventory/InstalledAppScanner.h"
#include "core/leftovers/AppLeftoverScanner.h"
#include "kit/foundation/TruneAppLogger.h"
#include "kit/foundation/TruneByteFormatter.h"
#include "kit/platform/TruneTrash.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QUuid>

using namespace Qt::StringLiterals;

namespace {

const QString kCategory = u"uninstall"_s;
// How long after its own move the program takes a bundle arriving in the Trash for its own.
constexpr qint64 kOwnTrashMoveSeconds = 60;

QString boolText(bool value)
{
    return value ? u"true"_s : u"false"_s;
}

// Whether the move may take the bundle itself: it is there, and not in the Trash already.
bool bundleCanBeTrashed(const QString& path)
{
    return AppLeftoverScanner::fileExistsAtPath(path) && !TruneTrash::liesInTrash(path);
}

InstalledAppRecord targetForTrashAlert(const TrashLeftoverAlert& alert)
{
    return InstalledAppRecord(std::nullopt, alert.appName(), alert.bundleID(), alert.trashedAppPath(), u"Trashed"_s,
        QString(), std::nullopt, false, std::nullopt, std::nullopt, std::nullopt, std::nullopt, AppOriginKind::direct,
        AppArchitecture::unknown, 0, std::nullopt, std::nullopt);
}

// Runs `work` on the files pool and hands its result to `apply` on the main thread, while the
// view model exists.
template <typename Result>
void runFileWork(UpdateStudioViewModel* model, std::function<Result()> work,
    std::function<void(UpdateStudioViewModel&, Result)> apply)
{
    StudioThreadPools::files().start(
        [self = QPointer(model), work = std::move(work), apply = std::move(apply)]() mutable {
            Result result = work();
            QCoreApplication* application = QCoreApplication::instance();
            if (!application)
                return;
            QMetaObject::invokeMethod(
                application,
                [self, result = std::move(result), apply = std::move(apply)]() mutable {
                    if (self)
                        apply(*self, std::move(result));
                },
                Qt::QueuedConnection);
        });
}

QSet<QString> installedBundleIDs(const std::vector<InstalledAppRecord>& apps)
{
    QSet<QString> ids;
    for (const InstalledAppRecord& app : apps)
        ids.insert(app.bundleID);
    return ids;
}

struct InspectionResult {
    std::vector<LeftoverFileItem> leftovers;
    std::optional<qint64> measuredSize;
};

} // namespace

void UpdateStudioViewModel::inspectAppForUninstall(const InstalledAppRecord& app, bool switchToTab)
{
    if (switchToTab)
        setSelectedTab(UpdateStudioTab::uninstaller);
    assign(StudioField::uninstallerTargetApp, &StudioState::uninstallerTargetApp, std::optional(app));
    setIncludeAppBundleInTrash(bundleCanBeTrashed(app.path));
    assign(StudioField::leftoverItems, &StudioState::leftoverItems, std::vector<LeftoverFileItem>());
    assign(StudioField::isScanningLeftovers, &StudioState::isScanningLeftovers, true);

    const quint64 generation = ++d->inspectionGeneration;
    const bool measure = app.sizeBytes == 0;
    runFileWork<InspectionResult>(
        this,
        [name = app.name, bundleID = app.bundleID, path = app.path, measure, libraryRoot = m_environment.libraryRoot,
            locale = m_environment.locale, measureSize = m_environment.measureSize,
            installedIDs = installedBundleIDs(m_state.installedApps)] {
            InspectionResult result;
            result.leftovers = AppLeftoverScanner::scanLeftovers(name, bundleID, libraryRoot, locale, installedIDs);
            if (measure)
                result.measuredSize = measureSize(path);
            return result;
        },
        [generation, id = app.id(), name = app.name](UpdateStudioViewModel& model, InspectionResult result) {
            model.applyInspection(generation, id, name, std::move(result.leftovers), result.measuredSize);
        });
}

void UpdateStudioViewModel::applyInspection(quint64 generation, const QString& targetID, const QString& name,
    std::vector<LeftoverFileItem> leftovers, std::optional<qint64> measuredSize)
{
    // The size belongs to the app whatever the uninstaller shows now.
    if (measuredSize)
        applySizeMeasurements({AppSizeMeasurement{.id = targetID, .sizeBytes = *measuredSize}});
    const std::optional<InstalledAppRecord>& target = m_state.uninstallerTargetApp;
    if (generation != d->inspectionGeneration || !target || target->id() != targetID)
        return;
    const qsizetype found = qsizetype(leftovers.size());
    assign(StudioField::leftoverItems, &StudioState::leftoverItems, std::move(leftovers));
    assign(StudioField::isScanningLeftovers, &StudioState::isScanningLeftovers, false);
    m_environment.logger->info(
        u"Scanned uninstall leftovers for %1: %2 item(s) found"_s.arg(name, QString::number(found)), kCategory);
}

// A scan still running no longer belongs to what the uninstaller shows.
void UpdateStudioViewModel::abandonInspection()
{
    ++d->inspectionGeneration;
    assign(StudioField::isScanningLeftovers, &StudioState::isScanningLeftovers, false);
}

void UpdateStudioViewModel::inspectDroppedAppURL(const QUrl& url)
{
    const QString path = url.isLocalFile() ? QDir::cleanPath(url.toLocalFile()) : QString();
    if (path.isEmpty() || QFileInfo(path).suffix().toLower() != u"app"_s) {
        showToast(
            t(u"Please drop a valid macOS .app bundle."_s, u"Lütfen geçerli bir macOS .app paketi bırakın."_s), true);
        return;
    }
    runFileWork<std::optional<InstalledAppRecord>>(
        this, [path] { return InstalledAppScanner::inspectAppBundle(path, true); },
        [](UpdateStudioViewModel& model, std::optional<InstalledAppRecord> record) {
            if (!record) {
                model.showToast(
                    model.t(u"Could not read app bundle metadata."_s, u"Uygulama paketi okunamadı."_s), true);
                return;
            }
            model.inspectAppForUninstall(*record, true);
        });
}

void UpdateStudioViewModel::openTrashAlertInUninstaller(const TrashLeftoverAlert& alert)
{
    setSelectedTab(UpdateStudioTab::uninstaller);
    abandonInspection();
    assign(StudioField::uninstallerTargetApp, &StudioState::uninstallerTargetApp,
        std::optional(targetForTrashAlert(alert)));
    setIncludeAppBundleInTrash(false);
    assign(StudioField::leftoverItems, &StudioState::leftoverItems, alert.leftovers());
    dismissTrashAlert(alert);
}

void UpdateStudioViewModel::dismissTrashAlert(const TrashLeftoverAlert& alert)
{
    std::vector<TrashLeftoverAlert> kept;
    for (const TrashLeftoverAlert& pending : m_state.trashAlerts) {
        if (pending.id() != alert.id())
            kept.push_back(pending);
    }
    assign(StudioField::trashAlerts, &StudioState::trashAlerts, std::move(kept));
}

void UpdateStudioViewModel::toggleLeftoverSelection(const QString& id)
{
    std::vector<LeftoverFileItem> items = m_state.leftoverItems;
    const auto found = std::ranges::find(items, id, &LeftoverFileItem::id);
    if (found == items.end())
        return;
    found->isSelected = !found->isSelected;
    assign(StudioField::leftoverItems, &StudioState::leftoverItems, std::move(items));
}

void UpdateStudioViewModel::setAllLeftoversSelected(bool selected)
{
    std::vector<LeftoverFileItem> items = m_state.leftoverItems;
    for (LeftoverFileItem& item : items)
        item.isSelected = selected;
    assign(StudioField::leftoverItems, &StudioState::leftoverItems, std::move(items));
}

void UpdateStudioViewModel::setIncludeAppBundleInTrash(bool include)
{
    assign(StudioField::includeAppBundleInTrash, &StudioState::includeAppBundleInTrash, include);
}

void UpdateStudioViewModel::trashSelectedLeftovers()
{
    if (!m_state.uninstallerTargetApp)
        return;
    trashUninstallSelection(*StudioDerived::uninstallSelection(m_state, true));
}

void UpdateStudioViewModel::trashUninstallSelection(const UninstallSelection& selection)
{
    const std::optional<InstalledAppRecord>& current = m_state.uninstallerTargetApp;
    if (!current || current->id() != selection.target.id() || m_state.isMovingToTrash || m_state.isScanningLeftovers)
        return;
    const InstalledAppRecord target = selection.target;
    const bool includeBundle = selection.includesBundle && bundleCanBeTrashed(target.path);
    const QString fromVersion = target.displayVersion();
    assign(StudioField::isMovingToTrash, &StudioState::isMovingToTrash, true);
    if (includeBundle)
        rememberOwnTrashedBundle(target);

    runFileWork<TrashRemovalReport>(
        this,
        [items = selection.leftovers, target, includeBundle, libraryRoot = m_environment.libraryRoot,
            language = m_state.language] {
            return AppLeftoverScanner::moveToTrash(
                items, target.name, target.bundleID, target.path, includeBundle, libraryRoot, language);
        },
        [target, includeBundle, fromVersion](UpdateStudioViewModel& model, TrashRemovalReport report) {
            model.applyTrashRemoval(target, includeBundle, fromVersion, report);
        });
}

void UpdateStudioViewModel::applyTrashRemoval(
    const InstalledAppRecord& target, bool includedBundle, const QString& fromVersion, const TrashRemovalReport& report)
{
    assign(StudioField::isMovingToTrash, &StudioState::isMovingToTrash, false);
    // The minute counts from the end of a long move; a bundle that stayed is not passed over.
    if (includedBundle && report.trashedPaths.contains(target.path))
        rememberOwnTrashedBundle(target);
    else if (includedBundle)
        forgetOwnTrashedBundle(target);
    const QString moved = QString::number(report.trashedPaths.size());
    const QString failed = QString::number(report.failedPaths.size());
    const QString size = TruneByteFormatter::format(report.reclaimedBytes);
    const bool anyFailed = !report.failedPaths.isEmpty();

    const UpdateLogEntry entry(QUuid::createUuid(), m_environment.now(), target.name,
        includedBundle ? UpdateLogAction::appUninstall : UpdateLogAction::leftoverTrash, fromVersion, std::nullopt,
        anyFailed ? UpdateLogStatus::failed : UpdateLogStatus::success,
        u"Moved %1 item(s) to Trash (%2)"_s.arg(moved, size));
    recordHistory(entry);

    if (anyFailed) {
        m_environment.logger->warn(
            u"Uninstall trash for %1 moved %2 item(s) with %3 failure(s) (includeBundle=%4)"_s.arg(
                target.name, moved, failed, boolText(includedBundle)),
            kCategory);
        showToast(t(u"Moved %1 items to Trash; %2 failed (%3)."_s.arg(moved, failed, report.failedPaths.first()),
                      u"%1 öğe Çöp Sepetine taşındı; %2 öğede hata oluştu."_s.arg(moved, failed)),
            true);
    } else {
        m_environment.logger->info(u"Moved %1 item(s) (%2) to Trash for %3 (includeBundle=%4)"_s.arg(
                                       moved, size, target.name, boolText(includedBundle)),
            kCategory);
        showToast(t(u"Safely moved %1 items (%2) to Trash."_s.arg(moved, size),
                      u"%1 öğe (%2) güvenle Çöp Sepetine taşındı."_s.arg(moved, size)),
            false);
    }

    // What follows the move concerns the moved target only; the user may have picked another.
    const bool stillCurrent = m_state.uninstallerTargetApp && m_state.uninstallerTargetApp->id() == target.id();
    if (includedBundle) {
        if (stillCurrent) {
            abandonInspection();
            assign(StudioField::uninstallerTargetApp, &StudioState::uninstallerTargetApp,
                std::optional<InstalledAppRecord>());
            assign(StudioField::leftoverItems, &StudioState::leftoverItems, std::vector<LeftoverFileItem>());
        }
        refreshAllAndCheckUpdates();
    } else if (stillCurrent) {
        inspectAppForUninstall(target, false);
    }
}

void UpdateStudioViewModel::rememberOwnTrashedBundle(const InstalledAppRecord& target)
{
    forgetOwnTrashedBundle(target);
    d->ownTrashedBundles.push_back({.bundleID = target.bundleID, .name = target.name, .movedAt = m_environment.now()});
}

void UpdateStudioViewModel::forgetOwnTrashedBundle(const InstalledAppRecord& target)
{
    std::erase_if(d->ownTrashedBundles, [&](const OwnTrashedBundle& bundle) {
        return bundle.bundleID == target.bundleID && bundle.name == target.name;
    });
}

// The same app as a bundle moved here within the last minute: by bundle identifier (letter case
// ignored), or by name for bundles without one.
bool UpdateStudioViewModel::isOwnTrashedBundle(const TrashLeftoverAlert& alert)
{
    const QDateTime since = m_environment.now().addSecs(-kOwnTrashMoveSeconds);
    std::erase_if(d->ownTrashedBundles, [&](const OwnTrashedBundle& bundle) { return bundle.movedAt < since; });
    return std::ranges::any_of(d->ownTrashedBundles, [&](const OwnTrashedBundle& bundle) {
        if (bundle.bundleID.isEmpty() || alert.bundleID().isEmpty())
            return bundle.bundleID.isEmpty() && alert.bundleID().isEmpty() && bundle.name == alert.appName();
        return bundle.bundleID.compare(alert.bundleID(), Qt::CaseInsensitive) == 0;
    });
}

void UpdateStudioViewModel::receiveTrashAlert(const TrashLeftoverAlert& alert)
{
    const bool known = std::ranges::any_of(m_state.trashAlerts,
        [&](const TrashLeftoverAlert& pending) { return pending.trashedAppPath() == alert.trashedAppPath(); });
    if (known || isOwnTrashedBundle(alert))
        return;
    std::vector<TrashLeftoverAlert> alerts = m_state.trashAlerts;
    alerts.insert(alerts.begin(), alert);
    assign(StudioField::trashAlerts, &StudioState::trashAlerts, std::move(alerts));

    const QString count = QString::number(alert.leftovers().size());
    const QString size = TruneByteFormatter::format(alert.totalSizeBytes());
    m_environment.logger->info(
        u"Trash watcher detected %1 with %2 leftover(s)"_s.arg(alert.appName(), count), kCategory);
    showToast(t(u"%1 moved to Trash — %2 leftovers found (%3)."_s.arg(alert.appName(), count, size),
                  u"%1 Çöp Sepetine taşındı — %2 artık dosya bulundu (%3)."_s.arg(alert.appName(), count, size)),
        false);
}
