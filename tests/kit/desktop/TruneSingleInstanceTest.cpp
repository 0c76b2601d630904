#include "kit/foundation/TruneSingleInstance.h"

#include "kit/foundation/TruneAppLogger.h"
#include "kit/foundation/TruneAppVersion.h"
#include "tests/kit/desktop/StandInProgram.h"
#include "tests/support/TempHome.h"
#include "tests/support/TestWaits.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QTemporaryDir>

#include <memory>
#include <optional>
#include <vector>

#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

// Sets (or with no value unsets) one environment variable for the life of the object; the stand-in
// programs inherit it with the rest of the environment.
class EnvironmentVariable final {
public:
    EnvironmentVariable(const char* name, const std::optional<QByteArray>& value)
        : m_name(name)
        , m_saved(qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt)
    {
        set(value);
    }
    ~EnvironmentVariable() { set(m_saved); }
    EnvironmentVariable(const EnvironmentVariable&) = delete;
    EnvironmentVariable& operator=(const EnvironmentVariable&) = delete;

private:
    void set(const std::optional<QByteArray>& value) const
    {
        if (value)
            qputenv(m_name, *value);
        else
            qunsetenv(m_name);
    }

    const char* m_name;
    std::optional<QByteArray> m_saved;
};

// A runtime folder of the test's own, where the running copy's socket lives.
class RuntimeFolder final {
public:
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    EnvironmentVariable m_variable{"XDG_RUNTIME_DIR", QFile::encodeName(m_dir.path())};
};

// Whether `path` is a folder of this user, not a link, that no one else may enter.
::testing::AssertionResult isPrivateFolder(const QString& path)
{
    struct stat status { };
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0)
        return ::testing::AssertionFailure() << path.toStdString() << " is missing";
    if (!S_ISDIR(status.st_mode) || status.st_uid != ::geteuid() || (status.st_mode & 07777) != 0700) {
        return ::testing::AssertionFailure()
            << path.toStdString() << " has mode " << QString::number(status.st_mode & 07777, 8).toStdString()
            << " and owner " << status.st_uid;
    }
    return ::testing::AssertionSuccess();
}

QString serverFolder()
{
    return QFileInfo(TruneSingleInstance::serverPath()).absolutePath();
}

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
    EXPECT_TRUE(entries[0].message.startsWith(QStringLiteral("TruneUpdate ")
        + TruneAppVersion::current().detailedDisplay() + QStringLiteral(" launched (Linux ")))
        << entries[0].message.toStdString();
}

TEST(TruneSingleInstanceTest, LaunchesAtTheSameMomentLeaveExactlyOneRunning)
{
    const TempHome home;
    const RuntimeFolder runtime;
    std::vector<std::unique_ptr<StandInProgram>> launches;
    for (int i = 0; i < 8; ++i)
        launches.push_back(
            std::make_unique<StandInProgram>(QStringList{QStringLiteral("program"), QStringLiteral("cued")}));
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
    EXPECT_TRUE(waitUntil([&] { return reopenRequests == 1; }));
}

// Anyone of this user may connect; only the exact request reopens the window.
TEST(TruneSingleInstanceTest, OnlyAReopenRequestReopens)
{
    const RuntimeFolder runtime;
    TruneSingleInstance running;
    ASSERT_EQ(running.claim(), TruneSingleInstance::Role::primary);
    int reopenRequests = 0;
    QObject::connect(&running, &TruneSingleInstance::reopenRequested, [&] { ++reopenRequests; });

    const QByteArray messages[]
        = {"reopen", "open\n", "reopen now\n", QByteArray(4096, 'x') + "\nreopen\n", "reopen\n"};
    for (const QByteArray& message : messages) {
        QLocalSocket peer;
        peer.connectToServer(TruneSingleInstance::serverPath());
        ASSERT_TRUE(peer.waitForConnected(5000));
        peer.write(message);
        ASSERT_TRUE(peer.waitForBytesWritten(5000));
        peer.disconnectFromServer();
    }
    EXPECT_TRUE(waitUntil([&] { return reopenRequests >= 1; }));
    settle();
    EXPECT_EQ(reopenRequests, 1);
}

