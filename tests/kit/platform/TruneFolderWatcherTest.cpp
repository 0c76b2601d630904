#include "kit/platform/TruneFolderWatcher.h"
#include "tests/support/CallbackCounter.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>

#include <functional>
#include <memory>
#include <thread>
#include <vector>

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

constexpr std::chrono::milliseconds kInterval = 100ms;

void writeFile(const QString& path, const QByteArray& bytes = "x")
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Append)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

void renamePath(const QString& from, const QString& to)
{
    ASSERT_TRUE(QFile::rename(from, to)) << from.toStdString() << " -> " << to.toStdString();
}

// Brings a new entry into `folder` in one step (made elsewhere, then moved in), so it is one
// event however slowly the test runs.
void moveInNewEntry(const QString& folder, const QString& name)
{
    const QString staging = folder + QStringLiteral("-staging-") + name;
    writeFile(staging);
    renamePath(staging, folder + QLatin1Char('/') + name);
}

qsizetype openDescriptorCount()
{
    const QDir descriptors(QStringLiteral("/proc/self/fd"));
    return descriptors.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot).size();
}

class TruneFolderWatcherTest : public ::testing::Test {
protected:
    // A folder holding one file and one sub-folder, so every kind of change can be made to it.
    QString makeFolder(const QString& name)
    {
        const QString folder = home.filePath(name);
        EXPECT_TRUE(QDir().mkpath(folder + QStringLiteral("/sub")));
        writeFile(folder + QStringLiteral("/existing.txt"));
        return folder;
    }

    std::unique_ptr<TruneFolderWatcher> startWatching(
        const QStringList& folders, std::chrono::milliseconds interval = kInterval)
    {
        auto watcher = std::make_unique<TruneFolderWatcher>(folders, interval, [this] { counter.record(); });
        watcher->start();
        return watcher;
    }

    TempHome home;
    CallbackCounter counter;
};

// A second watcher over the folder where the changes a test makes land: once it has settled
// after them, the events have reached every watcher and their quiet period has passed, so a
// watcher that wrongly reports them has had its chance to.
class Witness final {
public:
    explicit Witness(const QString& folder)
        : m_watcher({folder}, kInterval, [this] { m_settled.record(); })
    {
        m_watcher.start();
    }

    bool waitUntilSettled() const { return m_settled.waitForAtLeast(1); }

private:
    CallbackCounter m_settled;
    TruneFolderWatcher m_watcher;
};

TEST_F(TruneFolderWatcherTest, ReportsANewEntryOnceAfterTheFolderSettles)
{
    const QString folder = makeFolder(QStringLiteral("watched"));
    const auto watcher = startWatching({folder});
    ASSERT_EQ(watcher->watchedFolderCount(), 1);

    const Witness witness(folder);

    moveInNewEntry(folder, QStringLiteral("new.txt"));

    ASSERT_TRUE(counter.waitForAtLeast(1));
    ASSERT_TRUE(witness.waitUntilSettled());
    EXPECT_EQ(counter.count(), 1);
}

