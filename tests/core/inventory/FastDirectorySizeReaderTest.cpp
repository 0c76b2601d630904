#include "core/inventory/FastDirectorySizeReader.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>

#include <fcntl.h>
#include <grp.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <ctime>
#include <limits>
#include <thread>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

using FastDirectorySizeReader::allocatedSize;
using FastDirectorySizeReader::cachedSize;

constexpr uid_t kNobody = 65534;

QByteArray encoded(const QString& path)
{
    return QFile::encodeName(path);
}

// What the file system reports as allocated for one file: the figure every measurement is
// checked against.
qint64 blocksOnDisk(const QString& path)
{
    struct stat info { };
    EXPECT_EQ(lstat(encoded(path).constData(), &info), 0) << path.toStdString();
    return static_cast<qint64>(info.st_blocks) * 512;
}

qsizetype openDescriptorCount()
{
    return QDir(QStringLiteral("/proc/self/fd"))
        .entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot)
        .size();
}

void setModificationTime(const QString& path, time_t seconds)
{
    const timespec times[2] = {{seconds, 0}, {seconds, 0}};
    ASSERT_EQ(utimensat(AT_FDCWD, encoded(path).constData(), times, AT_SYMLINK_NOFOLLOW), 0);
}

// Leaves exactly `freeDescriptors` descriptors to open until it goes out of scope: holes below
// the highest open descriptor are filled, and the soft limit is set just above.
class DescriptorBudget final {
public:
    explicit DescriptorBudget(int freeDescriptors)
    {
        getrlimit(RLIMIT_NOFILE, &m_saved);
        int highest = 0;
        for (const QString& name :
            QDir(QStringLiteral("/proc/self/fd")).entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot))
            highest = std::max(highest, name.toInt());
        for (int fd = open("/dev/null", O_RDONLY | O_CLOEXEC); fd >= 0; fd = open("/dev/null", O_RDONLY | O_CLOEXEC)) {
            if (fd > highest) {
                close(fd);
                break;
            }
            m_fillers.push_back(fd);
        }
        rlimit limited = m_saved;
        limited.rlim_cur = static_cast<rlim_t>(highest + 1 + freeDescriptors);
        setrlimit(RLIMIT_NOFILE, &limited);
    }
    ~DescriptorBudget()
    {
        setrlimit(RLIMIT_NOFILE, &m_saved);
        for (const int fd : m_fillers)
            close(fd);
    }
    DescriptorBudget(const DescriptorBudget&) = delete;
    DescriptorBudget& operator=(const DescriptorBudget&) = delete;

private:
    rlimit m_saved{};
    std::vector<int> m_fillers;
};

class FastDirectorySizeReaderTest : public ::testing::Test {
protected:
    void SetUp() override { FastDirectorySizeReader::clearCache(); }
    void TearDown() override { FastDirectorySizeReader::clearCache(); }

    QString path(const QString& relative) const { return home.filePath(relative); }

    void makeDirectory(const QString& relative) const { ASSERT_TRUE(QDir().mkpath(path(relative))); }

