#include "app/viewmodel/UninstallSession.h"

#include "app/viewmodel/MainThreadPost.h"
#include "app/viewmodel/StudioThreadPools.h"
#include "core/inventory/InstalledAppScanner.h"
#include "core/leftovers/AppLeftoverScanner.h"
#include "core/leftovers/TrashRemovalReport.h"
#include "kit/foundation/TruneAppLogger.h"
#include "kit/foundation/TruneByteFormatter.h"
#include "kit/localization/TruneText.h"
#include "kit/platform/TruneTrash.h"

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
// session exists.
template <typename Result>
void runFileWork(
    UninstallSession* session, std::function<Result()> work, std::function<void(UninstallSession&, Result)> apply)
{
    StudioThreadPools::files().start([self = QPointer(session), work = std::move(work), apply = std::move(apply)] {
        postToMainThread<UninstallSession>(
            self, [result = work(), apply](UninstallSession& session) mutable { apply(session, std::move(result)); });
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

UninstallSession::UninstallSession(Host& host, const UpdateStudioEnvironment& environment)
    : m_host(host)
    , m_environment(environment)
{
}

QString UninstallSession::t(const QString& en, const QString& tr) const
{
    return truneText(en, tr, m_host.studioState().language);
}

void UninstallSession::inspect(const InstalledAppRecord& app, bool switchToTab)
{
    if (switchToTab)
        m_host.showUninstaller();
    m_target = app;
    m_includesBundle = bundleCanBeTrashed(app.path);
    m_leftovers.clear();
    m_isScanning = true;
    m_host.sessionChanged();

    const quint64 generation = ++m_generation;
    const bool measure = app.sizeBytes == 0;
    runFileWork<InspectionResult>(
        this,
        [name = app.name, bundleID = app.bundleID, path = app.path, measure, libraryRoot = m_environment.libraryRoot,
            locale = m_environment.locale, measureSize = m_environment.measureSize,
            installedIDs = installedBundleIDs(m_host.studioState().installedApps)] {
            InspectionResult result;
            result.leftovers = AppLeftoverScanner::scanLeftovers(name, bundleID, libraryRoot, locale, installedIDs);
            if (measure)
                result.measuredSize = measureSize(path);
            return result;
        },
        [generation, id = app.id(), name = app.name](UninstallSession& session, InspectionResult result) {
            session.applyInspection(generation, id, name, std::move(result.leftovers), result.measuredSize);
        });
}

void UninstallSession::applyInspection(quint64 generation, const QString& targetID, const QString& name,
    std::vector<LeftoverFileItem> leftovers, std::optional<qint64> measuredSize)
{
    // The size belongs to the app whatever the uninstaller shows now.
    if (measuredSize)
        m_host.applySizeMeasurements({AppSizeMeasurement{.id = targetID, .sizeBytes = *measuredSize}});
    if (generation != m_generation || !m_target || m_target->id() != targetID)
        return;
    const qsizetype found = qsizetype(leftovers.size());
    m_leftovers = std::move(leftovers);
    m_isScanning = false;
    m_host.sessionChanged();
    m_environment.logger->info(
        u"Scanned uninstall leftovers for %1: %2 item(s) found"_s.arg(name, QString::number(found)), kCategory);
}

// A scan still running no longer belongs to what the uninstaller shows.
void UninstallSession::abandonInspection()
{
    ++m_generation;
    m_isScanning = false;
}

void UninstallSession::inspectDroppedAppURL(const QUrl& url)
{
    const QString path = url.isLocalFile() ? QDir::cleanPath(url.toLocalFile()) : QString();
    if (path.isEmpty() || QFileInfo(path).suffix().toLower() != u"app"_s) {
        m_host.showToast(
            t(u"Please drop a valid macOS .app bundle."_s, u"Lütfen geçerli bir macOS .app paketi bırakın."_s), true);
        return;
    }
    runFileWork<std::optional<InstalledAppRecord>>(
        this, [path] { return InstalledAppScanner::inspectAppBundle(path, true); },
        [](UninstallSession& session, std::optional<InstalledAppRecord> record) {
            if (!record) {
                session.m_host.showToast(
                    session.t(u"Could not read app bundle metadata."_s, u"Uygulama paketi okunamadı."_s), true);
                return;
            }
            session.inspect(*record, true);
        });
}

void UninstallSession::openTrashAlert(const TrashLeftoverAlert& alert)
{
    m_host.showUninstaller();
    abandonInspection();
    m_target = targetForTrashAlert(alert);
    m_includesBundle = false;
    m_leftovers = alert.leftovers();
    m_host.sessionChanged();
}

void UninstallSession::toggleLeftoverSelection(const QString& id)
{
    const auto found = std::ranges::find(m_leftovers, id, &LeftoverFileItem::id);
    if (found == m_leftovers.end())
        return;
    found->isSelected = !found->isSelected;
    m_host.sessionChanged();
}

void UninstallSession::setAllLeftoversSelected(bool selected)
{
    for (LeftoverFileItem& item : m_leftovers)
        item.isSelected = selected;
    m_host.sessionChanged();
}

void UninstallSession::setIncludeAppBundleInTrash(bool include)
{
    m_includesBundle = include;
    m_host.sessionChanged();
}

void UninstallSession::trashSelectedLeftovers()
{
    if (!m_target)
        return;
    trashUninstallSelection(*StudioDerived::uninstallSelection(m_host.studioState(), true));
}

void UninstallSession::trashUninstallSelection(const UninstallSelection& selection)
{
    if (!m_target || m_target->id() != selection.target.id() || m_isMoving || m_isScanning)
        return;
    const InstalledAppRecord target = selection.target;
    const bool includeBundle = selection.includesBundle && bundleCanBeTrashed(target.path);
    const QString fromVersion = target.displayVersion();
    m_isMoving = true;
    m_host.sessionChanged();
    if (includeBundle)
        rememberOwnTrashedBundle(target);

    runFileWork<TrashRemovalReport>(
        this,
        [items = selection.leftovers, target, includeBundle, libraryRoot = m_environment.libraryRoot,
            language = m_host.studioState().language] {
            return AppLeftoverScanner::moveToTrash(
                items, target.name, target.bundleID, target.path, includeBundle, libraryRoot, language);
        },
        [target, includeBundle, fromVersion](UninstallSession& session, TrashRemovalReport report) {
            session.applyTrashRemoval(target, includeBundle, fromVersion, report);
        });
}

void UninstallSession::applyTrashRemoval(
    const InstalledAppRecord& target, bool includedBundle, const QString& fromVersion, const TrashRemovalReport& report)
{
    m_isMoving = false;
    m_host.sessionChanged();
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
    m_host.recordHistory(entry);

    if (anyFailed) {
        m_environment.logger->warn(
            u"Uninstall trash for %1 moved %2 item(s) with %3 failure(s) (includeBundle=%4)"_s.arg(
                target.name, moved, failed, boolText(includedBundle)),
            kCategory);
        m_host.showToast(t(u"Moved %1 items to Trash; %2 failed (%3)."_s.arg(moved, failed, report.failedPaths.first()),
                             u"%1 öğe Çöp Sepetine taşındı; %2 öğede hata oluştu."_s.arg(moved, failed)),
            true);
    } else {
        m_environment.logger->info(u"Moved %1 item(s) (%2) to Trash for %3 (includeBundle=%4)"_s.arg(
                                       moved, size, target.name, boolText(includedBundle)),
            kCategory);
        m_host.showToast(t(u"Safely moved %1 items (%2) to Trash."_s.arg(moved, size),
                             u"%1 öğe (%2) güvenle Çöp Sepetine taşındı."_s.arg(moved, size)),
            false);
    }

    // What follows the move concerns the moved target only; the user may have picked another.
    const bool stillCurrent = m_target && m_target->id() == target.id();
    if (includedBundle) {
        if (stillCurrent) {
            abandonInspection();
            m_target.reset();
            m_leftovers.clear();
            m_host.sessionChanged();
        }
        m_host.appBundleTrashed();
    } else if (stillCurrent) {
        inspect(target, false);
    }
}

void UninstallSession::applySizeMeasurements(const std::vector<AppSizeMeasurement>& measurements)
{
    if (!m_target)
        return;
    bool measured = false;
    for (const AppSizeMeasurement& measurement : measurements) {
        if (measurement.id != m_target->id())
            continue;
        m_target->sizeBytes = measurement.sizeBytes;
        measured = true;
    }
    if (measured)
        m_host.sessionChanged();
}

void UninstallSession::rememberOwnTrashedBundle(const InstalledAppRecord& target)
{
    forgetOwnTrashedBundle(target);
    m_ownTrashedBundles.push_back({.bundleID = target.bundleID, .name = target.name, .movedAt = m_environment.now()});
}

void UninstallSession::forgetOwnTrashedBundle(const InstalledAppRecord& target)
{
    std::erase_if(m_ownTrashedBundles, [&](const OwnTrashedBundle& bundle) {
        return bundle.bundleID == target.bundleID && bundle.name == target.name;
    });
}

bool UninstallSession::isOwnTrashedBundle(const TrashLeftoverAlert& alert)
{
    const QDateTime since = m_environment.now().addSecs(-kOwnTrashMoveSeconds);
    std::erase_if(m_ownTrashedBundles, [&](const OwnTrashedBundle& bundle) { return bundle.movedAt < since; });
    return std::ranges::any_of(m_ownTrashedBundles, [&](const OwnTrashedBundle& bundle) {
        if (bundle.bundleID.isEmpty() || alert.bundleID().isEmpty())
            return bundle.bundleID.isEmpty() && alert.bundleID().isEmpty() && bundle.name == alert.appName();
        return bundle.bundleID.compare(alert.bundleID(), Qt::CaseInsensitive) == 0;
    });
}
