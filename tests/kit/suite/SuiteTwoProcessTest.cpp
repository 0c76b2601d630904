// Two real processes on the private session bus: this test program and trune-suite-peer.

#include "kit/suite/TruneSuiteCommandBus.h"
#include "kit/suite/TruneSuiteTelemetryBus.h"
#include "tests/kit/suite/SuitePeer.h"
#include "tests/support/BundleMaker.h"
#include "tests/support/TempHome.h"
#include "tests/support/TestWaits.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFileInfo>
#include <QJsonArray>

#include <set>

#include <csignal>

using namespace Qt::StringLiterals;

namespace {

qint32 myPid()
{
    return static_cast<qint32>(QCoreApplication::applicationPid());
}

QString payloadOf(const QJsonObject& commandLine)
{
    return commandLine.value(u"envelope"_s).toObject().value(u"payload"_s).toString();
}

TruneSuiteCommandEnvelope commandFor(TruneSuiteApp target, const QString& payload)
{
    TruneSuiteCommandEnvelope envelope;
    envelope.id = QUuid::createUuid();
    envelope.timestamp = QDateTime::currentDateTimeUtc();
    envelope.sourceApp = TruneSuiteApp::vantor;
    envelope.targetApp = target;
    envelope.kind = TruneSuiteCommandKind::lumbraSmartOffload;
    envelope.payload = payload;
    return envelope;
}

std::optional<QJsonObject> lineWithEvent(const std::vector<QJsonObject>& lines, const QString& event)
{
    for (const QJsonObject& line : lines) {
        if (line.value(u"event"_s).toString() == event)
            return line;
    }
    return std::nullopt;
}

class SuiteTwoProcessTest : public ::testing::Test {
protected:
    TempHome home;
    TruneSuiteCommandBus commands;
    TruneSuiteTelemetryBus telemetry;
};

} // namespace

TEST_F(SuiteTwoProcessTest, ARunningPeerReceivesCommandsAndComesToTheFront)
{
    SuitePeer peer({u"serve"_s, u"Lumbra"_s});
    ASSERT_TRUE(peer.waitForEvent(u"ready"_s));
    ASSERT_TRUE(TruneSuiteCatalog::isRunning(TruneSuiteApp::lumbra));

    ASSERT_TRUE(commands.send(TruneSuiteCommandKind::lumbraFreezePID, TruneSuiteApp::vantor, TruneSuiteApp::lumbra,
        {.targetPID = 4242, .targetName = u"Mail"_s, .payload = u"first"_s}));
    const auto first = peer.waitForEvent(u"command"_s);
    ASSERT_TRUE(first.has_value());
    const QJsonObject envelope = first->value(u"envelope"_s).toObject();
    EXPECT_EQ(envelope.value(u"kind"_s).toString(), u"lumbraFreezePID"_s);
    EXPECT_EQ(envelope.value(u"sourceApp"_s).toString(), u"Vantor"_s);
    EXPECT_EQ(envelope.value(u"targetPID"_s).toInt(), 4242);
    EXPECT_EQ(envelope.value(u"targetName"_s).toString(), u"Mail"_s);
    EXPECT_FALSE(QFileInfo::exists(commands.commandFilePath(TruneSuiteApp::lumbra)));
    EXPECT_TRUE(peer.events(u"activated"_s).empty());

    ASSERT_TRUE(commands.send(TruneSuiteCommandKind::lumbraThawAll, TruneSuiteApp::vantor, TruneSuiteApp::lumbra,
        {.payload = u"second"_s, .bringToFront = true}));
    ASSERT_TRUE(peer.waitForEvent(u"command"_s, 1));
    EXPECT_TRUE(peer.waitForEvent(u"activated"_s));

    EXPECT_TRUE(TruneSuiteCatalog::launch(TruneSuiteApp::lumbra));
    EXPECT_TRUE(peer.waitForEvent(u"activated"_s, 1));
}