    // Writes `length` bytes and returns the file's allocated size.
    qint64 writeFile(const QString& relative, qint64 length) const
    {
        QFile file(path(relative));
        EXPECT_TRUE(QDir().mkpath(QFileInfo(file).path()));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(length, 'x'));
        file.close();
        return blocksOnDisk(path(relative));
    }

    // A file of `length` bytes with a single written byte in the middle.
    qint64 writeSparseFile(const QString& relative, qint64 length) const
    {
        const int fd = open(encoded(path(relative)).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(ftruncate(fd, length), 0);
        EXPECT_EQ(pwrite(fd, "x", 1, length / 2), 1);
        close(fd);
        return blocksOnDisk(path(relative));
    }

    // A file of `length` bytes that is one hole: no data written, so most file systems give it no
    // blocks at all, as network and FUSE file systems report for files that do take space.
    // Returns its block count.
    blkcnt_t writeHoleFile(const QString& relative, qint64 length) const
    {
        const int fd = open(encoded(path(relative)).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        EXPECT_GE(fd, 0);
        EXPECT_EQ(ftruncate(fd, length), 0);
        close(fd);
        struct stat info { };
        EXPECT_EQ(lstat(encoded(path(relative)).constData(), &info), 0);
        return info.st_blocks;
    }

    void makeSymlink(const QString& target, const QString& relative) const
    {
        ASSERT_EQ(symlink(encoded(target).constData(), encoded(path(relative)).constData()), 0);
    }

    void makeFifo(const QString& relative) const { ASSERT_EQ(mkfifo(encoded(path(relative)).constData(), 0644), 0); }

    void makeSocket(const QString& relative) const
    {
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray socketPath = encoded(path(relative));
        ASSERT_LT(static_cast<size_t>(socketPath.size()), sizeof(address.sun_path));
        std::memcpy(address.sun_path, socketPath.constData(), static_cast<size_t>(socketPath.size()));
        const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        ASSERT_GE(fd, 0);
        EXPECT_EQ(bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof(address)), 0);
        close(fd);
    }

    // An app bundle with an Info.plist and one resource; returns its path.
    QString makeBundle(const QString& relative) const
    {
        writeFile(relative + QStringLiteral("/Contents/Info.plist"), 300);
        writeFile(relative + QStringLiteral("/Contents/Resources/icon.png"), 5000);
        return path(relative);
    }

    TempHome home;
};

TEST_F(FastDirectorySizeReaderTest, NothingToMeasureGivesZeroAndIsNotCached)
{
    writeFile(QStringLiteral("big.bin"), 200000);
    writeFile(QStringLiteral("folder/inner.bin"), 200000);
    makeSymlink(path(QStringLiteral("big.bin")), QStringLiteral("link-to-file"));
    makeSymlink(path(QStringLiteral("folder")), QStringLiteral("link-to-folder"));
    makeSymlink(path(QStringLiteral("gone")), QStringLiteral("dangling"));

    const struct {
        const char* name;
        QString path;
    } cases[] = {
        {"empty path", QString()},
        {"missing path", path(QStringLiteral("missing"))},
        {"link to a file", path(QStringLiteral("link-to-file"))},
        {"link to a folder", path(QStringLiteral("link-to-folder"))},
        {"dangling link", path(QStringLiteral("dangling"))},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(allocatedSize(row.path, true), 0);
        EXPECT_EQ(allocatedSize(row.path, false), 0);
        EXPECT_EQ(cachedSize(row.path), std::nullopt);
    }
    EXPECT_EQ(FastDirectorySizeReader::cacheCount(), 0);
}

TEST_F(FastDirectorySizeReaderTest, FileMeasuresItsAllocatedBlocksNotItsLength)
{
    const qint64 oneByte = writeFile(QStringLiteral("one-byte"), 1);
    ASSERT_GE(oneByte, 512);
    EXPECT_EQ(allocatedSize(path(QStringLiteral("one-byte")), false), oneByte);

    writeFile(QStringLiteral("empty"), 0);
    EXPECT_EQ(allocatedSize(path(QStringLiteral("empty")), false), 0);

    constexpr qint64 oneGiB = qint64{1} << 30;
    const qint64 sparse = writeSparseFile(QStringLiteral("sparse"), oneGiB);
    ASSERT_LT(sparse, 1 << 20) << "the file system did not keep the file sparse";
    EXPECT_EQ(allocatedSize(path(QStringLiteral("sparse")), false), sparse);
}

TEST(FastDirectorySizeReaderRuleTest, FileCountsItsBlocksOrElseItsLogicalSize)
{
    constexpr qint64 largest = std::numeric_limits<qint64>::max();
    const struct {
        const char* name;
        qint64 blocks;
        qint64 logicalSize;
        qint64 expected;
    } cases[] = {
        {"empty file", 0, 0, 0},
        {"one byte in one 4 KiB block", 8, 1, 4096},
        {"sparse: fewer blocks than its length", 8, qint64{1} << 30, 4096},
        {"more blocks than its length", 16, 100, 8192},
        {"no blocks reported (network or FUSE)", 0, 5000, 5000},
        {"negative block count taken as none", -1, 5000, 5000},
        {"negative length counts nothing", 0, -1, 0},
        {"blocks beyond the largest total", largest / 256, 0, largest},
    };
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(FastDirectorySizeReader::fileAllocatedBytes(row.blocks, row.logicalSize), row.expected);
    }
}

