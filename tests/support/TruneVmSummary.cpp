// Prints this machine's virtual-memory summary, to compare by hand with `free -b` and /proc/swaps.
#include "kit/suite/TruneSuiteTelemetryBus.h"

#include <QCoreApplication>
#include <QTextStream>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const TruneVirtualMemorySummary s
        = TruneSuiteTelemetryBus::shared().readVirtualMemorySummary(QDateTime::currentDateTimeUtc());
    QTextStream out(stdout);
    const auto line = [&](const char* name, const auto& value) { out << name << ": " << value << '\n'; };
    line("physicalTotalBytes", s.physicalTotalBytes);
    line("physicalUsedBytes", s.physicalUsedBytes);
    line("compressedBytes", s.compressedBytes);
    line("swapTotalBytes", s.swapTotalBytes);
    line("swapUsedBytes", s.swapUsedBytes);
    line("swapFileCount", s.swapFileCount);
    line("swapEncrypted", s.swapEncrypted ? "true" : "false");
    line("pressureLevel", s.pressureLevel);
    line("isLumbraRunning", s.isLumbraRunning ? "true" : "false");
    line("mountedSparseDiskCount", s.mountedSparseDiskCount);
    line("sparseDiskNames", s.sparseDiskNames.join(QStringLiteral(", ")));
    line("physicalUsedPercent", QString::number(s.physicalUsedPercent(), 'f', 2));
    line("swapUsedPercent", QString::number(s.swapUsedPercent(), 'f', 2));
    line("virtualUsedPercent", QString::number(s.virtualUsedPercent(), 'f', 2));
    line("totalEffectiveMemoryCapacityBytes", s.totalEffectiveMemoryCapacityBytes());
    line("totalEffectiveUsedBytes", s.totalEffectiveUsedBytes());
    line("virtualSpaceUsageText", s.virtualSpaceUsageText());
    line("compactBadgeText", s.compactBadgeText());
    line("compactVirtualUsedToken", s.compactVirtualUsedToken());
    return 0;
}