TEST_F(TruneFolderWatcherTest, NoticesEveryKindOfChangeToTheFolder)
{
    struct Row {
        const char* change;
        std::function<void(const QString& folder, const QString& outside)> make;
    };
    const std::vector<Row> rows = {
        {"entry created", [](const QString& f, const QString&) { writeFile(f + "/new.txt"); }},
        {"entry deleted", [](const QString& f, const QString&) { ASSERT_TRUE(QFile::remove(f + "/existing.txt")); }},
        {"entry renamed",
            [](const QString& f, const QString&) { renamePath(f + "/existing.txt", f + "/renamed.txt"); }},
        {"entry moved in",
            [](const QString& f, const QString& outside) {
                writeFile(outside);
                renamePath(outside, f + "/moved-in.txt");
            }},
        {"entry moved out", [](const QString& f, const QString& outside) { renamePath(f + "/existing.txt", outside); }},
        {"direct child written", [](const QString& f, const QString&) { writeFile(f + "/existing.txt", "more"); }},
        {"direct child's attributes changed",
            [](const QString& f, const QString&) {
                ASSERT_EQ(chmod(QFile::encodeName(f + "/existing.txt").constData(), 0600), 0);
            }},
        {"sub-folder's times changed",
            [](const QString& f, const QString&) {
                const timespec times[2] = {{1'000'000, 0}, {1'000'000, 0}};
                ASSERT_EQ(utimensat(AT_FDCWD, QFile::encodeName(f + "/sub").constData(), times, 0), 0);
            }},
        {"folder itself renamed", [](const QString& f, const QString& outside) { renamePath(f, outside); }},
        {"folder itself deleted", [](const QString& f, const QString&) { ASSERT_TRUE(QDir(f).removeRecursively()); }},
    };
    int rowIndex = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.change);
        const QString name = QStringLiteral("row%1").arg(++rowIndex);
        const QString folder = makeFolder(name);
        CallbackCounter rowCounter;
        TruneFolderWatcher watcher({folder}, kInterval, [&] { rowCounter.record(); });
        watcher.start();

        row.make(folder, home.filePath(name + QStringLiteral("-outside")));

        EXPECT_TRUE(rowCounter.waitForAtLeast(1));
    }
}

// Changes keep coming faster than the interval for several intervals: a debounce that restarts
// on each change reports them once; one that fires a fixed time after the first change would
// report several times. A test thread stalled for half an interval or more may legitimately let
// the folder settle, so each such stall allows one more report.
TEST_F(TruneFolderWatcherTest, SettlesOnceAfterAStreamOfChanges)
{
    constexpr auto interval = 300ms;
    constexpr auto spacing = 30ms;
    const QString folder = makeFolder(QStringLiteral("watched"));
    const auto watcher = startWatching({folder}, interval);

    int stalls = 0;
    auto previous = Clock::now();
    for (int index = 0; index < 40; ++index) {
        writeFile(folder + QStringLiteral("/burst-%1.txt").arg(index));
        const auto now = Clock::now();
        if (now - previous >= interval / 2)
            ++stalls;
        previous = now;
        std::this_thread::sleep_for(spacing);
    }

    ASSERT_TRUE(counter.waitForAtLeast(1));
    // One more change after the stream: its report comes after every report of the stream (or
    // joins a late one, which only lowers the count).
    const int reportsBeforeMarker = counter.count();
    moveInNewEntry(folder, QStringLiteral("marker.txt"));
    ASSERT_TRUE(counter.waitForAtLeast(reportsBeforeMarker + 1));
    const int streamReports = counter.count() - 1;
    EXPECT_GE(streamReports, 1);
    EXPECT_LE(streamReports, 1 + stalls);
}

TEST_F(TruneFolderWatcherTest, ChangesInsideSubFoldersAreNotReported)
{
    const QString folder = makeFolder(QStringLiteral("watched"));
    const auto watcher = startWatching({folder});
    const Witness subFolder(folder + QStringLiteral("/sub"));

    writeFile(folder + QStringLiteral("/sub/inner.txt"));
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("/sub/deeper")));
    ASSERT_EQ(chmod(QFile::encodeName(folder + QStringLiteral("/sub/inner.txt")).constData(), 0600), 0);

    ASSERT_TRUE(subFolder.waitUntilSettled());
    EXPECT_EQ(counter.count(), 0);
}

TEST_F(TruneFolderWatcherTest, NoCallbackRunsAfterStopReturns)
{
    struct Row {
        const char* when;
        bool changeBeforeStop;
    };
    for (const Row row : {Row{"stopped before the change", false}, Row{"stopped while a report is pending", true}}) {
        SCOPED_TRACE(row.when);
        const QString folder = makeFolder(QStringLiteral("watched-%1").arg(row.changeBeforeStop));
        CallbackCounter rowCounter;
        TruneFolderWatcher watcher({folder}, kInterval, [&] { rowCounter.record(); });
        watcher.start();
        const Witness witness(folder);

        if (row.changeBeforeStop)
            writeFile(folder + QStringLiteral("/before.txt"));
        watcher.stop();
        const int reportsAtStop = rowCounter.count();
        writeFile(folder + QStringLiteral("/after.txt"));
        watcher.stop();
        watcher.start();
        writeFile(folder + QStringLiteral("/after-restart.txt"));

        ASSERT_TRUE(witness.waitUntilSettled());
        EXPECT_EQ(rowCounter.count(), reportsAtStop);
        EXPECT_LE(reportsAtStop, 1);
    }
}