TEST_F(FastDirectorySizeReaderTest, FileWithoutBlocksCountsItsLength)
{
    constexpr qint64 length = 300000;
    const qint64 written = writeFile(u"tree/written"_s, 1000);
    if (writeHoleFile(u"tree/no-blocks"_s, length) != 0)
        GTEST_SKIP() << "this file system gives a file that is one hole blocks of its own";

    EXPECT_EQ(allocatedSize(path(u"tree/no-blocks"_s), false), length);
    EXPECT_EQ(allocatedSize(path(u"tree"_s), false), length + written);
}

TEST_F(FastDirectorySizeReaderTest, TreeCountsRegularFilesOnly)
{
    qint64 expected = 0;
    expected += writeFile(QStringLiteral("tree/top.txt"), 10);
    expected += writeFile(QStringLiteral("tree/a/b/c/deep.bin"), 70000);
    expected += writeFile(QStringLiteral("tree/.hidden-file"), 5000);
    expected += writeFile(QStringLiteral("tree/.hidden-folder/inside"), 9000);
    makeDirectory(QStringLiteral("tree/empty-folder"));
    makeDirectory(QStringLiteral("tree/a/b/c"));
    expected += writeSparseFile(QStringLiteral("tree/a/sparse"), qint64{1} << 30);

    // Neither links nor what they point to count, nor special files, which are never opened
    // (opening the pipe would block without a writer).
    writeFile(QStringLiteral("outside/huge.bin"), 3 << 20);
    makeSymlink(path(QStringLiteral("outside/huge.bin")), QStringLiteral("tree/link-to-file"));
    makeSymlink(path(QStringLiteral("outside")), QStringLiteral("tree/a/link-to-folder"));
    makeSymlink(QStringLiteral(".."), QStringLiteral("tree/a/b/link-to-parent"));
    makeFifo(QStringLiteral("tree/pipe"));
    makeSocket(QStringLiteral("tree/a/socket"));

    EXPECT_EQ(allocatedSize(path(QStringLiteral("tree")), false), expected);
    EXPECT_EQ(allocatedSize(path(QStringLiteral("tree")), true), expected);
}

TEST_F(FastDirectorySizeReaderTest, EveryHardLinkMetCountsItsFileAgain)
{
    const qint64 fileSize = writeFile(QStringLiteral("tree/original"), 40000);
    ASSERT_EQ(link(encoded(path(QStringLiteral("tree/original"))).constData(),
                  encoded(path(QStringLiteral("tree/second-name"))).constData()),
        0);
    makeDirectory(QStringLiteral("tree/sub"));
    ASSERT_EQ(link(encoded(path(QStringLiteral("tree/original"))).constData(),
                  encoded(path(QStringLiteral("tree/sub/third-name"))).constData()),
        0);

    EXPECT_EQ(allocatedSize(path(QStringLiteral("tree")), false), 3 * fileSize);
    EXPECT_EQ(allocatedSize(path(QStringLiteral("tree/sub")), false), fileSize);
}

TEST_F(FastDirectorySizeReaderTest, PipeOrSocketMeasuresZeroAndTheZeroIsCached)
{
    makeFifo(QStringLiteral("pipe"));
    makeSocket(QStringLiteral("socket"));
    for (const QString& name : {QStringLiteral("pipe"), QStringLiteral("socket")}) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_EQ(allocatedSize(path(name), true), 0);
        EXPECT_EQ(cachedSize(path(name)), 0);
    }
    EXPECT_EQ(FastDirectorySizeReader::cacheCount(), 2);
}

