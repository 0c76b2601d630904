#include "kit/foundation/TruneSingleInstance.h"

#include "kit/foundation/TruneAppLogger.h"
#include "kit/foundation/TruneAppVersion.h"
#include "tests/kit/desktop/EventLoopWaits.h"
#include "tests/kit/desktop/StandInProgram.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QLocalSocket>
#include <QTemporaryDir>

#include <memory>
#include <optional>
#include <vector>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace {

// A runtime folder of the test's own, where the running copy's socket lives; the stand-in
// programs inherit it with the rest of the environment.
class RuntimeFolder final {
public:
    RuntimeFolder()
        : m_saved(qEnvironmentVariableIsSet("XDG_RUNTIME_DIR") ? std::optional(qgetenv("XDG_RUNTIME_DIR"))
                                                                : std::nullopt)
    {
        qputenv("XDG_RUNTIME_DIR", QFile::encodeName(m_dir.path()));
    }

    ~RuntimeFolder()
    {
        if (m_saved)
            qputenv("XDG_RUNTIME_DIR", *m_saved);
        else
            qunsetenv("XDG_RUNTIME_DIR");
    }

    RuntimeFolder(const RuntimeFolder&) = delete;
    RuntimeFolder& operator=(const RuntimeFolder&) = delete;

private:
    QTemporaryDir m_dir;
    std::optional<QByteArray> m_saved;
};

// What a copy that crashed leaves behind: a socket file nobody listens on.
void leaveDeadSocket(const QString& path)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_GE(fd, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    const QByteArray encoded = QFile::encodeName(path);
    ASSERT_LT(size_t(encoded.size()), sizeof address.sun_path);
    std::copy(encoded.cbegin(), encoded.cend(), address.sun_path);
    EXPECT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
}

const QString reopenNotification = QStringLiteral("com.quorvane.reopenStudioWindow");

} // namespace

TEST(TruneSingleInstanceTest, ASecondLaunchAsksTheRunningOneToReopenItsStudioAndExits)
{
    const TempHome home;
    const RuntimeFolder runtime;
    StandInProgram first({QStringLiteral("program")});
    ASSERT_EQ(first.nextLine(), QStringLiteral("running"));

    StandInProgram second({QStringLiteral("program")});
    EXPECT_EQ(second.nextLine(), QStringLiteral("handed over"));
    EXPECT_EQ(second.waitForExit(), 0);
    EXPECT_EQ(first.nextLine(), reopenNotification);
    EXPECT_EQ(first.finish(), 0);

    // Only the running copy launched, and it wrote its launch line to the program's one log.
    const QString logs = home.dataHome() + QStringLiteral("/Quorvane/TruneUpdate/logs");
    EXPECT_EQ(QDir(logs).entryList(QDir::Files), QStringList{QStringLiteral("truneupdate.log")});
    TruneAppLogger log(QStringLiteral("TruneUpdate"), logs, 2 * 1024 * 1024, 5, {});
    const std::vector<TruneLogEntry> entries = log.recentEntries(10, TruneLogLevel::debug);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].category, QStringLiteral("lifecycle"));
    EXPECT_TRUE(entries[0].message.startsWith(QStringLiteral("TruneUpdate ") + TruneAppVersion::current().detailedDisplay()
                                              + QStringLiteral(" launched (Linux ")))
        << entries[0].message.toStdString();
}

TEST(TruneSingleInstanceTest, LaunchesAtTheSameMomentLeaveExactlyOneRunning)
{
    const TempHome home;
    const RuntimeFolder runtime;
    std::vector<std::unique_ptr<StandInProgram>> launches;
    for (int i = 0; i < 8; ++i)
        launches.push_back(std::make_unique<StandInProgram>(QStringList{QStringLiteral("program"), QStringLiteral("cued")}));
    for (const auto& launch : launches)
        ASSERT_EQ(launch->nextLine(), QStringLiteral("ready"));
    for (const auto& launch : launches)
        launch->writeLine("go");

    StandInProgram* running = nullptr;
    int handedOver = 0;
    for (const auto& launch : launches) {
        const QString first = launch->nextLine();
        if (first == QStringLiteral("running")) {
            EXPECT_EQ(running, nullptr) << "two copies running";
            running = launch.get();
        } else {
            EXPECT_EQ(first, QStringLiteral("handed over"));
            ++handedOver;
        }
    }
    ASSERT_NE(running, nullptr);
    EXPECT_EQ(handedOver, 7);
    for (int i = 0; i < handedOver; ++i)
        EXPECT_EQ(running->nextLine(), reopenNotification);
}

TEST(TruneSingleInstanceTest, ASocketLeftByACopyThatIsGoneIsReplaced)
{
    const RuntimeFolder runtime;
    leaveDeadSocket(TruneSingleInstance::serverPath());

    TruneSingleInstance running;
    ASSERT_EQ(running.claim(), TruneSingleInstance::Role::primary);
    int reopenRequests = 0;
    QObject::connect(&running, &TruneSingleInstance::reopenRequested, [&] { ++reopenRequests; });

    TruneSingleInstance later;
    EXPECT_EQ(later.claim(), TruneSingleInstance::Role::secondary);
    EXPECT_TRUE(processEventsUntil([&] { return reopenRequests == 1; }));
}

// Anyone of this user may connect; only the exact request reopens the window.
TEST(TruneSingleInstanceTest, OnlyAReopenRequestReopens)
{
    const RuntimeFolder runtime;
    TruneSingleInstance running;
    ASSERT_EQ(running.claim(), TruneSingleInstance::Role::primary);
    int reopenRequests = 0;
    QObject::connect(&running, &TruneSingleInstance::reopenRequested, [&] { ++reopenRequests; });

    const QByteArray messages[] = {"reopen", "open\n", "reopen now\n", QByteArray(4096, 'x') + "\nreopen\n",
                                   "reopen\n"};
    for (const QByteArray& message : messages) {
        QLocalSocket peer;
        peer.connectToServer(TruneSingleInstance::serverPath());
        ASSERT_TRUE(peer.waitForConnected(5000));
        peer.write(message);
        ASSERT_TRUE(peer.waitForBytesWritten(5000));
        peer.disconnectFromServer();
    }
    EXPECT_TRUE(processEventsUntil([&] { return reopenRequests >= 1; }));
    processEventsFor(std::chrono::milliseconds(200));
    EXPECT_EQ(reopenRequests, 1);
}
