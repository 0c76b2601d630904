#include "kit/platform/TruneSafeFile.h"
#include "tests/support/TempHome.h"
#include "tests/support/TinyFileSystem.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <chrono>
#include <functional>
#include <future>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

using Kind = TruneSafeFileError::Kind;
using ReadResult = std::expected<QByteArray, TruneSafeFileError>;

void writeFile(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    ASSERT_EQ(file.write(bytes), bytes.size());
}

// The file's bytes, or a marker no test writes.
QByteArray readBack(const QString& path)
{
    return TruneSafeFile::readRegularFile(path, 1 << 20).value_or("<unreadable>");
}

QByteArray patterned(qsizetype size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = char(i * 7 % 251);
    return bytes;
}

// A bundle folder holding every kind of entry a hostile bundle could put where a file is expected.
class SafeFileTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        writeFile(at("small"), "hello");
        writeFile(at("six"), "hello!");
        writeFile(at("empty"), {});
        writeFile(at("large"), patterned(300 * 1024));
        QDir().mkpath(at("folder"));
        ASSERT_EQ(::mkfifo(QFile::encodeName(at("fifo")).constData(), 0600), 0);
        ASSERT_TRUE(QFile::link(at("small"), at("link-to-small")));
        ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), at("link-to-zero")));
        ASSERT_TRUE(QFile::link(at("folder"), at("linked-folder")));
        writeFile(at("folder/inner"), "inside");
    }

    QString at(const QString& name) const { return m_home.filePath(QStringLiteral("bundle/") + name); }

    // Runs the read on another thread so that a read which blocks fails the test instead of
    // hanging it; a reader stuck on the FIFO is released by opening its writing end.
    ReadResult readWithoutHanging(const std::function<ReadResult()>& read)
    {
        auto reading = std::async(std::launch::async, read);
        if (reading.wait_for(std::chrono::seconds(10)) == std::future_status::timeout) {
            ::close(::open(QFile::encodeName(at("fifo")).constData(), O_WRONLY | O_NONBLOCK));
            ADD_FAILURE() << "the read blocked";
        }
        return reading.get();
    }

    TempHome m_home;
};

struct RefusalCase {
    const char* name;
    QString path; // below the bundle folder unless absolute
    Kind kind;
};

std::vector<RefusalCase> refusalCases()
{
    return {
        {"missing file", QStringLiteral("nothing-here"), Kind::notFound},
        {"below a regular file", QStringLiteral("small/child"), Kind::notFound},
        {"directory", QStringLiteral("folder"), Kind::notRegularFile},
        {"FIFO", QStringLiteral("fifo"), Kind::notRegularFile},
        {"device", QStringLiteral("/dev/zero"), Kind::notRegularFile},
        {"symbolic link to a file", QStringLiteral("link-to-small"), Kind::symbolicLink},
        {"symbolic link to /dev/zero", QStringLiteral("link-to-zero"), Kind::symbolicLink},
        {"symbolic link to a folder", QStringLiteral("linked-folder"), Kind::symbolicLink},
        {"empty path", QStringLiteral(""), Kind::notFound},
    };
}

} // namespace