TEST_F(FastDirectorySizeReaderTest, TreeIsReadTo128LevelsBelowItsRoot)
{
    // Level n holds one file; levels 0 to 128 are read, 129 and 130 are not.
    QString relative = QStringLiteral("chain");
    qint64 expected = 0;
    for (int level = 0; level <= 130; ++level) {
        const qint64 fileSize = writeFile(relative + QStringLiteral("/file"), 1);
        if (level <= 128)
            expected += fileSize;
        relative += QStringLiteral("/d");
    }
    EXPECT_EQ(allocatedSize(path(QStringLiteral("chain")), false), expected);
    // Measured from one level down, the file at level 129 is at depth 128 and counts.
    EXPECT_EQ(allocatedSize(path(QStringLiteral("chain/d")), false), expected);
}

TEST_F(FastDirectorySizeReaderTest, PathIsTakenWithoutDotComponents)
{
    const qint64 expected = writeFile(QStringLiteral("folder/sub/file"), 20000);
    EXPECT_EQ(allocatedSize(path(QStringLiteral("folder/./sub/../")), true), expected);
    EXPECT_EQ(cachedSize(path(QStringLiteral("folder"))), expected);

    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(home.path()));
    const std::optional<qint64> relative = cachedSize(QStringLiteral("folder/sub/.."));
    ASSERT_TRUE(QDir::setCurrent(previous));
    EXPECT_EQ(relative, expected);
    EXPECT_EQ(FastDirectorySizeReader::cacheCount(), 1);
}

TEST_F(FastDirectorySizeReaderTest, BundleStaysCachedUntilItsFolderContentsOrInfoPlistChanges)
{
    const QString bundle = makeBundle(QStringLiteral("Tool.APP"));
    const time_t later = time(nullptr) + 100;
    const struct {
        const char* touched;
        QString path;
    } cases[] = {
        {"bundle folder", bundle},
        {"Contents", bundle + QStringLiteral("/Contents")},
        {"Info.plist", bundle + QStringLiteral("/Contents/Info.plist")},
    };
    int round = 0;
    for (const auto& row : cases) {
        SCOPED_TRACE(row.touched);
        const qint64 before = allocatedSize(bundle, true);
        // A new file deep inside changes only the modification time of its own folder.
        writeFile(QStringLiteral("Tool.APP/Contents/Resources/added-%1.bin").arg(++round), 50000);
        const qint64 after = allocatedSize(bundle, false);
        ASSERT_GT(after, before);
        EXPECT_EQ(cachedSize(bundle), before);
        EXPECT_EQ(allocatedSize(bundle, true), before);

        setModificationTime(row.path, later + round);
        EXPECT_EQ(cachedSize(bundle), std::nullopt);
        EXPECT_EQ(allocatedSize(bundle, true), after);
        EXPECT_EQ(cachedSize(bundle), after);
    }
}

TEST_F(FastDirectorySizeReaderTest, PlainFolderIsValidatedByItsOwnModificationTimeOnly)
{
    const qint64 first = writeFile(QStringLiteral("Data/Contents/Info.plist"), 1000);
    // An old time, so the next change is seen even within the clock's granularity.
    setModificationTime(path(QStringLiteral("Data")), 1000000000);
    EXPECT_EQ(allocatedSize(path(QStringLiteral("Data")), true), first);

    setModificationTime(path(QStringLiteral("Data/Contents/Info.plist")), time(nullptr) + 100);
    EXPECT_EQ(cachedSize(path(QStringLiteral("Data"))), first);

    const qint64 second = writeFile(QStringLiteral("Data/top.bin"), 1000);
    EXPECT_EQ(cachedSize(path(QStringLiteral("Data"))), std::nullopt);
    EXPECT_EQ(allocatedSize(path(QStringLiteral("Data")), true), first + second);
}

