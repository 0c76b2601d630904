#include "kit/platform/TruneDesktopServices.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>

#if !defined(Q_OS_MACOS)
#include <QDBusConnection>
#include <QDBusMessage>
#endif

namespace {

// A relative URL would reach the opener as a bare word, which it could take for an option.
bool isOpenable(const QUrl& url)
{
    return url.isValid() && !url.isRelative();
}

#if defined(Q_OS_MACOS)

bool launchOpen(const QStringList& arguments)
{
    return QProcess::startDetached(QStringLiteral("/usr/bin/open"), arguments);
}

#else

// Long enough for a file manager that D-Bus starts on demand, short enough not to freeze the
// caller when none answers.
constexpr int showItemsTimeoutMs = 2000;

// The freedesktop.org file-manager interface: selects the item in a file-manager window.
bool showItemInFileManager(const QString& absolutePath)
{
    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected())
        return false;
    QDBusMessage call = QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.FileManager1"),
                                                       QStringLiteral("/org/freedesktop/FileManager1"),
                                                       QStringLiteral("org.freedesktop.FileManager1"),
                                                       QStringLiteral("ShowItems"));
    call << QStringList{QUrl::fromLocalFile(absolutePath).toString(QUrl::FullyEncoded)} << QString();
    const QDBusMessage reply = bus.call(call, QDBus::Block, showItemsTimeoutMs);
    return reply.type() == QDBusMessage::ReplyMessage;
}

#endif

} // namespace

namespace TruneDesktopServices {

bool openUrl(const QUrl& url)
{
    if (!isOpenable(url))
        return false;
#if defined(Q_OS_MACOS)
    return launchOpen({url.isLocalFile() ? url.toLocalFile() : url.toString(QUrl::FullyEncoded)});
#else
    return QProcess::startDetached(QStringLiteral("xdg-open"), {url.toString(QUrl::FullyEncoded)});
#endif
}

bool revealInFileManager(const QString& path)
{
    if (path.isEmpty())
        return false;
    // Cleaned so that "Foo.app/" names the bundle itself and its parent is the folder holding it.
    const QString absolutePath = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    const QFileInfo item(absolutePath);
    if (!item.exists() && !item.isSymLink())
        return false;
#if defined(Q_OS_MACOS)
    return launchOpen({QStringLiteral("-R"), absolutePath});
#else
    if (showItemInFileManager(absolutePath))
        return true;
    // No file manager took the request: open the folder holding the item. An app bundle or a
    // leftover folder is then seen among its neighbours, as a selection would show it.
    return openUrl(QUrl::fromLocalFile(item.absolutePath()));
#endif
}

} // namespace TruneDesktopServices
