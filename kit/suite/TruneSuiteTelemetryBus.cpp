#include "kit/suite/TruneSuiteTelemetryBus.h"

#include "kit/platform/TrunePaths.h"
#include "kit/platform/TruneProcessLiveness.h"
#include "kit/platform/TruneStableSort.h"
#include "kit/suite/TruneSuiteFiles.h"
#include "kit/suite/TruneSuiteFreshness.h"

#include <QDir>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

constexpr double minimumOverlapShare = 0.22;

QString liveFileName(TruneSuiteApp app)
{
    switch (app) {
    case TruneSuiteApp::lumbra:
    case TruneSuiteApp::vantor:
    case TruneSuiteApp::haltrix:
    case TruneSuiteApp::audrel:
    case TruneSuiteApp::tunelo:
    case TruneSuiteApp::stillo:
    case TruneSuiteApp::dovel:
        return rawValue(app).toLower() + u"-live.json"_s;
    default:
        return {};
    }
}

void notifyPeers()
{
    TruneDistributedNotificationCenter::post(TruneSuiteTelemetryBus::telemetryUpdatedNotification);
}

template <typename Record>
std::optional<Record> freshRecord(const QString& path, const QDateTime& now, double maxAgeSeconds)
{
    const std::optional<QByteArray> bytes = TruneSuiteFiles::read(path);
    if (!bytes)
        return std::nullopt;
    auto record = truneJsonDecode<Record>(*bytes);
    if (!record || !TruneSuiteFreshness::isFresh(record->timestamp, record->senderPID, now, maxAgeSeconds))
        return std::nullopt;
    return std::move(*record);
}

// Whether `target` is hit by `dragged` (both already known to be larger than 1 x 1).
bool hits(const QRectF& dragged, const QRectF& target)
{
    const QPointF centre = dragged.center();
    // Half-open, as a point on the far edges lies outside a frame.
    if (centre.x() >= target.left() && centre.x() < target.right() && centre.y() >= target.top()
        && centre.y() < target.bottom())
        return true;
    const double overlapWidth = std::min(dragged.right(), target.right()) - std::max(dragged.left(), target.left());
    const double overlapHeight = std::min(dragged.bottom(), target.bottom()) - std::max(dragged.top(), target.top());
    if (!(overlapWidth > 0) || !(overlapHeight > 0))
        return false;
    return overlapWidth * overlapHeight / (dragged.width() * dragged.height()) >= minimumOverlapShare;
}

bool isLargeEnough(const QRectF& frame)
{
    return frame.width() > 1 && frame.height() > 1;
}

} // namespace

const QString TruneSuiteTelemetryBus::telemetryUpdatedNotification = u"com.quorvane.suite.telemetryUpdated"_s;
const QString TruneSuiteTelemetryBus::stilloDockHoverNotification = u"com.quorvane.suite.stilloDockHover"_s;

TruneSuiteTelemetryBus::TruneSuiteTelemetryBus(const std::optional<QString>& baseDirectory)
    : m_baseDirectory(baseDirectory.value_or(TrunePaths::applicationSupportDirectory() + u"/Quorvane/SuiteTelemetry"_s))
{
}

const TruneSuiteTelemetryBus& TruneSuiteTelemetryBus::shared()
{
    static const TruneSuiteTelemetryBus bus;
    return bus;
}

QString TruneSuiteTelemetryBus::liveStatusPath(TruneSuiteApp app) const
{
    const QString name = liveFileName(app);
    return name.isEmpty() ? QString() : m_baseDirectory + u'/' + name;
}

QString TruneSuiteTelemetryBus::liveTilePath(TruneSuiteApp app) const
{
    return m_baseDirectory + u"/LiveTiles/"_s + rawValue(app).toLower() + u".json"_s;
}

template <typename Record> void TruneSuiteTelemetryBus::publish(TruneSuiteApp app, const Record& record) const
{
    if (!TruneSuiteFiles::ensureFolder(m_baseDirectory))
        return;
    if (const auto bytes = truneJsonSerializeFinite(record))
        TruneSuiteFiles::write(liveStatusPath(app), *bytes);
}

template <typename Record>
std::optional<Record> TruneSuiteTelemetryBus::read(TruneSuiteApp app, const QDateTime& now, double maxAgeSeconds) const
{
    return freshRecord<Record>(liveStatusPath(app), now, maxAgeSeconds);
}

void TruneSuiteTelemetryBus::publishLumbraStatus(const LumbraLiveStatus& status, bool notify) const
{
    publish(TruneSuiteApp::lumbra, status);
    if (notify)
        notifyPeers();
}

void TruneSuiteTelemetryBus::publishAudrelStatus(const AudrelLiveStatus& status, bool notify) const
{
    publish(TruneSuiteApp::audrel, status);
    if (notify)
        notifyPeers();
}

