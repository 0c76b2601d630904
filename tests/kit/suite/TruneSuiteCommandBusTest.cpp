#include "kit/suite/TruneSuiteCommandBus.h"
#include "kit/platform/TruneDistributedNotificationCenter.h"
#include "tests/kit/suite/SuitePeer.h"
#include "tests/support/BundleMaker.h"
#include "tests/support/TempHome.h"
#include "tests/support/TestWaits.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include <chrono>
#include <future>

#include <pwd.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace std::chrono_literals;

namespace {

TruneSuiteCommandEnvelope command(TruneSuiteApp target, const QDateTime& timestamp, const QString& payload = {})
{
    TruneSuiteCommandEnvelope envelope;
    envelope.id = QUuid::createUuid();
    envelope.timestamp = timestamp;
    envelope.sourceApp = TruneSuiteApp::vantor;
    envelope.targetApp = target;
    envelope.kind = TruneSuiteCommandKind::lumbraSmartOffload;
    if (!payload.isEmpty())
        envelope.payload = payload;
    return envelope;
}

QDateTime wholeSecondsNow()
{
    const QDateTime now = QDateTime::currentDateTimeUtc();
    return now.addMSecs(-now.time().msec());
}

mode_t modeOf(const QString& path)
{
    struct stat status { };
    ::lstat(QFile::encodeName(path).constData(), &status);
    return status.st_mode & 07777;
}

// Owns the app's name on the private session bus, so the app counts as running.
class RunningOnTheBus final {
public:
    explicit RunningOnTheBus(TruneSuiteApp app)
        : m_name(TruneSuiteCatalog::bundleIdentifier(app))
    {
        QDBusConnection::sessionBus().registerService(m_name);
    }
    ~RunningOnTheBus() { QDBusConnection::sessionBus().unregisterService(m_name); }

private:
    QString m_name;
};

class TruneSuiteCommandBusTest : public ::testing::Test {
protected:
    TempHome home;
    TruneSuiteCommandBus bus;
};

} // namespace

TEST_F(TruneSuiteCommandBusTest, SlotsLiveInTheSuiteFolderOfApplicationSupport)
{
    EXPECT_EQ(bus.commandsDirectory(), home.dataHome() + u"/Quorvane/SuiteTelemetry/Commands"_s);
    EXPECT_EQ(TruneSuiteCommandBus(u"/somewhere"_s).commandFilePath(TruneSuiteApp::lumbra),
        u"/somewhere/Commands/lumbra-cmd.json"_s);
    EXPECT_EQ(TruneSuiteCommandBus::notificationName(TruneSuiteApp::lumbra), u"com.quorvane.suite.command.lumbra"_s);
    EXPECT_FALSE(QFileInfo::exists(bus.commandsDirectory()));
}

TEST_F(TruneSuiteCommandBusTest, SendRefusesTargetProcessesBelowTwoAndStoppedTargets)
{
    const RunningOnTheBus lumbra(TruneSuiteApp::lumbra);
    for (qint32 pid : {1, 0, -1}) {
        EXPECT_FALSE(bus.send(
            TruneSuiteCommandKind::lumbraFreezePID, TruneSuiteApp::vantor, TruneSuiteApp::lumbra, {.targetPID = pid}));
        EXPECT_FALSE(QFileInfo::exists(bus.commandFilePath(TruneSuiteApp::lumbra))) << pid;
    }
    EXPECT_TRUE(bus.send(
        TruneSuiteCommandKind::lumbraFreezePID, TruneSuiteApp::vantor, TruneSuiteApp::lumbra, {.targetPID = 2}));
    EXPECT_EQ(bus.peekPendingCommand(TruneSuiteApp::lumbra, QDateTime::currentDateTimeUtc(), 25)->targetPID, 2);

    EXPECT_FALSE(bus.send(TruneSuiteCommandKind::vantorToggleHUD, TruneSuiteApp::lumbra, TruneSuiteApp::vantor, {}));
    EXPECT_FALSE(bus.send(TruneSuiteCommandKind::vantorToggleHUD, TruneSuiteApp::lumbra, TruneSuiteApp::vantor,
        {.launchIfNeeded = true}));
    EXPECT_FALSE(QFileInfo::exists(bus.commandFilePath(TruneSuiteApp::vantor)));
}