TEST(TruneSingleInstanceTest, TheRunningCopyKeepsLaterLaunchesOutEvenWhenItsSocketIsGone)
{
    const RuntimeFolder runtime;
    TruneSingleInstance running;
    ASSERT_EQ(running.claim(), TruneSingleInstance::Role::primary);
    // A cleaner of old files, or anyone of this user, removes the socket.
    ASSERT_TRUE(QFile::remove(TruneSingleInstance::serverPath()));

    TruneSingleInstance later;
    EXPECT_EQ(later.claim(), TruneSingleInstance::Role::secondary);
}

// The socket lives in the user's runtime folder only when that folder is private; otherwise, and
// when there is none, in a private folder of the program's own.
TEST(TruneSingleInstanceTest, TheSocketLivesInAPrivateFolder)
{
    const TempHome home;
    const RuntimeFolder privateRuntime;
    QTemporaryDir other;
    const QString openToAll = other.filePath(u"open"_s);
    ASSERT_TRUE(QDir().mkdir(openToAll));
    ASSERT_EQ(::chmod(QFile::encodeName(openToAll).constData(), 0777), 0);
    const QString linkToPrivate = other.filePath(u"link"_s);
    ASSERT_TRUE(QFile::link(privateRuntime.path(), linkToPrivate));

    struct Case {
        const char* name;
        std::optional<QString> runtimeFolder;
        bool socketInRuntimeFolder;
    };
    const Case cases[] = {
        {"a private runtime folder", privateRuntime.path(), true},
        {"no runtime folder", std::nullopt, false},
        {"an empty name", u""_s, false},
        {"a folder open to all", openToAll, false},
        {"a link to a private folder", linkToPrivate, false},
        {"a relative name", u"runtime"_s, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const EnvironmentVariable runtime(
            "XDG_RUNTIME_DIR", c.runtimeFolder ? std::optional(QFile::encodeName(*c.runtimeFolder)) : std::nullopt);
        TruneSingleInstance running;
        ASSERT_EQ(running.claim(), TruneSingleInstance::Role::primary);
        EXPECT_EQ(serverFolder() == privateRuntime.path(), c.socketInRuntimeFolder) << serverFolder().toStdString();
        EXPECT_TRUE(isPrivateFolder(serverFolder()));
        EXPECT_TRUE(QFileInfo(TruneSingleInstance::serverPath()).exists());
    }
    EXPECT_TRUE(QDir(openToAll).isEmpty());
}

// Without a runtime folder Qt falls back to <temp>/runtime-<user>, which anyone can make first.
// Another user who did must not be able to switch off the guard.
TEST(TruneSingleInstanceTest, AFallbackFolderMadeByAnotherUserDoesNotLetTwoCopiesRun)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "only root can make a folder that belongs to another user";
    const TempHome home;
    QTemporaryDir temp;
    const EnvironmentVariable noRuntime("XDG_RUNTIME_DIR", std::nullopt);
    const EnvironmentVariable tempFolder("TMPDIR", QFile::encodeName(temp.path()));
    const passwd* me = ::getpwuid(::geteuid());
    ASSERT_NE(me, nullptr);
    const passwd* nobody = ::getpwnam("nobody");
    const QByteArray fallback = QFile::encodeName(temp.path() + u"/runtime-"_s + QString::fromLocal8Bit(me->pw_name));
    ASSERT_EQ(::mkdir(fallback.constData(), 0777), 0);
    ASSERT_EQ(::chown(fallback.constData(), nobody ? nobody->pw_uid : 65534, nobody ? nobody->pw_gid : 65534), 0);
    ASSERT_EQ(::chmod(fallback.constData(), 0777), 0);

    StandInProgram first({u"program"_s});
    ASSERT_EQ(first.nextLine(), u"running"_s);
    EXPECT_TRUE(isPrivateFolder(serverFolder()));
    StandInProgram second({u"program"_s});
    EXPECT_EQ(second.nextLine(), u"handed over"_s);
    EXPECT_EQ(second.waitForExit(), 0);
    EXPECT_EQ(first.nextLine(), reopenNotification);
    EXPECT_EQ(first.finish(), 0);
}