TEST_F(TruneFolderWatcherTest, DestroyingAWatcherWithAPendingReportIsSafe)
{
    const QString folder = makeFolder(QStringLiteral("watched"));
    auto watcher = startWatching({folder});
    const Witness witness(folder);

    writeFile(folder + QStringLiteral("/new.txt"));
    watcher.reset();
    const int reportsAtDestruction = counter.count();
    writeFile(folder + QStringLiteral("/after.txt"));

    ASSERT_TRUE(witness.waitUntilSettled());
    EXPECT_EQ(counter.count(), reportsAtDestruction);
}

TEST_F(TruneFolderWatcherTest, TheCallbackMayStopOrDestroyItsWatcher)
{
    struct Row {
        const char* action;
        bool destroy;
    };
    for (const Row row : {Row{"stop", false}, Row{"destroy", true}}) {
        SCOPED_TRACE(row.action);
        const QString folder = makeFolder(QStringLiteral("watched-%1").arg(row.destroy));
        CallbackCounter rowCounter;
        std::unique_ptr<TruneFolderWatcher> watcher;
        watcher = std::make_unique<TruneFolderWatcher>(QStringList{folder}, kInterval, [&] {
            if (row.destroy)
                watcher.reset();
            else
                watcher->stop();
            rowCounter.record();
        });
        watcher->start();

        moveInNewEntry(folder, QStringLiteral("first.txt"));
        ASSERT_TRUE(rowCounter.waitForAtLeast(1));
        const Witness witness(folder);
        writeFile(folder + QStringLiteral("/second.txt"));

        ASSERT_TRUE(witness.waitUntilSettled());
        EXPECT_EQ(rowCounter.count(), 1);
        EXPECT_EQ(watcher == nullptr, row.destroy);
    }
}

TEST_F(TruneFolderWatcherTest, FoldersThatCannotBeWatchedAreSkippedSilently)
{
    const QString watched = makeFolder(QStringLiteral("watched"));
    const QString missing = home.filePath(QStringLiteral("missing"));
    const QString plainFile = watched + QStringLiteral("/existing.txt");
    const auto watcher = startWatching({missing, plainFile, watched});
    EXPECT_EQ(watcher->watchedFolderCount(), 1);

    // A folder that appears later stays unwatched.
    ASSERT_TRUE(QDir().mkpath(missing));
    const Witness appeared(missing);
    writeFile(missing + QStringLiteral("/new.txt"));
    ASSERT_TRUE(appeared.waitUntilSettled());
    EXPECT_EQ(counter.count(), 0);

    writeFile(watched + QStringLiteral("/new.txt"));
    EXPECT_TRUE(counter.waitForAtLeast(1));
}

TEST_F(TruneFolderWatcherTest, NothingWatchableMeansNothingToStart)
{
    const auto watcher = startWatching({home.filePath(QStringLiteral("missing")), QString()});
    EXPECT_EQ(watcher->watchedFolderCount(), 0);
    watcher->stop();
    watcher->stop();
}

TEST_F(TruneFolderWatcherTest, StopReleasesTheWatchDescriptors)
{
    const QString folder = makeFolder(QStringLiteral("watched"));
    const qsizetype before = openDescriptorCount();
    {
        TruneFolderWatcher neverStarted({folder}, kInterval, [] {});
        TruneFolderWatcher started({folder}, kInterval, [] {});
        started.start();
        EXPECT_GT(openDescriptorCount(), before);
        started.stop();
        neverStarted.stop();
        EXPECT_EQ(openDescriptorCount(), before);
    }
    EXPECT_EQ(openDescriptorCount(), before);
}

} // namespace
