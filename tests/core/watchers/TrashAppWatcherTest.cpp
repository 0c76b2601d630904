#include "core/watchers/TrashAppWatcher.h"
#include "core/leftovers/AppLeftoverScanner.h"
#include "kit/platform/TruneTrash.h"
#include "tests/support/BundleMaker.h"
#include "tests/support/CallbackCounter.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSet>

#include <functional>
#include <mutex>
#include <vector>

namespace {

using namespace Qt::StringLiterals;
using BundleMaker::makeAppBundle;
using BundleMaker::writeFile;

// A home with a Library, an Applications folder to search and the Trash.
class TrashWatcherHome {
public:
    QString library() const { return home.filePath(QStringLiteral("Library")); }
    QString applications() const { return home.filePath(QStringLiteral("Applications")); }
    QString applications(const QString& relative) const { return applications() + QLatin1Char('/') + relative; }
    QString downloads(const QString& relative) const { return home.filePath(QStringLiteral("Downloads/") + relative); }
    QString trash() const { return TruneTrash::filesDirectory(); }

    TrashAppWatcher makeWatcher() const { return TrashAppWatcher(trash(), library(), {applications()}); }

    static QString makeApp(const QString& path, const QString& name, const QString& bundleID)
    {
        BundleMaker::AppBundle bundle;
        bundle.info = QVariantMap{{QStringLiteral("CFBundleName"), name}};
        if (!bundleID.isEmpty())
            bundle.info->insert(QStringLiteral("CFBundleIdentifier"), bundleID);
        return makeAppBundle(path, bundle);
    }

    void makeLeftovers(const QString& bundleID) const
    {
        writeFile(library() + QStringLiteral("/Preferences/") + bundleID + QStringLiteral(".plist"), "prefs");
        writeFile(library() + QStringLiteral("/Caches/") + bundleID + QStringLiteral("/cache.db"), "cache");
    }

    static QString moveToTrash(const QString& path)
    {
        const auto moved = TruneTrash::trashItem(path);
        EXPECT_TRUE(moved.has_value()) << moved.error().description().toStdString();
        return moved.value_or(QString());
    }

    TempHome home;
};

// Collects the alerts raised on the watcher's thread.
class AlertLog {
public:
    TrashAppWatcher::AlertHandler handler()
    {
        return [this](const TrashLeftoverAlert& alert) {
            {
                std::lock_guard lock(m_mutex);
                m_alerts.push_back(alert);
            }
            counter.record();
        };
    }
    std::vector<TrashLeftoverAlert> alerts() const
    {
        std::lock_guard lock(m_mutex);
        return m_alerts;
    }