TEST_F(TruneSuiteCommandBusTest, SendToARunningTargetWritesAPrivateSlotAndRingsOnce)
{
    const RunningOnTheBus lumbra(TruneSuiteApp::lumbra);
    const QString ring = TruneSuiteCommandBus::notificationName(TruneSuiteApp::lumbra);
    std::vector<std::optional<QString>> rings;
    const auto observation = TruneDistributedNotificationCenter::observe(
        ring, [&](const std::optional<QString>& object) { rings.push_back(object); });
    ASSERT_TRUE(bus.send(TruneSuiteCommandKind::lumbraThawAll, TruneSuiteApp::vantor, TruneSuiteApp::lumbra,
        {.targetName = u"Mail"_s, .payload = u"all"_s}));
    // A marker rung after the send arrives after every ring the send made.
    ASSERT_TRUE(TruneDistributedNotificationCenter::post(ring, u"marker"_s));
    ASSERT_TRUE(waitUntil([&] { return !rings.empty() && rings.back() == u"marker"_s; }));
    EXPECT_EQ(rings.size(), 2u);

    const auto waiting = bus.peekPendingCommand(TruneSuiteApp::lumbra, QDateTime::currentDateTimeUtc(), 25);
    ASSERT_TRUE(waiting.has_value());
    EXPECT_EQ(waiting->kind, TruneSuiteCommandKind::lumbraThawAll);
    EXPECT_EQ(waiting->sourceApp, TruneSuiteApp::vantor);
    EXPECT_EQ(waiting->targetName, u"Mail"_s);
    EXPECT_EQ(waiting->payload, u"all"_s);
    EXPECT_EQ(modeOf(bus.commandsDirectory()), 0700u);
    EXPECT_EQ(modeOf(bus.commandFilePath(TruneSuiteApp::lumbra)), 0600u);
    EXPECT_EQ(modeOf(QFileInfo(bus.commandsDirectory()).path()), 0700u);
}

