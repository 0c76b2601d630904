#include "kit/platform/TrunePaths.h"

#include <QDir>
#include <QStandardPaths>

namespace TrunePaths {

QString homeDirectory()
{
    return QDir::homePath();
}

QString applicationSupportDirectory()
{
    const QString location = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (!location.isEmpty())
        return location;
    return homeDirectory() + QStringLiteral("/Library/Application Support");
}

QString cachesDirectory()
{
    const QString location = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (!location.isEmpty())
        return location;
    return QDir::tempPath();
}

} // namespace TrunePaths
