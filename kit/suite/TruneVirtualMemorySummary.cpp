#include "kit/suite/TruneVirtualMemorySummary.h"

#include "kit/foundation/TruneByteFormatter.h"
#include "kit/suite/TruneSuiteRanges.h"

#include <algorithm>

using TruneSuiteRanges::saturatedSum;

namespace {

// part / whole × 100 within 0...100; 0 when whole is below 1.
double percentOf(qint64 part, qint64 whole)
{
    if (whole < 1)
        return 0;
    return TruneSuiteRanges::within(double(part) / double(whole) * 100.0, 0, 100);
}

QString cFormatted(const char* format, double value)
{
    return QString::asprintf(format, value);
}

} // namespace

bool TruneVirtualMemorySummary::isLumbraVirtualExpansionActive() const
{
    return activeDiskPoolCount > 0 || mountedSparseDiskCount > 0 || mountedRAMDiskCount > 0;
}

bool TruneVirtualMemorySummary::isAnyVirtualMemoryActive() const
{
    return isLumbraVirtualExpansionActive() || swapUsedBytes > 0;
}

bool TruneVirtualMemorySummary::isSwapActive() const
{
    return swapUsedBytes > 0 || swapTotalBytes > 0;
}

double TruneVirtualMemorySummary::physicalUsedPercent() const
{
    return percentOf(physicalUsedBytes, physicalTotalBytes);
}

double TruneVirtualMemorySummary::swapUsedPercent() const
{
    return percentOf(swapUsedBytes, swapTotalBytes);
}

double TruneVirtualMemorySummary::virtualUsedPercent() const
{
    return percentOf(totalVirtualUsedBytes(), totalVirtualAllocatedBytes());
}

qint64 TruneVirtualMemorySummary::totalLumbraVirtualCapacityBytes() const
{
    return saturatedSum(saturatedSum(diskPoolVirtualBytes, sparseDiskVirtualBytes), ramDiskTotalBytes);
}

qint64 TruneVirtualMemorySummary::totalVirtualAllocatedBytes() const
{
    return saturatedSum(totalLumbraVirtualCapacityBytes(), std::max(swapTotalBytes, swapUsedBytes));
}

qint64 TruneVirtualMemorySummary::totalVirtualUsedBytes() const
{
    return saturatedSum(
        saturatedSum(saturatedSum(swapUsedBytes, diskPoolActualDiskBytes), sparseDiskActualBytes), ramDiskTotalBytes);
}

qint64 TruneVirtualMemorySummary::totalEffectiveMemoryCapacityBytes() const
{
    return saturatedSum(physicalTotalBytes, totalVirtualAllocatedBytes());
}

qint64 TruneVirtualMemorySummary::totalEffectiveUsedBytes() const
{
    return saturatedSum(physicalUsedBytes, totalVirtualUsedBytes());
}

QString TruneVirtualMemorySummary::virtualSpaceUsageText() const
{
    const qint64 allocated = totalVirtualAllocatedBytes();
    if (allocated < 1)
        return QStringLiteral("0 B");
    return TruneByteFormatter::format(totalVirtualUsedBytes()) + QStringLiteral(" / ")
        + TruneByteFormatter::format(allocated);
}

QString TruneVirtualMemorySummary::compactBadgeText() const
{
    QStringList parts;
    if (activeDiskPoolCount >= 1)
        parts << QStringLiteral("Pool ") + TruneByteFormatter::format(diskPoolVirtualBytes);
    if (mountedSparseDiskCount >= 1)
        parts << QStringLiteral("vDisk ") + TruneByteFormatter::format(sparseDiskVirtualBytes);
    if (mountedRAMDiskCount >= 1)
        parts << QStringLiteral("RAMDisk ") + TruneByteFormatter::format(ramDiskTotalBytes);
    if (swapUsedBytes >= 1)
        parts << QStringLiteral("Swap ") + TruneByteFormatter::format(swapUsedBytes);
    else if (parts.isEmpty() && swapTotalBytes >= 1)
        parts << QStringLiteral("Swap 0 B / ") + TruneByteFormatter::format(swapTotalBytes);
    return parts.join(QStringLiteral(" + "));
}

QString TruneVirtualMemorySummary::compactVirtualUsedToken() const
{
    const qint64 used = totalVirtualUsedBytes();
    if (used > 0) {
        const double g = double(used) / 1e9;
        if (g >= 100)
            return cFormatted("%.0fG", g);
        if (g >= 1)
            return cFormatted("%.1fG", g);
        return cFormatted("%.0fM", double(used) / 1e6);
    }
    const qint64 allocated = totalVirtualAllocatedBytes();
    if (allocated < 1)
        return QStringLiteral("0G");
    const double g = double(allocated) / 1e9;
    return cFormatted(g < 10 ? "%.1fG" : "%.0fG", g);
}