void TruneSuiteTelemetryBus::publishTuneloStatus(const TuneloLiveStatus& status, bool notify) const
{
    publish(TruneSuiteApp::tunelo, status);
    if (notify)
        notifyPeers();
}

void TruneSuiteTelemetryBus::publishStilloStatus(const StilloLiveStatus& status, bool notify) const
{
    publish(TruneSuiteApp::stillo, status);
    if (notify)
        notifyPeers();
}

void TruneSuiteTelemetryBus::publishDovelStatus(const DovelLiveStatus& status, bool notify) const
{
    publish(TruneSuiteApp::dovel, status);
    if (notify)
        notifyPeers();
}

void TruneSuiteTelemetryBus::publishVantorStatus(const VantorLiveStatus& status) const
{
    publish(TruneSuiteApp::vantor, status);
}

void TruneSuiteTelemetryBus::publishHaltrixStatus(const HaltrixLiveStatus& status) const
{
    publish(TruneSuiteApp::haltrix, status);
}

std::optional<LumbraLiveStatus> TruneSuiteTelemetryBus::readLumbraStatus(
    const QDateTime& now, double maxAgeSeconds) const
{
    return read<LumbraLiveStatus>(TruneSuiteApp::lumbra, now, maxAgeSeconds);
}

std::optional<VantorLiveStatus> TruneSuiteTelemetryBus::readVantorStatus(
    const QDateTime& now, double maxAgeSeconds) const
{
    return read<VantorLiveStatus>(TruneSuiteApp::vantor, now, maxAgeSeconds);
}

std::optional<HaltrixLiveStatus> TruneSuiteTelemetryBus::readHaltrixStatus(
    const QDateTime& now, double maxAgeSeconds) const
{
    return read<HaltrixLiveStatus>(TruneSuiteApp::haltrix, now, maxAgeSeconds);
}

std::optional<AudrelLiveStatus> TruneSuiteTelemetryBus::readAudrelStatus(
    const QDateTime& now, double maxAgeSeconds) const
{
    return read<AudrelLiveStatus>(TruneSuiteApp::audrel, now, maxAgeSeconds);
}

std::optional<TuneloLiveStatus> TruneSuiteTelemetryBus::readTuneloStatus(
    const QDateTime& now, double maxAgeSeconds) const
{
    return read<TuneloLiveStatus>(TruneSuiteApp::tunelo, now, maxAgeSeconds);
}

std::optional<StilloLiveStatus> TruneSuiteTelemetryBus::readStilloStatus(
    const QDateTime& now, double maxAgeSeconds) const
{
    return read<StilloLiveStatus>(TruneSuiteApp::stillo, now, maxAgeSeconds);
}

std::optional<DovelLiveStatus> TruneSuiteTelemetryBus::readDovelStatus(const QDateTime& now, double maxAgeSeconds) const
{
    return read<DovelLiveStatus>(TruneSuiteApp::dovel, now, maxAgeSeconds);
}

void TruneSuiteTelemetryBus::clearStatus(TruneSuiteApp app) const
{
    const QString path = liveStatusPath(app);
    if (!path.isEmpty())
        TruneSuiteFiles::remove(path);
}

void TruneSuiteTelemetryBus::publishLiveTile(const TruneLiveActivityTile& tile, bool notify) const
{
    const auto bytes = truneJsonSerializeFinite(tile);
    if (!bytes)
        return;
    if (TruneSuiteFiles::ensureFolder(m_baseDirectory + u"/LiveTiles"_s))
        TruneSuiteFiles::write(liveTilePath(tile.app), *bytes);
    if (notify)
        notifyPeers();
}

void TruneSuiteTelemetryBus::clearLiveTile(TruneSuiteApp app) const
{
    TruneSuiteFiles::remove(liveTilePath(app));
}

std::vector<TruneLiveActivityTile> TruneSuiteTelemetryBus::readLiveTiles(
    const QDateTime& now, double maxAgeSeconds) const
{
    std::vector<TruneLiveActivityTile> tiles;
    const QDir folder(m_baseDirectory + u"/LiveTiles"_s);
    const QStringList names = folder.entryList(QDir::Files | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& name : names) {
        if (!name.endsWith(u".json"_s, Qt::CaseInsensitive))
            continue;
        if (auto tile = freshRecord<TruneLiveActivityTile>(folder.filePath(name), now, maxAgeSeconds))
            tiles.push_back(std::move(*tile));
    }
    truneStableSort(tiles.begin(), tiles.end(), [](const TruneLiveActivityTile& a, const TruneLiveActivityTile& b) {
        if (a.priority != b.priority)
            return a.priority > b.priority;
        return a.timestamp > b.timestamp;
    });
    return tiles;
}

std::unique_ptr<TruneDistributedObservation> TruneSuiteTelemetryBus::observeTelemetryUpdates(
    std::function<void()> handler) const
{
    return TruneDistributedNotificationCenter::observe(
        telemetryUpdatedNotification, [handler = std::move(handler)](const std::optional<QString>&) { handler(); });
}

