#include "core/inventory/BundleInfoReader.h"
#include "tests/support/BundleMaker.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace {

using namespace BundleMaker;

QByteArray bigEndian(quint64 value, int width)
{
    QByteArray bytes;
    for (int shift = (width - 1) * 8; shift >= 0; shift -= 8)
        bytes.append(char((value >> shift) & 0xFF));
    return bytes;
}

// { "Icons" = [ d, d, ... ] } in binary form, with `references` references to one data object
// `d` of `size` bytes; libplist writes each copy out, so this is made by hand.
QByteArray sharedDataInfoPlist(qsizetype size, int references)
{
    QByteArray document("bplist00");
    QByteArray offsets;
    const auto addObject = [&](const QByteArray& object) {
        offsets.append(char(document.size()));
        document.append(object);
    };
    addObject("\xD1\x01\x02"); // dictionary: key 1, value 2
    addObject("\x55Icons");
    addObject(char(0xA0 | references) + QByteArray(references, '\x03'));
    addObject("\x4F\x12" + bigEndian(size, 4) + QByteArray(size, 's'));
    const qsizetype tableOffset = document.size();
    document.append(offsets);
    document.append(QByteArray(6, '\0') + "\x01\x01" + bigEndian(4, 8) + bigEndian(0, 8) + bigEndian(tableOffset, 8));
    return document;
}

const char* formatName(PlistFormat format)
{
    return format == PlistFormat::xml ? "XML" : "binary";
}

class BundleInfoReaderTest : public ::testing::Test {
protected:
    QString bundleWith(const QString& name, const QByteArray& infoPlist)
    {
        const QString bundle = makeAppBundle(m_home.filePath(name), {.info = std::nullopt});
        writeFile(infoPath(bundle), infoPlist);
        return bundle;
    }

    static QString infoPath(const QString& bundle) { return bundle + u"/Contents/Info.plist"_s; }

    TempHome m_home;
};

TEST_F(BundleInfoReaderTest, ReadsTheDictionaryOfARealSizedInfoPlist)
{
    QVariantList documentTypes;
    for (int index = 0; index < 500; ++index) {
        documentTypes.append(QVariantMap{{u"CFBundleTypeName"_s, u"Type %1"_s.arg(index)},
            {u"LSItemContentTypes"_s, QVariantList{u"com.example.type%1"_s.arg(index)}}});
    }
    const QVariantMap info{{u"CFBundleIdentifier"_s, u"com.example.Editor"_s},
        {u"CFBundleDocumentTypes"_s, documentTypes}, {u"Icon"_s, QByteArray(2 * 1024 * 1024, 'i')}};
    for (const PlistFormat format : {PlistFormat::xml, PlistFormat::binary}) {
        SCOPED_TRACE(formatName(format));
        const QString bundle = bundleWith(u"Editor-%1.app"_s.arg(formatName(format)), propertyList(info, format));
        EXPECT_EQ(BundleInfoReader::readInfoDictionary(bundle), info);
    }
}

TEST_F(BundleInfoReaderTest, InfoPlistsThatWouldUnfoldBeyondARealOneReadAsEmpty)
{
    const QVariantMap tooManyValues{{u"CFBundleIdentifier"_s, u"com.example.Many"_s},
        {u"Items"_s, QVariantList(BundleInfoReader::kInfoPlistLimits.maxValues, true)}};
    struct Case {
        const char* name;
        QByteArray infoPlist;
    };
    const std::vector<Case> cases{
        {"too many values, XML", propertyList(tooManyValues, PlistFormat::xml)},
        {"too many values, binary", propertyList(tooManyValues, PlistFormat::binary)},
        // Written once and referred to nine times: 1 MiB on disk, 9 MiB once read.
        {"shared data", sharedDataInfoPlist(1024 * 1024, 9)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(
            BundleInfoReader::readInfoDictionary(bundleWith(QString::fromLatin1(c.name) + u".app"_s, c.infoPlist)),
            QVariantMap());
    }
}

TEST_F(BundleInfoReaderTest, SharedDataWithinTheSizeOfARealInfoPlistIsRead)
{
    const QVariantMap info
        = BundleInfoReader::readInfoDictionary(bundleWith(u"Shared.app"_s, sharedDataInfoPlist(512 * 1024, 9)));
    EXPECT_EQ(info, (QVariantMap{{u"Icons"_s, QVariantList(9, QByteArray(512 * 1024, 's'))}}));
}

TEST_F(BundleInfoReaderTest, ADictionaryKeyHoldingNulReadsAsEmptyInsteadOfEndingTheProcess)
{
    // { "a\0b" (UTF-16) = "x" }, with one-byte offsets and references.
    const QByteArray infoPlist("bplist00"
                               "\xD1\x01\x02"                 // dictionary: key 1, value 2
                               "\x63\x00\x61\x00\x00\x00\x62" // UTF-16 "a", U+0000, "b"
                               "\x51x"                        // ASCII "x"
                               "\x08\x0B\x12"                 // offset table
                               "\0\0\0\0\0\0\x01\x01"         // offset size, reference size
                               "\0\0\0\0\0\0\0\x03"           // objects
                               "\0\0\0\0\0\0\0\0"             // top object
                               "\0\0\0\0\0\0\0\x14",          // offset table position
        55);
    EXPECT_EQ(BundleInfoReader::readInfoDictionary(bundleWith(u"NulKey.app"_s, infoPlist)), QVariantMap());
}

} // namespace
