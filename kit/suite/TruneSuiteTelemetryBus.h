#pragma once

#include "kit/platform/TruneDistributedNotificationCenter.h"
#include "kit/suite/AudrelLiveStatus.h"
#include "kit/suite/DovelLiveStatus.h"
#include "kit/suite/HaltrixLiveStatus.h"
#include "kit/suite/LumbraLiveStatus.h"
#include "kit/suite/StilloLiveStatus.h"
#include "kit/suite/TruneKernelMemory.h"
#include "kit/suite/TruneLiveActivityTile.h"
#include "kit/suite/TruneSuiteApp.h"
#include "kit/suite/TruneVirtualMemorySummary.h"
#include "kit/suite/TuneloLiveStatus.h"
#include "kit/suite/VantorLiveStatus.h"

#include <QDateTime>
#include <QRectF>
#include <QString>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

// Lets the sibling apps show each other's live state without a server. The seven named apps
// publish a live status ("<app>-live.json") and any app a live tile ("LiveTiles/<app>.json") into
// one folder; readers trust a record only while it is recent and its sender still runs. The
// notification "com.quorvane.suite.telemetryUpdated" says fresh telemetry was published;
// "com.quorvane.suite.stilloDockHover" carries the drop target a dragged Stillo window hovers.
// Nothing here reports an error: writes are skipped, reads give nothing.
class TruneSuiteTelemetryBus final {
public:
    static const QString telemetryUpdatedNotification;
    static const QString stilloDockHoverNotification;

    // `baseDirectory` as given; without one "Quorvane/SuiteTelemetry" of the Application Support
    // directory. Touches no file.
    explicit TruneSuiteTelemetryBus(const std::optional<QString>& baseDirectory = std::nullopt);

    static const TruneSuiteTelemetryBus& shared();

    const QString& baseDirectory() const { return m_baseDirectory; }

    // With notifyPeers the update notification is posted, even when the file could not be written.
    void publishLumbraStatus(const LumbraLiveStatus& status, bool notifyPeers) const;
    void publishAudrelStatus(const AudrelLiveStatus& status, bool notifyPeers) const;
    void publishTuneloStatus(const TuneloLiveStatus& status, bool notifyPeers) const;
    void publishStilloStatus(const StilloLiveStatus& status, bool notifyPeers) const;
    void publishDovelStatus(const DovelLiveStatus& status, bool notifyPeers) const;
    // These two never notify.
    void publishVantorStatus(const VantorLiveStatus& status) const;
    void publishHaltrixStatus(const HaltrixLiveStatus& status) const;

    // The status when its file reads, decodes, lies at most maxAgeSeconds from `now` either way
    // and its sender still runs; otherwise nothing.
    std::optional<LumbraLiveStatus> readLumbraStatus(const QDateTime& now, double maxAgeSeconds) const;
    std::optional<VantorLiveStatus> readVantorStatus(const QDateTime& now, double maxAgeSeconds) const;
    std::optional<HaltrixLiveStatus> readHaltrixStatus(const QDateTime& now, double maxAgeSeconds) const;
    std::optional<AudrelLiveStatus> readAudrelStatus(const QDateTime& now, double maxAgeSeconds) const;
    std::optional<TuneloLiveStatus> readTuneloStatus(const QDateTime& now, double maxAgeSeconds) const;
    std::optional<StilloLiveStatus> readStilloStatus(const QDateTime& now, double maxAgeSeconds) const;
    std::optional<DovelLiveStatus> readDovelStatus(const QDateTime& now, double maxAgeSeconds) const;

    // Removes the live file of one of the seven named apps; any other app has none.
    void clearStatus(TruneSuiteApp app) const;

    void publishLiveTile(const TruneLiveActivityTile& tile, bool notifyPeers) const;
    void clearLiveTile(TruneSuiteApp app) const;
    // The fresh tiles of living senders, higher priority first, then the newer first.
    std::vector<TruneLiveActivityTile> readLiveTiles(const QDateTime& now, double maxAgeSeconds) const;

    std::unique_ptr<TruneDistributedObservation> observeTelemetryUpdates(std::function<void()> handler) const;
    // Posts "mini", "studio" or another target; nothing posts "none".
    void postStilloDockHoverTarget(const std::optional<QString>& target) const;
    // The handler gets "mini" or "studio", and nothing for any other notice.
    std::unique_ptr<TruneDistributedObservation> observeStilloDockHover(
        std::function<void(const std::optional<QString>&)> handler) const;

    // "mini" when the dragged frame hits the mini target, else "studio" when it hits that one.
    // A target is hit when both frames are more than 1 point wide and high and the dragged frame's
    // centre lies inside the target or at least 22 % of its area overlaps it.
    static std::optional<QString> detectDockDropTarget(
        const QRectF& draggedFrame, const std::optional<QRectF>& miniTarget, const std::optional<QRectF>& studioTarget);

    // The kernel's figures joined with a Lumbra live file that is at most 18 s from `now`; without
    // one, the Lumbra sparse disks found mounted. Blocks on file and kernel reads; never fails.
    TruneVirtualMemorySummary readVirtualMemorySummary(
        const QDateTime& now, const TruneKernelMemoryRoots& roots = TruneKernelMemoryRoots{}) const;

    static bool isPIDAlive(qint32 pid);

    QString liveTilePath(TruneSuiteApp app) const;
    // The live file of one of the seven named apps; empty for any other.
    QString liveStatusPath(TruneSuiteApp app) const;

private:
    template <typename Record> void publish(TruneSuiteApp app, const Record& record) const;
    template <typename Record>
    std::optional<Record> read(TruneSuiteApp app, const QDateTime& now, double maxAgeSeconds) const;

    QString m_baseDirectory;
};
