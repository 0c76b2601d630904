#include "core/watchers/ApplicationsDirectoryWatcher.h"
#include "tests/support/BundleMaker.h"
#include "tests/support/CallbackCounter.h"
#include "tests/support/TempHome.h"
#include "tests/support/TestWaits.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <fcntl.h>
#include <sys/stat.h>

#include <cmath>
#include <functional>
#include <limits>
#include <memory>
#include <vector>

namespace {

using BundleMaker::makeAppBundle;
using BundleMaker::makeFolder;
using BundleMaker::makeSymlink;
using BundleMaker::writeFile;

constexpr double kInterval = 0.1;

void setModificationTime(const QString& path, time_t seconds, long nanoseconds = 0)
{
    const timespec times[2] = {{0, UTIME_OMIT}, {seconds, nanoseconds}};
    ASSERT_EQ(utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, AT_SYMLINK_NOFOLLOW), 0)
        << path.toStdString();
}

void renamePath(const QString& from, const QString& to)
{
    ASSERT_TRUE(QFile::rename(from, to)) << from.toStdString() << " -> " << to.toStdString();
}

class ApplicationsDirectoryWatcherTest : public ::testing::Test {
protected:
    // An Applications folder holding "Existing.app" and "Linked.app", a symbolic link to a
    // bundle kept outside it; every time is pinned so that only a test's own change differs.
    QString makeApplicationsFolder(const QString& name)
    {
        const QString folder = home.filePath(name + QStringLiteral("/Applications"));
        makeFolder(folder);
        pinnedBundle(folder + QStringLiteral("/Existing.app"));
        makeSymlink(pinnedBundle(home.filePath(name + QStringLiteral("/outside/Real.app"))),
            folder + QStringLiteral("/Linked.app"));
        return folder;
    }

