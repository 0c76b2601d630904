#include "kit/platform/TruneDesktopServices.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusError>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <memory>
#include <mutex>
#include <optional>

#include <signal.h>

namespace {

const QString fileManagerService = QStringLiteral("org.freedesktop.FileManager1");
const QString fileManagerPath = QStringLiteral("/org/freedesktop/FileManager1");

// A session bus of the test program's own, so that no test reaches the desktop's file manager.
// Qt keeps its session-bus connection for the life of the process, so the bus is started on first
// use and stopped only when the program ends. Without dbus-daemon the bus address points at
// nothing, and only the fallback can be tested.
class PrivateSessionBus final {
public:
    static const PrivateSessionBus& instance()
    {
        static const PrivateSessionBus bus;
        return bus;
    }

    ~PrivateSessionBus()
    {
        if (m_pid > 0)
            ::kill(m_pid, SIGTERM);
    }

    // Empty when no bus runs.
    const QString& address() const { return m_address; }

private:
    PrivateSessionBus()
    {
        const QString daemon = QStandardPaths::findExecutable(QStringLiteral("dbus-daemon"));
        if (!daemon.isEmpty() && m_dir.isValid())
            start(daemon);
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.isEmpty() ? QByteArray("unix:path=/nonexistent/trune-test-bus")
                                                                 : m_address.toUtf8());
    }

    // No service directories: nothing on this bus is started on demand.
    void start(const QString& daemon)
    {
        const QString config = m_dir.filePath(QStringLiteral("bus.conf"));
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return;
        file.write("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\""
                   " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n<busconfig><type>session</type>"
                   "<listen>unix:dir="
                   + QFile::encodeName(m_dir.path())
                   + "</listen><auth>EXTERNAL</auth><policy context=\"default\">"
                     "<allow send_destination=\"*\" eavesdrop=\"true\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/>"
                     "</policy></busconfig>\n");
        file.close();
        // The daemon forks once it listens and prints its address and process id.
        QProcess launcher;
        launcher.start(daemon, {QStringLiteral("--config-file=") + config, QStringLiteral("--fork"),
                                QStringLiteral("--print-address=1"), QStringLiteral("--print-pid=1")});
        if (!launcher.waitForFinished(10'000))
            return;
        const QList<QByteArray> lines = launcher.readAllStandardOutput().split('\n');
        if (lines.size() < 2)
            return;
        m_address = QString::fromUtf8(lines[0]).trimmed();
        m_pid = lines[1].trimmed().toInt();
    }

    QTemporaryDir m_dir;
    QString m_address;
    pid_t m_pid = 0;
};

struct ShowItemsCall {
    QStringList uris;
    QString startupId;
};

// Stands in for the desktop's file manager. It answers on a thread of its own, since the caller
// blocks its thread while it waits for the answer.
class FakeFileManager final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.FileManager1")

public:
    explicit FakeFileManager(bool failing) : m_failing(failing) {}

    std::vector<ShowItemsCall> calls() const
    {
        const std::lock_guard lock(m_mutex);
        return m_calls;
    }

public slots:
    void ShowItems(const QStringList& uris, const QString& startupId)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_calls.push_back({uris, startupId});
        }
        if (m_failing)
            sendErrorReply(QDBusError::Failed, QStringLiteral("no window can be shown"));
    }

private:
    const bool m_failing;
    mutable std::mutex m_mutex;
    std::vector<ShowItemsCall> m_calls;
};

// The fake, registered under the file manager's well-known name on its own connection.
class FileManagerOnBus final {
public:
    FileManagerOnBus(const QString& address, bool failing)
        : m_fileManager(new FakeFileManager(failing))
        , m_connection(QDBusConnection::connectToBus(address, connectionName()))
    {
        m_fileManager->moveToThread(&m_thread);
        m_thread.start();
        m_registered = m_connection.registerService(fileManagerService)
                       && m_connection.registerObject(fileManagerPath, m_fileManager.get(), QDBusConnection::ExportAllSlots);
    }

    ~FileManagerOnBus()
    {
        m_connection.unregisterObject(fileManagerPath);
        m_connection.unregisterService(fileManagerService);
        QDBusConnection::disconnectFromBus(connectionName());
        m_thread.quit();
        m_thread.wait();
    }

    bool registered() const { return m_registered; }
    std::vector<ShowItemsCall> calls() const { return m_fileManager->calls(); }

private:
    static QString connectionName() { return QStringLiteral("trune-test-file-manager"); }

    std::unique_ptr<FakeFileManager> m_fileManager;
    QThread m_thread;
    QDBusConnection m_connection;
    bool m_registered = false;
};

QString fileUrl(const QString& path)
{
    return QUrl::fromLocalFile(path).toString(QUrl::FullyEncoded);
}

