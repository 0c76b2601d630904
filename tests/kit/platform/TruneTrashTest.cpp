#include "kit/platform/TruneTrash.h"
#include "tests/support/BundleMaker.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <thread>
#include <vector>

namespace {

using BundleMaker::makeFolder;
using BundleMaker::makeSymlink;
using BundleMaker::writeFile;
using Kind = TruneTrashError::Kind;

QByteArray contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool existsWithoutFollowing(const QString& path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

mode_t permissions(const QString& path)
{
    struct stat info {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0) << path.toStdString();
    return info.st_mode & 07777;
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

class TrashTest : public ::testing::Test {
protected:
    QString trashFolder(const QString& name) const { return home.filePath(QStringLiteral(".local/share/Trash/") + name); }
    QString infoFileOf(const QString& pathInTrash) const
    {
        return trashFolder(QStringLiteral("info/")) + QFileInfo(pathInTrash).fileName() + QStringLiteral(".trashinfo");
    }

    // Checks the info file against the format other trash users read, and that it leads back to
    // `original`.
    void expectValidInfo(const QString& pathInTrash, const QString& original) const
    {
        SCOPED_TRACE(pathInTrash.toStdString());
        const QList<QByteArray> lines = contents(infoFileOf(pathInTrash)).split('\n');
        ASSERT_EQ(lines.size(), 4);
        EXPECT_EQ(lines[0], "[Trash Info]");
        ASSERT_TRUE(lines[1].startsWith("Path="));
        const QByteArray encodedPath = lines[1].sliced(5);
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^[A-Za-z0-9/%._~-]+$")).match(QString::fromLatin1(encodedPath)).hasMatch())
            << encodedPath.toStdString();
        EXPECT_EQ(QFile::decodeName(QByteArray::fromPercentEncoding(encodedPath)), original);
        ASSERT_TRUE(lines[2].startsWith("DeletionDate="));
        const QDateTime deleted = QDateTime::fromString(QString::fromLatin1(lines[2].sliced(13)), QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
        ASSERT_TRUE(deleted.isValid()) << lines[2].toStdString();
        EXPECT_LE(qAbs(deleted.secsTo(QDateTime::currentDateTime())), 120);
        EXPECT_EQ(lines[3], "");
    }

    TempHome home;
};

TEST_F(TrashTest, MovesFilesFoldersAndOddNamesWithInfoThatLeadsBack)
{
    const QStringList originals{
        home.filePath(QStringLiteral("Library/Preferences/com.example.foo.plist")),
        home.filePath(QStringLiteral("Library/Application Support/Foo")),
        home.filePath(QStringLiteral("odd names/Ünïcode 100% #1 [a];b?.txt")),
    };
    writeFile(originals[0], "prefs");
    writeFile(originals[1] + QStringLiteral("/data/inner.bin"), "inner");
    writeFile(originals[2], "odd");

    for (const QString& original : originals) {
        SCOPED_TRACE(original.toStdString());
        const auto moved = TruneTrash::trashItem(original);
        ASSERT_TRUE(moved.has_value()) << moved.error().description().toStdString();
        EXPECT_EQ(*moved, trashFolder(QStringLiteral("files/")) + QFileInfo(original).fileName());
        EXPECT_FALSE(existsWithoutFollowing(original));
        expectValidInfo(*moved, original);
    }
    EXPECT_EQ(contents(trashFolder(QStringLiteral("files/com.example.foo.plist"))), "prefs");
    EXPECT_EQ(contents(trashFolder(QStringLiteral("files/Foo/data/inner.bin"))), "inner");
}

TEST_F(TrashTest, MakesPrivateTrashFoldersAndReportsTheFilesFolder)
{
    ASSERT_FALSE(QFileInfo::exists(trashFolder(QString())));
    EXPECT_EQ(TruneTrash::filesDirectory(), trashFolder(QStringLiteral("files")));
    EXPECT_TRUE(QFileInfo(trashFolder(QStringLiteral("files"))).isDir());

    writeFile(home.filePath(QStringLiteral("item")), "x");
    ASSERT_TRUE(TruneTrash::trashItem(home.filePath(QStringLiteral("item"))).has_value());
    for (const QString& folder : {QString(), QStringLiteral("files"), QStringLiteral("info")}) {
        SCOPED_TRACE(folder.toStdString());
        EXPECT_EQ(permissions(trashFolder(folder)), 0700u);
    }
}

TEST_F(TrashTest, FollowsXdgDataHomeAndIgnoresARelativeOne)
{
    const QString elsewhere = home.filePath(QStringLiteral("elsewhere"));
    qputenv("XDG_DATA_HOME", QFile::encodeName(elsewhere));
    EXPECT_EQ(TruneTrash::filesDirectory(), elsewhere + QStringLiteral("/Trash/files"));

    qputenv("XDG_DATA_HOME", "relative/data");
    EXPECT_EQ(TruneTrash::filesDirectory(), trashFolder(QStringLiteral("files")));
}

TEST_F(TrashTest, TakenNamesGetTheNextNumberBeforeTheExtension)
{
    // Names taken by a full entry, by an item without info and by info without an item.
    writeFile(trashFolder(QStringLiteral("files/Foo.app/kept")), "first");
    writeFile(trashFolder(QStringLiteral("info/Foo.app.trashinfo")), "[Trash Info]\n");
    writeFile(trashFolder(QStringLiteral("files/Foo 2.app")), "orphan item");
    writeFile(trashFolder(QStringLiteral("info/Foo 3.app.trashinfo")), "orphan info");
    writeFile(trashFolder(QStringLiteral("files/README")), "readme");
    writeFile(trashFolder(QStringLiteral("info/README.trashinfo")), "[Trash Info]\n");

    struct Row {
        QString original;
        QString expectedName;
    };
    const std::vector<Row> rows{
        {home.filePath(QStringLiteral("a/Foo.app")), QStringLiteral("Foo 4.app")},
        {home.filePath(QStringLiteral("b/Foo.app")), QStringLiteral("Foo 5.app")},
        {home.filePath(QStringLiteral("a/README")), QStringLiteral("README 2")},
        {home.filePath(QStringLiteral("a/.hidden")), QStringLiteral(".hidden")},
        {home.filePath(QStringLiteral("b/.hidden")), QStringLiteral(".hidden 2")},
        {home.filePath(QStringLiteral("a/archive.tar.gz")), QStringLiteral("archive.tar.gz")},
        {home.filePath(QStringLiteral("b/archive.tar.gz")), QStringLiteral("archive.tar 2.gz")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.original.toStdString());
        writeFile(row.original, row.original.toUtf8());
        const auto moved = TruneTrash::trashItem(row.original);
        ASSERT_TRUE(moved.has_value()) << moved.error().description().toStdString();
        EXPECT_EQ(*moved, trashFolder(QStringLiteral("files/")) + row.expectedName);
        EXPECT_EQ(contents(*moved), row.original.toUtf8());
        expectValidInfo(*moved, row.original);
    }
    // Nothing that was already in the Trash was replaced.
    EXPECT_EQ(contents(trashFolder(QStringLiteral("files/Foo.app/kept"))), "first");
    EXPECT_EQ(contents(trashFolder(QStringLiteral("files/Foo 2.app"))), "orphan item");
    EXPECT_EQ(contents(trashFolder(QStringLiteral("info/Foo 3.app.trashinfo"))), "orphan info");
    EXPECT_EQ(contents(trashFolder(QStringLiteral("files/README"))), "readme");
}

TEST_F(TrashTest, SameNamesTrashedAtOnceAllArriveUnderDistinctNames)
{
    constexpr int kCount = 8;
    for (int index = 0; index < kCount; ++index)
        writeFile(home.filePath(QStringLiteral("from%1/Foo.app").arg(index)), QByteArray::number(index));

    std::vector<std::expected<QString, TruneTrashError>> results(kCount);
    std::vector<std::thread> threads;
    for (int index = 0; index < kCount; ++index)
        threads.emplace_back([&, index] { results[index] = TruneTrash::trashItem(home.filePath(QStringLiteral("from%1/Foo.app").arg(index))); });
    for (std::thread& thread : threads)
        thread.join();

    QSet<QByteArray> seen;
    for (int index = 0; index < kCount; ++index) {
        ASSERT_TRUE(results[index].has_value()) << results[index].error().description().toStdString();
        seen.insert(contents(*results[index]));
        expectValidInfo(*results[index], home.filePath(QStringLiteral("from%1/Foo.app").arg(index)));
    }
    EXPECT_EQ(seen.size(), kCount);
    EXPECT_EQ(entries(trashFolder(QStringLiteral("files"))).size(), kCount);
    EXPECT_EQ(entries(trashFolder(QStringLiteral("info"))).size(), kCount);
}

TEST_F(TrashTest, ASymbolicLinkIsMovedItselfNeverItsTarget)
{
    const QString target = home.filePath(QStringLiteral("Documents/precious"));
    const QString link = home.filePath(QStringLiteral("Library/Caches/link"));
    writeFile(target + QStringLiteral("/file"), "keep me");
    makeFolder(home.filePath(QStringLiteral("Library/Caches")));
    makeSymlink(target, link);

    const auto moved = TruneTrash::trashItem(link);
    ASSERT_TRUE(moved.has_value()) << moved.error().description().toStdString();
    EXPECT_TRUE(QFileInfo(*moved).isSymLink());
    EXPECT_FALSE(existsWithoutFollowing(link));
    EXPECT_EQ(contents(target + QStringLiteral("/file")), "keep me");
    expectValidInfo(*moved, link);
}

TEST_F(TrashTest, FailuresLeaveTheItemWhereItIs)
{
    const auto missing = TruneTrash::trashItem(home.filePath(QStringLiteral("missing")));
    ASSERT_FALSE(missing.has_value());
    EXPECT_EQ(missing.error().kind, Kind::notFound);
    EXPECT_EQ(missing.error().path, home.filePath(QStringLiteral("missing")));

    // A file where the Trash folder should be.
    const QString item = home.filePath(QStringLiteral("item"));
    writeFile(item, "stays");
    writeFile(home.filePath(QStringLiteral(".local/share/Trash")), "not a folder");
    const auto blocked = TruneTrash::trashItem(item);
    ASSERT_FALSE(blocked.has_value());
    EXPECT_EQ(blocked.error().kind, Kind::trashUnavailable);
    EXPECT_FALSE(blocked.error().description().isEmpty());
    EXPECT_EQ(contents(item), "stays");
}

TEST_F(TrashTest, AnItemOnAnotherFileSystemIsNeverCopiedAndItsInfoIsWithdrawn)
{
    QTemporaryDir other(QStringLiteral("/dev/shm/trune-trash-XXXXXX"));
    struct stat homeInfo {}, otherInfo {};
    if (!other.isValid() || ::stat(QFile::encodeName(home.path()).constData(), &homeInfo) != 0
        || ::stat(QFile::encodeName(other.path()).constData(), &otherInfo) != 0 || homeInfo.st_dev == otherInfo.st_dev)
        GTEST_SKIP() << "no second file system to move from";

    const QString item = other.path() + QStringLiteral("/Foo.app");
    writeFile(item + QStringLiteral("/Contents/file"), "stays");
    const auto moved = TruneTrash::trashItem(item);
    ASSERT_FALSE(moved.has_value());
    EXPECT_EQ(moved.error().kind, Kind::crossDevice);
    EXPECT_TRUE(moved.error().description().contains(QStringLiteral("another volume")));
    EXPECT_EQ(contents(item + QStringLiteral("/Contents/file")), "stays");
    EXPECT_TRUE(entries(trashFolder(QStringLiteral("files"))).isEmpty());
    EXPECT_TRUE(entries(trashFolder(QStringLiteral("info"))).isEmpty());
}

} // namespace