    QString pinnedBundle(const QString& path)
    {
        makeAppBundle(path);
        setModificationTime(path + QStringLiteral("/Contents/Info.plist"), 1'000'000'000);
        setModificationTime(path, 1'000'000'000);
        return path;
    }

    // Builds the bundle elsewhere and moves it in whole, as installers do, so the watcher never
    // sees a half-made bundle.
    void install(const QString& bundlePath)
    {
        const QString staging = home.filePath(QStringLiteral("staging-%1").arg(++m_stagingCount));
        makeAppBundle(staging);
        renamePath(staging, bundlePath);
    }

    TempHome home;
    CallbackCounter counter;

private:
    int m_stagingCount = 0;
};

TEST_F(ApplicationsDirectoryWatcherTest, DebounceIntervalIsNeverShorterThanATenthOfASecond)
{
    const double infinity = std::numeric_limits<double>::infinity();
    struct Row {
        double given;
        double expected;
    };
    for (const Row row : {Row{0, 0.1}, Row{-2, 0.1}, Row{0.05, 0.1}, Row{std::nan(""), 0.1}, Row{-infinity, 0.1},
             Row{0.1, 0.1}, Row{1.5, 1.5}, Row{infinity, infinity}}) {
        SCOPED_TRACE(row.given);
        EXPECT_EQ(ApplicationsDirectoryWatcher({}, row.given).debounceInterval(), row.expected);
    }
}

TEST_F(ApplicationsDirectoryWatcherTest, ChecksCompareTopLevelBundlesAndTheirTimes)
{
    // Each change gets the watched folder `apps` and the folder `outside` holding the bundle
    // that apps/Linked.app points to.
    struct Row {
        const char* change;
        bool changed;
        std::function<void(const QString& apps, const QString& outside)> make;
    };
    const QString plist = QStringLiteral("/Contents/Info.plist");
    const time_t later = 1'500'000'000;
    const std::vector<Row> rows = {
        {"bundle installed", true, [&](const QString& apps, const QString&) { install(apps + "/New.app"); }},
        {"bundle with an upper-case extension installed", true,
            [&](const QString& apps, const QString&) { install(apps + "/Loud.APP"); }},
        {"plain file named like a bundle", true,
            [](const QString& apps, const QString&) { writeFile(apps + "/Odd.app", "x"); }},
        {"bundle removed", true,
            [](const QString& apps, const QString&) { ASSERT_TRUE(QDir(apps + "/Existing.app").removeRecursively()); }},
        {"bundle renamed", true,
            [](const QString& apps, const QString&) { renamePath(apps + "/Existing.app", apps + "/Renamed.app"); }},
        {"bundle time changed", true,
            [&](const QString& apps, const QString&) { setModificationTime(apps + "/Existing.app", later); }},
        {"Info.plist time changed", true,
            [&](const QString& apps, const QString&) { setModificationTime(apps + "/Existing.app" + plist, later); }},
        {"Info.plist time changed by one nanosecond", true,
            [&](const QString& apps, const QString&) {
                setModificationTime(apps + "/Existing.app" + plist, 1'000'000'000, 1);
            }},
        {"Info.plist removed", true,
            [&](const QString& apps, const QString&) { ASSERT_TRUE(QFile::remove(apps + "/Existing.app" + plist)); }},
        {"linked bundle's Info.plist changed", true,
            [&](const QString&, const QString& outside) { setModificationTime(outside + "/Real.app" + plist, later); }},
        {"linked bundle's own folder time changed", false,
            [&](const QString&, const QString& outside) { setModificationTime(outside + "/Real.app", later); }},
        {"other file written", false,
            [](const QString& apps, const QString&) { writeFile(apps + "/ReadMe.txt", "x"); }},
        {"hidden bundle installed", false,
            [&](const QString& apps, const QString&) { install(apps + "/.Hidden.app"); }},
        {"bundle installed in a sub-folder", false,
            [&](const QString& apps, const QString&) {
                makeFolder(apps + "/Utilities");
                install(apps + "/Utilities/Nested.app");
            }},
        {"file written inside a bundle", false,
            [](const QString& apps, const QString&) { writeFile(apps + "/Existing.app/Contents/MacOS/extra", "x"); }},
    };
    int rowIndex = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.change);
        const QString name = QStringLiteral("row%1").arg(++rowIndex);
        const QString apps = makeApplicationsFolder(name);
        ApplicationsDirectoryWatcher watcher({apps}, kInterval);
        ASSERT_TRUE(watcher.checkForChanges()); // the first look finds the bundles already there

        row.make(apps, home.filePath(name + QStringLiteral("/outside")));

        EXPECT_EQ(watcher.checkForChanges(), row.changed);
        EXPECT_FALSE(watcher.checkForChanges());
    }
}

TEST_F(ApplicationsDirectoryWatcherTest, ReportsAnInstalledAppOnceAfterTheFolderSettles)
{
    const QString folder = makeApplicationsFolder(QStringLiteral("home"));
    ApplicationsDirectoryWatcher watcher({folder}, kInterval);
    watcher.start([&] { counter.record(); });

    install(folder + QStringLiteral("/New.app"));

    ASSERT_TRUE(counter.waitForAtLeast(1));
    // The handler runs only on a difference from the last snapshot: with none left, no later
    // check can call it again for this install.
    EXPECT_FALSE(watcher.checkForChanges());
    EXPECT_EQ(counter.count(), 1);
}

// However a change arrives, it reaches the handler, and once things have settled the watcher's
// snapshot is the folder's final state.
TEST_F(ApplicationsDirectoryWatcherTest, ReportsRemovedRenamedAndReplacedApps)
{
    struct Row {
        const char* change;
        std::function<void(const QString& folder)> make;
    };
    const std::vector<Row> rows = {
        {"removed", [](const QString& f) { ASSERT_TRUE(QDir(f + "/Existing.app").removeRecursively()); }},
        {"renamed", [](const QString& f) { renamePath(f + "/Existing.app", f + "/Renamed.app"); }},
        {"replaced by a newer copy",
            [&](const QString& f) {
                ASSERT_TRUE(QDir(f + "/Existing.app").removeRecursively());
                install(f + "/Existing.app");
            }},
        {"watched folder moved away", [&](const QString& f) { renamePath(f, f + "-moved"); }},
    };
    int rowIndex = 0;
    for (const Row& row : rows) {
        SCOPED_TRACE(row.change);
        const QString folder = makeApplicationsFolder(QStringLiteral("row%1").arg(++rowIndex));
        CallbackCounter rowCounter;
        ApplicationsDirectoryWatcher watcher({folder}, kInterval);
        watcher.start([&] { rowCounter.record(); });

        row.make(folder);

        // A change made in two steps may arrive in two bursts; the watcher's own checks reach the
        // folder's final state, after which a direct look finds nothing new.
        EXPECT_TRUE(rowCounter.waitForAtLeast(1));
        EXPECT_TRUE(waitUntil([&] { return !watcher.checkForChanges(); }));
    }
}

TEST_F(ApplicationsDirectoryWatcherTest, ChangesOutsideTheBundleSetNeverReachTheHandler)
{
    const QString folder = makeApplicationsFolder(QStringLiteral("home"));
    ApplicationsDirectoryWatcher watcher({folder}, kInterval);
    watcher.start([&] { counter.record(); });

    writeFile(folder + QStringLiteral("/ReadMe.txt"), "x");
    install(folder + QStringLiteral("/.Hidden.app"));
    makeFolder(folder + QStringLiteral("/Utilities"));
    install(folder + QStringLiteral("/Utilities/Nested.app"));
    writeFile(folder + QStringLiteral("/Existing.app/Contents/MacOS/extra"), "x");

    // The snapshot taken at start still holds, so no check of the watcher's can have found a
    // difference to report; and none was reported.
    EXPECT_FALSE(watcher.checkForChanges());
    EXPECT_EQ(counter.count(), 0);
}

TEST_F(ApplicationsDirectoryWatcherTest, AStoppedWatcherKeepsItsSnapshotButCallsNothing)
{
    const QString folder = makeApplicationsFolder(QStringLiteral("home"));
    ApplicationsDirectoryWatcher watcher({folder}, kInterval);
    watcher.stop(); // never started
    watcher.start([&] { counter.record(); });
    watcher.stop();
    watcher.stop();

    install(folder + QStringLiteral("/New.app"));

    // No check ran meanwhile: the install is still new to a direct look, which calls nothing.
    EXPECT_TRUE(watcher.checkForChanges());
    EXPECT_FALSE(watcher.checkForChanges());
    EXPECT_EQ(counter.count(), 0);
}

TEST_F(ApplicationsDirectoryWatcherTest, StartingAgainTakesANewBaselineAndHandler)
{
    const QString folder = makeApplicationsFolder(QStringLiteral("home"));
    CallbackCounter replaced;
    ApplicationsDirectoryWatcher watcher({folder}, kInterval);
    watcher.start([&] { replaced.record(); });
    watcher.stop();
    install(folder + QStringLiteral("/WhileStopped.app"));
    watcher.start([&] { replaced.record(); });
    watcher.start([&] { counter.record(); }); // while running

    // The app installed while stopped is part of the new baseline, not a change.
    EXPECT_FALSE(watcher.checkForChanges());

    install(folder + QStringLiteral("/New.app"));
    ASSERT_TRUE(counter.waitForAtLeast(1));
    EXPECT_FALSE(watcher.checkForChanges()); // nothing left that a later check could report
    EXPECT_EQ(counter.count(), 1);
    EXPECT_EQ(replaced.count(), 0);
}

TEST_F(ApplicationsDirectoryWatcherTest, AFolderMissingAtStartIsNeverWatched)
{
    const QString watched = makeApplicationsFolder(QStringLiteral("home"));
    const QString missing = home.filePath(QStringLiteral("later/Applications"));
    ApplicationsDirectoryWatcher watcher({missing, watched}, kInterval);
    watcher.start([&] { counter.record(); });

    makeFolder(missing);
    install(missing + QStringLiteral("/Late.app"));

    // No check ran on the folder's events, so the late bundle is still new to a direct look: its
    // bundles are part of a snapshot once it can be listed.
    EXPECT_TRUE(watcher.checkForChanges());
    EXPECT_EQ(counter.count(), 1);

    install(watched + QStringLiteral("/New.app"));
    EXPECT_TRUE(counter.waitForAtLeast(2));
}

TEST_F(ApplicationsDirectoryWatcherTest, AFolderThatCannotBeListedChangesTheSnapshotOnceEachWay)
{
    const QString folder = makeApplicationsFolder(QStringLiteral("home"));
    ApplicationsDirectoryWatcher watcher({folder}, kInterval);
    ASSERT_TRUE(watcher.checkForChanges());

    renamePath(folder, folder + QStringLiteral("-away"));
    EXPECT_TRUE(watcher.checkForChanges());
    EXPECT_FALSE(watcher.checkForChanges());

    renamePath(folder + QStringLiteral("-away"), folder);
    EXPECT_TRUE(watcher.checkForChanges());
    EXPECT_FALSE(watcher.checkForChanges());
}

TEST_F(ApplicationsDirectoryWatcherTest, TheHandlerMayStopTheWatcher)
{
    const QString folder = makeApplicationsFolder(QStringLiteral("home"));
    ApplicationsDirectoryWatcher watcher({folder}, kInterval);
    watcher.start([&] {
        watcher.stop();
        counter.record();
    });

    install(folder + QStringLiteral("/First.app"));
    ASSERT_TRUE(counter.waitForAtLeast(1));
    install(folder + QStringLiteral("/Second.app"));

    // No check ran after the handler stopped the watcher: the second install is still new to a
    // direct look, and the dropped handler is not called for it.
    EXPECT_TRUE(watcher.checkForChanges());
    EXPECT_EQ(counter.count(), 1);
}

TEST_F(ApplicationsDirectoryWatcherTest, ReleasingAWatcherWithAPendingCheckIsSafe)
{
    const QString folder = makeApplicationsFolder(QStringLiteral("home"));
    auto watcher = std::make_unique<ApplicationsDirectoryWatcher>(QStringList{folder}, kInterval);
    watcher->start([&] { counter.record(); });

    install(folder + QStringLiteral("/New.app"));
    watcher.reset();
    const int callsAtRelease = counter.count();
    install(folder + QStringLiteral("/After.app"));

    // The release joined the watcher's thread: nothing is left that could call the handler.
    EXPECT_EQ(counter.count(), callsAtRelease);
}

} // namespace
