#include "kit/suite/TruneKernelMemory.h"

#include "kit/suite/TruneSuiteFiles.h"

#include "kit/platform/TrunePaths.h"
#include "kit/suite/TruneSuiteRanges.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <sys/statvfs.h>

#include <algorithm>
#include <limits>

namespace {

constexpr qint64 kibibyte = 1024;

QByteArray readWhole(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

qint64 kibibytesToBytes(qint64 kib)
{
    qint64 bytes = 0;
    if (__builtin_mul_overflow(std::max<qint64>(kib, 0), kibibyte, &bytes))
        return std::numeric_limits<qint64>::max();
    return bytes;
}

// The "<Key>: <n> kB" lines of /proc/meminfo, in bytes.
QHash<QByteArray, qint64> meminfoFields(const QByteArray& meminfo)
{
    QHash<QByteArray, qint64> fields;
    for (const QByteArray& line : meminfo.split('\n')) {
        const qsizetype colon = line.indexOf(':');
        if (colon <= 0)
            continue;
        const QList<QByteArray> value = line.mid(colon + 1).simplified().split(' ');
        bool ok = false;
        const qint64 amount = value.value(0).toLongLong(&ok);
        if (ok)
            fields.insert(line.left(colon), kibibytesToBytes(amount));
    }
    return fields;
}

// The kernel writes " ", tab, newline and "\" in paths as "\ooo".
QString decodeOctalEscapes(const QByteArray& field)
{
    QByteArray decoded;
    decoded.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const auto isOctal = [&](qsizetype at) { return at < field.size() && field[at] >= '0' && field[at] <= '7'; };
        if (field[i] == '\\' && isOctal(i + 1) && isOctal(i + 2) && isOctal(i + 3)) {
            decoded.append(char(((field[i + 1] - '0') << 6) | ((field[i + 2] - '0') << 3) | (field[i + 3] - '0')));
            i += 3;
        } else {
            decoded.append(field[i]);
        }
    }
    return QString::fromUtf8(decoded);
}

QString deviceMapperNameOf(const QString& sysRoot, const QString& mapperName)
{
    const QDir block(sysRoot + QStringLiteral("/block"));
    for (const QString& device : block.entryList({QStringLiteral("dm-*")}, QDir::Dirs | QDir::NoDotAndDotDot)) {
        if (readWhole(block.filePath(device) + QStringLiteral("/dm/name")).trimmed() == mapperName.toUtf8())
            return device;
    }
    return {};
}

// The block device ("dm-3", "zram0", "sda2") a swap area lives on; empty for a swap file.
QString blockDeviceOfSwapArea(const QString& sysRoot, const QString& area, const QByteArray& type)
{
    if (type != "partition")
        return {};
    static const QString mapperPrefix = QStringLiteral("/dev/mapper/");
    if (area.startsWith(mapperPrefix))
        return deviceMapperNameOf(sysRoot, area.mid(mapperPrefix.size()));
    return QFileInfo(area).fileName();
}

bool isDmCryptDevice(const QString& sysRoot, const QString& device)
{
    return device.startsWith(QStringLiteral("dm-"))
        && readWhole(sysRoot + QStringLiteral("/block/") + device + QStringLiteral("/dm/uuid")).startsWith("CRYPT-");
}

struct SwapAreas {
    qint64 total = 0;
    qint64 used = 0;
    bool encrypted = false;
};

// Swap is encrypted when there is some and every area that can reach a disk is on dm-crypt; a zram
// area stays in memory.
SwapAreas readSwapAreas(const TruneKernelMemoryRoots& roots)
{
    SwapAreas swap;
    bool anyArea = false;
    bool everyDiskAreaEncrypted = true;
    const QList<QByteArray> lines = readWhole(roots.proc + QStringLiteral("/swaps")).split('\n');
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QList<QByteArray> fields = lines[i].simplified().split(' ');
        if (fields.size() < 4)
            continue;
        bool sizeOk = false;
        bool usedOk = false;
        const qint64 size = fields[2].toLongLong(&sizeOk);
        const qint64 used = fields[3].toLongLong(&usedOk);
        if (!sizeOk || !usedOk)
            continue;
        anyArea = true;
        swap.total = TruneSuiteRanges::saturatedSum(swap.total, kibibytesToBytes(size));
        swap.used = TruneSuiteRanges::saturatedSum(swap.used, kibibytesToBytes(used));
        const QString device = blockDeviceOfSwapArea(roots.sys, decodeOctalEscapes(fields[0]), fields[1]);
        if (!device.startsWith(QStringLiteral("zram")) && !isDmCryptDevice(roots.sys, device))
            everyDiskAreaEncrypted = false;
    }
    swap.encrypted = anyArea && everyDiskAreaEncrypted;
    return swap;
}

// Memory the zram devices take, compressed data and their bookkeeping ("mem_used_total").
qint64 zramMemoryUsed(const QString& sysRoot)
{
    qint64 total = 0;
    const QDir block(sysRoot + QStringLiteral("/block"));
    for (const QString& device : block.entryList({QStringLiteral("zram*")}, QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QList<QByteArray> stats
            = readWhole(block.filePath(device) + QStringLiteral("/mm_stat")).simplified().split(' ');
        bool ok = false;
        const qint64 used = stats.value(2).toLongLong(&ok);
        if (ok && used > 0)
            total = TruneSuiteRanges::saturatedSum(total, used);
    }
    return total;
}

// The "avg10" figure of the PSI line that starts with `kind` ("some" or "full").
std::optional<double> psiAverage10(const QByteArray& psi, const QByteArray& kind)
{
    for (const QByteArray& line : psi.split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.value(0) != kind)
            continue;
        for (const QByteArray& field : fields) {
            if (!field.startsWith("avg10="))
                continue;
            bool ok = false;
            const double value = field.mid(6).toDouble(&ok);
            if (ok)
                return value;
        }
    }
    return std::nullopt;
}

