#include "app/viewmodel/UninstallSession.h"

#include "core/inventory/InstalledAppScanner.h"
#include "tests/app/StudioTestHome.h"
#include "tests/support/BundleMaker.h"
#include "tests/support/TestWaits.h"

#include <gtest/gtest.h>

#include <QFileInfo>
#include <QSemaphore>
#include <QUuid>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Stands in for the view model: publishes the session's state into its own StudioState on
// every change, as the view model does, and writes down what else the session reports, one
// line each and in order. A change is written down as the state it published.
class RecordingHost final : public UninstallSession::Host {
public:
    const StudioState& studioState() const override { return state; }
    void sessionChanged() override
    {
        state.uninstallerTargetApp = session->target();
        state.leftoverItems = session->leftovers();
        state.isScanningLeftovers = session->isScanning();
        state.includeAppBundleInTrash = session->includesBundle();
        state.isMovingToTrash = session->isMoving();
        QString line = u"changed "_s + (state.uninstallerTargetApp ? state.uninstallerTargetApp->name : u"-"_s);
        line += u" %1 leftover(s)"_s.arg(state.leftoverItems.size());
        if (state.isScanningLeftovers)
            line += u" scanning"_s;
        if (state.includeAppBundleInTrash)
            line += u" +bundle"_s;
        if (state.isMovingToTrash)
            line += u" moving"_s;
        events << line;
    }
    void showUninstaller() override { events << u"uninstaller"_s; }
    void showToast(const QString& message, bool isError) override
    {
        events << (isError ? u"error toast "_s : u"toast "_s) + message;
    }
    void recordHistory(UpdateLogEntry entry) override
    {
        events << u"history %1 %2 %3"_s.arg(rawValue(entry.action), rawValue(entry.status), entry.appName);
    }
    void applySizeMeasurements(const std::vector<AppSizeMeasurement>& measurements) override
    {
        for (const AppSizeMeasurement& measurement : measurements)
            events << u"measured "_s + QFileInfo(measurement.id).fileName();
        session->applySizeMeasurements(measurements);
    }
    void appBundleTrashed() override { events << u"bundle trashed"_s; }

    // The events other than changes of the state.
    QStringList reports() const
    {
        QStringList kept = events;
        kept.removeIf([](const QString& event) { return event.startsWith(u"changed "_s); });
        return kept;
    }

    StudioState state;
    QStringList events;
    UninstallSession* session = nullptr;
};

class UninstallSessionTest : public ::testing::Test {
protected:
    UninstallSessionTest()
    {
        environment.now = [clock = clock] { return *clock; };
        host.session = &session;
        host.state.language = TruneLanguage::en;
    }

    QString library(const QString& relative) const { return home.home.filePath(u"Library/"_s + relative); }

    // An app bundle in Applications with one cache folder as its leftover, read as the scanner
    // reads it, but without a size yet, so that its session measures it.
    InstalledAppRecord makeApp(const QString& name)
    {
        const QString bundleID = u"com.example."_s + name.toLower();
        BundleMaker::writeFile(library(u"Caches/"_s + bundleID + u"/cache.db"_s), QByteArray(900, 'c'));
        const QVariantMap info{{u"CFBundleIdentifier"_s, bundleID}, {u"CFBundleName"_s, name},
            {u"CFBundleShortVersionString"_s, u"1.2.3"_s}};
        const QString path = BundleMaker::makeAppBundle(
            home.applications() + u"/"_s + name + u".app"_s, {.info = info, .executableName = name});
        std::optional<InstalledAppRecord> record = InstalledAppScanner::inspectAppBundle(path, false);
        EXPECT_TRUE(record);
        record->sizeBytes = 0;
        return *record;
    }

    TrashLeftoverAlert alertFor(const InstalledAppRecord& app) const
    {
        return TrashLeftoverAlert(QUuid::createUuid(), app.name, app.bundleID, app.path, *clock, {});
    }

    bool inspectAndWait(const InstalledAppRecord& app)
    {
        session.inspect(app, false);
        return waitUntil([&] { return !session.isScanning(); });
    }

    StudioTestHome home;
    std::shared_ptr<QDateTime> clock = std::make_shared<QDateTime>(QDateTime::currentDateTimeUtc());
    UpdateStudioEnvironment environment = home.environment();
    RecordingHost host;
    UninstallSession session{host, environment};
};

TEST_F(UninstallSessionTest, AScanThatEndsAfterTheUserMovedOnOnlyKeepsItsMeasuredSize)
{
    auto gate = std::make_shared<QSemaphore>();
    environment.measureSize = [gate](const QString& path) {
        if (path.endsWith(u"/Lumen.app"_s))
            gate->acquire();
        return qint64(4096);
    };
    const InstalledAppRecord lumen = makeApp(u"Lumen"_s);
    const InstalledAppRecord other = makeApp(u"Other"_s);

    session.inspect(lumen, true);
    EXPECT_EQ(host.events, (QStringList{u"uninstaller"_s, u"changed Lumen 0 leftover(s) scanning +bundle"_s}));
    ASSERT_TRUE(inspectAndWait(other));
    EXPECT_EQ(session.target()->name, u"Other"_s);
    EXPECT_EQ(session.target()->sizeBytes, 4096);
    ASSERT_EQ(session.leftovers().size(), 1u);
    EXPECT_EQ(session.leftovers().front().path, library(u"Caches/com.example.other"_s));

    host.events.clear();
    gate->release();
    ASSERT_TRUE(waitUntil([&] { return !host.events.isEmpty(); }));
    settle();
    EXPECT_EQ(host.events, QStringList{u"measured Lumen.app"_s}) << "Lumen's leftovers are dropped";
    EXPECT_EQ(session.target()->name, u"Other"_s);

    // An alert's leftovers replace a scan still running, which is dropped in turn.
    gate->release();
    session.inspect(lumen, false);
    session.openTrashAlert(alertFor(other));
    EXPECT_FALSE(session.isScanning());
    EXPECT_FALSE(session.includesBundle());
    EXPECT_EQ(session.target()->path, other.path);
    ASSERT_TRUE(waitUntil([&] { return host.events.last() == u"measured Lumen.app"_s; }));
    settle();
    EXPECT_EQ(session.target()->path, other.path);
    EXPECT_TRUE(session.leftovers().empty());
}

