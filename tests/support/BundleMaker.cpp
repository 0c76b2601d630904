#include "tests/support/BundleMaker.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <plist/plist.h>

#include <sys/stat.h>
#include <unistd.h>

#include <memory>

namespace BundleMaker {

namespace {

constexpr quint32 kThinMagic32 = 0xFEEDFACE;
constexpr quint32 kThinMagic64 = 0xFEEDFACF;
constexpr quint32 kFatMagic = 0xCAFEBABE;
constexpr quint32 kFatMagic64 = 0xCAFEBABF;
constexpr quint32 kExecutableFileType = 2;

void append32(QByteArray& bytes, quint32 value, ByteOrder order)
{
    for (int index = 0; index < 4; ++index) {
        const int shift = order == ByteOrder::big ? 24 - 8 * index : 8 * index;
        bytes.append(static_cast<char>((value >> shift) & 0xFF));
    }
}

void append64(QByteArray& bytes, quint64 value, ByteOrder order)
{
    const auto high = static_cast<quint32>(value >> 32);
    const auto low = static_cast<quint32>(value);
    append32(bytes, order == ByteOrder::big ? high : low, order);
    append32(bytes, order == ByteOrder::big ? low : high, order);
}

struct PlistDeleter {
    void operator()(void* node) const { plist_free(static_cast<plist_t>(node)); }
};
using PlistNode = std::unique_ptr<void, PlistDeleter>;

plist_t toPlist(const QVariant& value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return plist_new_bool(value.toBool() ? 1 : 0);
    case QMetaType::Int:
    case QMetaType::LongLong:
    case QMetaType::UInt:
    case QMetaType::ULongLong:
        return plist_new_uint(value.toULongLong());
    case QMetaType::Double:
        return plist_new_real(value.toDouble());
    case QMetaType::QByteArray: {
        const QByteArray data = value.toByteArray();
        return plist_new_data(data.constData(), static_cast<uint64_t>(data.size()));
    }
    case QMetaType::QVariantList: {
        plist_t array = plist_new_array();
        for (const QVariant& item : value.toList())
            plist_array_append_item(array, toPlist(item));
        return array;
    }
    case QMetaType::QVariantMap: {
        plist_t dictionary = plist_new_dict();
        const QVariantMap map = value.toMap();
        for (auto entry = map.cbegin(); entry != map.cend(); ++entry)
            plist_dict_set_item(dictionary, entry.key().toUtf8().constData(), toPlist(entry.value()));
        return dictionary;
    }
    default:
        return plist_new_string(value.toString().toUtf8().constData());
    }
}

} // namespace

QByteArray thinMachO(quint32 cpuType, ByteOrder order, bool wide)
{
    QByteArray bytes;
    append32(bytes, wide ? kThinMagic64 : kThinMagic32, order);
    append32(bytes, cpuType, order);
    for (const quint32 word : {0u, kExecutableFileType, 0u, 0u, 0u}) // subtype, file type, commands, size, flags
        append32(bytes, word, order);
    if (wide)
        append32(bytes, 0, order); // reserved
    return bytes;
}

QByteArray fatMachO(const QList<quint32>& cpuTypes, bool wide, ByteOrder order, std::optional<quint32> declaredCount)
{
    QByteArray bytes;
    append32(bytes, wide ? kFatMagic64 : kFatMagic, order);
    append32(bytes, declaredCount.value_or(static_cast<quint32>(cpuTypes.size())), order);
    quint32 sliceOffset = 0x4000;
    for (const quint32 cpuType : cpuTypes) {
        append32(bytes, cpuType, order);
        append32(bytes, 0, order); // subtype
        if (wide) {
            append64(bytes, sliceOffset, order);
            append64(bytes, 0x1000, order);
            append32(bytes, 14, order); // alignment
            append32(bytes, 0, order);  // reserved
        } else {
            append32(bytes, sliceOffset, order);
            append32(bytes, 0x1000, order);
            append32(bytes, 14, order);
        }
        sliceOffset += 0x4000;
    }
    return bytes;
}

QByteArray propertyList(const QVariant& value, PlistFormat format)
{
    const PlistNode root(toPlist(value));
    char* serialized = nullptr;
    uint32_t length = 0;
    if (format == PlistFormat::xml) {
        plist_to_xml(static_cast<plist_t>(root.get()), &serialized, &length);
        const QByteArray bytes(serialized, static_cast<qsizetype>(length));
        plist_to_xml_free(serialized);
        return bytes;
    }
    plist_to_bin(static_cast<plist_t>(root.get()), &serialized, &length);
    const QByteArray bytes(serialized, static_cast<qsizetype>(length));
    plist_to_bin_free(serialized);
    return bytes;
}

QString makeAppBundle(const QString& bundlePath, const AppBundle& bundle)
{
    const QString contents = bundlePath + QStringLiteral("/Contents");
    makeFolder(contents + QStringLiteral("/MacOS"));
    if (bundle.info) {
        QVariantMap info = *bundle.info;
        if (!bundle.executableName.isEmpty() && !info.contains(QStringLiteral("CFBundleExecutable")))
            info.insert(QStringLiteral("CFBundleExecutable"), bundle.executableName);
        writeFile(contents + QStringLiteral("/Info.plist"), propertyList(info, bundle.plistFormat));
    }
    if (!bundle.executableName.isEmpty())
        writeFile(contents + QStringLiteral("/MacOS/") + bundle.executableName, bundle.executable);
    if (bundle.appStoreReceipt)
        writeFile(contents + QStringLiteral("/_MASReceipt/receipt"), QByteArrayLiteral("receipt"));
    return bundlePath;
}

void writeFile(const QString& path, const QByteArray& bytes)
{
    makeFolder(QFileInfo(path).path());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size()) << path.toStdString();
}

void makeSymlink(const QString& target, const QString& linkPath)
{
    makeFolder(QFileInfo(linkPath).path());
    ASSERT_EQ(symlink(QFile::encodeName(target).constData(), QFile::encodeName(linkPath).constData()), 0)
        << linkPath.toStdString();
}

void makeFifo(const QString& path)
{
    makeFolder(QFileInfo(path).path());
    ASSERT_EQ(mkfifo(QFile::encodeName(path).constData(), 0644), 0) << path.toStdString();
}

void makeFolder(const QString& path)
{
    ASSERT_TRUE(QDir().mkpath(path)) << path.toStdString();
}

} // namespace BundleMaker