TEST_F(FastDirectorySizeReaderTest, CacheIsWrittenOnlyWhenAskedAndCanBeEmptied)
{
    const qint64 size = writeFile(QStringLiteral("a/file"), 3000);
    writeFile(QStringLiteral("b/file"), 3000);

    EXPECT_EQ(allocatedSize(path(QStringLiteral("a")), false), size);
    EXPECT_EQ(FastDirectorySizeReader::cacheCount(), 0);

    allocatedSize(path(QStringLiteral("a")), true);
    allocatedSize(path(QStringLiteral("b")), true);
    EXPECT_EQ(FastDirectorySizeReader::cacheCount(), 2);

    FastDirectorySizeReader::invalidateCache(path(QStringLiteral("a/")));
    EXPECT_EQ(cachedSize(path(QStringLiteral("a"))), std::nullopt);
    EXPECT_EQ(cachedSize(path(QStringLiteral("b"))), size);

    FastDirectorySizeReader::clearCache();
    EXPECT_EQ(FastDirectorySizeReader::cacheCount(), 0);
    EXPECT_EQ(cachedSize(path(QStringLiteral("b"))), std::nullopt);
}

TEST_F(FastDirectorySizeReaderTest, FullCacheIsEmptiedBeforeANewPathOnly)
{
    constexpr int capacity = 4096;
    for (int index = 0; index <= capacity; ++index)
        writeFile(QStringLiteral("many/%1").arg(index), 1);
    for (int index = 0; index < capacity; ++index)
        allocatedSize(path(QStringLiteral("many/%1").arg(index)), true);
    ASSERT_EQ(FastDirectorySizeReader::cacheCount(), capacity);

    FastDirectorySizeReader::invalidateCache(path(QStringLiteral("many/7")));
    allocatedSize(path(QStringLiteral("many/7")), true); // re-stored after the removal
    allocatedSize(path(QStringLiteral("many/0")), true); // already cached
    EXPECT_EQ(FastDirectorySizeReader::cacheCount(), capacity);

    allocatedSize(path(QStringLiteral("many/%1").arg(capacity)), true);
    EXPECT_EQ(FastDirectorySizeReader::cacheCount(), 1);
    EXPECT_TRUE(cachedSize(path(QStringLiteral("many/%1").arg(capacity))).has_value());
}

