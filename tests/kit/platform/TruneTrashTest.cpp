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

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <thread>
#include <vector>

using namespace Qt::StringLiterals;

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
    struct stat info { };
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

mode_t permissions(const QString& path)
{
    struct stat info { };
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &info), 0) << path.toStdString();
    return info.st_mode & 07777;
}

QStringList entries(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

class TrashTest : public ::testing::Test {
protected:
    QString trashFolder(const QString& name) const
    {
        return home.filePath(QStringLiteral(".local/share/Trash/") + name);
    }
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
        EXPECT_TRUE(QRegularExpression(QStringLiteral("^[A-Za-z0-9/%._~-]+$"))
                        .match(QString::fromLatin1(encodedPath))
                        .hasMatch())
            << encodedPath.toStdString();
        EXPECT_EQ(QFile::decodeName(QByteArray::fromPercentEncoding(encodedPath)), original);
        ASSERT_TRUE(lines[2].startsWith("DeletionDate="));
        const QDateTime deleted
            = QDateTime::fromString(QString::fromLatin1(lines[2].sliced(13)), QStringLiteral("yyyy-MM-ddTHH:mm:ss"));
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
        threads.emplace_back([&, index] {
            results[index] = TruneTrash::trashItem(home.filePath(QStringLiteral("from%1/Foo.app").arg(index)));
        });
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
    struct stat homeInfo {
    }, otherInfo{};
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

TEST_F(TrashTest, ItemsAlreadyInTheTrashStayWhereTheyAre)
{
    const QString original = home.filePath(u"Downloads/Foo.app"_s);
    writeFile(original + u"/Contents/inner"_s, "inner");
    const auto trashed = TruneTrash::trashItem(original);
    ASSERT_TRUE(trashed.has_value()) << trashed.error().description().toStdString();
    makeSymlink(trashFolder(u"files"_s), home.filePath(u"Trashed"_s));

    const QStringList insideTheTrash{
        *trashed,
        *trashed + u"/Contents/inner"_s,
        home.filePath(u"Trashed/Foo.app"_s),
        infoFileOf(*trashed),
        trashFolder(u"files"_s),
    };
    EXPECT_FALSE(TruneTrash::liesInTrash(home.filePath(u"Downloads"_s)));
    EXPECT_FALSE(TruneTrash::liesInTrash(home.filePath(u"Trashed"_s))); // the link itself lies outside
    for (const QString& path : insideTheTrash) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_TRUE(TruneTrash::liesInTrash(path));
        const auto moved = TruneTrash::trashItem(path);
        ASSERT_FALSE(moved.has_value()) << moved->toStdString();
        EXPECT_EQ(moved.error().kind, Kind::alreadyInTrash);
        EXPECT_TRUE(existsWithoutFollowing(path));
    }
    EXPECT_EQ(entries(trashFolder(u"files"_s)), QStringList{u"Foo.app"_s});
    EXPECT_EQ(entries(trashFolder(u"info"_s)), QStringList{u"Foo.app.trashinfo"_s});
    EXPECT_EQ(contents(*trashed + u"/Contents/inner"_s), "inner");
    expectValidInfo(*trashed, original);
}

TEST_F(TrashTest, LongNamesAreShortenedInTheTrashKeepingTheirExtensionAndWholeCharacters)
{
    struct Row {
        QString name;
        QString extension;
    };
    const std::vector<Row> rows{
        {QString(242, u'a') + u".txt"_s, u".txt"_s},         // 246 bytes, the shortest too long
        {QString(251, u'c') + u".txt"_s, u".txt"_s},         // 255 bytes, the longest there is
        {QString(124, u'\u00FC') + u".txt"_s, u".txt"_s},    // two-byte characters
        {u"\U0001F600"_s.repeated(62) + u".md"_s, u".md"_s}, // four-byte characters
        {QString(250, u'b'), QString()},                     // no extension
        {u"x."_s + QString(250, u'e'), QString()},           // too long an extension to keep
    };
    for (const Row& row : rows) {
        const QByteArray encodedName = QFile::encodeName(row.name);
        SCOPED_TRACE(encodedName.toStdString());
        ASSERT_LE(encodedName.size(), 255);
        QStringList namesInTrash;
        for (const QString& folder : {u"first/"_s, u"second/"_s}) {
            const QString original = home.filePath(u"long/"_s + folder + row.name);
            writeFile(original, folder.toUtf8());
            const auto moved = TruneTrash::trashItem(original);
            ASSERT_TRUE(moved.has_value()) << moved.error().description().toStdString();
            EXPECT_FALSE(existsWithoutFollowing(original));
            EXPECT_EQ(contents(*moved), folder.toUtf8());
            expectValidInfo(*moved, original);

            const QString nameInTrash = QFileInfo(*moved).fileName();
            const QByteArray encoded = QFile::encodeName(nameInTrash);
            EXPECT_LE(encoded.size() + qsizetype(sizeof ".trashinfo") - 1, 255) << encoded.size();
            EXPECT_EQ(QString::fromUtf8(encoded).toUtf8(), encoded) << "cut inside a character";
            EXPECT_FALSE(nameInTrash.contains(QChar::ReplacementCharacter));
            EXPECT_TRUE(nameInTrash.endsWith(row.extension));
            namesInTrash.append(nameInTrash);
        }
        const QString stem = row.name.chopped(row.extension.size());
        EXPECT_TRUE(stem.startsWith(namesInTrash[0].chopped(row.extension.size()))) << namesInTrash[0].toStdString();
        EXPECT_TRUE(namesInTrash[1].chopped(row.extension.size()).endsWith(u" 2"_s)) << namesInTrash[1].toStdString();
    }
}

// Sets up a Trash that someone else could read, swap or fill, below its own data folder.
struct UnsafeTrash {
    QString description;
    std::function<void(const QString& dataHome, const QString& shared)> plant;
};

void makeFolderWithMode(const QString& path, mode_t mode)
{
    makeFolder(path);
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), mode), 0) << path.toStdString();
}

