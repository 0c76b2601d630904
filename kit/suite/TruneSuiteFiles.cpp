#include "kit/suite/TruneSuiteFiles.h"

#include "kit/foundation/TrunePrivateFolder.h"
#include "kit/platform/TruneSafeFile.h"

#include <QFile>
#include <QFileInfo>

#include <unistd.h>

namespace TruneSuiteFiles {

std::optional<QByteArray> read(const QString& path)
{
    // In a folder another user may write to, anything could have been put in place of a record.
    if (!TrunePrivateFolder::isPrivate(QFileInfo(path).absolutePath()))
        return std::nullopt;
    auto bytes = TruneSafeFile::readOwnRegularFile(path, maxFileBytes);
    if (!bytes)
        return std::nullopt;
    return std::move(*bytes);
}

std::optional<QByteArray> readForeign(const QString& path)
{
    auto bytes = TruneSafeFile::readRegularFile(path, maxFileBytes);
    if (!bytes)
        return std::nullopt;
    return std::move(*bytes);
}

bool ensureFolder(const QString& folder)
{
    return !TrunePrivateFolder::ensure(folder).has_value();
}

bool write(const QString& path, const QByteArray& bytes)
{
    return TruneSafeFile::writeAtomically(path, bytes, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
}

void remove(const QString& path)
{
    ::unlink(QFile::encodeName(path).constData());
}

} // namespace TruneSuiteFiles
