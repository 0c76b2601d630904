#include "kit/platform/TruneDesktopServicesSystem.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

// Long enough for a file manager that D-Bus starts on demand, short enough not to freeze the
// caller when none answers.
constexpr int showItemsTimeoutMs = 2000;

// The freedesktop.org file-manager interface: selects the item in a file-manager window.
bool showItemInFileManager(const QString& absolutePath)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(u"org.freedesktop.FileManager1"_s,
        u"/org/freedesktop/FileManager1"_s, u"org.freedesktop.FileManager1"_s, u"ShowItems"_s);
    call << QStringList{QUrl::fromLocalFile(absolutePath).toString(QUrl::FullyEncoded)} << QString();
    const QDBusMessage reply = bus.call(call, QDBus::Block, showItemsTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

} // namespace

namespace TruneDesktopServices::system {

bool open(const QUrl& url)
{
    return QProcess::startDetached(u"xdg-open"_s, {url.toString(QUrl::FullyEncoded)});
}

bool reveal(const QString& absolutePath)
{
    if (showItemInFileManager(absolutePath))
        return true;
    // No file manager took the request: open the folder holding the item. An app bundle or a
    // leftover folder is then seen among its neighbours, as a selection would show it.
    return open(QUrl::fromLocalFile(QFileInfo(absolutePath).absolutePath()));
}

} // namespace TruneDesktopServices::system
