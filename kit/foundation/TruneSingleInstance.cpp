#include "kit/foundation/TruneSingleInstance.h"

#include "kit/foundation/TrunePrivateFolder.h"
#include "kit/platform/TruneBundle.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocalSocket>
#include <QStandardPaths>

#include <cerrno>
#include <cstdio>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

const QByteArray reopenRequest = QByteArrayLiteral("reopen\n");

// Longer than a request can take on a busy machine, short enough that a launch never seems hung.
constexpr int connectTimeoutMs = 1000;
constexpr int writeTimeoutMs = 1000;

// No request is longer than this; a longer line is not from the program.
constexpr qint64 maxRequestBytes = 64;

// Held while a launch decides its role, and by the running copy until it has listened. Without it
// two launches could both find no listener, and the second would remove the first one's fresh
// socket. The kernel releases it when its holder exits, crashed or not, so it is never left stale;
// a lock file that cannot be opened is not worth failing the launch.
class ClaimLock final {
public:
    explicit ClaimLock(const QString& path)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600))
    {
        while (m_fd >= 0 && ::flock(m_fd, LOCK_EX) != 0 && errno == EINTR) { }
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

// The folder of the socket and its locks. Another user must not be able to make, replace or fill
// it, or two copies could both start. The session's runtime folder is used only when it is
// private; Qt's fallback when there is none lives in the shared temporary folder, where anyone can
// make it first, so a private folder in the user's cache stands in.
QString runtimeFolder()
{
    const QString session = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (TrunePrivateFolder::isPrivate(session))
        return QDir::cleanPath(session);
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) + u"/Quorvane/runtime"_s;
}

// Whether a running copy holds the claim at `path`. When none does, this process takes it and
// `claim` receives the descriptor to keep: the lock lasts while it stays open and ends with the
// process, so a copy that is gone never keeps later launches out, and one that runs does even
// when its socket has been removed. A claim that cannot be had at all leaves the socket to decide.
bool anotherCopyHoldsTheClaim(const QString& path, int& claim)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
        claim = fd;
        return false;
    }
    const int error = errno;
    ::close(fd);
    return error == EWOULDBLOCK;
}

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
        std::fprintf(stderr, "Could not ask the running program to reopen: %s\n", qPrintable(socket.errorString()));
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

TruneSingleInstance::~TruneSingleInstance()
{
    // The socket goes first: a launch that finds the claim free must not reach this copy.
    m_server.close();
    releaseRunningClaim();
}

QString TruneSingleInstance::serverPath()
{
    return runtimeFolder() + QLatin1Char('/') + TruneBundle::main().bundleIdentifier() + u".instance"_s;
}

TruneSingleInstance::Role TruneSingleInstance::claim()
{
    const QString path = serverPath();
    if (const std::optional<TruneFileError> failure = TrunePrivateFolder::ensure(QFileInfo(path).path())) {
        std::fprintf(stderr, "Later launches cannot find this one: %s\n", qPrintable(failure->description()));
        return Role::primary;
    }
    const ClaimLock lock(path + u".lock"_s);
    if (anotherCopyHoldsTheClaim(path + u".running"_s, m_runningClaim)) {
        if (!askRunningInstanceToReopen(path))
            std::fprintf(stderr, "The running program did not answer; this launch steps aside.\n");
        return Role::secondary;
    }
    // A copy that runs without holding the claim, started by an earlier version, still answers here.
    if (askRunningInstanceToReopen(path)) {
        releaseRunningClaim();
        return Role::secondary;
    }
    QLocalServer::removeServer(path);
    if (!m_server.listen(path)) {
        std::fprintf(stderr, "Later launches cannot reach this one: %s\n", qPrintable(m_server.errorString()));
    }
    return Role::primary;
}

void TruneSingleInstance::releaseRunningClaim()
{
    if (m_runningClaim >= 0)
        ::close(std::exchange(m_runningClaim, -1));
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
