#include "kit/platform/TruneDesktopServices.h"
#include "tests/support/FakeXdgOpen.h"
#include "tests/support/PrivateSessionBus.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusError>
#include <QDir>
#include <QFile>
#include <QThread>

#include <memory>
#include <mutex>
#include <optional>

namespace {

const QString fileManagerService = QStringLiteral("org.freedesktop.FileManager1");
const QString fileManagerPath = QStringLiteral("/org/freedesktop/FileManager1");

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
    explicit FakeFileManager(bool failing)
        : m_failing(failing)
    {
    }

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

class DesktopServicesTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { PrivateSessionBus::instance(); }

    // The arguments of the opener's next run, or nullopt when none ran within ten seconds.
    std::optional<QStringList> nextOpenerArguments()
    {
        if (!m_opener.waitForCalls(m_openerRunsSeen + 1))
            return std::nullopt;
        return m_opener.calls().at(m_openerRunsSeen++);
    }

    // A home with an app bundle, a log file and a dangling link to reveal.
    void makeItems() const
    {
        QDir().mkpath(m_home.filePath(QStringLiteral("Applications/My Tool.app/Contents")));
        QDir().mkpath(m_home.filePath(QStringLiteral("Library/Logs")));
        QFile log(m_home.filePath(QStringLiteral("Library/Logs/app 1.log")));
        ASSERT_TRUE(log.open(QIODevice::WriteOnly));
        ASSERT_TRUE(
            QFile::link(m_home.filePath(QStringLiteral("gone")), m_home.filePath(QStringLiteral("Library/dangling"))));
    }

    static const QString& busAddress() { return PrivateSessionBus::instance().address(); }

    TempHome m_home;
    FakeXdgOpen m_opener;
    std::size_t m_openerRunsSeen = 0;
};

} // namespace

TEST_F(DesktopServicesTest, OpenUrlHandsTheEncodedUrlToTheDesktopOpener)
{
    const std::vector<std::pair<QUrl, QString>> cases{
        {QUrl(QStringLiteral("https://example.com/notes?v=1.2&x=a b")),
            QStringLiteral("https://example.com/notes?v=1.2&x=a%20b")},
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
    for (const QString& text :
        {QString(), QStringLiteral("-h"), QStringLiteral("--version"), QStringLiteral("notes.html")}) {
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
        {"folder written with a final slash", QStringLiteral("Applications/My Tool.app/"),
            QStringLiteral("Applications")},
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