void TruneSuiteTelemetryBus::postStilloDockHoverTarget(const std::optional<QString>& target) const
{
    TruneDistributedNotificationCenter::post(stilloDockHoverNotification, target.value_or(u"none"_s));
}

std::unique_ptr<TruneDistributedObservation> TruneSuiteTelemetryBus::observeStilloDockHover(
    std::function<void(const std::optional<QString>&)> handler) const
{
    return TruneDistributedNotificationCenter::observe(
        stilloDockHoverNotification, [handler = std::move(handler)](const std::optional<QString>& object) {
            const bool isTarget = object == u"mini"_s || object == u"studio"_s;
            handler(isTarget ? object : std::nullopt);
        });
}

std::optional<QString> TruneSuiteTelemetryBus::detectDockDropTarget(
    const QRectF& draggedFrame, const std::optional<QRectF>& miniTarget, const std::optional<QRectF>& studioTarget)
{
    const auto isHit = [&](const std::optional<QRectF>& target) {
        return target && isLargeEnough(draggedFrame) && isLargeEnough(*target) && hits(draggedFrame, *target);
    };
    if (isHit(miniTarget))
        return u"mini"_s;
    if (isHit(studioTarget))
        return u"studio"_s;
    return std::nullopt;
}

bool TruneSuiteTelemetryBus::isPIDAlive(qint32 pid)
{
    return TruneProcessLiveness::isAlive(pid);
}

TruneVirtualMemorySummary TruneSuiteTelemetryBus::readVirtualMemorySummary(
    const QDateTime& now, const TruneKernelMemoryRoots& roots) const
{
    const TruneKernelMemoryReading kernel = TruneKernelMemory::readKernelMemoryAndSwap(roots);
    TruneVirtualMemorySummary summary;
    if (const std::optional<LumbraLiveStatus> lumbra = readLumbraStatus(now, 18)) {
        const auto positiveOr = [](qint64 fromFile, qint64 fromKernel) { return fromFile > 0 ? fromFile : fromKernel; };
        summary.physicalTotalBytes = positiveOr(lumbra->physicalTotalBytes, kernel.physicalTotal);
        summary.physicalUsedBytes = positiveOr(lumbra->physicalUsedBytes, kernel.physicalUsed);
        summary.compressedBytes = positiveOr(lumbra->compressedBytes, kernel.compressed);
        summary.swapTotalBytes = std::max(kernel.swapTotal, lumbra->swapTotalBytes);
        summary.swapUsedBytes = std::max(kernel.swapUsed, lumbra->swapUsedBytes);
        summary.swapFileCount = lumbra->swapFileCount;
        summary.swapEncrypted = lumbra->swapEncrypted;
        summary.pressureLevel = lumbra->pressureLevel;
        summary.isLumbraRunning = true;
        summary.activeDiskPoolCount = lumbra->activeDiskPoolCount;
        summary.diskPoolVirtualBytes = lumbra->diskPoolVirtualBytes;
        summary.diskPoolActualDiskBytes = lumbra->diskPoolActualDiskBytes;
        summary.diskPoolNames = lumbra->diskPoolNames;
        summary.mountedSparseDiskCount = lumbra->mountedSparseDiskCount;
        summary.sparseDiskVirtualBytes = lumbra->sparseDiskVirtualBytes;
        summary.sparseDiskActualBytes = lumbra->sparseDiskActualBytes;
        summary.sparseDiskNames = lumbra->sparseDiskNames;
        summary.mountedRAMDiskCount = lumbra->mountedRAMDiskCount;
        summary.ramDiskTotalBytes = lumbra->ramDiskTotalBytes;
        summary.ramDiskNames = lumbra->ramDiskNames;
        summary.frozenAppCount = lumbra->frozenAppCount;
        summary.frozenPIDs = lumbra->frozenPIDs;
        summary.reclaimedFromFrozenBytes = lumbra->reclaimedFromFrozenBytes;
        return summary;
    }
    summary.physicalTotalBytes = kernel.physicalTotal;
    summary.physicalUsedBytes = kernel.physicalUsed;
    summary.compressedBytes = kernel.compressed;
    summary.swapTotalBytes = kernel.swapTotal;
    summary.swapUsedBytes = kernel.swapUsed;
    summary.swapEncrypted = kernel.swapEncrypted;
    summary.pressureLevel = kernel.pressureLevel;
    const TruneMountedSparseDisks sparse = TruneKernelMemory::detectMountedLumbraSparseDisks(roots);
    summary.mountedSparseDiskCount = sparse.count;
    summary.sparseDiskVirtualBytes = sparse.totalCapacityBytes;
    summary.sparseDiskActualBytes = sparse.usedBytes;
    summary.sparseDiskNames = sparse.names;
    return summary;
}
