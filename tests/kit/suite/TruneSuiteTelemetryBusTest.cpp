#include "kit/suite/TruneSuiteTelemetryBus.h"

#include "kit/platform/TruneDistributedNotificationCenter.h"
#include "tests/kit/suite/SuitePeer.h"
#include "tests/kit/suite/SuiteTestRecords.h"
#include "tests/support/BundleMaker.h"
#include "tests/support/TempHome.h"
#include "tests/support/TestWaits.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>

#include <chrono>
#include <future>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;
using namespace SuiteTestRecords;

namespace {

qint32 myPid()
{
    return static_cast<qint32>(QCoreApplication::applicationPid());
}

QDateTime wholeSecondsNow()
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    return now.addMSecs(-now.time().msec());
}

class TruneSuiteTelemetryBusTest : public ::testing::Test {
protected:
    TempHome home;
    TruneSuiteTelemetryBus bus;
};

} // namespace

TEST_F(TruneSuiteTelemetryBusTest, EveryLiveStatusRoundTripsThroughItsFile)
{
    EXPECT_EQ(bus.baseDirectory(), home.dataHome() + u"/Quorvane/SuiteTelemetry"_s);
    const QDateTime now = morning();
    bus.publishLumbraStatus(lumbra(myPid()), false);
    bus.publishVantorStatus(vantor(myPid()));
    bus.publishHaltrixStatus(haltrix(myPid()));
    bus.publishAudrelStatus(audrel(myPid()), false);
    bus.publishTuneloStatus(tunelo(myPid()), false);
    bus.publishStilloStatus(stillo(myPid()), false);
    bus.publishDovelStatus(dovel(myPid()), false);
    EXPECT_EQ(bus.readLumbraStatus(now, 5), lumbra(myPid()));
    EXPECT_EQ(bus.readVantorStatus(now, 5), vantor(myPid()));
    EXPECT_EQ(bus.readHaltrixStatus(now, 5), haltrix(myPid()));
    EXPECT_EQ(bus.readAudrelStatus(now, 5), audrel(myPid()));
    EXPECT_EQ(bus.readTuneloStatus(now, 5), tunelo(myPid()));
    EXPECT_EQ(bus.readStilloStatus(now, 5), stillo(myPid()));
    EXPECT_EQ(bus.readDovelStatus(now, 5), dovel(myPid()));
    EXPECT_TRUE(QFileInfo::exists(bus.baseDirectory() + u"/tunelo-live.json"_s));
    EXPECT_EQ(
        QFileInfo(bus.baseDirectory() + u"/tunelo-live.json"_s).permissions() & 0x0077, QFileDevice::Permissions());
    EXPECT_EQ(QFileInfo(bus.baseDirectory()).permissions() & 0x0077, QFileDevice::Permissions());

    bus.clearStatus(TruneSuiteApp::pixmire);
    EXPECT_TRUE(bus.readTuneloStatus(now, 5).has_value());
    bus.clearStatus(TruneSuiteApp::tunelo);
    EXPECT_EQ(bus.readTuneloStatus(now, 5), std::nullopt);
    EXPECT_TRUE(bus.readAudrelStatus(now, 5).has_value());
}

