#pragma once

#include "kit/platform/TruneJson.h"

#include <QDateTime>
#include <QStringList>

#include <optional>
#include <tuple>
#include <vector>

// The live status of the Haltrix app (unresponsive and problematic processes, focus profile).
// Values are taken as they come; a count need not match the length of its list.
struct HaltrixLiveStatus {
    QDateTime timestamp;
    qint32 senderPID = 0;
    qint64 totalProcessCount = 0;
    qint64 unresponsiveCount = 0;
    qint64 problematicCount = 0;
    QStringList unresponsiveAppNames;
    qint64 memoryLeakCount = 0;
    std::vector<qint32> autoFrozenPIDs;
    std::optional<QString> activeFocusProfileName;
    qint64 reclaimedFocusBytes = 0;
    qint64 listeningPortCount = 0;

    bool isFresh(const QDateTime& now, double maxAgeSeconds) const;

    auto fields() const
    {
        return std::tie(timestamp, senderPID, totalProcessCount, unresponsiveCount, problematicCount,
            unresponsiveAppNames, memoryLeakCount, autoFrozenPIDs, activeFocusProfileName, reclaimedFocusBytes,
            listeningPortCount);
    }
    friend bool operator==(const HaltrixLiveStatus& a, const HaltrixLiveStatus& b);
};

template <> struct TruneJsonCoding<HaltrixLiveStatus> {
    static QJsonValue encode(const HaltrixLiveStatus& status);
    static TruneJsonResult<HaltrixLiveStatus> decode(const QJsonValue& json);
};