TEST_F(SuiteTwoProcessTest, AnInstalledStoppedPeerIsLaunchedAndPicksTheCommandUp)
{
    const QString output = home.filePath(u"launched.jsonl"_s);
    installPeer(home, TruneSuiteApp::lumbra, output);
    ASSERT_FALSE(TruneSuiteCatalog::isRunning(TruneSuiteApp::lumbra));
    int rings = 0;
    const auto observation = TruneDistributedNotificationCenter::observe(
        TruneSuiteCommandBus::notificationName(TruneSuiteApp::lumbra), [&](const std::optional<QString>&) { ++rings; });

    ASSERT_TRUE(commands.send(TruneSuiteCommandKind::lumbraOpenDiskLab, TruneSuiteApp::haltrix, TruneSuiteApp::lumbra,
        {.payload = u"waiting"_s, .launchIfNeeded = true}));
    std::optional<QJsonObject> command;
    EXPECT_TRUE(
        waitUntil([&] { return (command = lineWithEvent(jsonLinesOfFile(output), u"command"_s)).has_value(); }));
    const auto ready = lineWithEvent(jsonLinesOfFile(output), u"ready"_s);
    if (ready)
        ::kill(static_cast<pid_t>(ready->value(u"pid"_s).toInteger()), SIGTERM);
    ASSERT_TRUE(command.has_value());
    EXPECT_EQ(payloadOf(*command), u"waiting"_s);
    EXPECT_EQ(rings, 0);
}

TEST_F(SuiteTwoProcessTest, ALaterCommandReplacesOneThatWaitsAndASecondRingFindsNothing)
{
    SuitePeer peer({u"serve"_s, u"Lumbra"_s});
    ASSERT_TRUE(peer.waitForEvent(u"ready"_s));
    ASSERT_TRUE(commands.enqueue(commandFor(TruneSuiteApp::lumbra, u"earlier"_s)));
    ASSERT_TRUE(commands.enqueue(commandFor(TruneSuiteApp::lumbra, u"later"_s)));
    const QString ring = TruneSuiteCommandBus::notificationName(TruneSuiteApp::lumbra);
    ASSERT_TRUE(TruneDistributedNotificationCenter::post(ring));
    ASSERT_TRUE(TruneDistributedNotificationCenter::post(ring));
    ASSERT_TRUE(commands.send(
        TruneSuiteCommandKind::lumbraThawAll, TruneSuiteApp::vantor, TruneSuiteApp::lumbra, {.payload = u"next"_s}));

    ASSERT_TRUE(peer.waitForEvent(u"command"_s, 1));
    std::vector<QString> delivered;
    for (const QJsonObject& line : peer.events(u"command"_s))
        delivered.push_back(payloadOf(line));
    EXPECT_EQ(delivered, (std::vector<QString>{u"later"_s, u"next"_s}));
}

TEST_F(SuiteTwoProcessTest, TelemetryTravelsBothWays)
{
    SuitePeer listener({u"serve"_s, u"Vantor"_s});
    ASSERT_TRUE(listener.waitForEvent(u"ready"_s));
    LumbraLiveStatus mine;
    mine.timestamp = QDateTime::currentDateTimeUtc();
    mine.senderPID = myPid();
    telemetry.publishLumbraStatus(mine, true);
    const auto heard = listener.waitForEvent(u"telemetryUpdated"_s);
    ASSERT_TRUE(heard.has_value());
    EXPECT_EQ(heard->value(u"lumbraSender"_s).toInt(), myPid());

    int updates = 0;
    const auto observation = telemetry.observeTelemetryUpdates([&] { ++updates; });
    SuitePeer publisher({u"publish-lumbra"_s});
    const auto published = publisher.waitForEvent(u"published"_s);
    ASSERT_TRUE(published.has_value());
    ASSERT_TRUE(waitUntil([&] { return updates >= 1; }));
    const auto theirs = telemetry.readLumbraStatus(QDateTime::currentDateTimeUtc(), 30);
    ASSERT_TRUE(theirs.has_value());
    EXPECT_EQ(theirs->senderPID, published->value(u"pid"_s).toInt());

    // A publisher that has quit is not believed, however recent its file.
    publisher.process().closeWriteChannel();
    ASSERT_TRUE(publisher.process().waitForFinished(10000));
    EXPECT_EQ(telemetry.readLumbraStatus(QDateTime::currentDateTimeUtc(), 30), std::nullopt);
}

