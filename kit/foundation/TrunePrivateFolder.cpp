#include "kit/foundation/TrunePrivateFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr mode_t privateMode = 0700;
constexpr mode_t othersAccess = 0077;

bool isDirectory(const QByteArray& path)
{
    struct stat status { };
    return ::stat(path.constData(), &status) == 0 && S_ISDIR(status.st_mode);
}

// Closes the descriptor on every way out.
class FolderDescriptor final {
public:
    explicit FolderDescriptor(const QByteArray& path)
        : m_fd(::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC))
    {
    }
    ~FolderDescriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    FolderDescriptor(const FolderDescriptor&) = delete;
    FolderDescriptor& operator=(const FolderDescriptor&) = delete;

    int get() const { return m_fd; }

private:
    int m_fd;
};

} // namespace

namespace TrunePrivateFolder {

std::optional<TruneFileError> makePath(const QString& path)
{
    const QString clean = QDir::cleanPath(path);
    const QByteArray native = QFile::encodeName(clean);
    if (native.isEmpty())
        return TruneFileError::fromErrno(path, ENOENT);
    if (isDirectory(native))
        return std::nullopt;
    const QString parent = QFileInfo(clean).path();
    if (parent != clean) {
        if (std::optional<TruneFileError> failure = makePath(parent))
            return TruneFileError::fromErrno(path, failure->code);
    }
    if (::mkdir(native.constData(), privateMode) != 0 && errno != EEXIST)
        return TruneFileError::fromErrno(path, errno);
    if (!isDirectory(native))
        return TruneFileError::fromErrno(path, ENOTDIR);
    return std::nullopt;
}

bool isPrivate(const QString& path)
{
    struct stat status { };
    return QDir::isAbsolutePath(path) && ::lstat(QFile::encodeName(path).constData(), &status) == 0
        && S_ISDIR(status.st_mode) && status.st_uid == ::geteuid() && (status.st_mode & othersAccess) == 0;
}

std::optional<TruneFileError> ensure(const QString& path)
{
    if (std::optional<TruneFileError> failure = makePath(path))
        return failure;
    // Checked and narrowed through one descriptor, so the folder cannot be swapped in between.
    const FolderDescriptor folder(QFile::encodeName(QDir::cleanPath(path)));
    if (folder.get() < 0)
        return TruneFileError::fromErrno(path, errno); // ENOTDIR for a link
    struct stat status { };
    if (::fstat(folder.get(), &status) != 0)
        return TruneFileError::fromErrno(path, errno);
    if (status.st_uid != ::geteuid())
        return TruneFileError::fromErrno(path, EPERM);
    if ((status.st_mode & othersAccess) != 0 && ::fchmod(folder.get(), privateMode) != 0)
        return TruneFileError::fromErrno(path, errno);
    return std::nullopt;
}

} // namespace TrunePrivateFolder
