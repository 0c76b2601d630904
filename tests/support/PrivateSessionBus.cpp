#include "tests/support/PrivateSessionBus.h"

#include "tests/support/ChildProcess.h"

#include <QDeadlineTimer>
#include <QFile>
#include <QStandardPaths>

#include <cerrno>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr int startTimeoutMs = 20000;

// No service directories: nothing on this bus is started on demand.
QByteArray busConfiguration(const QString& socketFolder)
{
    return "<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
           " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
           "<busconfig>\n"
           "  <type>session</type>\n"
           "  <listen>unix:dir="
        + QFile::encodeName(socketFolder)
        + "</listen>\n"
          "  <auth>EXTERNAL</auth>\n"
          "  <policy context=\"default\">\n"
          "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
          "    <allow eavesdrop=\"true\"/>\n"
          "    <allow own=\"*\"/>\n"
          "  </policy>\n"
          "</busconfig>\n";
}

bool writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// The first line the descriptor delivers, without its end; empty when none came in time.
QByteArray firstLine(int descriptor, const QDeadlineTimer& deadline)
{
    QByteArray text;
    while (!text.contains('\n') && !deadline.hasExpired()) {
        pollfd readable{descriptor, POLLIN, 0};
        const int ready = ::poll(&readable, 1, int(deadline.remainingTime()));
        if (ready < 0 && errno == EINTR)
            continue;
        if (ready <= 0)
            break;
        char buffer[256];
        const ssize_t count = ::read(descriptor, buffer, sizeof buffer);
        if (count <= 0)
            break;
        text.append(buffer, count);
    }
    return text.contains('\n') ? text.left(text.indexOf('\n')) : QByteArray();
}

} // namespace

const PrivateSessionBus& PrivateSessionBus::instance()
{
    static const PrivateSessionBus bus;
    return bus;
}

PrivateSessionBus::PrivateSessionBus()
{
    if (m_dir.isValid())
        start();
    else
        m_failure = u"no temporary folder for the private session bus"_s;
    const QByteArray nowhere = "unix:path=" + QFile::encodeName(m_dir.path()) + "/no-bus";
    qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.isEmpty() ? nowhere : m_address.toUtf8());
}

PrivateSessionBus::~PrivateSessionBus()
{
    endHelperProcess(m_pid);
}

void PrivateSessionBus::start()
{
    const QString daemon = QStandardPaths::findExecutable(u"dbus-daemon"_s);
    const QString config = m_dir.filePath(u"bus.conf"_s);
    if (daemon.isEmpty()) {
        m_failure = u"dbus-daemon is not installed"_s;
        return;
    }
    if (!writeFile(config, busConfiguration(m_dir.path()))) {
        m_failure = u"cannot write the bus configuration"_s;
        return;
    }
    const int log = ::open(
        QFile::encodeName(m_dir.filePath(u"bus.log"_s)).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    int addressPipe[2];
    if (log < 0 || ::pipe2(addressPipe, O_CLOEXEC) != 0) {
        m_failure = u"cannot make the pipes for dbus-daemon"_s;
        if (log >= 0)
            ::close(log);
        return;
    }
    m_pid = spawnHelperProcess({QFile::encodeName(daemon).toStdString(), "--nofork",
                                   "--config-file=" + QFile::encodeName(config).toStdString(), "--print-address=1"},
        addressPipe[1], log);
    ::close(addressPipe[1]);
    ::close(log);
    m_address = QString::fromUtf8(firstLine(addressPipe[0], QDeadlineTimer(startTimeoutMs))).trimmed();
    ::close(addressPipe[0]);
    if (m_address.isEmpty())
        m_failure = u"dbus-daemon did not start: "_s + logText();
}

// What the daemon wrote, for a failure message.
QString PrivateSessionBus::logText() const
{
    QFile log(m_dir.filePath(u"bus.log"_s));
    return log.open(QIODevice::ReadOnly) ? QString::fromUtf8(log.read(4096)).trimmed() : QString();
}