TEST_F(TrashTest, ATrashThatIsNotTheUsersOwnPrivateFolderIsUnavailable)
{
    const auto privateTrash = [](const QString& trash) {
        for (const QString& folder : {trash, trash + u"/files"_s, trash + u"/info"_s})
            makeFolderWithMode(folder, 0700);
    };
    const std::vector<UnsafeTrash> rows{
        {u"the Trash is a link to a folder everyone may write to"_s,
            [](const QString& dataHome, const QString& shared) { makeSymlink(shared, dataHome + u"/Trash"_s); }},
        {u"its files folder is a link"_s,
            [&](const QString& dataHome, const QString& shared) {
                privateTrash(dataHome + u"/Trash"_s);
                ASSERT_TRUE(QDir(dataHome + u"/Trash/files"_s).removeRecursively());
                makeSymlink(shared + u"/files"_s, dataHome + u"/Trash/files"_s);
            }},
        {u"its info folder is a link"_s,
            [&](const QString& dataHome, const QString& shared) {
                privateTrash(dataHome + u"/Trash"_s);
                ASSERT_TRUE(QDir(dataHome + u"/Trash/info"_s).removeRecursively());
                makeSymlink(shared + u"/info"_s, dataHome + u"/Trash/info"_s);
            }},
        {u"the Trash may be written by everyone"_s,
            [&](const QString& dataHome, const QString&) {
                privateTrash(dataHome + u"/Trash"_s);
                makeFolderWithMode(dataHome + u"/Trash"_s, 0777);
            }},
        {u"its files folder may be written by the group"_s,
            [&](const QString& dataHome, const QString&) {
                privateTrash(dataHome + u"/Trash"_s);
                makeFolderWithMode(dataHome + u"/Trash/files"_s, 0770);
            }},
        {u"its info folder may be written by everyone"_s,
            [&](const QString& dataHome, const QString&) {
                privateTrash(dataHome + u"/Trash"_s);
                makeFolderWithMode(dataHome + u"/Trash/info"_s, 01777);
            }},
    };
    for (std::size_t index = 0; index < rows.size(); ++index) {
        const UnsafeTrash& row = rows[index];
        SCOPED_TRACE(row.description.toStdString());
        // A folder open to everyone, laid out like a Trash.
        const QString shared = home.filePath(u"shared%1"_s.arg(index));
        for (const QString& folder : {shared, shared + u"/files"_s, shared + u"/info"_s})
            makeFolderWithMode(folder, 0777);
        const QString dataHome = home.filePath(u"data%1"_s.arg(index));
        makeFolder(dataHome);
        qputenv("XDG_DATA_HOME", QFile::encodeName(dataHome));
        row.plant(dataHome, shared);

        const QString item = home.filePath(u"items/item%1"_s.arg(index));
        writeFile(item, "stays");
        const auto moved = TruneTrash::trashItem(item);
        ASSERT_FALSE(moved.has_value()) << moved->toStdString();
        EXPECT_EQ(moved.error().kind, Kind::trashUnavailable);
        EXPECT_TRUE(moved.error().reason.contains(dataHome + u"/Trash"_s))
            << "the text names the Trash, not the item: " << moved.error().reason.toStdString();
        EXPECT_EQ(contents(item), "stays");
        EXPECT_TRUE(entries(shared + u"/files"_s).isEmpty());
        EXPECT_TRUE(entries(shared + u"/info"_s).isEmpty());
        for (const QString& folder : {u"/Trash/files"_s, u"/Trash/info"_s}) {
            if (QFileInfo(dataHome + folder).isDir()) {
                EXPECT_TRUE(entries(dataHome + folder).isEmpty()) << folder.toStdString();
            }
        }
    }
}

TEST_F(TrashTest, ATrashOwnedByAnotherUserIsUnavailable)
{
    const passwd* nobody = ::getpwnam("nobody");
    if (::geteuid() != 0 || nobody == nullptr)
        GTEST_SKIP() << "only root can give a folder to the user nobody";
    for (const QString& folder : {u""_s, u"/files"_s, u"/info"_s})
        makeFolderWithMode(trashFolder(u""_s) + folder, 0700);
    ASSERT_EQ(::chown(QFile::encodeName(trashFolder(u""_s)).constData(), nobody->pw_uid, nobody->pw_gid), 0);

    const QString item = home.filePath(u"item"_s);
    writeFile(item, "stays");
    const auto moved = TruneTrash::trashItem(item);
    ASSERT_FALSE(moved.has_value()) << moved->toStdString();
    EXPECT_EQ(moved.error().kind, Kind::trashUnavailable);
    EXPECT_EQ(contents(item), "stays");
    EXPECT_TRUE(entries(trashFolder(u"files"_s)).isEmpty());
}

} // namespace