TEST_F(SuiteTwoProcessTest, DockHoverNoticesReachTheOtherProcess)
{
    std::vector<std::optional<QString>> heard;
    const auto observation
        = telemetry.observeStilloDockHover([&](const std::optional<QString>& target) { heard.push_back(target); });
    for (const QString& target : {u"mini"_s, u"none"_s, u"studio"_s, u"elsewhere"_s}) {
        SuitePeer poster({u"hover"_s, target});
        ASSERT_TRUE(poster.process().waitForFinished(10000));
    }
    ASSERT_TRUE(waitUntil([&] { return heard.size() == 4; }));
    EXPECT_EQ(heard, (std::vector<std::optional<QString>>{u"mini"_s, std::nullopt, u"studio"_s, std::nullopt}));

    SuitePeer dovel({u"serve"_s, u"Dovel"_s});
    ASSERT_TRUE(dovel.waitForEvent(u"ready"_s));
    telemetry.postStilloDockHoverTarget(u"studio"_s);
    telemetry.postStilloDockHoverTarget(std::nullopt);
    ASSERT_TRUE(dovel.waitForEvent(u"dockHover"_s, 1));
    const auto notices = dovel.events(u"dockHover"_s);
    EXPECT_EQ(notices.at(0).value(u"target"_s), QJsonValue(u"studio"_s));
    EXPECT_EQ(notices.at(1).value(u"target"_s), QJsonValue(QJsonValue::Null));
}

TEST_F(SuiteTwoProcessTest, AThousandCommandsToTwoConsumersAreEachDeliveredOnce)
{
    const QString stopFile = home.filePath(u"stop"_s);
    SuitePeer first({u"consume"_s, u"Lumbra"_s, stopFile});
    SuitePeer second({u"consume"_s, u"Lumbra"_s, stopFile});
    constexpr int count = 1000;
    std::set<QString> sent;
    const QString slot = commands.commandFilePath(TruneSuiteApp::lumbra);
    for (int i = 0; i < count; ++i) {
        const TruneSuiteCommandEnvelope envelope = commandFor(TruneSuiteApp::lumbra, QString::number(i));
        ASSERT_TRUE(commands.enqueue(envelope));
        sent.insert(truneJsonEncode(envelope.id).toString());
        // The next command is written the moment this one is taken, as fast as a sender can.
        ASSERT_TRUE(waitUntil([&] { return !QFileInfo::exists(slot); })) << "command " << i << " never taken";
    }
    BundleMaker::writeFile(stopFile, "stop");
    ASSERT_TRUE(first.process().waitForFinished(15000));
    ASSERT_TRUE(second.process().waitForFinished(15000));

    std::multiset<QString> delivered;
    for (SuitePeer* consumer : {&first, &second}) {
        for (const QJsonObject& line : consumer->events(u"consumed"_s))
            delivered.insert(line.value(u"id"_s).toString());
    }
    EXPECT_EQ(delivered.size(), static_cast<size_t>(count));
    EXPECT_EQ(std::set<QString>(delivered.begin(), delivered.end()), sent);
    EXPECT_FALSE(first.events(u"consumed"_s).empty() && second.events(u"consumed"_s).empty());
}

TEST_F(SuiteTwoProcessTest, WithoutASessionBusSendAdmitsNothingWasDelivered)
{
    // A running Lumbra found by its process name, as when the desktop has no session bus.
    const QString lumbraProgram = home.filePath(u"bin/Lumbra"_s);
    BundleMaker::makeFolder(home.filePath(u"bin"_s));
    ASSERT_TRUE(QFile::copy(u"/bin/sleep"_s, lumbraProgram));
    QProcess lumbra;
    lumbra.start(lumbraProgram, {u"60"_s});
    ASSERT_TRUE(lumbra.waitForStarted());

    QProcessEnvironment noBus = QProcessEnvironment::systemEnvironment();
    noBus.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, u"unix:path="_s + home.filePath(u"no-bus-here"_s));
    SuitePeer sender({u"send"_s, u"Vantor"_s, u"Lumbra"_s, u"lumbraSmartOffload"_s}, noBus);
    const auto result = sender.waitForEvent(u"sent"_s);
    lumbra.kill();
    lumbra.waitForFinished();
    ASSERT_TRUE(result.has_value());
    EXPECT_EQ(result->value(u"result"_s), QJsonValue(false));
}