QStringList poolFolders()
{
    QStringList folders{TrunePaths::cachesDirectory() + QStringLiteral("/Lumbra/Pools")};
    const QString support = TrunePaths::applicationSupportDirectory();
    if (support.isEmpty())
        return folders;
    // Another app's file: read as the suite's own files are, so a FIFO or a link to a device in
    // its place can neither hang the reading nor fill memory.
    const std::optional<QByteArray> bytes
        = TruneSuiteFiles::readForeign(support + QStringLiteral("/Lumbra/config.json"));
    const QJsonDocument settings = QJsonDocument::fromJson(bytes.value_or(QByteArray()));
    const QString custom = settings.object().value(QStringLiteral("customPoolDirectory")).toString().trimmed();
    if (!custom.isEmpty())
        folders << custom;
    return folders;
}

struct VolumeCapacity {
    qint64 total = 0;
    qint64 available = 0;
};

std::optional<VolumeCapacity> capacityOf(const QString& mountPoint)
{
    struct statvfs figures { };
    if (::statvfs(QFile::encodeName(mountPoint).constData(), &figures) != 0)
        return std::nullopt;
    const auto bytes = [&](unsigned long long blocks) {
        unsigned long long product = 0;
        if (__builtin_mul_overflow(blocks, (unsigned long long)figures.f_frsize, &product)
            || product > (unsigned long long)std::numeric_limits<qint64>::max())
            return std::numeric_limits<qint64>::max();
        return qint64(product);
    };
    return VolumeCapacity{bytes(figures.f_blocks), bytes(figures.f_bavail)};
}

} // namespace

namespace TruneKernelMemory {

std::optional<QString> pressureFromPsi(const QByteArray& psi)
{
    const std::optional<double> some = psiAverage10(psi, "some");
    if (!some)
        return std::nullopt;
    if (psiAverage10(psi, "full").value_or(0) >= 10)
        return QStringLiteral("critical");
    if (*some >= 10)
        return QStringLiteral("warning");
    return QStringLiteral("normal");
}

QString pressureFromAvailableRatio(qint64 available, qint64 total)
{
    if (total < 1)
        return QStringLiteral("normal");
    const double ratio = double(std::max<qint64>(available, 0)) / double(total);
    if (ratio < 0.05)
        return QStringLiteral("critical");
    if (ratio < 0.15)
        return QStringLiteral("warning");
    return QStringLiteral("normal");
}

TruneKernelMemoryReading readKernelMemoryAndSwap(const TruneKernelMemoryRoots& roots)
{
    TruneKernelMemoryReading reading;
    const QHash<QByteArray, qint64> meminfo = meminfoFields(readWhole(roots.proc + QStringLiteral("/meminfo")));
    reading.physicalTotal = meminfo.value("MemTotal");
    // Kernels before 3.14 have no MemAvailable; free plus page cache is their nearest figure.
    const qint64 available = meminfo.contains("MemAvailable")
        ? meminfo.value("MemAvailable")
        : TruneSuiteRanges::saturatedSum(
            TruneSuiteRanges::saturatedSum(meminfo.value("MemFree"), meminfo.value("Buffers")),
            meminfo.value("Cached"));
    reading.physicalUsed = std::clamp<qint64>(reading.physicalTotal - available, 0, reading.physicalTotal);
    reading.compressed = TruneSuiteRanges::saturatedSum(meminfo.value("Zswap"), zramMemoryUsed(roots.sys));

    const SwapAreas swap = readSwapAreas(roots);
    reading.swapTotal = swap.total;
    reading.swapUsed = swap.used;
    reading.swapEncrypted = swap.encrypted;

    reading.pressureLevel = pressureFromPsi(readWhole(roots.proc + QStringLiteral("/pressure/memory")))
                                .value_or(pressureFromAvailableRatio(available, reading.physicalTotal));
    return reading;
}

QStringList mountPoints(const QString& procRoot)
{
    QStringList points;
    for (const QByteArray& line : readWhole(procRoot + QStringLiteral("/self/mountinfo")).split('\n')) {
        const QList<QByteArray> fields = line.split(' ');
        if (fields.size() > 4)
            points << QDir::cleanPath(decodeOctalEscapes(fields[4]));
    }
    return points;
}

TruneMountedSparseDisks detectMountedLumbraSparseDisks(const TruneKernelMemoryRoots& roots)
{
    TruneMountedSparseDisks disks;
    const QStringList points = mountPoints(roots.proc);
    const QSet<QString> mounted(points.cbegin(), points.cend());
    QSet<QString> seen;
    for (const QString& folder : poolFolders()) {
        const QFileInfoList entries = QDir(folder).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot);
        for (const QFileInfo& entry : entries) {
            if (entry.suffix().toLower() != QStringLiteral("sparsebundle"))
                continue;
            const QString name = entry.completeBaseName();
            if (seen.contains(name))
                continue;
            seen.insert(name);
            const QString volume = QDir::cleanPath(roots.volumes + QLatin1Char('/') + name);
            if (!mounted.contains(volume))
                continue;
            const std::optional<VolumeCapacity> capacity = capacityOf(volume);
            if (!capacity || capacity->total < 1)
                continue;
            ++disks.count;
            disks.totalCapacityBytes = TruneSuiteRanges::saturatedSum(disks.totalCapacityBytes, capacity->total);
            disks.usedBytes = TruneSuiteRanges::saturatedSum(
                disks.usedBytes, std::max<qint64>(0, capacity->total - capacity->available));
            disks.names << name;
        }
    }
    return disks;
}

} // namespace TruneKernelMemory
