#include "tests/support/TreeRemoval.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int folderFlags = O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC;

using Hook = std::function<void(const QString&)>;

bool removeEntry(int parent, const QByteArray& name, const QString& path, const Hook& beforeEntering);

// Empties the folder open at `fd` (and takes ownership of the descriptor).
bool emptyFolder(int fd, const QString& path, const Hook& beforeEntering)
{
    DIR* folder = ::fdopendir(fd);
    if (folder == nullptr) {
        ::close(fd);
        return false;
    }
    QList<QByteArray> names;
    while (const dirent* entry = ::readdir(folder)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names.append(QByteArray(entry->d_name));
    }
    bool removed = true;
    for (const QByteArray& name : names)
        removed = removeEntry(::dirfd(folder), name, path + u'/' + QFile::decodeName(name), beforeEntering) && removed;
    ::closedir(folder);
    return removed;
}

bool removeEntry(int parent, const QByteArray& name, const QString& path, const Hook& beforeEntering)
{
    if (::unlinkat(parent, name.constData(), 0) == 0 || errno == ENOENT)
        return true;
    if (errno != EISDIR && errno != EPERM)
        return false;
    if (beforeEntering)
        beforeEntering(path);
    const int fd = ::openat(parent, name.constData(), folderFlags);
    if (fd < 0) {
        // Swapped for a link or a file since: removed as what it is now.
        return ::unlinkat(parent, name.constData(), 0) == 0 || errno == ENOENT;
    }
    const bool emptied = emptyFolder(fd, path, beforeEntering);
    return (::unlinkat(parent, name.constData(), AT_REMOVEDIR) == 0 || errno == ENOENT) && emptied;
}

} // namespace

namespace TreeRemoval {

bool removeTree(const QString& path, const std::function<void(const QString& folder)>& beforeEntering)
{
    const QFileInfo tree(path);
    const int parent = ::open(QFile::encodeName(tree.absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (parent < 0)
        return false;
    const bool removed = removeEntry(parent, QFile::encodeName(tree.fileName()), path, beforeEntering);
    ::close(parent);
    return removed;
}

} // namespace TreeRemoval
