#pragma once

#include "kit/platform/TruneJson.h"

#include <QDateTime>
#include <QStringList>

#include <optional>
#include <tuple>
#include <vector>

// One offload run of the Lumbra app, as its live file carries it. Every key is required.
struct LumbraOffloadLiveProgress {
    QDateTime timestamp;
    bool isRunning = false;
    bool isCompletedSummary = false;
    qint64 stepIndex = 0; // counted from 1
    qint64 totalSteps = 1;
    double fractionCompleted = 0;
    QString phaseTitleEN;
    QString phaseTitleTR;
    QString detailEN;
    QString detailTR;
    qint64 allocatedBytes = 0;
    qint64 targetBytes = 0;
    QStringList frozenAppNames;
    QString livePressure; // "critical", "warning" or anything else

    // The record as a publisher builds it: at least one step, a fraction within 0 to 1 (not a
    // number counts as 0). Decoding keeps the values as written.
    static LumbraOffloadLiveProgress make(LumbraOffloadLiveProgress fields);

    auto fields() const
    {
        return std::tie(timestamp, isRunning, isCompletedSummary, stepIndex, totalSteps, fractionCompleted,
            phaseTitleEN, phaseTitleTR, detailEN, detailTR, allocatedBytes, targetBytes, frozenAppNames, livePressure);
    }
    friend bool operator==(const LumbraOffloadLiveProgress& a, const LumbraOffloadLiveProgress& b);
};

// The live status of the Lumbra app (memory, swap, disk pools, sparse disks, RAM disks, frozen
// apps). Every key but "offloadProgress" is required; values are taken as they come.
struct LumbraLiveStatus {
    QDateTime timestamp;
    qint32 senderPID = 0;
    qint64 physicalTotalBytes = 0;
    qint64 physicalUsedBytes = 0;
    qint64 compressedBytes = 0;
    double usedPercent = 0;
    qint64 swapTotalBytes = 0;
    qint64 swapUsedBytes = 0;
    qint64 swapFileCount = 0;
    bool swapEncrypted = false;
    QString pressureLevel;
    qint64 healthScore = 0;
    qint64 activeDiskPoolCount = 0;
    qint64 diskPoolVirtualBytes = 0;
    qint64 diskPoolActualDiskBytes = 0;
    QStringList diskPoolNames;
    qint64 mountedSparseDiskCount = 0;
    qint64 sparseDiskVirtualBytes = 0;
    qint64 sparseDiskActualBytes = 0;
    QStringList sparseDiskNames;
    qint64 mountedRAMDiskCount = 0;
    qint64 ramDiskTotalBytes = 0;
    QStringList ramDiskNames;
    qint64 frozenAppCount = 0;
    std::vector<qint32> frozenPIDs;
    qint64 reclaimedFromFrozenBytes = 0;
    std::optional<LumbraOffloadLiveProgress> offloadProgress;

    bool isFresh(const QDateTime& now, double maxAgeSeconds) const;
    bool hasVirtualDiskExpansion() const;
    // Disk pools and sparse disks (RAM disks are not virtual expansion); saturated at the limits.
    qint64 totalVirtualPoolCapacityBytes() const;
    qint64 totalVirtualDiskActualBytes() const;

    auto fields() const
    {
        return std::tie(timestamp, senderPID, physicalTotalBytes, physicalUsedBytes, compressedBytes, usedPercent,
            swapTotalBytes, swapUsedBytes, swapFileCount, swapEncrypted, pressureLevel, healthScore,
            activeDiskPoolCount, diskPoolVirtualBytes, diskPoolActualDiskBytes, diskPoolNames, mountedSparseDiskCount,
            sparseDiskVirtualBytes, sparseDiskActualBytes, sparseDiskNames, mountedRAMDiskCount, ramDiskTotalBytes,
            ramDiskNames, frozenAppCount, frozenPIDs, reclaimedFromFrozenBytes, offloadProgress);
    }
    friend bool operator==(const LumbraLiveStatus& a, const LumbraLiveStatus& b);
};

template <> struct TruneJsonCoding<LumbraOffloadLiveProgress> {
    static QJsonValue encode(const LumbraOffloadLiveProgress& progress);
    static TruneJsonResult<LumbraOffloadLiveProgress> decode(const QJsonValue& json);
};

template <> struct TruneJsonCoding<LumbraLiveStatus> {
    static QJsonValue encode(const LumbraLiveStatus& status);
    static TruneJsonResult<LumbraLiveStatus> decode(const QJsonValue& json);
};
