#include "kit/platform/TruneWorkspaceIcon.h"
#include "tests/support/BundleMaker.h"
#include "tests/support/IcnsMaker.h"
#include "tests/support/TestWaits.h"

#include <gtest/gtest.h>

#include <cstdio>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtEndian>

#include <chrono>
#include <future>

#include <fcntl.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

using Kind = TruneWorkspaceIconError::Kind;

const QColor red(220, 30, 30);
const QColor blue(30, 60, 220);
const QColor green(30, 200, 60);

QColor centreColour(const QImage& image)
{
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

class WorkspaceIconTest : public ::testing::Test {
protected:
    // A bundle whose Info.plist names `iconFile` (nothing when it is empty).
    QString bundle(const QString& name, const QVariant& iconFile)
    {
        QVariantMap info{{u"CFBundleIdentifier"_s, u"com.example."_s + name}};
        if (iconFile.isValid())
            info.insert(u"CFBundleIconFile"_s, iconFile);
        return BundleMaker::makeAppBundle(m_dir.filePath(name + u".app"_s), {.info = info});
    }

    static QString resource(const QString& bundlePath, const QString& fileName)
    {
        return bundlePath + u"/Contents/Resources/"_s + fileName;
    }

    // Loads on another thread, so that a load which blocks fails the test instead of hanging it.
    static std::expected<QImage, TruneWorkspaceIconError> loadWithoutHanging(const QString& bundlePath, int px)
    {
        auto loading = std::async(std::launch::async, [=] { return TruneWorkspaceIcon::load(bundlePath, px); });
        if (loading.wait_for(std::chrono::seconds(10)) == std::future_status::timeout) {
            ADD_FAILURE() << "the load blocked";
            std::abort();
        }
        return loading.get();
    }

    QTemporaryDir m_dir;
};

TEST_F(WorkspaceIconTest, ReadsTheDeclaredIconAtTheEntryNearestTheSize)
{
    const QString app = bundle(u"Colours"_s, u"AppIcon"_s);
    BundleMaker::writeFile(resource(app, u"AppIcon.icns"_s),
        IcnsMaker::icns({IcnsMaker::filled(32, green), IcnsMaker::filled(64, blue), IcnsMaker::filled(128, red)}));

    struct Case {
        int px;
        QColor expected;
    };
    // The smallest entry at least as large as asked for, else the largest one.
    for (const Case& c :
        {Case{20, green}, Case{32, green}, Case{33, blue}, Case{64, blue}, Case{100, red}, Case{300, red}}) {
        const auto icon = loadWithoutHanging(app, c.px);
        ASSERT_TRUE(icon.has_value()) << c.px << ": " << icon.error().reason.toStdString();
        EXPECT_EQ(icon->size(), QSize(c.px, c.px));
        EXPECT_EQ(centreColour(*icon), c.expected) << c.px;
    }
}

TEST_F(WorkspaceIconTest, AddsTheIcnsExtensionOnlyWhenTheNameLacksIt)
{
    const QString bare = bundle(u"Bare"_s, u"Icon"_s);
    const QString full = bundle(u"Full"_s, u"Icon.icns"_s);
    const QString upper = bundle(u"Upper"_s, u"Icon.ICNS"_s);
    EXPECT_EQ(TruneWorkspaceIcon::declaredIconPath(bare), resource(bare, u"Icon.icns"_s));
    EXPECT_EQ(TruneWorkspaceIcon::declaredIconPath(full), resource(full, u"Icon.icns"_s));
    EXPECT_EQ(TruneWorkspaceIcon::declaredIconPath(upper), resource(upper, u"Icon.ICNS"_s));
}

TEST_F(WorkspaceIconTest, HostileOrMissingIconsFailWithoutBlocking)
{
    const QByteArray realIcon = IcnsMaker::icns({IcnsMaker::filled(64, red)});

    const QString fifo = bundle(u"Fifo"_s, u"Pipe"_s);
    BundleMaker::makeFifo(resource(fifo, u"Pipe.icns"_s));

    const QString zero = bundle(u"Zero"_s, u"Zero"_s);
    BundleMaker::makeSymlink(u"/dev/zero"_s, resource(zero, u"Zero.icns"_s));

    const QString linked = bundle(u"Linked"_s, u"Linked"_s);
    BundleMaker::writeFile(m_dir.filePath(u"elsewhere.icns"_s), realIcon);
    BundleMaker::makeSymlink(m_dir.filePath(u"elsewhere.icns"_s), resource(linked, u"Linked.icns"_s));

    // A real icon two folders up, where the name would lead if it were followed.
    const QString escaping = bundle(u"Escaping"_s, u"../../x"_s);
    BundleMaker::writeFile(escaping + u"/x.icns"_s, realIcon);

    const QString huge = bundle(u"Huge"_s, u"Huge"_s);
    BundleMaker::writeFile(resource(huge, u"Huge.icns"_s), realIcon + QByteArray(20 * 1024 * 1024, '\0'));

    const QString garbage = bundle(u"Garbage"_s, u"Garbage"_s);
    BundleMaker::writeFile(resource(garbage, u"Garbage.icns"_s),
        QByteArray("icns\0\0\0\x10"
                   "ic07\xff\xff\xff\xff",
            16));

    const QString undeclared = bundle(u"Undeclared"_s, QVariant());
    const QString numeric = bundle(u"Numeric"_s, 42);
    const QString missing = bundle(u"Missing"_s, u"Gone"_s);
    const QString dots = bundle(u"Dots"_s, u".."_s);

    struct Case {
        QString name;
        QString bundlePath;
        Kind kind;
    };
    const std::vector<Case> cases{
        {u"FIFO"_s, fifo, Kind::unreadableFile},
        {u"link to /dev/zero"_s, zero, Kind::unreadableFile},
        {u"link to a real icon"_s, linked, Kind::unreadableFile},
        {u"../../x"_s, escaping, Kind::unsafeName},
        {u".."_s, dots, Kind::unsafeName},
        {u"20 MB file"_s, huge, Kind::unreadableFile},
        {u"broken icns"_s, garbage, Kind::undecodable},
        {u"no CFBundleIconFile"_s, undeclared, Kind::noIconDeclared},
        {u"a number as the name"_s, numeric, Kind::noIconDeclared},
        {u"missing file"_s, missing, Kind::unreadableFile},
        {u"no bundle"_s, m_dir.filePath(u"Nowhere.app"_s), Kind::noIconDeclared},
    };
    for (const Case& c : cases) {
        const auto icon = loadWithoutHanging(c.bundlePath, 64);
        ASSERT_FALSE(icon.has_value()) << c.name.toStdString();
        EXPECT_EQ(icon.error().kind, c.kind) << c.name.toStdString() << ": " << icon.error().reason.toStdString();
    }
}

// The CRC-32 that PNG chunks carry.
quint32 crc32(const char* data, qsizetype size)
{
    quint32 crc = 0xFFFFFFFF;
    for (qsizetype i = 0; i < size; ++i) {
        crc ^= static_cast<unsigned char>(data[i]);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
    }
    return ~crc;
}

TEST_F(WorkspaceIconTest, AnEntryClaimingAHugeSizeIsNotDecoded)
{
    // A PNG entry with a valid header claiming 30000 x 30000 pixels: 3.6 GB once decoded.
    const QByteArray icns = IcnsMaker::icns({IcnsMaker::filled(16, red)});
    QByteArray png = icns.mid(16);
    qToBigEndian<quint32>(30000, png.data() + 16);
    qToBigEndian<quint32>(30000, png.data() + 20);
    qToBigEndian<quint32>(crc32(png.constData() + 12, 17), png.data() + 29);
    const auto icon = TruneWorkspaceIcon::decode(icns.left(16) + png, 64);
    ASSERT_FALSE(icon.has_value());
    EXPECT_EQ(icon.error().kind, Kind::undecodable);
}

QByteArray bigEndian32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray icnsEntry(const QByteArray& type, const QByteArray& data)
{
    return type + bigEndian32(quint32(8 + data.size())) + data;
}

QByteArray icnsFile(const QByteArray& entries)
{
    return "icns" + bigEndian32(quint32(8 + entries.size())) + entries;
}

// The 107 bytes of the report: a table of contents that names one entry of 0xFFFFFFFF bytes,
// followed by a short entry that starts like a PNG.
QByteArray tableOfContentsClaimingFourGiB()
{
    const QByteArray toc = "TOC " + bigEndian32(16) + "ic07" + bigEndian32(0xFFFFFFFF);
    const QByteArray entry = icnsEntry("ic07", QByteArray("\x89PNG\r\n\x1a\n", 8) + QByteArray(67, 'x'));
    return icnsFile(toc + entry);
}

TEST_F(WorkspaceIconTest, AFileWhoseStructureLiesIsRefusedBeforeADecoderSeesIt)
{
    const QByteArray realIcon = IcnsMaker::icns({IcnsMaker::filled(32, red)});
    const QByteArray realEntries = realIcon.mid(8);
    QByteArray manyEntries = realEntries;
    for (int index = 0; index < TruneWorkspaceIcon::maxEntries; ++index)
        manyEntries += icnsEntry("icnV", bigEndian32(0));
    QByteArray longerThanItsFile = realIcon;
    qToBigEndian<quint32>(quint32(realIcon.size() + 1), longerThanItsFile.data() + 4);
    QByteArray entryPastTheEnd = realIcon;
    qToBigEndian<quint32>(quint32(realEntries.size() + 1), entryPastTheEnd.data() + 12);

    struct Case {
        const char* name;
        QByteArray bytes;
    };
    const std::vector<Case> cases{
        {"a table of contents naming 4 GiB", tableOfContentsClaimingFourGiB()},
        {"a table of contents naming more than follows",
            icnsFile("TOC " + bigEndian32(16) + "ic05" + bigEndian32(quint32(realEntries.size() + 8)) + realEntries)},
        {"the header declaring more than the file holds", longerThanItsFile},
        {"an entry running past the end", entryPastTheEnd},
        {"an entry shorter than its own header", icnsFile("ic07" + bigEndian32(4))},
        {"more entries than a real icon has", icnsFile(manyEntries)},
        {"not an icon file", QByteArray("\x89PNG\r\n\x1a\n", 8)},
    };
    ASSERT_TRUE(TruneWorkspaceIcon::decode(realIcon, 32).has_value());
    EXPECT_EQ(tableOfContentsClaimingFourGiB().size(), 107);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const auto icon = TruneWorkspaceIcon::decode(c.bytes, 32);
        ASSERT_FALSE(icon.has_value());
        EXPECT_EQ(icon.error().kind, Kind::undecodable);
    }
}

