// The login item on Linux is an XDG autostart entry,
// $XDG_CONFIG_HOME/autostart/<bundle identifier>.desktop, which the desktop reads at login.

#include "kit/foundation/TruneLaunchAtLogin.h"

#include "kit/foundation/TruneApplicationName.h"
#include "kit/platform/TruneBundle.h"
#include "kit/platform/TruneSafeFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QStandardPaths>
#include <QStringList>

#include <optional>

namespace {

// An autostart entry is a few lines; anything far larger is not one of ours.
constexpr qint64 maxEntryBytes = 64 * 1024;

QString autostartFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/autostart");
}

QString entryPath()
{
    return autostartFolder() + QLatin1Char('/') + TruneBundle::main().bundleIdentifier() + QStringLiteral(".desktop");
}

QString executablePath()
{
    const QString path = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    return path.isEmpty() ? QCoreApplication::applicationFilePath() : path;
}

// A desktop-entry string value: backslashes, line breaks and tabs escaped so that the value stays
// on its one line.
QString escapedValue(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\\': escaped += QStringLiteral("\\\\"); break;
        case u'\n': escaped += QStringLiteral("\\n"); break;
        case u'\t': escaped += QStringLiteral("\\t"); break;
        case u'\r': escaped += QStringLiteral("\\r"); break;
        default: escaped += c;
        }
    }
    return escaped;
}

// The Exec value that starts `program` with no arguments: the path as one double-quoted argument
// (so spaces and shell characters stay part of it), with "%" doubled so that the desktop reads no
// field code into it.
QString execValue(const QString& program)
{
    QString quoted = QStringLiteral("\"");
    for (const QChar c : program) {
        if (c == u'"' || c == u'`' || c == u'$' || c == u'\\')
            quoted += u'\\';
        else if (c == u'%')
            quoted += u'%';
        quoted += c;
    }
    quoted += u'"';
    return escapedValue(quoted);
}

QByteArray entryText()
{
    const QStringList lines{
        QStringLiteral("[Desktop Entry]"),
        QStringLiteral("Type=Application"),
        QStringLiteral("Name=") + escapedValue(truneApplicationName()),
        QStringLiteral("Exec=") + execValue(executablePath()),
    };
    return (lines.join(u'\n') + u'\n').toUtf8();
}

// The keys of the entry's "Desktop Entry" group as written (first occurrence wins), or nothing
// when the file is missing, too large or has no such group.
std::optional<QHash<QString, QString>> desktopEntryKeys(const QString& path)
{
    // isFile() keeps a FIFO planted at the path from blocking the read.
    if (!QFileInfo(path).isFile())
        return std::nullopt;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    const QByteArray bytes = file.read(maxEntryBytes + 1);
    if (bytes.size() > maxEntryBytes)
        return std::nullopt;

    QHash<QString, QString> keys;
    bool inEntryGroup = false;
    bool sawEntryGroup = false;
    for (const QString& rawLine : QString::fromUtf8(bytes).split(u'\n')) {
        const QString line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[')) {
            inEntryGroup = line == QStringLiteral("[Desktop Entry]");
            sawEntryGroup = sawEntryGroup || inEntryGroup;
            continue;
        }
        const qsizetype equals = line.indexOf(u'=');
        if (!inEntryGroup || equals < 0)
            continue;
        const QString key = line.left(equals).trimmed();
        if (!keys.contains(key))
            keys.insert(key, line.mid(equals + 1).trimmed());
    }
    if (!sawEntryGroup)
        return std::nullopt;
    return keys;
}

} // namespace

namespace TruneLaunchAtLogin {

bool isEnabled()
{
    const std::optional<QHash<QString, QString>> keys = desktopEntryKeys(entryPath());
    return keys && keys->value(QStringLiteral("Type")) == QStringLiteral("Application")
           && keys->value(QStringLiteral("Hidden")) != QStringLiteral("true")
           && keys->value(QStringLiteral("X-GNOME-Autostart-enabled")) != QStringLiteral("false")
           && keys->value(QStringLiteral("Exec")) == execValue(executablePath());
}

bool setEnabled(bool enabled)
{
    const QString path = entryPath();
    if (!enabled) {
        const QFileInfo entry(path);
        if (!entry.exists() && !entry.isSymLink())
            return true;
        return QFile::remove(path);
    }
    return QDir().mkpath(autostartFolder()) && TruneSafeFile::writeAtomically(path, entryText());
}

} // namespace TruneLaunchAtLogin