    CallbackCounter counter;

private:
    mutable std::mutex m_mutex;
    std::vector<TrashLeftoverAlert> m_alerts;
};

TEST(TrashAppWatcherTest, RaisesOneAlertPerAppTrashedWithLeftovers)
{
    TrashWatcherHome home;
    for (const char* id : {"com.example.old", "com.example.foo", "com.example.bar", "com.example.baz",
             "com.example.qux", "com.example.quill"})
        home.makeLeftovers(QString::fromLatin1(id));
    home.moveToTrash(home.makeApp(
        home.downloads(QStringLiteral("Old.app")), QStringLiteral("Old"), QStringLiteral("com.example.old")));

    TrashAppWatcher watcher = home.makeWatcher();
    AlertLog log;
    watcher.start(log.handler());

    const QDateTime before = QDateTime::currentDateTimeUtc();
    const QString foo = home.moveToTrash(home.makeApp(
        home.applications(QStringLiteral("Foo.app")), QStringLiteral("Foo"), QStringLiteral("com.example.foo")));
    ASSERT_TRUE(log.counter.waitForAtLeast(1));
    // Nothing is left new to the watcher, so no later check can raise a second alert for it.
    EXPECT_TRUE(watcher.checkForNewTrashedApps().empty());
    ASSERT_EQ(log.counter.count(), 1);
    const TrashLeftoverAlert alert = log.alerts().front();
    EXPECT_EQ(alert.appName(), QStringLiteral("Foo"));
    EXPECT_EQ(alert.bundleID(), QStringLiteral("com.example.foo"));
    EXPECT_EQ(alert.trashedAppPath(), foo);
    EXPECT_EQ(alert.leftovers(),
        AppLeftoverScanner::scanLeftovers(QStringLiteral("Foo"), QStringLiteral("com.example.foo"), home.library()));
    EXPECT_EQ(alert.leftovers().size(), 2u);
    EXPECT_GE(alert.detectedAt(), before);
    EXPECT_FALSE(alert.id().isNull());

    // Two apps trashed one after the other: one alert each, whether one check or two finds them.
    home.moveToTrash(home.makeApp(
        home.downloads(QStringLiteral("Baz.app")), QStringLiteral("Baz"), QStringLiteral("com.example.baz")));
    home.moveToTrash(home.makeApp(
        home.downloads(QStringLiteral("Bar.app")), QStringLiteral("Bar"), QStringLiteral("com.example.bar")));
    ASSERT_TRUE(log.counter.waitForAtLeast(3));
    EXPECT_TRUE(watcher.checkForNewTrashedApps().empty());
    ASSERT_EQ(log.counter.count(), 3);
    const QStringList pairNames{log.alerts()[1].appName(), log.alerts()[2].appName()};
    EXPECT_EQ(QSet<QString>(pairNames.begin(), pairNames.end()), (QSet<QString>{u"Bar"_s, u"Baz"_s}));

    // Nothing once stopped (its thread has ended); a direct look then finds the apps trashed
    // meanwhile, in path order, and calls no handler.
    watcher.stop();
    home.moveToTrash(home.makeApp(
        home.downloads(QStringLiteral("Qux.app")), QStringLiteral("Qux"), QStringLiteral("com.example.qux")));
    home.moveToTrash(home.makeApp(
        home.downloads(QStringLiteral("Quill.app")), QStringLiteral("Quill"), QStringLiteral("com.example.quill")));
    const std::vector<TrashLeftoverAlert> late = watcher.checkForNewTrashedApps();
    EXPECT_EQ(log.counter.count(), 3);
    ASSERT_EQ(late.size(), 2u);
    EXPECT_EQ(late[0].appName(), QStringLiteral("Quill"));
    EXPECT_EQ(late[1].appName(), QStringLiteral("Qux"));
}

TEST(TrashAppWatcherTest, AnAppStillInstalledWhereTheInventoryLooksRaisesNothing)
{
    const QString id = QStringLiteral("com.example.foo");
    struct Row {
        const char* description;
        std::function<void(const TrashWatcherHome&)> install;
        bool leftovers = true;
        std::size_t expectedAlerts = 0;
    };
    const std::vector<Row> rows{
        {"installed nowhere", [](const TrashWatcherHome&) {}, true, 1},
        {"no leftovers", [](const TrashWatcherHome&) {}, false, 0},
        {"same name at the top level",
            [](const TrashWatcherHome& home) {
                TrashWatcherHome::makeApp(
                    home.applications(QStringLiteral("Foo.app")), QStringLiteral("Other"), QString());
            }},
        {"same name in other case at the top level",
            [](const TrashWatcherHome& home) {
                TrashWatcherHome::makeApp(home.applications(QStringLiteral("FOO.APP")), QStringLiteral("Other"),
                    QStringLiteral("com.example.other"));
            }},
        {"same identifier under another name",
            [&](const TrashWatcherHome& home) {
                TrashWatcherHome::makeApp(
                    home.applications(QStringLiteral("Foo Pro.app")), QStringLiteral("Foo Pro"), id);
            }},
        {"same name one folder down",
            [](const TrashWatcherHome& home) {
                TrashWatcherHome::makeApp(
                    home.applications(QStringLiteral("Tools/Foo.app")), QStringLiteral("Foo"), QString());
            }},
        {"same identifier one folder down",
            [](const TrashWatcherHome& home) {
                TrashWatcherHome::makeApp(home.applications(QStringLiteral("Tools/Foo Pro.app")),
                    QStringLiteral("Foo Pro"), QStringLiteral(" COM.Example.FOO\n"));
            }},
        {"two folders down is not installed",
            [&](const TrashWatcherHome& home) {
                TrashWatcherHome::makeApp(
                    home.applications(QStringLiteral("Tools/Old/Foo.app")), QStringLiteral("Foo"), id);
            },
            true, 1},
        {"another app installed",
            [](const TrashWatcherHome& home) {
                TrashWatcherHome::makeApp(home.applications(QStringLiteral("Tools/Bar.app")), QStringLiteral("Bar"),
                    QStringLiteral("com.example.bar"));
            },
            true, 1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.description);
        TrashWatcherHome home;
        if (row.leftovers)
            home.makeLeftovers(id);
        row.install(home);
        TrashAppWatcher watcher = home.makeWatcher();
        home.moveToTrash(
            TrashWatcherHome::makeApp(home.downloads(QStringLiteral("Foo.app")), QStringLiteral("Foo"), id));
        EXPECT_EQ(watcher.checkForNewTrashedApps().size(), row.expectedAlerts);
    }
}

TEST(TrashAppWatcherTest, OnlyAppsNewToTheTrashCount)
{
    TrashWatcherHome home;
    home.makeLeftovers(QStringLiteral("com.example.old"));
    const QString original = TrashWatcherHome::makeApp(
        home.downloads(QStringLiteral("Old.app")), QStringLiteral("Old"), QStringLiteral("com.example.old"));
    const QString trashed = home.moveToTrash(original);
    writeFile(home.trash() + QStringLiteral("/notes.txt"), "not an app");

    TrashAppWatcher watcher = home.makeWatcher();
    watcher.start(nullptr); // takes in what the Trash holds now
    watcher.stop();
    EXPECT_TRUE(watcher.checkForNewTrashedApps().empty());

    // Put back and trashed again: new once more, and only once.
    ASSERT_TRUE(QFile::rename(trashed, original));
    EXPECT_TRUE(watcher.checkForNewTrashedApps().empty());
    const QString again = home.moveToTrash(original);
    const std::vector<TrashLeftoverAlert> alerts = watcher.checkForNewTrashedApps();
    ASSERT_EQ(alerts.size(), 1u);
    EXPECT_EQ(alerts.front().trashedAppPath(), again);
    EXPECT_TRUE(watcher.checkForNewTrashedApps().empty());

    // Emptying the Trash raises nothing.
    ASSERT_TRUE(QDir(again).removeRecursively());
    EXPECT_TRUE(watcher.checkForNewTrashedApps().empty());
}

} // namespace
