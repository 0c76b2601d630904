#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// The kernel's own memory figures, read from /proc and /sys. The roots are injectable so tests can
// read a fixture tree; the volumes folder is where the Lumbra app mounts its sparse disk images.
struct TruneKernelMemoryRoots {
    QString proc = QStringLiteral("/proc");
    QString sys = QStringLiteral("/sys");
    QString volumes = QStringLiteral("/Volumes");
};

struct TruneKernelMemoryReading {
    qint64 physicalTotal = 0;
    qint64 physicalUsed = 0; // MemTotal - MemAvailable
    qint64 compressed = 0;   // zswap pool + zram memory
    qint64 swapTotal = 0;
    qint64 swapUsed = 0;
    bool swapEncrypted = false;
    QString pressureLevel; // "normal", "warning" or "critical"

    friend bool operator==(const TruneKernelMemoryReading&, const TruneKernelMemoryReading&) = default;
};

struct TruneMountedSparseDisks {
    qint64 count = 0;
    qint64 totalCapacityBytes = 0;
    qint64 usedBytes = 0;
    QStringList names;

    friend bool operator==(const TruneMountedSparseDisks&, const TruneMountedSparseDisks&) = default;
};

namespace TruneKernelMemory {

// Never fails: a source that cannot be read gives zeros, "normal" pressure, unencrypted swap.
TruneKernelMemoryReading readKernelMemoryAndSwap(const TruneKernelMemoryRoots& roots);

// "normal", "warning" or "critical" from the text of /proc/pressure/memory; nothing when the text
// holds no "some" average.
std::optional<QString> pressureFromPsi(const QByteArray& psi);
// The label when PSI is absent: the share of memory still available.
QString pressureFromAvailableRatio(qint64 available, qint64 total);

// The Lumbra sparse bundles of the pool folders ("Lumbra/Pools" of the caches folder and the
// "customPoolDirectory" of Lumbra's settings) whose volume "<volumes>/<name>" is a mount point.
TruneMountedSparseDisks detectMountedLumbraSparseDisks(const TruneKernelMemoryRoots& roots);

// The mount points of /proc/self/mountinfo, escapes decoded.
QStringList mountPoints(const QString& procRoot);

} // namespace TruneKernelMemory
