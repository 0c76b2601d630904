#include "core/inventory/MachOArchitectureReader.h"

#include "core/inventory/BundleInfoReader.h"
#include "kit/platform/TruneSafeFile.h"

#include <QDir>

#include <array>
#include <optional>
#include <span>
#include <vector>

namespace MachOArchitectureReader {

namespace {

constexpr qsizetype kMinimumHeaderSize = 8;
constexpr quint32 kMaximumFatArchitectures = 64;
constexpr qsizetype kFirstFatCpuTypeEnd = 12;

constexpr quint32 kCpuTypeX86 = 7;
constexpr quint32 kCpuTypeX86_64 = 0x01000007;
constexpr quint32 kCpuTypeArm64 = 0x0100000C;
constexpr quint32 kCpuTypeArm64_32 = 0x0200000C;

enum class ByteOrder { big, little };

struct HeaderKind {
    quint32 magic;          // the first four bytes, read big-endian
    ByteOrder byteOrder;    // of every further word of the header
    qsizetype fatEntrySize; // 0 for a single-architecture header
};

constexpr std::array kHeaderKinds{
    HeaderKind{0xCAFEBABE, ByteOrder::big, 20},
    HeaderKind{0xCAFEBABF, ByteOrder::big, 32},
    HeaderKind{0xBEBAFECA, ByteOrder::little, 20},
    HeaderKind{0xBFBAFECA, ByteOrder::little, 32},
    HeaderKind{0xFEEDFACE, ByteOrder::big, 0},
    HeaderKind{0xFEEDFACF, ByteOrder::big, 0},
    HeaderKind{0xCEFAEDFE, ByteOrder::little, 0},
    HeaderKind{0xCFFAEDFE, ByteOrder::little, 0},
};

// Callers only pass offsets whose four bytes lie inside `data`.
quint32 readUInt32(QByteArrayView data, qsizetype offset, ByteOrder order)
{
    const auto byteAt
        = [&](qsizetype index) { return static_cast<quint32>(static_cast<quint8>(data[offset + index])); };
    if (order == ByteOrder::big)
        return byteAt(0) << 24 | byteAt(1) << 16 | byteAt(2) << 8 | byteAt(3);
    return byteAt(3) << 24 | byteAt(2) << 16 | byteAt(1) << 8 | byteAt(0);
}

AppArchitecture classify(std::span<const quint32> cpuTypes)
{
    bool intel = false;
    bool arm = false;
    for (const quint32 cpuType : cpuTypes) {
        intel = intel || cpuType == kCpuTypeX86 || cpuType == kCpuTypeX86_64;
        arm = arm || cpuType == kCpuTypeArm64 || cpuType == kCpuTypeArm64_32;
    }
    if (intel && arm)
        return AppArchitecture::universal;
    if (arm)
        return AppArchitecture::appleSilicon;
    if (intel)
        return AppArchitecture::intel;
    return AppArchitecture::unknown;
}

std::optional<HeaderKind> headerKind(quint32 magic)
{
    for (const HeaderKind& kind : kHeaderKinds) {
        if (kind.magic == magic)
            return kind;
    }
    return std::nullopt;
}

// The CPU types of the entries that fit in `data`: a table cut short by a short file is judged
// by what it holds.
std::vector<quint32> fatCpuTypes(QByteArrayView data, const HeaderKind& kind)
{
    const quint32 count = readUInt32(data, 4, kind.byteOrder);
    if (count == 0 || count > kMaximumFatArchitectures)
        return {};
    std::vector<quint32> cpuTypes;
    for (quint32 index = 0; index < count; ++index) {
        const qsizetype cpuTypeEnd = kFirstFatCpuTypeEnd + static_cast<qsizetype>(index) * kind.fatEntrySize;
        if (cpuTypeEnd > data.size())
            break;
        cpuTypes.push_back(readUInt32(data, cpuTypeEnd - 4, kind.byteOrder));
    }
    return cpuTypes;
}

// A name that stays inside Contents/MacOS: one path component, not "." or "..".
bool isPlainFileName(const QString& name)
{
    return !name.isEmpty() && name != QLatin1String(".") && name != QLatin1String("..")
        && !name.contains(QLatin1Char('/')) && !name.contains(QChar(u'\0'));
}

} // namespace

AppArchitecture detectFromData(QByteArrayView leadingBytes)
{
    if (leadingBytes.size() < kMinimumHeaderSize)
        return AppArchitecture::unknown;
    const std::optional<HeaderKind> kind = headerKind(readUInt32(leadingBytes, 0, ByteOrder::big));
    if (!kind)
        return AppArchitecture::unknown;
    if (kind->fatEntrySize == 0) {
        const quint32 cpuType = readUInt32(leadingBytes, 4, kind->byteOrder);
        return classify(std::span(&cpuType, 1));
    }
    return classify(fatCpuTypes(leadingBytes, *kind));
}

AppArchitecture detectExecutable(const QString& executablePath)
{
    const auto prefix = TruneSafeFile::readPrefix(executablePath, kHeaderReadLimit);
    if (!prefix || prefix->size() < kMinimumHeaderSize)
        return AppArchitecture::unknown;
    return detectFromData(*prefix);
}

AppArchitecture detectAppBundle(const QString& bundlePath)
{
    return detectAppBundle(bundlePath, BundleInfoReader::readInfoDictionary(bundlePath));
}

AppArchitecture detectAppBundle(const QString& bundlePath, const QVariantMap& info)
{
    const QString macOSFolder = bundlePath + QStringLiteral("/Contents/MacOS");
    const std::optional<QString> executableName
        = BundleInfoReader::stringValue(info, QStringLiteral("CFBundleExecutable"));
    // A hostile Info.plist must not send the read outside the bundle.
    if (executableName && isPlainFileName(*executableName)) {
        const AppArchitecture named = detectExecutable(macOSFolder + QLatin1Char('/') + *executableName);
        if (named != AppArchitecture::unknown)
            return named;
    }
    const QStringList entries
        = QDir(macOSFolder).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
    for (const QString& entry : entries) {
        const AppArchitecture architecture = detectExecutable(macOSFolder + QLatin1Char('/') + entry);
        if (architecture != AppArchitecture::unknown)
            return architecture;
    }
    return AppArchitecture::unknown;
}

} // namespace MachOArchitectureReader
