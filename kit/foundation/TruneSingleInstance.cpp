#include "kit/foundation/TruneSingleInstance.h"

#include "kit/platform/TruneBundle.h"

#include <QByteArray>
#include <QFile>
#include <QLocalSocket>
#include <QStandardPaths>

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace {

const QByteArray reopenRequest = QByteArrayLiteral("reopen\n");

// Longer than a request can take on a busy machine, short enough that a launch never seems hung.
constexpr int connectTimeoutMs = 1000;
constexpr int writeTimeoutMs = 1000;

// No request is longer than this; a longer line is not from the program.
constexpr qint64 maxRequestBytes = 64;

// Held while a launch decides its role. Without it two launches could both find no listener, and
// the second would remove the first one's fresh socket. The kernel releases it when its holder
// exits, crashed or not, so it is never left stale; a lock file that cannot be opened is not worth
// failing the launch.
class ClaimLock final {
public:
    explicit ClaimLock(const QString& path)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600))
    {
        while (m_fd >= 0 && ::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) {
        }
    }

    ~ClaimLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }

    ClaimLock(const ClaimLock&) = delete;
    ClaimLock& operator=(const ClaimLock&) = delete;

private:
    int m_fd;
};

bool askRunningInstanceToReopen(const QString& path)
{
    QLocalSocket socket;
    socket.connectToServer(path);
    if (!socket.waitForConnected(connectTimeoutMs))
        return false;
    // Connected: a running copy owns the socket, so this launch steps aside even if the request
    // cannot be delivered; replacing the socket would leave two copies running.
    socket.write(reopenRequest);
    if (!socket.waitForBytesWritten(writeTimeoutMs))
        std::fprintf(stderr, "Could not ask the running program to reopen: %s\n",
                     qPrintable(socket.errorString()));
    socket.disconnectFromServer();
    return true;
}

} // namespace

TruneSingleInstance::TruneSingleInstance(QObject* parent)
    : QObject(parent)
{
    m_server.setSocketOptions(QLocalServer::UserAccessOption);
    connect(&m_server, &QLocalServer::newConnection, this, &TruneSingleInstance::acceptConnections);
}

QString TruneSingleInstance::serverPath()
{
    return QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation) + QLatin1Char('/')
           + TruneBundle::main().bundleIdentifier() + QStringLiteral(".instance");
}

TruneSingleInstance::Role TruneSingleInstance::claim()
{
    const QString path = serverPath();
    const ClaimLock lock(path + QStringLiteral(".lock"));
    if (askRunningInstanceToReopen(path))
        return Role::secondary;
    QLocalServer::removeServer(path);
    if (!m_server.listen(path)) {
        std::fprintf(stderr, "Later launches cannot reach this one: %s\n", qPrintable(m_server.errorString()));
    }
    return Role::primary;
}

void TruneSingleInstance::acceptConnections()
{
    while (QLocalSocket* socket = m_server.nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            while (socket->canReadLine()) {
                const QByteArray line = socket->readLine(maxRequestBytes);
                if (!line.endsWith('\n')) {
                    socket->abort();
                    return;
                }
                if (line == reopenRequest)
                    emit reopenRequested();
            }
            if (socket->bytesAvailable() > maxRequestBytes)
                socket->abort();
        });
    }
}