TEST_F(SafeFileTest, ReadsRegularFilesWithinTheLimit)
{
    struct Case {
        const char* name;
        QString file;
        qint64 maxBytes;
        QByteArray expected;
    };
    const std::vector<Case> cases{
        {"exactly at the limit", QStringLiteral("small"), 5, "hello"},
        {"below the limit", QStringLiteral("small"), 1000, "hello"},
        {"empty file, no bytes allowed", QStringLiteral("empty"), 0, {}},
        {"many chunks", QStringLiteral("large"), 300 * 1024, patterned(300 * 1024)},
        // A symbolic link above the last component is an ordinary folder of the path.
        {"through a linked folder", QStringLiteral("linked-folder/inner"), 100, "inside"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ReadResult read = TruneSafeFile::readRegularFile(at(c.file), c.maxBytes);
        ASSERT_TRUE(read.has_value()) << read.error().description().toStdString();
        EXPECT_EQ(*read, c.expected);
    }
}

TEST_F(SafeFileTest, RefusesFilesLargerThanTheLimit)
{
    for (const qint64 maxBytes : {qint64(5), qint64(0), qint64(-1)}) {
        SCOPED_TRACE(maxBytes);
        const ReadResult read = TruneSafeFile::readRegularFile(at("six"), maxBytes);
        ASSERT_FALSE(read.has_value());
        EXPECT_EQ(read.error().kind, Kind::tooLarge);
        EXPECT_EQ(read.error().path, at("six"));
    }
}

TEST_F(SafeFileTest, WholeFileReadRefusesEverythingButARegularFileWithoutBlocking)
{
    for (const RefusalCase& c : refusalCases()) {
        SCOPED_TRACE(c.name);
        const QString path = c.path.startsWith(QLatin1Char('/')) || c.path.isEmpty() ? c.path : at(c.path);
        const ReadResult read = readWithoutHanging([&] { return TruneSafeFile::readRegularFile(path, 1 << 20); });
        ASSERT_FALSE(read.has_value());
        EXPECT_EQ(read.error().kind, c.kind) << read.error().description().toStdString();
    }
}

TEST_F(SafeFileTest, PrefixReadRefusesEverythingButARegularFileWithoutBlocking)
{
    for (const RefusalCase& c : refusalCases()) {
        SCOPED_TRACE(c.name);
        const QString path = c.path.startsWith(QLatin1Char('/')) || c.path.isEmpty() ? c.path : at(c.path);
        const ReadResult read = readWithoutHanging([&] { return TruneSafeFile::readPrefix(path, 4096); });
        ASSERT_FALSE(read.has_value());
        EXPECT_EQ(read.error().kind, c.kind) << read.error().description().toStdString();
    }
}

TEST_F(SafeFileTest, PrefixReadStopsAtTheCountOrTheEndOfTheFile)
{
    struct Case {
        const char* name;
        QString file;
        qint64 count;
        QByteArray expected;
    };
    const std::vector<Case> cases{
        {"shorter prefix", QStringLiteral("small"), 3, "hel"},
        {"file shorter than the count", QStringLiteral("small"), 4096, "hello"},
        {"nothing asked", QStringLiteral("small"), 0, {}},
        {"empty file", QStringLiteral("empty"), 16, {}},
        {"prefix spanning chunks", QStringLiteral("large"), 100 * 1024, patterned(100 * 1024)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const ReadResult read = TruneSafeFile::readPrefix(at(c.file), c.count);
        ASSERT_TRUE(read.has_value()) << read.error().description().toStdString();
        EXPECT_EQ(*read, c.expected);
    }
}

TEST_F(SafeFileTest, UnreadableFileIsReportedNotThrown)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    ASSERT_EQ(::chmod(QFile::encodeName(at("small")).constData(), 0), 0);
    const ReadResult read = TruneSafeFile::readRegularFile(at("small"), 100);
    ASSERT_FALSE(read.has_value());
    EXPECT_EQ(read.error().kind, Kind::unreadable);
    EXPECT_FALSE(read.error().reason.isEmpty());
}

TEST(SafeFileWriteTest, WriteCreatesOrReplacesTheWholeFile)
{
    const TempHome home;
    const QString path = home.filePath(u"settings.json"_s);
    ASSERT_TRUE(TruneSafeFile::writeAtomically(path, "first version, longer"));
    EXPECT_EQ(readBack(path), QByteArray("first version, longer"));
    ASSERT_TRUE(TruneSafeFile::writeAtomically(path, "second"));
    EXPECT_EQ(readBack(path), QByteArray("second"));
    ASSERT_TRUE(TruneSafeFile::writeAtomically(path, {}));
    EXPECT_EQ(readBack(path), QByteArray());
    EXPECT_EQ(QDir(home.path()).entryList(QDir::Files | QDir::Hidden), QStringList{u"settings.json"_s});
}

TEST(SafeFileWriteTest, WriteWhereNoFileCanBeMadeFails)
{
    const TempHome home;
    writeFile(home.filePath(u"plain"_s), "a file, not a folder");
    QDir().mkpath(home.filePath(u"folder"_s));
    for (const QString& path : {home.filePath(u"missing/settings.json"_s), home.filePath(u"plain/settings.json"_s),
             home.filePath(u"folder"_s)}) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_FALSE(TruneSafeFile::writeAtomically(path, "bytes"));
    }
    EXPECT_TRUE(QFileInfo(home.filePath(u"folder"_s)).isDir());
}

// Small writes wait in a buffer until the file is closed, so the disk refuses them only then.
TEST(SafeFileWriteTest, WriteOnAFullDiskFailsAndKeepsTheOldFile)
{
    const TempHome home;
    const TinyFileSystem disk(home.filePath(u"disk"_s));
    if (!disk.isMounted())
        GTEST_SKIP() << disk.skipReason().toStdString();
    const QString path = home.filePath(u"disk/settings.json"_s);
    ASSERT_TRUE(TruneSafeFile::writeAtomically(path, "old settings"));
    ASSERT_TRUE(disk.fill());

    EXPECT_FALSE(TruneSafeFile::writeAtomically(path, "new settings"));
    EXPECT_EQ(readBack(path), QByteArray("old settings"));
    EXPECT_EQ(QDir(home.filePath(u"disk"_s)).entryList(QDir::Files | QDir::Hidden),
        (QStringList{u"filler"_s, u"settings.json"_s}));
}

TEST(TruneSafeFileTest, AtomicWriteCanNarrowThePermissionsOfTheFileItReplaces)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("private.json"));
    ASSERT_TRUE(TruneSafeFile::writeAtomically(path, "open"));
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ReadOther));
    ASSERT_TRUE(TruneSafeFile::writeAtomically(path, "closed", QFileDevice::ReadOwner | QFileDevice::WriteOwner));
    EXPECT_EQ(
        QFileInfo(path).permissions() & (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteOther),
        QFileDevice::Permissions());
    EXPECT_TRUE(QFileInfo(path).permissions().testFlag(QFileDevice::WriteOwner));
}