// Allows this process about 1 GiB more address space than it now has (a sanitizer reserves far
// more than any real limit would allow, so the limit is set relative to what is mapped already).
void limitAddressSpaceToOneMoreGiB()
{
    QFile statm(u"/proc/self/statm"_s);
    ASSERT_TRUE(statm.open(QIODevice::ReadOnly));
    const qint64 pages = statm.readAll().split(' ').value(0).toLongLong();
    const rlim_t limit = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + (rlim_t(1) << 30);
    const rlimit bounded{.rlim_cur = limit, .rlim_max = limit};
    ASSERT_EQ(setrlimit(RLIMIT_AS, &bounded), 0);
}

TEST(WorkspaceIconUnderAMemoryLimitTest, TheHostileTableOfContentsCostsOnlyItsIcon)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            limitAddressSpaceToOneMoreGiB();
            const auto hostile = TruneWorkspaceIcon::decode(tableOfContentsClaimingFourGiB(), 64);
            const auto real = TruneWorkspaceIcon::decode(IcnsMaker::icns({IcnsMaker::filled(64, red)}), 64);
            std::_Exit(!hostile.has_value() && real.has_value() ? 0 : 1);
        },
        ::testing::ExitedWithCode(0), "");
}

TEST_F(WorkspaceIconTest, CacheLoadsOffTheCallerAndKeysIconsByModificationTime)
{
    TruneWorkspaceIconCache& cache = TruneWorkspaceIconCache::shared();
    const QString app = bundle(u"Cached"_s, u"AppIcon"_s);
    const QString iconPath = resource(app, u"AppIcon.icns"_s);
    BundleMaker::writeFile(iconPath, IcnsMaker::icns({IcnsMaker::filled(64, red)}));
    QSignalSpy loaded(&cache, &TruneWorkspaceIconCache::loaded);

    // The first request only starts the load.
    EXPECT_TRUE(cache.icon(app, 64).isNull());
    ASSERT_TRUE(waitUntil([&] { return !cache.icon(app, 64).isNull(); }));
    EXPECT_EQ(loaded.count(), 1);
    EXPECT_EQ(loaded.first().first().toString(), app);
    EXPECT_EQ(centreColour(cache.icon(app, 64)), red);

    // Looked at again while nothing changed: the same icon, no announcement.
    cache.setRecheckAfterMs(0);
    cache.icon(app, 64);
    EXPECT_TRUE(cache.isLoading(app, 64));
    ASSERT_TRUE(waitUntil([&] { return !cache.isLoading(app, 64); }));
    EXPECT_EQ(loaded.count(), 1);
    EXPECT_EQ(centreColour(cache.icon(app, 64)), red);

    // The file replaced with a later modification time: the new icon replaces the old one.
    // Written aside and renamed into place, so a recheck never sees a half-made file or its
    // intermediate modification time.
    const QString replacement = iconPath + u".new"_s;
    BundleMaker::writeFile(replacement, IcnsMaker::icns({IcnsMaker::filled(64, blue)}));
    QFile file(replacement);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTimeUtc().addSecs(60), QFileDevice::FileModificationTime));
    file.close();
    ASSERT_EQ(::rename(QFile::encodeName(replacement).constData(), QFile::encodeName(iconPath).constData()), 0);
    ASSERT_TRUE(waitUntil([&] { return centreColour(cache.icon(app, 64)) == blue; }));
    cache.setRecheckAfterMs(5000);
    ASSERT_TRUE(waitUntil([&] { return !cache.isLoading(app, 64); }));
    EXPECT_EQ(loaded.count(), 2);

    // Each pixel size is an icon of its own; a bundle without one loads to a null image.
    EXPECT_TRUE(cache.icon(app, 32).isNull());
    ASSERT_TRUE(waitUntil([&] { return !cache.icon(app, 32).isNull(); }));
    EXPECT_EQ(cache.icon(app, 32).size(), QSize(32, 32));
    const QString bare = bundle(u"Bare"_s, QVariant());
    cache.icon(bare, 64);
    ASSERT_TRUE(waitUntil([&] { return !cache.isLoading(bare, 64); }));
    EXPECT_EQ(loaded.count(), 4);
    EXPECT_TRUE(cache.icon(bare, 64).isNull());
}

} // namespace