TEST_F(FastDirectorySizeReaderTest, ConcurrentMeasurementsAgreeAndLeaveNoDescriptorOpen)
{
    std::vector<QString> roots;
    std::vector<qint64> expected;
    for (int tree = 0; tree < 12; ++tree) {
        const QString name = QStringLiteral("app%1.app").arg(tree);
        makeBundle(name);
        for (int file = 0; file <= tree * 3; ++file)
            writeFile(name + QStringLiteral("/Contents/Frameworks/F.framework/Versions/A/part%1").arg(file),
                1000 * (file + 1));
        makeSymlink(QStringLiteral("A"), name + QStringLiteral("/Contents/Frameworks/F.framework/Versions/Current"));
        makeFifo(name + QStringLiteral("/Contents/pipe"));
        roots.push_back(path(name));
        expected.push_back(allocatedSize(roots.back(), false));
    }
    const qsizetype descriptorsBefore = openDescriptorCount();

    std::atomic<int> mismatches = 0;
    std::vector<std::thread> threads;
    for (int thread = 0; thread < 8; ++thread) {
        threads.emplace_back([&, thread] {
            for (int round = 0; round < 40; ++round) {
                const size_t tree = static_cast<size_t>(thread + round) % roots.size();
                if (allocatedSize(roots[tree], true) != expected[tree])
                    ++mismatches;
                if (const auto cached = cachedSize(roots[tree]); cached && *cached != expected[tree])
                    ++mismatches;
                if (round % 10 == thread)
                    FastDirectorySizeReader::clearCache();
                if (round % 7 == thread)
                    FastDirectorySizeReader::invalidateCache(roots[tree]);
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();

    EXPECT_EQ(mismatches.load(), 0);
    EXPECT_LE(FastDirectorySizeReader::cacheCount(), static_cast<int>(roots.size()));
    EXPECT_EQ(openDescriptorCount(), descriptorsBefore);
}

TEST_F(FastDirectorySizeReaderTest, FoldersThatCannotBeOpenedAreSkipped)
{
    // Three descriptors: the root and two levels below it. The third level cannot be opened, so
    // it and everything under it are left out, while the sibling "b" opened afterwards counts.
    const qint64 fileSize = writeFile(QStringLiteral("tree/f"), 1);
    for (const char* relative : {"tree/a/f", "tree/a/a/f", "tree/a/a/a/f", "tree/a/a/a/a/f", "tree/b/f"})
        writeFile(QString::fromLatin1(relative), 1);
    const QString tree = path(QStringLiteral("tree"));
    const qsizetype descriptorsBefore = openDescriptorCount();
    {
        DescriptorBudget budget(3);
        EXPECT_EQ(allocatedSize(tree, false), 4 * fileSize);
    }
    {
        DescriptorBudget budget(0);
        EXPECT_EQ(allocatedSize(tree, false), 0);
    }
    EXPECT_EQ(openDescriptorCount(), descriptorsBefore);
    EXPECT_EQ(allocatedSize(tree, false), 6 * fileSize);
}

// Permission errors: measured by the probe program under an unprivileged user, since the tests
// may run as root, which reads every folder.
class UnreadableFolderTest : public FastDirectorySizeReaderTest {
protected:
    // The probe's user must reach the trees and the probe. The build tree may lie in a folder
    // only its owner can enter (a checkout under /root), so the probe runs from a copy in the
    // temporary home.
    void SetUp() override
    {
        FastDirectorySizeReaderTest::SetUp();
        setMode(QString(), 0755);
        makeDirectory(u"probe"_s);
        setMode(u"probe"_s, 0755);
        ASSERT_TRUE(QFile::copy(QString::fromUtf8(TRUNE_SIZE_PROBE), probeCopy()));
        setMode(u"probe/trune_size_probe"_s, 0755);
    }

    QString probeCopy() const { return path(u"probe/trune_size_probe"_s); }

    // The probe's measurement of `path`; fails the test when the probe left a descriptor open.
    qint64 measureUnprivileged(const QString& measured) const
    {
        QProcess probe;
        if (geteuid() == 0) {
            probe.setChildProcessModifier([] {
                if (setgroups(0, nullptr) != 0 || setgid(kNobody) != 0 || setuid(kNobody) != 0)
                    _exit(125);
            });
        }
        probe.start(probeCopy(), {measured});
        EXPECT_TRUE(probe.waitForFinished(30000));
        EXPECT_EQ(probe.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(probe.exitCode(), 0) << probe.readAllStandardError().toStdString();
        return probe.readAllStandardOutput().trimmed().toLongLong();
    }

    void setMode(const QString& relative, mode_t mode) const
    {
        ASSERT_EQ(chmod(encoded(path(relative)).constData(), mode), 0);
    }
};

TEST_F(UnreadableFolderTest, UnreadableFoldersAreLeftOutOfTheTotal)
{
    const struct {
        const char* name;
        mode_t mode;
    } cases[] = {
        {"neither readable nor searchable", 0000},
        {"searchable, not readable", 0311},
        {"readable, not searchable", 0444},
    };
    int round = 0;
    for (const auto& row : cases) {
        SCOPED_TRACE(row.name);
        const QString tree = QStringLiteral("tree%1").arg(++round);
        const qint64 readable = writeFile(tree + QStringLiteral("/visible.bin"), 7000)
            + writeFile(tree + QStringLiteral("/open/visible.bin"), 9000);
        writeFile(tree + QStringLiteral("/closed/hidden.bin"), 30000);
        writeFile(tree + QStringLiteral("/closed/inner/hidden.bin"), 30000);
        setMode(tree + QStringLiteral("/closed"), row.mode);

        EXPECT_EQ(measureUnprivileged(path(tree)), readable);

        setMode(tree + QStringLiteral("/closed"), 0755);
    }
}

TEST_F(UnreadableFolderTest, UnreadableRootMeasuresZero)
{
    writeFile(QStringLiteral("closed/file.bin"), 30000);
    writeFile(QStringLiteral("closed/inner/file.bin"), 30000);
    setMode(QStringLiteral("closed"), 0000);
    EXPECT_EQ(measureUnprivileged(path(QStringLiteral("closed"))), 0);
    setMode(QStringLiteral("closed"), 0755);
}

} // namespace