TEST_F(UninstallSessionTest, AMovePublishesItsEndBeforeItsEntryAndToastAndThenFollowsWhatWent)
{
    struct Case {
        const char* name;
        bool includeBundle;
        QStringList reports;
        QString after;
    };
    // The selection is taken when the move starts: unselecting meanwhile changes nothing.
    const std::vector<Case> cases{
        {"leftovers only", false, {u"history leftoverTrash success Lumen"_s, u"toast Safely moved 1 items"_s},
            u"changed Lumen 0 leftover(s) scanning +bundle"_s},
        {"bundle and leftovers", true,
            {u"history appUninstall success Lumen"_s, u"toast Safely moved 2 items"_s, u"bundle trashed"_s},
            u"changed - 0 leftover(s) +bundle"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const InstalledAppRecord lumen = makeApp(u"Lumen"_s);
        ASSERT_TRUE(inspectAndWait(lumen));
        ASSERT_EQ(session.leftovers().size(), 1u);
        session.setIncludeAppBundleInTrash(c.includeBundle);

        host.events.clear();
        session.trashSelectedLeftovers();
        EXPECT_TRUE(session.isMoving());
        session.trashSelectedLeftovers(); // ignored while the move runs
        session.setAllLeftoversSelected(false);
        ASSERT_TRUE(waitUntil([&] { return !session.isMoving(); }));
        ASSERT_TRUE(waitUntil([&] { return !session.isScanning(); }));

        const QString bundleFlag = c.includeBundle ? u" +bundle"_s : QString();
        ASSERT_GE(host.events.size(), 4);
        EXPECT_EQ(host.events.at(0), u"changed Lumen 1 leftover(s)"_s + bundleFlag + u" moving"_s);
        EXPECT_EQ(host.events.at(2), u"changed Lumen 1 leftover(s)"_s + bundleFlag) << "published before the entry";
        QStringList reports = host.reports();
        ASSERT_EQ(reports.size(), c.reports.size());
        EXPECT_TRUE(reports[1].startsWith(c.reports[1])) << reports[1].toStdString();
        reports[1] = c.reports[1];
        EXPECT_EQ(reports, c.reports);
        EXPECT_EQ(host.events.at(5), c.after);
        EXPECT_EQ(QFileInfo::exists(lumen.path), !c.includeBundle);
        EXPECT_EQ(session.isOwnTrashedBundle(alertFor(lumen)), c.includeBundle);
    }
}

TEST_F(UninstallSessionTest, ABundleItMovedIsItsOwnForAMinuteWhateverTheCaseOfItsIdentifier)
{
    const InstalledAppRecord lumen = makeApp(u"Lumen"_s);
    ASSERT_TRUE(inspectAndWait(lumen));
    session.trashSelectedLeftovers();
    ASSERT_TRUE(waitUntil([&] { return !session.isMoving(); }));

    TrashLeftoverAlert otherCase(QUuid::createUuid(), u"Renamed"_s, lumen.bundleID.toUpper(), lumen.path, *clock, {});
    TrashLeftoverAlert otherApp(QUuid::createUuid(), u"Lumen"_s, u"com.example.else"_s, lumen.path, *clock, {});
    EXPECT_TRUE(session.isOwnTrashedBundle(otherCase));
    EXPECT_FALSE(session.isOwnTrashedBundle(otherApp));
    *clock = clock->addSecs(60);
    EXPECT_TRUE(session.isOwnTrashedBundle(otherCase));
    *clock = clock->addSecs(1);
    EXPECT_FALSE(session.isOwnTrashedBundle(otherCase));
}

TEST_F(UninstallSessionTest, ADroppedBundleIsReadAndInspectedOrRefusedWithAReason)
{
    const InstalledAppRecord lumen = makeApp(u"Lumen"_s);
    struct Case {
        const char* name;
        QUrl url;
        QString report;
    };
    const std::vector<Case> cases{
        {"not a file", QUrl(u"https://example.com/Lumen.app"_s),
            u"error toast Please drop a valid macOS .app bundle."_s},
        {"not a bundle", QUrl::fromLocalFile(library(u"notes.txt"_s)),
            u"error toast Please drop a valid macOS .app bundle."_s},
        {"unreadable", QUrl::fromLocalFile(home.applications() + u"/Missing.app"_s),
            u"error toast Could not read app bundle metadata."_s},
        {"a bundle", QUrl::fromLocalFile(lumen.path + u"/"_s), u"uninstaller"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host.events.clear();
        session.inspectDroppedAppURL(c.url);
        ASSERT_TRUE(waitUntil([&] { return !host.events.isEmpty(); }));
        EXPECT_EQ(host.events.first(), c.report);
    }
    ASSERT_TRUE(waitUntil([&] { return !session.isScanning(); }));
    EXPECT_EQ(session.target()->path, lumen.path);
}

} // namespace