TEST_F(TruneSuiteTelemetryBusTest, ReadsTrustOnlyRecentStatusesOfLivingSenders)
{
    const QDateTime stamped = morning();
    struct Case {
        const char* label;
        qint32 pid;
        QDateTime now;
        bool read;
    };
    const Case cases[] = {
        {"three seconds in the future", myPid(), stamped.addSecs(-3), true},
        {"six seconds old", myPid(), stamped.addSecs(6), false},
        {"sender 0", 0, stamped, false},
        {"a sender that ended", endedProcessId(), stamped, false},
        {"the first process, maybe another user's", 1, stamped, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        bus.publishStilloStatus(stillo(c.pid), false);
        EXPECT_EQ(bus.readStilloStatus(c.now, 5).has_value(), c.read);
    }
    EXPECT_FALSE(TruneSuiteTelemetryBus::isPIDAlive(0));
    EXPECT_TRUE(TruneSuiteTelemetryBus::isPIDAlive(myPid()));
}

TEST_F(TruneSuiteTelemetryBusTest, OnlyTheNotifyingPublishersRingEvenWhenTheirWriteFails)
{
    std::vector<std::optional<QString>> rings;
    const auto observation
        = TruneDistributedNotificationCenter::observe(TruneSuiteTelemetryBus::telemetryUpdatedNotification,
            [&](const std::optional<QString>& object) { rings.push_back(object); });
    // A marker rung after the publications arrives after every ring they made.
    const auto ringsBeforeAMarker = [&] {
        EXPECT_TRUE(TruneDistributedNotificationCenter::post(
            TruneSuiteTelemetryBus::telemetryUpdatedNotification, u"marker"_s));
        EXPECT_TRUE(waitUntil([&] { return !rings.empty() && rings.back() == u"marker"_s; }));
        const qsizetype count = qsizetype(rings.size()) - 1;
        rings.clear();
        return count;
    };
    bus.publishVantorStatus(vantor(myPid()));
    bus.publishHaltrixStatus(haltrix(myPid()));
    bus.publishLumbraStatus(lumbra(myPid()), false);
    // A tile that cannot be written is neither written nor announced.
    TruneLiveActivityTile brokenTile = tile(TruneSuiteApp::tunelo, 1, morning(), myPid());
    brokenTile.progress = std::numeric_limits<double>::quiet_NaN();
    bus.publishLiveTile(brokenTile, true);
    EXPECT_EQ(ringsBeforeAMarker(), 0);
    EXPECT_FALSE(QFileInfo::exists(bus.liveTilePath(TruneSuiteApp::tunelo)));

    // The telemetry folder is a file: nothing can be written, the peers are told all the same.
    const TruneSuiteTelemetryBus blocked(home.filePath(u"blocked"_s));
    BundleMaker::writeFile(blocked.baseDirectory(), "not a folder");
    blocked.publishLumbraStatus(lumbra(myPid()), true);
    EXPECT_EQ(ringsBeforeAMarker(), 1);
    EXPECT_EQ(blocked.readLumbraStatus(morning(), 5), std::nullopt);

    // A record that cannot be written is not written as nulls.
    bus.clearStatus(TruneSuiteApp::lumbra);
    LumbraLiveStatus broken = lumbra(myPid());
    broken.usedPercent = std::numeric_limits<double>::quiet_NaN();
    bus.publishLumbraStatus(broken, true);
    EXPECT_EQ(ringsBeforeAMarker(), 1);
    EXPECT_FALSE(QFileInfo::exists(bus.liveStatusPath(TruneSuiteApp::lumbra)));
}

TEST_F(TruneSuiteTelemetryBusTest, TilesComeBackFreshAndInPriorityOrder)
{
    const QDateTime now = wholeSecondsNow();
    bus.publishLiveTile(tile(TruneSuiteApp::stillo, 2, now.addSecs(-4), myPid()), false);
    bus.publishLiveTile(tile(TruneSuiteApp::tunelo, 5, now.addSecs(-3), myPid()), false);
    bus.publishLiveTile(tile(TruneSuiteApp::dovel, 2, now.addSecs(-1), myPid()), false);
    bus.publishLiveTile(tile(TruneSuiteApp::lumbra, 9, now.addSecs(-60), myPid()), false);
    bus.publishLiveTile(tile(TruneSuiteApp::vantor, 9, now, 0), false);
    const QString tiles = bus.baseDirectory() + u"/LiveTiles/"_s;
    // The extension counts in any letter case; other files are ignored.
    ASSERT_TRUE(QFile::rename(tiles + u"dovel.json"_s, tiles + u"dovel.JSON"_s));
    BundleMaker::writeFile(
        tiles + u"haltrix.json.bak"_s, truneJsonSerialize(tile(TruneSuiteApp::haltrix, 99, now, myPid())));
    BundleMaker::writeFile(tiles + u"broken.json"_s, "{");

    std::vector<QString> order;
    for (const TruneLiveActivityTile& kept : bus.readLiveTiles(now, 10))
        order.push_back(kept.id());
    EXPECT_EQ(order, (std::vector<QString>{u"Tunelo"_s, u"Dovel"_s, u"Stillo"_s}));

    bus.clearLiveTile(TruneSuiteApp::tunelo);
    EXPECT_EQ(bus.readLiveTiles(now, 10).size(), 2u);
    EXPECT_EQ(TruneSuiteTelemetryBus(home.filePath(u"nothing"_s)).readLiveTiles(now, 10).size(), 0u);
}

TEST_F(TruneSuiteTelemetryBusTest, HostileLiveFilesAreAnsweredAtOnceAndNeverFollowed)
{
    const QDateTime now = morning();
    bus.publishTuneloStatus(tunelo(myPid()), false);
    const QString real = home.filePath(u"real-live.json"_s);
    ASSERT_TRUE(QFile::rename(bus.liveStatusPath(TruneSuiteApp::tunelo), real));
    const QString tiles = bus.baseDirectory() + u"/LiveTiles/"_s;
    BundleMaker::writeFile(real + u".tile"_s, truneJsonSerialize(tile(TruneSuiteApp::haltrix, 1, now, myPid())));

    BundleMaker::makeSymlink(real, bus.liveStatusPath(TruneSuiteApp::tunelo));
    BundleMaker::makeFifo(bus.liveStatusPath(TruneSuiteApp::stillo));
    BundleMaker::writeFile(bus.liveStatusPath(TruneSuiteApp::dovel), QByteArray(10 * 1024 * 1024, ' '));
    BundleMaker::makeFifo(tiles + u"fifo.json"_s);
    BundleMaker::makeSymlink(real + u".tile"_s, tiles + u"haltrix.json"_s);
    BundleMaker::writeFile(tiles + u"huge.json"_s, QByteArray(10 * 1024 * 1024, ' '));

    auto answer = std::async(std::launch::async, [&] {
        return std::tuple(bus.readTuneloStatus(now, 5), bus.readStilloStatus(now, 5), bus.readDovelStatus(now, 5),
            bus.readLiveTiles(now, 5));
    });
    ASSERT_EQ(answer.wait_for(5s), std::future_status::ready);
    const auto [tuneloRead, stilloRead, dovelRead, tilesRead] = answer.get();
    EXPECT_EQ(tuneloRead, std::nullopt);
    EXPECT_EQ(stilloRead, std::nullopt);
    EXPECT_EQ(dovelRead, std::nullopt);
    EXPECT_TRUE(tilesRead.empty());
}

TEST_F(TruneSuiteTelemetryBusTest, DockHoverNoticesCarryOnlyTheTwoTargets)
{
    std::vector<std::optional<QString>> heard;
    const auto observation
        = bus.observeStilloDockHover([&](const std::optional<QString>& target) { heard.push_back(target); });
    bus.postStilloDockHoverTarget(u"mini"_s);
    bus.postStilloDockHoverTarget(std::nullopt);
    bus.postStilloDockHoverTarget(u"studio"_s);
    bus.postStilloDockHoverTarget(u"Mini"_s);
    ASSERT_TRUE(waitUntil([&] { return heard.size() == 4; }));
    EXPECT_EQ(heard, (std::vector<std::optional<QString>>{u"mini"_s, std::nullopt, u"studio"_s, std::nullopt}));
}

TEST(TruneSuiteDockDropTest, TheDropTargetIsHitByCentreOrByOverlap)
{
    const QRectF dragged(0, 0, 100, 100);
    struct Case {
        const char* label;
        QRectF dragged;
        std::optional<QRectF> mini;
        std::optional<QRectF> studio;
        std::optional<QString> target;
    };
    const Case cases[] = {
        {"overlap 0.45", dragged, QRectF(55, 0, 100, 100), std::nullopt, u"mini"_s},
        {"overlap 0.2, centre outside", dragged, QRectF(80, 0, 100, 100), std::nullopt, std::nullopt},
        {"overlap exactly 0.22", dragged, QRectF(78, 0, 100, 100), std::nullopt, u"mini"_s},
        {"centre on the near edge", dragged, QRectF(50, 50, 10, 10), std::nullopt, u"mini"_s},
        {"centre on the far edge", dragged, QRectF(40, 40, 10, 10), std::nullopt, std::nullopt},
        {"both hit", dragged, QRectF(0, 0, 100, 100), QRectF(0, 0, 100, 100), u"mini"_s},
        {"studio only", dragged, QRectF(500, 0, 100, 100), QRectF(10, 10, 50, 50), u"studio"_s},
        {"a target one point wide", dragged, QRectF(50, 0, 1, 100), std::nullopt, std::nullopt},
        {"a dragged frame one point high", QRectF(0, 0, 100, 1), QRectF(0, 0, 100, 100), std::nullopt, std::nullopt},
        {"edges that only touch", dragged, QRectF(100, 0, 100, 100), std::nullopt, std::nullopt},
        {"no targets", dragged, std::nullopt, std::nullopt, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TruneSuiteTelemetryBus::detectDockDropTarget(c.dragged, c.mini, c.studio), c.target) << c.label;
    }
}
