#include "kit/foundation/TruneBinaryLocator.h"

#include <QDir>
#include <QFile>

#include <sys/stat.h>
#include <unistd.h>

namespace {

QStringList searchDirectories(
    const TruneBundle& bundle, const QStringList& extraSearchDirectories, TruneBinaryLocator::Reach reach)
{
    QStringList directories;
    if (!bundle.resourcesPath().isEmpty())
        directories << bundle.resourcesPath() + QStringLiteral("/bin") << bundle.resourcesPath();
    directories << extraSearchDirectories;
    if (reach == TruneBinaryLocator::Reach::givenPlacesOnly)
        return directories;
    directories << QStringLiteral("/opt/homebrew/bin") << QStringLiteral("/usr/local/bin") << QStringLiteral("/usr/bin")
                << QStringLiteral("/bin");
    directories << qEnvironmentVariable("PATH").split(QLatin1Char(':'), Qt::SkipEmptyParts);
    return directories;
}

// A directory passes the permission test too, and cannot be started.
bool isExecutableFile(const QString& path)
{
    const QByteArray encoded = QFile::encodeName(path);
    struct stat info { };
    return ::stat(encoded.constData(), &info) == 0 && S_ISREG(info.st_mode) && ::access(encoded.constData(), X_OK) == 0;
}

} // namespace

std::optional<QString> TruneBinaryLocator::locate(
    const QString& name, const TruneBundle& bundle, const QStringList& extraSearchDirectories, Reach reach)
{
    for (const QString& directory : searchDirectories(bundle, extraSearchDirectories, reach)) {
        const QString candidate = QDir::cleanPath(QDir(directory).absoluteFilePath(name));
        if (isExecutableFile(candidate))
            return candidate;
    }
    return std::nullopt;
}
