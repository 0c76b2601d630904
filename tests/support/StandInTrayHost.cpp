#include "tests/support/StandInTrayHost.h"

#include "tests/support/ChildProcess.h"
#include "tests/support/PrivateSessionBus.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <unistd.h>

namespace {

// Ends the watcher with the program.
class WatcherProcess final {
public:
    ~WatcherProcess() { endHelperProcess(pid); }

    pid_t pid = -1;
};

WatcherProcess& watcherProcess()
{
    static WatcherProcess process;
    return process;
}

bool readReadyLine(int fd)
{
    std::string line;
    char c = 0;
    while (true) {
        const ssize_t count = ::read(fd, &c, 1);
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        if (c == '\n')
            return line == "ready";
        line += c;
    }
}

} // namespace

bool startStandInTrayHost(const QString& watcherProgram)
{
    if (PrivateSessionBus::instance().address().isEmpty()) {
        std::fprintf(stderr, "no private session bus: %s\n", qPrintable(PrivateSessionBus::instance().failure()));
        return false;
    }
    int fds[2];
    if (::pipe(fds) != 0)
        return false;
    ::fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    ::fcntl(fds[1], F_SETFD, FD_CLOEXEC);
    watcherProcess().pid = spawnHelperProcess({watcherProgram.toLocal8Bit().toStdString()}, fds[1]);
    ::close(fds[1]);
    const bool ready = watcherProcess().pid > 0 && readReadyLine(fds[0]);
    // Later lines are only for a person reading the watcher's output; nobody reads them here, and
    // the pipe's buffer is far larger than what a test registers.
    if (!ready)
        ::close(fds[0]);
    return ready;
}

QStringList standInTrayItems()
{
    QDBusMessage get = QDBusMessage::createMethodCall(QStringLiteral("org.kde.StatusNotifierWatcher"),
        QStringLiteral("/StatusNotifierWatcher"), QStringLiteral("org.freedesktop.DBus.Properties"),
        QStringLiteral("Get"));
    get << QStringLiteral("org.kde.StatusNotifierWatcher") << QStringLiteral("RegisteredStatusNotifierItems");
    const QDBusMessage reply = QDBusConnection::sessionBus().call(get, QDBus::Block, 5000);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    return reply.arguments().constFirst().value<QDBusVariant>().variant().toStringList();
}
