#include "kit/platform/TruneTrash.h"

#include "kit/platform/TrunePlatform.h"
#include "kit/platform/TruneTrashSystem.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <optional>
#include <utility>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

QString TruneTrashError::description() const
{
    return reason + u": "_s + path;
}

namespace TruneTrashSystem {

TruneTrashError failure(TruneTrashError::Kind kind, const QString& path, int errorNumber)
{
    return {kind, path, errorNumber, TrunePlatform::systemErrorText(errorNumber)};
}

} // namespace TruneTrashSystem

namespace {

using Kind = TruneTrashError::Kind;

QString standardizedPath(const QString& path)
{
    return QDir::cleanPath(QDir::isAbsolutePath(path) ? path : QDir::current().absoluteFilePath(path));
}

// Nothing is asked of the Trash for an item that is not there (a dangling link is there).
std::optional<TruneTrashError> missingItem(const QString& path)
{
    struct stat info { };
    if (::lstat(QFile::encodeName(path).constData(), &info) == 0)
        return std::nullopt;
    const int error = errno;
    return TruneTrashSystem::failure(
        error == ENOENT || error == ENOTDIR ? Kind::notFound : Kind::moveFailed, path, error);
}

} // namespace

namespace TruneTrash {

// Compared with the links on the way resolved, so that no other way to the same place slips by;
// the item itself is not resolved, as a link in the Trash is trashed there.
bool liesInTrash(const QString& path)
{
    const QString original = standardizedPath(path);
    const QString trash = QFileInfo(TruneTrashSystem::trashFolder()).canonicalFilePath();
    const QFileInfo item(original);
    const QString folder = QFileInfo(item.path()).canonicalFilePath();
    if (trash.isEmpty() || folder.isEmpty())
        return false;
    const QString resolved = QDir(folder).filePath(item.fileName());
    return resolved == trash || resolved.startsWith(trash + u'/');
}

std::expected<QString, TruneTrashError> trashItem(const QString& path)
{
    const QString original = standardizedPath(path);
    if (std::optional<TruneTrashError> missing = missingItem(original))
        return std::unexpected(std::move(*missing));
    if (liesInTrash(original))
        return std::unexpected(
            TruneTrashError{Kind::alreadyInTrash, original, 0, u"Items already in the Trash are not moved again"_s});
    return TruneTrashSystem::moveIntoTrash(original);
}

} // namespace TruneTrash