// Puts a fake `xdg-open` first on the search path; it writes the arguments it was given, one per
// line, to a file (renamed into place, so a reader never sees half of it).
class DesktopServicesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { PrivateSessionBus::instance(); }

    void SetUp() override
    {
        const QString bin = m_home.filePath(QStringLiteral("bin"));
        QDir().mkpath(bin);
        QFile script(bin + QStringLiteral("/xdg-open"));
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        const QByteArray record = QFile::encodeName(recordPath());
        script.write("#!/bin/sh\nprintf '%s\\n' \"$@\" > '" + record + ".partial' && mv '" + record + ".partial' '"
                     + record + "'\n");
        script.close();
        script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        m_savedPath = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(bin) + ':' + m_savedPath);
    }

    void TearDown() override { qputenv("PATH", m_savedPath); }

    QString recordPath() const { return m_home.filePath(QStringLiteral("opened.txt")); }

    // The arguments of the next opener run, or nullopt when none ran within ten seconds.
    std::optional<QStringList> nextOpenerArguments() const
    {
        const QDeadlineTimer deadline(10'000);
        while (!QFile::exists(recordPath()) && !deadline.hasExpired())
            QThread::msleep(10);
        QFile file(recordPath());
        if (!file.open(QIODevice::ReadOnly))
            return std::nullopt;
        const QString text = QString::fromUtf8(file.readAll());
        file.remove();
        return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    // A home with an app bundle, a log file and a dangling link to reveal.
    void makeItems() const
    {
        QDir().mkpath(m_home.filePath(QStringLiteral("Applications/My Tool.app/Contents")));
        QDir().mkpath(m_home.filePath(QStringLiteral("Library/Logs")));
        QFile log(m_home.filePath(QStringLiteral("Library/Logs/app 1.log")));
        ASSERT_TRUE(log.open(QIODevice::WriteOnly));
        ASSERT_TRUE(QFile::link(m_home.filePath(QStringLiteral("gone")), m_home.filePath(QStringLiteral("Library/dangling"))));
    }

    static const QString& busAddress() { return PrivateSessionBus::instance().address(); }

    TempHome m_home;
    QByteArray m_savedPath;
};

} // namespace

TEST_F(DesktopServicesTest, OpenUrlHandsTheEncodedUrlToTheDesktopOpener)
{
    const std::vector<std::pair<QUrl, QString>> cases{
        {QUrl(QStringLiteral("https://example.com/notes?v=1.2&x=a b")), QStringLiteral("https://example.com/notes?v=1.2&x=a%20b")},
        {QUrl::fromLocalFile(QStringLiteral("/tmp/My Apps/Foo.app")), QStringLiteral("file:///tmp/My%20Apps/Foo.app")},
        {QUrl(QStringLiteral("mailto:feedback@example.com?subject=Hello there")),
         QStringLiteral("mailto:feedback@example.com?subject=Hello%20there")},
    };
    for (const auto& [url, expected] : cases) {
        SCOPED_TRACE(expected.toStdString());
        EXPECT_TRUE(TruneDesktopServices::openUrl(url));
        EXPECT_EQ(nextOpenerArguments(), QStringList{expected});
    }
}

TEST_F(DesktopServicesTest, OpenUrlRefusesUrlsTheOpenerCouldTakeForOptions)
{
    for (const QString& text : {QString(), QStringLiteral("-h"), QStringLiteral("--version"), QStringLiteral("notes.html")}) {
        SCOPED_TRACE(text.toStdString());
        EXPECT_FALSE(TruneDesktopServices::openUrl(QUrl(text)));
    }
}

TEST_F(DesktopServicesTest, RevealWithoutAFileManagerOpensTheFolderHoldingTheItem)
{
    makeItems();
    struct Case {
        const char* name;
        QString item;
        QString folder;
    };
    // A bundle or leftover folder is shown among its neighbours, not opened.
    const std::vector<Case> cases{
        {"file", QStringLiteral("Library/Logs/app 1.log"), QStringLiteral("Library/Logs")},
        {"app bundle", QStringLiteral("Applications/My Tool.app"), QStringLiteral("Applications")},
        {"folder written with a final slash", QStringLiteral("Applications/My Tool.app/"), QStringLiteral("Applications")},
        {"dangling symbolic link", QStringLiteral("Library/dangling"), QStringLiteral("Library")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(TruneDesktopServices::revealInFileManager(m_home.filePath(c.item)));
        EXPECT_EQ(nextOpenerArguments(), QStringList{fileUrl(m_home.filePath(c.folder))});
    }
}

TEST_F(DesktopServicesTest, RevealOfNothingShowsNothing)
{
    EXPECT_FALSE(TruneDesktopServices::revealInFileManager(QString()));
    EXPECT_FALSE(TruneDesktopServices::revealInFileManager(m_home.filePath(QStringLiteral("no/such/item"))));
}

TEST_F(DesktopServicesTest, RevealAsksTheFileManagerToSelectTheItem)
{
    if (busAddress().isEmpty())
        GTEST_SKIP() << "dbus-daemon is not installed";
    makeItems();
    const FileManagerOnBus fileManager(busAddress(), false);
    ASSERT_TRUE(fileManager.registered());

    const QString bundle = m_home.filePath(QStringLiteral("Applications/My Tool.app"));
    EXPECT_TRUE(TruneDesktopServices::revealInFileManager(bundle));

    const std::vector<ShowItemsCall> calls = fileManager.calls();
    ASSERT_EQ(calls.size(), 1u);
    EXPECT_EQ(calls[0].uris, QStringList{fileUrl(bundle)});
    EXPECT_EQ(calls[0].startupId, QString());
}

TEST_F(DesktopServicesTest, RevealFallsBackWhenTheFileManagerFails)
{
    if (busAddress().isEmpty())
        GTEST_SKIP() << "dbus-daemon is not installed";
    makeItems();
    const FileManagerOnBus fileManager(busAddress(), true);
    ASSERT_TRUE(fileManager.registered());

    EXPECT_TRUE(TruneDesktopServices::revealInFileManager(m_home.filePath(QStringLiteral("Library/Logs/app 1.log"))));

    EXPECT_EQ(fileManager.calls().size(), 1u);
    EXPECT_EQ(nextOpenerArguments(), QStringList{fileUrl(m_home.filePath(QStringLiteral("Library/Logs")))});
}

#include "TruneDesktopServicesTest.moc"