TEST_F(TruneSuiteCommandBusTest, PeekLeavesAndConsumeTakesWhatIsRefused)
{
    const QDateTime now = wholeSecondsNow();
    // Addressed to another app than the slot's.
    ASSERT_TRUE(bus.enqueue(command(TruneSuiteApp::vantor, now)));
    ASSERT_TRUE(QFile::rename(bus.commandFilePath(TruneSuiteApp::vantor), bus.commandFilePath(TruneSuiteApp::lumbra)));
    EXPECT_EQ(bus.peekPendingCommand(TruneSuiteApp::lumbra, now, 25), std::nullopt);
    EXPECT_TRUE(QFileInfo::exists(bus.commandFilePath(TruneSuiteApp::lumbra)));
    EXPECT_EQ(bus.consumePendingCommand(TruneSuiteApp::lumbra, now, 25), std::nullopt);
    EXPECT_FALSE(QFileInfo::exists(bus.commandFilePath(TruneSuiteApp::lumbra)));

    // A target PID below 2 is no command at the receiving side either.
    TruneSuiteCommandEnvelope everyone = command(TruneSuiteApp::lumbra, now);
    everyone.targetPID = -1;
    ASSERT_TRUE(bus.enqueue(everyone));
    EXPECT_EQ(bus.peekPendingCommand(TruneSuiteApp::lumbra, now, 25), std::nullopt);
    EXPECT_EQ(bus.consumePendingCommand(TruneSuiteApp::lumbra, now, 25), std::nullopt);
    EXPECT_FALSE(QFileInfo::exists(bus.commandFilePath(TruneSuiteApp::lumbra)));

    // Undecodable.
    BundleMaker::writeFile(bus.commandFilePath(TruneSuiteApp::lumbra), "{not json");
    EXPECT_EQ(bus.consumePendingCommand(TruneSuiteApp::lumbra, now, 25), std::nullopt);
    EXPECT_FALSE(QFileInfo::exists(bus.commandFilePath(TruneSuiteApp::lumbra)));

    // Nothing taken leaves nothing behind, not even a private copy.
    EXPECT_EQ(
        QDir(bus.commandsDirectory()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList());
}

TEST_F(TruneSuiteCommandBusTest, AgeCountsEitherWay)
{
    const QDateTime stamped = wholeSecondsNow();
    const TruneSuiteCommandEnvelope envelope = command(TruneSuiteApp::lumbra, stamped, u"p"_s);
    ASSERT_TRUE(bus.enqueue(envelope));
    EXPECT_EQ(bus.peekPendingCommand(TruneSuiteApp::lumbra, stamped.addSecs(-10), 10), envelope);
    EXPECT_EQ(bus.peekPendingCommand(TruneSuiteApp::lumbra, stamped.addSecs(-10), 9.5), std::nullopt);
    EXPECT_EQ(
        bus.peekPendingCommand(TruneSuiteApp::lumbra, stamped, std::numeric_limits<double>::quiet_NaN()), std::nullopt);
    EXPECT_EQ(bus.consumePendingCommand(TruneSuiteApp::lumbra, stamped.addSecs(10), 10), envelope);
    EXPECT_EQ(bus.consumePendingCommand(TruneSuiteApp::lumbra, stamped, 10), std::nullopt);
}

TEST_F(TruneSuiteCommandBusTest, ListeningPicksUpAWaitingCommandButNotAStaleOne)
{
    const TruneSuiteCommandEnvelope waiting = command(TruneSuiteApp::lumbra, wholeSecondsNow(), u"fresh"_s);
    ASSERT_TRUE(bus.enqueue(waiting));
    std::vector<TruneSuiteCommandEnvelope> handled;
    {
        const auto listening
            = bus.startListening(TruneSuiteApp::lumbra, [&](const auto& envelope) { handled.push_back(envelope); });
        ASSERT_TRUE(waitUntil([&] { return handled.size() == 1; }));
        EXPECT_EQ(handled.front(), waiting);
    }

    ASSERT_TRUE(bus.enqueue(command(TruneSuiteApp::lumbra, wholeSecondsNow().addSecs(-26), u"stale"_s)));
    const auto listening
        = bus.startListening(TruneSuiteApp::lumbra, [&](const auto& envelope) { handled.push_back(envelope); });
    ASSERT_TRUE(waitUntil([&] { return !QFileInfo::exists(bus.commandFilePath(TruneSuiteApp::lumbra)); }));
    settle();
    EXPECT_EQ(handled.size(), 1u);
}

TEST_F(TruneSuiteCommandBusTest, HostileSlotsAreAnsweredAtOnceAndNeverFollowed)
{
    const QDateTime now = wholeSecondsNow();
    ASSERT_TRUE(bus.enqueue(command(TruneSuiteApp::vantor, now)));
    const QString elsewhere = home.filePath(u"elsewhere.json"_s);
    ASSERT_TRUE(QFile::copy(bus.commandFilePath(TruneSuiteApp::vantor), elsewhere));
    const QString slot = bus.commandFilePath(TruneSuiteApp::lumbra);

    const std::function<void()> hostileSlots[] = {
        [&] { BundleMaker::makeFifo(slot); },
        [&] { BundleMaker::writeFile(slot, QByteArray(10 * 1024 * 1024, ' ')); },
        [&] {
            TruneSuiteCommandEnvelope envelope = command(TruneSuiteApp::lumbra, now);
            BundleMaker::writeFile(elsewhere, truneJsonSerialize(envelope));
            BundleMaker::makeSymlink(elsewhere, slot);
        },
    };
    for (const auto& makeHostile : hostileSlots) {
        makeHostile();
        auto answer = std::async(std::launch::async, [&] {
            return std::pair(bus.peekPendingCommand(TruneSuiteApp::lumbra, now, 25),
                bus.consumePendingCommand(TruneSuiteApp::lumbra, now, 25));
        });
        ASSERT_EQ(answer.wait_for(5s), std::future_status::ready);
        const auto [peeked, consumed] = answer.get();
        EXPECT_EQ(peeked, std::nullopt);
        EXPECT_EQ(consumed, std::nullopt);
        EXPECT_FALSE(QFileInfo(slot).exists() || QFileInfo(slot).isSymLink());
    }
    EXPECT_TRUE(QFileInfo::exists(elsewhere));
}

TEST_F(TruneSuiteCommandBusTest, DeliverSaysWhyACommandDidNotGoThrough)
{
    using Kind = TruneSuiteSendError::Kind;
    const auto why = [&](TruneSuiteApp to, const TruneSuiteSendOptions& options) -> std::optional<Kind> {
        const auto outcome = bus.deliver(TruneSuiteCommandKind::lumbraThawAll, TruneSuiteApp::vantor, to, options);
        if (outcome)
            return std::nullopt;
        EXPECT_EQ(outcome.error().target, to);
        return outcome.error().kind;
    };
    EXPECT_EQ(why(TruneSuiteApp::lumbra, {.launchIfNeeded = true}), Kind::notInstalled);

    // Installed, but its executable cannot run: the command waits in the slot all the same.
    BundleMaker::makeAppBundle(home.filePath(u"Applications/Lumbra.app"_s), {.executableName = u"Lumbra"_s});
    EXPECT_EQ(why(TruneSuiteApp::lumbra, {}), Kind::notInstalled);
    EXPECT_EQ(why(TruneSuiteApp::lumbra, {.launchIfNeeded = true}), Kind::couldNotLaunch);
    EXPECT_TRUE(QFileInfo::exists(bus.commandFilePath(TruneSuiteApp::lumbra)));

    const RunningOnTheBus lumbra(TruneSuiteApp::lumbra);
    EXPECT_EQ(why(TruneSuiteApp::lumbra, {.targetPID = 1}), Kind::invalidTargetPID);
    EXPECT_EQ(why(TruneSuiteApp::lumbra, {}), std::nullopt);
    ASSERT_TRUE(QDir(bus.commandsDirectory()).removeRecursively());
    BundleMaker::writeFile(bus.commandsDirectory(), "a file where the folder belongs");
    EXPECT_EQ(why(TruneSuiteApp::lumbra, {}), Kind::couldNotWrite);
}

TEST_F(TruneSuiteCommandBusTest, SendErrorsNameTheTargetInBothLanguages)
{
    using Kind = TruneSuiteSendError::Kind;
    struct Case {
        Kind kind;
        QString en;
        QString tr;
    };
    const std::vector<Case> cases = {
        {Kind::notInstalled, u"Haltrix is not installed"_s, u"Haltrix kurulu değil"_s},
        {Kind::couldNotWrite, u"The command for Haltrix could not be written"_s,
            u"Haltrix için komut dosyası yazılamadı"_s},
        {Kind::noNotificationBus, u"Haltrix could not be reached: no session bus is available"_s,
            u"Haltrix uygulamasına ulaşılamadı: oturum veri yolu yok"_s},
        {Kind::couldNotLaunch, u"Haltrix could not be started"_s, u"Haltrix başlatılamadı"_s},
        {Kind::invalidTargetPID, u"The command for Haltrix names no valid process"_s,
            u"Haltrix için gönderilen komut geçerli bir işlem belirtmiyor"_s},
    };
    for (const Case& c : cases) {
        const TruneSuiteSendError error{c.kind, TruneSuiteApp::haltrix};
        EXPECT_EQ(error.description(TruneLanguage::en), c.en);
        EXPECT_EQ(error.description(TruneLanguage::tr), c.tr);
    }
}

// A sender without a session bus still finds a target running under its name, and leaves the
// command in its slot, but says it could not ring it. The stand-in takes a name that no other
// test runs a process under, since every test of this user sees it.
TEST_F(TruneSuiteCommandBusTest, ASenderWithoutASessionBusSaysSo)
{
    const QString standIn = home.filePath(u"bin/Memsweep"_s);
    QDir().mkpath(QFileInfo(standIn).path());
    ASSERT_TRUE(QFile::link(u"/bin/sleep"_s, standIn));
    QProcess memsweep;
    memsweep.start(standIn, {u"60"_s});
    ASSERT_TRUE(memsweep.waitForStarted());

    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(u"DBUS_SESSION_BUS_ADDRESS"_s, u"unix:path="_s + home.filePath(u"no-bus"_s));
    SuitePeer sender({u"send"_s, u"Vantor"_s, u"Memsweep"_s, u"lumbraThawAll"_s}, environment);
    const auto sent = sender.waitForEvent(u"sent"_s);
    memsweep.kill();
    memsweep.waitForFinished();
    ASSERT_TRUE(sent.has_value());
    EXPECT_FALSE(sent->value(u"result"_s).toBool());
    EXPECT_EQ(sent->value(u"why"_s).toString(),
        (TruneSuiteSendError{TruneSuiteSendError::Kind::noNotificationBus, TruneSuiteApp::memsweep}.description(
            TruneLanguage::en)));
    EXPECT_TRUE(QFileInfo::exists(bus.commandFilePath(TruneSuiteApp::memsweep)));
}

TEST_F(TruneSuiteCommandBusTest, ACommandIsReadOnlyFromAPrivateFolderAndOnlyWhenTheUsersOwn)
{
    const QDateTime now = wholeSecondsNow();
    const TruneSuiteCommandEnvelope envelope = command(TruneSuiteApp::lumbra, now);
    ASSERT_TRUE(bus.enqueue(envelope));
    ASSERT_EQ(bus.peekPendingCommand(TruneSuiteApp::lumbra, now, 25), envelope);

    // A folder others may write to: anyone could have put the command there.
    ASSERT_EQ(::chmod(QFile::encodeName(bus.commandsDirectory()).constData(), 0777), 0);
    EXPECT_EQ(bus.peekPendingCommand(TruneSuiteApp::lumbra, now, 25), std::nullopt);
    EXPECT_EQ(bus.consumePendingCommand(TruneSuiteApp::lumbra, now, 25), std::nullopt);
    ASSERT_EQ(::chmod(QFile::encodeName(bus.commandsDirectory()).constData(), 0700), 0);

    // A file of another user in the private folder (only root can make one).
    const passwd* nobody = ::getpwnam("nobody");
    if (::geteuid() != 0 || nobody == nullptr)
        GTEST_SKIP() << "only root can give a file to the user nobody";
    ASSERT_TRUE(bus.enqueue(envelope));
    ASSERT_EQ(::chown(QFile::encodeName(bus.commandFilePath(TruneSuiteApp::lumbra)).constData(), nobody->pw_uid,
                  nobody->pw_gid),
        0);
    EXPECT_EQ(bus.peekPendingCommand(TruneSuiteApp::lumbra, now, 25), std::nullopt);
    EXPECT_EQ(bus.consumePendingCommand(TruneSuiteApp::lumbra, now, 25), std::nullopt);
}
