#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <vector>

// One snapshot of the machine's memory and where its overflow goes: physical memory, compressed
// memory, swap, and the extra virtual space the Lumbra app adds (disk pools, sparse disk images,
// RAM disks, frozen apps), with the totals and short texts the suite widgets show.
struct TruneVirtualMemorySummary {
    qint64 physicalTotalBytes = 0;
    qint64 physicalUsedBytes = 0;
    qint64 compressedBytes = 0;
    qint64 swapTotalBytes = 0;
    qint64 swapUsedBytes = 0;
    qint64 swapFileCount = 0;
    bool swapEncrypted = false;
    QString pressureLevel;
    bool isLumbraRunning = false;
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

    bool isLumbraVirtualExpansionActive() const;
    bool isAnyVirtualMemoryActive() const;
    bool isSwapActive() const;

    // 0 to 100.
    double physicalUsedPercent() const;
    double swapUsedPercent() const;
    double virtualUsedPercent() const;

    // Sums are held at the 64-bit limits.
    qint64 totalLumbraVirtualCapacityBytes() const;
    qint64 totalVirtualAllocatedBytes() const;
    qint64 totalVirtualUsedBytes() const; // a RAM disk counts as fully used
    qint64 totalEffectiveMemoryCapacityBytes() const;
    qint64 totalEffectiveUsedBytes() const;

    // The same in every interface language.
    QString virtualSpaceUsageText() const;   // "<used> / <allocated>", or "0 B"
    QString compactBadgeText() const;        // "Pool 2.00 GB + Swap 1.00 GB"
    QString compactVirtualUsedToken() const; // "1.5G", "150G", "1000M"

    friend bool operator==(const TruneVirtualMemorySummary&, const TruneVirtualMemorySummary&) = default;
};
