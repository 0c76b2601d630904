// The login item on Linux is an XDG autostart entry,
// $XDG_CONFIG_HOME/autostart/<bundle identifier>.desktop, which the desktop reads at login. It
// starts the installed program when this process is that program, so the entry names the path the
// install chose (a link in the prefix stays the way in when the files behind it move); a program
// run from its build folder is started by its own absolute path.

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

#include <algorithm>
#include <optional>

namespace {

// An autostart entry is a few lines; anything far larger is not one of ours.
constexpr qint64 maxEntryBytes = 64 * 1024;
// The install's record holds one path.
constexpr qint64 maxRecordBytes = 4096;

QString autostartFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + QStringLiteral("/autostart");
}

QString entryPath(const TruneBundle& runningApp)
{
    return autostartFolder() + QLatin1Char('/') + runningApp.bundleIdentifier() + QStringLiteral(".desktop");
}

QString executablePath()
{
    const QString path = QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath();
    return path.isEmpty() ? QCoreApplication::applicationFilePath() : path;
}

// Where the install put the program, as the install wrote it into the data folder; nothing when
// the program was not installed (its build folder has no such record) or the record is not one
// absolute path.
std::optional<QString> installedProgram(const TruneBundle& runningApp)
{
    const std::optional<QString> record
        = runningApp.pathForResource(QStringLiteral("installed-program"), QStringLiteral("txt"));
    if (!record)
        return std::nullopt;
    const auto bytes = TruneSafeFile::readRegularFile(*record, maxRecordBytes);
    if (!bytes)
        return std::nullopt;
    const QString path = QString::fromUtf8(*bytes).trimmed();
    const bool onePath = QDir::isAbsolutePath(path)
        && std::ranges::none_of(path, [](QChar c) { return c.category() == QChar::Other_Control; });
    return onePath ? std::optional(path) : std::nullopt;
}

// The program the entry starts: the installed program when it leads to this executable, else
// this executable.
QString launchedProgram(const TruneBundle& runningApp)
{
    const QString running = executablePath();
    const std::optional<QString> installed = installedProgram(runningApp);
    if (installed && QFileInfo(*installed).canonicalFilePath() == running)
        return *installed;
    return running;
}

// A desktop-entry string value: backslashes, line breaks and tabs escaped so that the value stays
// on its one line.
QString escapedValue(const QString& text)
{
    QString escaped;
    escaped.reserve(text.size());
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'\\':
            escaped += QStringLiteral("\\\\");
            break;
        case u'\n':
            escaped += QStringLiteral("\\n");
            break;
        case u'\t':
            escaped += QStringLiteral("\\t");
            break;
        case u'\r':
            escaped += QStringLiteral("\\r");
            break;
        default:
            escaped += c;
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

QByteArray entryText(const QString& program)
{
    const QStringList lines{
        QStringLiteral("[Desktop Entry]"),
        QStringLiteral("Type=Application"),
        QStringLiteral("Name=") + escapedValue(truneApplicationName()),
        QStringLiteral("Exec=") + execValue(program),
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

bool isEnabled(const TruneBundle& runningApp)
{
    const std::optional<QHash<QString, QString>> keys = desktopEntryKeys(entryPath(runningApp));
    return keys && keys->value(QStringLiteral("Type")) == QStringLiteral("Application")
        && keys->value(QStringLiteral("Hidden")) != QStringLiteral("true")
        && keys->value(QStringLiteral("X-GNOME-Autostart-enabled")) != QStringLiteral("false")
        && keys->value(QStringLiteral("Exec")) == execValue(launchedProgram(runningApp));
}

bool setEnabled(bool enabled, const TruneBundle& runningApp)
{
    const QString path = entryPath(runningApp);
    if (!enabled) {
        const QFileInfo entry(path);
        if (!entry.exists() && !entry.isSymLink())
            return true;
        return QFile::remove(path);
    }
    return QDir().mkpath(autostartFolder())
        && TruneSafeFile::writeAtomically(path, entryText(launchedProgram(runningApp)));
}

} // namespace TruneLaunchAtLogin
