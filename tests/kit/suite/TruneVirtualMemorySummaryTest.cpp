#include "kit/suite/TruneVirtualMemorySummary.h"
#include "kit/suite/TruneKernelMemory.h"
#include "kit/suite/TruneSuiteFiles.h"
#include "kit/suite/TruneSuiteTelemetryBus.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#include <QTemporaryDir>

#include <chrono>
#include <functional>
#include <future>
#include <limits>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

TruneKernelMemoryRoots fixtureRoots(const QString& kernel)
{
    const QString root = QStringLiteral(TRUNE_SUITE_FIXTURES_DIR "/vm/") + kernel;
    return {root + u"/proc"_s, root + u"/sys"_s, root + u"/Volumes"_s};
}

void writeFile(const QString& path, const QByteArray& contents)
{
    QDir().mkpath(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << path.toStdString();
    file.write(contents);
}

struct KernelCase {
    const char* kernel;
    TruneKernelMemoryReading reading;
    double physicalUsedPercent;
    double swapUsedPercent;
    const char* usageText;
    const char* badge;
    const char* token;
};

} // namespace

TEST(TruneVirtualMemorySummaryTest, EachKernelGivesItsPinnedFiguresAndTexts)
{
    const KernelCase cases[] = {
        {"no-swap", {16'777'216'000, 4'194'304'000, 0, 0, 0, false, u"normal"_s}, 25, 0, "0 B", "", "0G"},
        {"plain-swap", {8'192'000'000, 7'168'000'000, 104'857'600, 4'294'967'296, 1'073'741'824, false, u"warning"_s},
            87.5, 25, "1.07 GB / 4.29 GB", "Swap 1.07 GB", "1.1G"},
        {"encrypted-zram",
            {32'768'000'000, 12'288'000'000, 600'000'000, 6'442'450'944, 536'870'912, true, u"critical"_s}, 37.5,
            100.0 / 12, "536.9 MB / 6.44 GB", "Swap 536.9 MB", "537M"},
        {"no-psi", {4'096'000'000, 3'584'000'000, 0, 1'073'741'824, 1'073'741'824, false, u"warning"_s}, 87.5, 100,
            "1.07 GB / 1.07 GB", "Swap 1.07 GB", "1.1G"},
    };
    TempHome home;
    QTemporaryDir telemetry;
    const TruneSuiteTelemetryBus bus(telemetry.path());
    for (const KernelCase& c : cases) {
        SCOPED_TRACE(c.kernel);
        const TruneKernelMemoryRoots roots = fixtureRoots(QString::fromLatin1(c.kernel));
        EXPECT_EQ(TruneKernelMemory::readKernelMemoryAndSwap(roots), c.reading);

        const TruneVirtualMemorySummary summary = bus.readVirtualMemorySummary(QDateTime::currentDateTimeUtc(), roots);
        EXPECT_EQ(summary.physicalTotalBytes, c.reading.physicalTotal);
        EXPECT_EQ(summary.physicalUsedBytes, c.reading.physicalUsed);
        EXPECT_EQ(summary.compressedBytes, c.reading.compressed);
        EXPECT_EQ(summary.swapTotalBytes, c.reading.swapTotal);
        EXPECT_EQ(summary.swapUsedBytes, c.reading.swapUsed);
        EXPECT_EQ(summary.swapEncrypted, c.reading.swapEncrypted);
        EXPECT_EQ(summary.pressureLevel, c.reading.pressureLevel);
        EXPECT_FALSE(summary.isLumbraRunning);
        EXPECT_EQ(summary.swapFileCount, 0);
        EXPECT_EQ(summary.mountedSparseDiskCount, 0);
        EXPECT_DOUBLE_EQ(summary.physicalUsedPercent(), c.physicalUsedPercent);
        EXPECT_DOUBLE_EQ(summary.swapUsedPercent(), c.swapUsedPercent);
        EXPECT_EQ(summary.isSwapActive(), c.reading.swapTotal > 0);
        EXPECT_EQ(summary.virtualSpaceUsageText(), QString::fromUtf8(c.usageText));
        EXPECT_EQ(summary.compactBadgeText(), QString::fromUtf8(c.badge));
        EXPECT_EQ(summary.compactVirtualUsedToken(), QString::fromUtf8(c.token));
    }
}

TEST(TruneVirtualMemorySummaryTest, UnreadableProcGivesZerosAndNormalPressure)
{
    QTemporaryDir empty;
    const TruneKernelMemoryReading reading
        = TruneKernelMemory::readKernelMemoryAndSwap({empty.path(), empty.path(), empty.path()});
    EXPECT_EQ(reading, (TruneKernelMemoryReading{0, 0, 0, 0, 0, false, u"normal"_s}));
}

TEST(TruneVirtualMemorySummaryTest, KernelWithoutMemAvailableCountsFreeAndPageCacheAsAvailable)
{
    QTemporaryDir root;
    writeFile(root.filePath(u"proc/meminfo"_s), "MemTotal: 1000 kB\nMemFree: 30 kB\nBuffers: 10 kB\nCached: 60 kB\n");
    const TruneKernelMemoryReading reading
        = TruneKernelMemory::readKernelMemoryAndSwap({root.filePath(u"proc"_s), root.path(), root.path()});
    EXPECT_EQ(reading.physicalTotal, 1'024'000);
    EXPECT_EQ(reading.physicalUsed, 921'600);
    EXPECT_EQ(reading.pressureLevel, u"warning"_s); // 10 % available
}

TEST(TruneVirtualMemorySummaryTest, PressureFollowsPsiElseTheAvailableShare)
{
    const struct {
        const char* psi;
        std::optional<QString> level;
    } psiCases[] = {
        {"some avg10=9.99 avg60=0 avg300=0 total=1\nfull avg10=9.99 avg60=0 avg300=0 total=1\n", u"normal"_s},
        {"some avg10=10.00 avg60=0 avg300=0 total=1\nfull avg10=0.00 avg60=0 avg300=0 total=1\n", u"warning"_s},
        {"some avg10=10.00 avg60=0 avg300=0 total=1\nfull avg10=10.00 avg60=0 avg300=0 total=1\n", u"critical"_s},
        {"some avg10=0.50 avg60=0 avg300=0 total=1\n", u"normal"_s},
        {"", std::nullopt},
        {"some avg10=high\n", std::nullopt},
    };
    for (const auto& c : psiCases)
        EXPECT_EQ(TruneKernelMemory::pressureFromPsi(c.psi), c.level) << c.psi;

    const struct {
        qint64 available;
        qint64 total;
        const char* level;
    } ratioCases[] = {
        {15, 100, "normal"},
        {14, 100, "warning"},
        {5, 100, "warning"},
        {4, 100, "critical"},
        {-1, 100, "critical"},
        {0, 0, "normal"},
    };
    for (const auto& c : ratioCases)
        EXPECT_EQ(TruneKernelMemory::pressureFromAvailableRatio(c.available, c.total), QString::fromLatin1(c.level))
            << c.available << " of " << c.total;
}

TEST(TruneVirtualMemorySummaryTest, SwapIsEncryptedOnlyWhenEveryDiskAreaIsDmCrypt)
{
    QTemporaryDir root;
    const TruneKernelMemoryRoots roots{root.filePath(u"proc"_s), root.filePath(u"sys"_s), root.filePath(u"Volumes"_s)};
    writeFile(root.filePath(u"sys/block/dm-2/dm/name"_s), "cryptswap\n");
    writeFile(root.filePath(u"sys/block/dm-2/dm/uuid"_s), "CRYPT-LUKS2-1234-cryptswap\n");
    writeFile(root.filePath(u"sys/block/dm-3/dm/name"_s), "vg-swap\n");
    writeFile(root.filePath(u"sys/block/dm-3/dm/uuid"_s), "LVM-abcdef\n");
    const struct {
        const char* areas;
        bool encrypted;
    } cases[] = {
        {"/dev/dm-2 partition 100 0 -2\n", true},
        {"/dev/mapper/cryptswap partition 100 0 -2\n", true},
        {"/dev/mapper/cryptswap partition 100 0 -2\n/dev/zram0 partition 100 0 100\n", true},
        {"/dev/mapper/cryptswap partition 100 0 -2\n/dev/sdb1 partition 100 0 -3\n", false},
        {"/dev/mapper/vg-swap partition 100 0 -2\n", false},
        {"/dev/mapper/unknown partition 100 0 -2\n", false},
        {"/dev/dm-2 file 100 0 -2\n", false}, // a swap file merely named like the device
        {"", false},
    };
    for (const auto& c : cases) {
        writeFile(root.filePath(u"proc/swaps"_s), QByteArray("Filename Type Size Used Priority\n") + c.areas);
        EXPECT_EQ(TruneKernelMemory::readKernelMemoryAndSwap(roots).swapEncrypted, c.encrypted) << c.areas;
    }
}

TEST(TruneVirtualMemorySummaryTest, SparseDisksCountOnlyMountedVolumesOnceEach)
{
    TempHome home;
    QTemporaryDir root;
    const QString volumes = root.filePath(u"Volumes"_s);
    const TruneKernelMemoryRoots roots{root.filePath(u"proc"_s), root.filePath(u"sys"_s), volumes};
    for (const QString& volume : {u"Alpha"_s, u"Beta"_s, u"Gam ma"_s, u"Delta"_s})
        QDir().mkpath(volumes + u'/' + volume);
    // Beta is a plain folder under the volumes folder; Delta is mounted but no pool names it.
    writeFile(root.filePath(u"proc/self/mountinfo"_s),
        "22 1 8:2 / / rw - ext4 /dev/sda2 rw\n"
        "40 22 7:0 / "
            + volumes.toUtf8()
            + "/Alpha rw - hfsplus /dev/loop0 rw\n"
              "41 22 7:1 / "
            + volumes.toUtf8()
            + "/Gam\\040ma rw - hfsplus /dev/loop1 rw\n"
              "42 22 7:2 / "
            + volumes.toUtf8() + "/Delta rw - hfsplus /dev/loop2 rw\n");

    const QString pools = home.filePath(u".cache/Lumbra/Pools"_s);
    for (const QString& entry : {u"Alpha.sparsebundle"_s, u"Beta.sparsebundle"_s, u".Delta.sparsebundle"_s})
        QDir().mkpath(pools + u'/' + entry);
    writeFile(pools + u"/notes.txt"_s, "not a disk");
    const QString custom = root.filePath(u"custom"_s);
    QDir().mkpath(custom + u"/Alpha.SPARSEBUNDLE"_s);
    QDir().mkpath(custom + u"/Gam ma.SparseBundle"_s);
    writeFile(
        home.dataHome() + u"/Lumbra/config.json"_s, "{\"customPoolDirectory\": \"  " + custom.toUtf8() + "\\n\"}");

    const TruneMountedSparseDisks disks = TruneKernelMemory::detectMountedLumbraSparseDisks(roots);
    const qint64 volumeTotal = QStorageInfo(volumes).bytesTotal();
    EXPECT_EQ(disks.count, 2);
    EXPECT_EQ(disks.names, QStringList({u"Alpha"_s, u"Gam ma"_s}));
    EXPECT_EQ(disks.totalCapacityBytes, 2 * volumeTotal);
    EXPECT_GT(disks.usedBytes, 0);
    EXPECT_LE(disks.usedBytes, disks.totalCapacityBytes);

    const TruneSuiteTelemetryBus bus(root.filePath(u"telemetry"_s));
    const TruneVirtualMemorySummary summary = bus.readVirtualMemorySummary(QDateTime::currentDateTimeUtc(), roots);
    EXPECT_EQ(summary.mountedSparseDiskCount, 2);
    EXPECT_EQ(summary.sparseDiskNames, disks.names);
    EXPECT_TRUE(summary.isLumbraVirtualExpansionActive());
    EXPECT_TRUE(summary.compactBadgeText().startsWith(u"vDisk "_s));
}

TEST(TruneVirtualMemorySummaryTest, BlankCustomPoolSettingAddsNoFolder)
{
    TempHome home;
    QTemporaryDir root;
    const QString volumes = root.filePath(u"Volumes"_s);
    QDir().mkpath(volumes + u"/Alpha"_s);
    writeFile(root.filePath(u"proc/self/mountinfo"_s),
        "40 22 7:0 / " + volumes.toUtf8() + "/Alpha rw - hfsplus /dev/loop0 rw\n");
    // A blank setting must not fall back to the working directory.
    QDir().mkpath(root.filePath(u"work/Alpha.sparsebundle"_s));
    const QString previous = QDir::currentPath();
    QDir::setCurrent(root.filePath(u"work"_s));
    writeFile(home.dataHome() + u"/Lumbra/config.json"_s, "{\"customPoolDirectory\": \" \\n\\t \"}");
    const TruneMountedSparseDisks disks
        = TruneKernelMemory::detectMountedLumbraSparseDisks({root.filePath(u"proc"_s), root.path(), volumes});
    QDir::setCurrent(previous);
    EXPECT_EQ(disks, TruneMountedSparseDisks{});
}

TEST(TruneVirtualMemorySummaryTest, LumbrasSettingsAreReadOnlyAsASmallRegularFile)
{
    TempHome home;
    QTemporaryDir root;
    const QString volumes = root.filePath(u"Volumes"_s);
    QDir().mkpath(volumes + u"/Alpha"_s);
    writeFile(root.filePath(u"proc/self/mountinfo"_s),
        "40 22 7:0 / " + volumes.toUtf8() + "/Alpha rw - hfsplus /dev/loop0 rw\n");
    const QString custom = root.filePath(u"custom"_s);
    QDir().mkpath(custom + u"/Alpha.sparsebundle"_s);
    const QByteArray naming = "{\"customPoolDirectory\": \"" + custom.toUtf8() + "\"}";
    const QString settings = home.dataHome() + u"/Lumbra/config.json"_s;
    const QString elsewhere = root.filePath(u"elsewhere.json"_s);
    writeFile(elsewhere, naming);

    struct Case {
        const char* name;
        std::function<void()> plant;
        int disks;
    };
    const std::vector<Case> cases{
        {"a regular file", [&] { writeFile(settings, naming); }, 1},
        {"a FIFO", [&] { ASSERT_EQ(::mkfifo(QFile::encodeName(settings).constData(), 0600), 0); }, 0},
        {"a link to /dev/zero", [&] { ASSERT_TRUE(QFile::link(u"/dev/zero"_s, settings)); }, 0},
        {"a link to a regular file", [&] { ASSERT_TRUE(QFile::link(elsewhere, settings)); }, 0},
        {"larger than a settings file can be",
            [&] { writeFile(settings, naming + QByteArray(TruneSuiteFiles::maxFileBytes, ' ')); }, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QFile::remove(settings);
        QDir().mkpath(QFileInfo(settings).path());
        c.plant();
        auto reading = std::async(std::launch::async, [&] {
            return TruneKernelMemory::detectMountedLumbraSparseDisks({root.filePath(u"proc"_s), root.path(), volumes});
        });
        if (reading.wait_for(std::chrono::seconds(20)) == std::future_status::timeout) {
            ADD_FAILURE() << "the reading blocked";
            std::abort();
        }
        EXPECT_EQ(reading.get().count, c.disks);
    }
}

TEST(TruneVirtualMemorySummaryTest, FreshLumbraFileIsMergedAndStaleOneIsNot)
{
    TempHome home;
    QTemporaryDir telemetry;
    const TruneSuiteTelemetryBus bus(telemetry.path());
    const QDateTime now = QDateTime::currentDateTimeUtc().addMSecs(-QDateTime::currentDateTimeUtc().time().msec());
    LumbraLiveStatus status;
    status.senderPID = qint32(::getpid());
    status.physicalTotalBytes = 0;
    status.physicalUsedBytes = 40'000'000'000;
    status.compressedBytes = 1;
    status.swapTotalBytes = 1'000'000'000;
    status.swapUsedBytes = 1'000'000'000;
    status.swapFileCount = 3;
    status.swapEncrypted = false;
    status.pressureLevel = u"Elevated"_s;
    status.activeDiskPoolCount = 1;
    status.diskPoolVirtualBytes = 2'000'000'000;
    status.diskPoolNames = {u"pool-a"_s};
    status.frozenAppCount = 1;
    status.frozenPIDs = {77};
    const TruneKernelMemoryRoots roots = fixtureRoots(u"encrypted-zram"_s);

    status.timestamp = now.addSecs(17);
    bus.publishLumbraStatus(status, false);
    TruneVirtualMemorySummary merged = bus.readVirtualMemorySummary(now, roots);
    EXPECT_TRUE(merged.isLumbraRunning);
    EXPECT_EQ(merged.physicalTotalBytes, 32'768'000'000); // the file's 0 keeps the kernel's
    EXPECT_EQ(merged.physicalUsedBytes, 40'000'000'000);
    EXPECT_DOUBLE_EQ(merged.physicalUsedPercent(), 100);
    EXPECT_EQ(merged.compressedBytes, 1);
    EXPECT_EQ(merged.swapTotalBytes, 6'442'450'944); // the kernel's is larger
    EXPECT_EQ(merged.swapUsedBytes, 1'000'000'000);  // the file's is larger
    EXPECT_EQ(merged.swapFileCount, 3);
    EXPECT_FALSE(merged.swapEncrypted);
    EXPECT_EQ(merged.pressureLevel, u"Elevated"_s);
    EXPECT_EQ(merged.diskPoolNames, QStringList{u"pool-a"_s});
    EXPECT_EQ(merged.frozenPIDs, std::vector<qint32>{77});
    EXPECT_EQ(merged.compactBadgeText(), u"Pool 2.00 GB + Swap 1.00 GB"_s);

    status.timestamp = now.addSecs(-19);
    bus.publishLumbraStatus(status, false);
    const TruneVirtualMemorySummary stale = bus.readVirtualMemorySummary(now, roots);
    EXPECT_FALSE(stale.isLumbraRunning);
    EXPECT_EQ(stale.swapFileCount, 0);
    EXPECT_EQ(stale.activeDiskPoolCount, 0);
    EXPECT_TRUE(stale.diskPoolNames.isEmpty());
    EXPECT_TRUE(stale.frozenPIDs.empty());
    EXPECT_EQ(stale.pressureLevel, u"critical"_s);
}

// Swap from a fresh Lumbra file: each figure is the larger of the kernel's and the file's, whichever
// of the two that is.
TEST(TruneVirtualMemorySummaryTest, FreshFileSwapIsTheLargerOfTheKernelsAndTheFiles)
{
    TempHome home;
    QTemporaryDir telemetry;
    QTemporaryDir kernel;
    // 4 GiB of swap, 2 GB of it in use (figures in KiB).
    writeFile(kernel.filePath(u"proc/swaps"_s),
        "Filename\t\t\t\tType\t\tSize\t\tUsed\t\tPriority\n"
        "/dev/sda3                               partition\t4194304\t\t1953125\t\t-2\n");
    const TruneKernelMemoryRoots roots{
        kernel.filePath(u"proc"_s), kernel.filePath(u"sys"_s), kernel.filePath(u"Volumes"_s)};
    ASSERT_EQ(TruneKernelMemory::readKernelMemoryAndSwap(roots).swapUsed, 2'000'000'000);
    const TruneSuiteTelemetryBus bus(telemetry.path());
    const QDateTime now = QDateTime::currentDateTimeUtc();

    const struct {
        const char* what;
        qint64 fileTotal;
        qint64 fileUsed;
        qint64 total;
        qint64 used;
    } cases[] = {
        {"the kernel's used swap is larger: 1 GB against 2 GB gives 2 GB", 1'000'000'000, 1'000'000'000, 4'294'967'296,
            2'000'000'000},
        {"the file's figures are larger", 8'000'000'000, 3'000'000'000, 8'000'000'000, 3'000'000'000},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        LumbraLiveStatus status;
        status.senderPID = qint32(::getpid());
        status.timestamp = now;
        status.swapTotalBytes = c.fileTotal;
        status.swapUsedBytes = c.fileUsed;
        bus.publishLumbraStatus(status, false);
        const TruneVirtualMemorySummary merged = bus.readVirtualMemorySummary(now, roots);
        ASSERT_TRUE(merged.isLumbraRunning);
        EXPECT_EQ(merged.swapTotalBytes, c.total);
        EXPECT_EQ(merged.swapUsedBytes, c.used);
    }
}

TEST(TruneVirtualMemorySummaryTest, DerivedTextsAndTokens)
{
    const auto withSwap = [](qint64 total, qint64 used) {
        TruneVirtualMemorySummary s;
        s.swapTotalBytes = total;
        s.swapUsedBytes = used;
        return s;
    };
    const struct {
        TruneVirtualMemorySummary summary;
        const char* usage;
        const char* badge;
        const char* token;
    } cases[] = {
        {TruneVirtualMemorySummary{}, "0 B", "", "0G"},
        {withSwap(4'294'967'296, 0), "0 B / 4.29 GB", "Swap 0 B / 4.29 GB", "4.3G"},
        {withSwap(20'000'000'000, 0), "0 B / 20.00 GB", "Swap 0 B / 20.00 GB", "20G"},
        {withSwap(0, 999'999'999), "1000.0 MB / 1000.0 MB", "Swap 1000.0 MB", "1000M"},
        {withSwap(0, 1'500'000'000), "1.50 GB / 1.50 GB", "Swap 1.50 GB", "1.5G"},
        {withSwap(0, 150'000'000'000), "150.00 GB / 150.00 GB", "Swap 150.00 GB", "150G"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.summary.virtualSpaceUsageText(), QString::fromLatin1(c.usage));
        EXPECT_EQ(c.summary.compactBadgeText(), QString::fromLatin1(c.badge));
        EXPECT_EQ(c.summary.compactVirtualUsedToken(), QString::fromLatin1(c.token));
    }

    TruneVirtualMemorySummary disks;
    disks.swapTotalBytes = 8'000'000'000;
    disks.mountedSparseDiskCount = 1;
    disks.sparseDiskVirtualBytes = 3'000'000'000;
    disks.sparseDiskActualBytes = 1'000'000'000;
    disks.mountedRAMDiskCount = 1;
    disks.ramDiskTotalBytes = 1'000'000'000;
    EXPECT_EQ(disks.compactBadgeText(), u"vDisk 3.00 GB + RAMDisk 1.00 GB"_s); // unused swap is left out
    EXPECT_EQ(disks.totalVirtualAllocatedBytes(), 12'000'000'000);
    EXPECT_EQ(disks.totalVirtualUsedBytes(), 2'000'000'000);
    EXPECT_DOUBLE_EQ(disks.virtualUsedPercent(), 100.0 / 6);
    EXPECT_EQ(disks.virtualSpaceUsageText(), u"2.00 GB / 12.00 GB"_s);

    TruneVirtualMemorySummary absurd;
    absurd.physicalTotalBytes = std::numeric_limits<qint64>::max();
    absurd.diskPoolVirtualBytes = std::numeric_limits<qint64>::max();
    absurd.ramDiskTotalBytes = std::numeric_limits<qint64>::max();
    absurd.swapUsedBytes = std::numeric_limits<qint64>::max();
    EXPECT_EQ(absurd.totalEffectiveMemoryCapacityBytes(), std::numeric_limits<qint64>::max());
    EXPECT_EQ(absurd.totalEffectiveUsedBytes(), std::numeric_limits<qint64>::max());
    EXPECT_DOUBLE_EQ(absurd.virtualUsedPercent(), 100);
}
