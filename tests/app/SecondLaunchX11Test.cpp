#include "kit/platform/TruneBundle.h"
#include "tests/app/StudioTestHome.h"
#include "tests/support/BundleMaker.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/TempHome.h"
#include "tests/support/TestWaits.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>

using namespace Qt::StringLiterals;

namespace {

const QString studioTitle = u"TruneUpdate — by Quorvane"_s;

QString xdotool(const QStringList& arguments)
{
    QProcess process;
    process.start(u"xdotool"_s, arguments);
    process.waitForFinished(10000);
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

// The studio window of `pid` while it is shown; empty otherwise.
QString visibleStudioWindow(qint64 pid)
{
    return xdotool({u"search"_s, u"--onlyvisible"_s, u"--pid"_s, QString::number(pid), u"--name"_s, studioTitle})
        .section(u'\n', 0, 0);
}

// Gives the window the keyboard (there is no window manager on the test's X server) and types.
void typeInto(const QString& window, const QString& keys)
{
    xdotool({u"windowfocus"_s, u"--sync"_s, window});
    xdotool({u"key"_s, keys});
}

bool ownsTheProgramsName()
{
    QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
    return bus && bus->isServiceRegistered(TruneBundle::main().bundleIdentifier()).value();
}

} // namespace

// Two real launches of bin/truneupdate in a private home on the private session bus (where the
// stand-in tray host runs, so closing the window keeps the first running).
TEST(SecondLaunchTest, ASecondLaunchFrontsTheFirstAndExitsAndCtrlQQuits)
{
    const TempHome home;
    ASSERT_TRUE(QDBusConnection::sessionBus().isConnected());
    ASSERT_FALSE(ownsTheProgramsName());
    QProcess first;
    first.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    first.start(QStringLiteral(TRUNE_PROGRAM_PATH), {});
    ASSERT_TRUE(first.waitForStarted());
    ASSERT_TRUE(waitUntil(ownsTheProgramsName));
    ASSERT_TRUE(waitUntil([&] { return !visibleStudioWindow(first.processId()).isEmpty(); }));

    // Closed, the window hides; the program stays in the tray. Shortly after its start the program
    // brings its window forward once more, which brings back a window closed before then: close
    // until the window stays closed.
    ASSERT_TRUE(waitUntil([&] {
        const QString shown = visibleStudioWindow(first.processId());
        if (shown.isEmpty())
            return true;
        typeInto(shown, u"ctrl+w"_s);
        return false;
    }));
    EXPECT_EQ(first.state(), QProcess::Running);

    QProcess second;
    second.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    second.start(QStringLiteral(TRUNE_PROGRAM_PATH), {});
    ASSERT_TRUE(second.waitForFinished(20000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(waitUntil([&] { return !visibleStudioWindow(first.processId()).isEmpty(); }))
        << "the running copy showed its studio again";
    EXPECT_EQ(first.state(), QProcess::Running);

    typeInto(visibleStudioWindow(first.processId()), u"ctrl+q"_s);
    ASSERT_TRUE(waitUntil([&] { return first.state() == QProcess::NotRunning; }));
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_TRUE(waitUntil([] { return !ownsTheProgramsName(); }));
}

// Another program owns the program's name on the session bus and answers nothing: the launch
// neither hangs nor steps aside for it, and says so in a dialog over the studio window.
TEST(SecondLaunchTest, ALaunchStartsAnywayAndSaysSoWhenAnotherProgramHoldsTheName)
{
    const TempHome home;
    QDBusConnection bus = QDBusConnection::sessionBus();
    ASSERT_TRUE(bus.isConnected());
    const QString name = TruneBundle::main().bundleIdentifier();
    ASSERT_TRUE(bus.registerService(name)) << "the test process stands in for the other program";

    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    program.start(QStringLiteral(TRUNE_PROGRAM_PATH), {});
    ASSERT_TRUE(program.waitForStarted());
    const auto visibleWindowNamed = [&](const QString& title) {
        return xdotool(
            {u"search"_s, u"--onlyvisible"_s, u"--pid"_s, QString::number(program.processId()), u"--name"_s, title})
            .section(u'\n', 0, 0);
    };
    EXPECT_TRUE(waitUntil([&] { return !visibleStudioWindow(program.processId()).isEmpty(); }))
        << "the program started anyway";
    EXPECT_TRUE(waitUntil([&] { return !visibleWindowNamed(u"^TruneUpdate$"_s).isEmpty(); }))
        << "the dialog tells the user";
    EXPECT_EQ(program.state(), QProcess::Running);
    EXPECT_TRUE(QString::fromUtf8(program.readAllStandardError()).contains(u"starting anyway"_s));

    program.terminate();
    if (!program.waitForFinished(10000))
        program.kill();
    program.waitForFinished();
    bus.unregisterService(name);
}

// Ctrl+Q while the update check waits on a feed that never answers ends the program at once: it
// hangs up on the feed instead of waiting for it, and nothing it left running holds it up.
TEST(ProgramQuitTest, CtrlQDuringAnUpdateCheckHangsUpOnAStalledFeedAndExits)
{
    const TempHome home;
    LoopbackHttpServer server;
    LoopbackHttpServer::Response silent = LoopbackHttpServer::Response::ok({});
    silent.delayMs = 3'600'000;
    server.setResponse(u"/silent.xml"_s, silent);
    BundleMaker::makeAppBundle(home.filePath(u"Applications/Silent Feed.app"_s),
        {.info = QVariantMap{{u"CFBundleIdentifier"_s, u"com.example.silent"_s}, {u"CFBundleName"_s, u"Silent Feed"_s},
             {u"CFBundleShortVersionString"_s, u"1.0"_s}, {u"SUFeedURL"_s, server.url(u"/silent.xml"_s)}}});

    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.start(QStringLiteral(TRUNE_PROGRAM_PATH), {});
    ASSERT_TRUE(program.waitForStarted());
    ASSERT_TRUE(waitUntil([&] { return !server.requests(u"/silent.xml"_s).empty(); }));
    ASSERT_TRUE(waitUntil([&] { return !visibleStudioWindow(program.processId()).isEmpty(); }));

    typeInto(visibleStudioWindow(program.processId()), u"ctrl+q"_s);
    const bool exited = waitUntil([&] { return program.state() == QProcess::NotRunning; });
    if (!exited) {
        program.kill();
        program.waitForFinished();
    }
    ASSERT_TRUE(exited);
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 0);
    ASSERT_TRUE(server.waitUntilSettled());
    const std::vector<LoopbackHttpServer::Request> requests = server.requests(u"/silent.xml"_s);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].clientHungUp);
    EXPECT_FALSE(requests[0].completed);
}
