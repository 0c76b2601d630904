#include "tests/support/StandInTrayHost.h"

#include "tests/support/PrivateSessionBus.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVariant>

#include <cerrno>
#include <cstdio>

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

// Ends the watcher with the program.
class WatcherProcess final {
public:
    ~WatcherProcess()
    {
        if (pid <= 0)
            return;
        ::kill(pid, SIGTERM);
        while (::waitpid(pid, nullptr, 0) < 0 && errno == EINTR) { }
    }

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
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, fds[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, fds[0]);
    const QByteArray program = watcherProgram.toLocal8Bit();
    char* const argv[] = {const_cast<char*>(program.constData()), nullptr};
    const int spawned = posix_spawn(&watcherProcess().pid, program.constData(), &actions, nullptr, argv, environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    const bool ready = spawned == 0 && readReadyLine(fds[0]);
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
