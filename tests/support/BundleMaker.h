#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QVariant>
#include <QVariantMap>

#include <optional>

// Builds application bundles and the files inside them on disk, for tests and benchmarks:
// Info.plist in XML or binary form, Mach-O headers as bytes, App Store receipts, and the odd
// entries a hostile bundle may hold (pipes, symbolic links). Failures to write are reported as
// test failures.
namespace BundleMaker {

enum class PlistFormat { xml, binary };
enum class ByteOrder { big, little };

inline constexpr quint32 kCpuTypeX86 = 7;
inline constexpr quint32 kCpuTypeX86_64 = 0x01000007;
inline constexpr quint32 kCpuTypeArm64 = 0x0100000C;
inline constexpr quint32 kCpuTypeArm64_32 = 0x0200000C;
inline constexpr quint32 kCpuTypePowerPC = 18;

// The header of a single-architecture executable (mach_header, or mach_header_64 when `wide`).
QByteArray thinMachO(quint32 cpuType, ByteOrder order = ByteOrder::little, bool wide = true);

// A universal header with one fat_arch entry per CPU type (fat_arch_64 when `wide`).
// `declaredCount` overrides the entry count written in the header.
QByteArray fatMachO(const QList<quint32>& cpuTypes, bool wide = false, ByteOrder order = ByteOrder::big,
    std::optional<quint32> declaredCount = std::nullopt);

// `value` serialized as a property list; strings, booleans, integers, reals, data, lists and
// maps are supported.
QByteArray propertyList(const QVariant& value, PlistFormat format = PlistFormat::xml);

struct AppBundle {
    // The Info.plist dictionary; nullopt writes no Info.plist.
    std::optional<QVariantMap> info = QVariantMap{};
    PlistFormat plistFormat = PlistFormat::xml;
    // Written to Contents/MacOS/<executableName> when the name is not empty; the name is entered
    // as "CFBundleExecutable" unless `info` holds that key already.
    QString executableName{};
    QByteArray executable = thinMachO(kCpuTypeArm64);
    bool appStoreReceipt = false;
};

// Makes the bundle folder `bundlePath` with Contents/MacOS and what `bundle` describes; returns
// `bundlePath`.
QString makeAppBundle(const QString& bundlePath, const AppBundle& bundle = {});

// Writes `bytes` to `path`, creating missing parent folders.
void writeFile(const QString& path, const QByteArray& bytes);
void makeSymlink(const QString& target, const QString& linkPath);
void makeFifo(const QString& path);
void makeFolder(const QString& path);

} // namespace BundleMaker
