#include "kit/platform/TruneDesktopServices.h"

#include "kit/platform/TruneDesktopServicesSystem.h"

#include <QDir>
#include <QFileInfo>

namespace {

// A relative URL would reach the opener as a bare word, which it could take for an option.
bool isOpenable(const QUrl& url)
{
    return url.isValid() && !url.isRelative();
}

} // namespace

namespace TruneDesktopServices {

bool openUrl(const QUrl& url)
{
    return isOpenable(url) && system::open(url);
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
    return system::reveal(absolutePath);
}

} // namespace TruneDesktopServices
