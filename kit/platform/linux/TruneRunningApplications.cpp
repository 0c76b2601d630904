#include "kit/platform/TruneRunningApplications.h"

#include "kit/platform/TruneSafeFile.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDir>
#include <QVariantMap>

#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

// An application that takes part in the desktop owns its application identifier as a name on
// the session bus and answers org.freedesktop.Application there. Every other process of the user
// counts by its command name, which is how a program started without the bus is still found.
namespace {

constexpr int activationTimeoutMs = 2000;

std::vector<TruneRunningApplication> busApplications()
{
    std::vector<TruneRunningApplication> applications;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected() || !bus.interface())
        return applications;
    const QStringList names = bus.interface()->registeredServiceNames().value();
    for (const QString& name : names) {
        if (name.startsWith(u':') || name == u"org.freedesktop.DBus"_s)
            continue;
        applications.push_back({name, std::nullopt, 0});
    }
    return applications;
}

std::vector<TruneRunningApplication> processesOfThisUser()
{
    std::vector<TruneRunningApplication> applications;
    const uid_t me = ::getuid();
    const QStringList entries = QDir(u"/proc"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    for (const QString& entry : entries) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (!numeric || pid <= 0)
            continue;
        struct stat status { };
        if (::stat(QFile::encodeName(u"/proc/"_s + entry).constData(), &status) != 0 || status.st_uid != me)
            continue;
        const auto comm = TruneSafeFile::readPrefix(u"/proc/%1/comm"_s.arg(entry), 64);
        if (!comm || comm->trimmed().isEmpty())
            continue;
        applications.push_back({std::nullopt, QString::fromUtf8(comm->trimmed()), pid});
    }
    return applications;
}

// The object path an application exports under its identifier ("org.example.App" ->
// "/org/example/App").
QString objectPath(const QString& identifier)
{
    QString path = u"/"_s + identifier;
    path.replace(u'.', u'/');
    path.replace(u'-', u'_');
    return path;
}

} // namespace

namespace TruneRunningApplications {

std::vector<TruneRunningApplication> list()
{
    std::vector<TruneRunningApplication> applications = busApplications();
    std::vector<TruneRunningApplication> processes = processesOfThisUser();
    applications.insert(applications.end(), processes.begin(), processes.end());
    return applications;
}

bool activate(const TruneRunningApplication& application)
{
    if (!application.bundleIdentifier)
        return false;
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(*application.bundleIdentifier,
        objectPath(*application.bundleIdentifier), u"org.freedesktop.Application"_s, u"Activate"_s);
    call << QVariantMap();
    return bus.call(call, QDBus::Block, activationTimeoutMs).type() == QDBusMessage::ReplyMessage;
}

} // namespace TruneRunningApplications
