#include "kit/platform/TruneTrash.h"

#include "kit/platform/TruneTrashSystem.h"

#include <QDir>
#include <QFile>

using namespace Qt::StringLiterals;

namespace TruneTrash {

QString filesDirectory()
{
    return QDir::homePath() + u"/.Trash"_s;
}

} // namespace TruneTrash

namespace TruneTrashSystem {

QString trashFolder()
{
    return TruneTrash::filesDirectory();
}

std::expected<QString, TruneTrashError> moveIntoTrash(const QString& original)
{
    QString pathInTrash;
    if (!QFile::moveToTrash(original, &pathInTrash))
        return std::unexpected(TruneTrashError{
            TruneTrashError::Kind::moveFailed, original, 0, u"The item could not be moved to the Trash"_s});
    return pathInTrash;
}

} // namespace TruneTrashSystem
