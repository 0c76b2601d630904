#include "core/inventory/FastDirectorySizeReader.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QHash>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <expected>
#include <limits>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace FastDirectorySizeReader {

namespace {

// Directories 0 to 128 levels below the root are read; deeper ones are not counted.
constexpr int kMaximumDepth = 128;
constexpr qsizetype kMaximumCacheEntries = 4096;
// Never follow a link, never leak the descriptor into a child process, never block on a
// hostile special file that took a directory's place.
constexpr int kDirectoryOpenFlags = O_RDONLY | O_NOFOLLOW | O_DIRECTORY | O_CLOEXEC | O_NONBLOCK;

struct ModTimeSignature {
    qint64 seconds = 0;
    qint64 nanoseconds = 0;

    friend auto operator<=>(const ModTimeSignature&, const ModTimeSignature&) = default;
};

struct CacheEntry {
    qint64 modTimeSeconds = 0;
    qint64 modTimeNanoseconds = 0;
    qint64 sizeBytes = 0;
};

// The process-wide size cache. Its lock is held for one dictionary operation only, never while
// measuring.
class SizeCache final {
public:
    static SizeCache& shared()
    {
        static SizeCache cache;
        return cache;
    }

    std::optional<qint64> lookup(const QString& path, ModTimeSignature signature) const
    {
        std::lock_guard lock(m_mutex);
        const auto found = m_entries.constFind(path);
        if (found == m_entries.cend() || found->modTimeSeconds != signature.seconds
            || found->modTimeNanoseconds != signature.nanoseconds)
            return std::nullopt;
        return found->sizeBytes;
    }

    // Bounded by clearing whole when a new path would exceed the limit, rather than tracking use.
    void store(const QString& path, ModTimeSignature signature, qint64 sizeBytes)
    {
        std::lock_guard lock(m_mutex);
        if (m_entries.size() >= kMaximumCacheEntries && !m_entries.contains(path))
            m_entries.clear();
        m_entries.insert(path, CacheEntry{signature.seconds, signature.nanoseconds, sizeBytes});
    }

    void remove(const QString& path)
    {
        std::lock_guard lock(m_mutex);
        m_entries.remove(path);
    }

    void clear()
    {
        std::lock_guard lock(m_mutex);
        m_entries.clear();
    }

    int count() const
    {
        std::lock_guard lock(m_mutex);
        return static_cast<int>(m_entries.size());
    }

private:
    mutable std::mutex m_mutex;
    QHash<QString, CacheEntry> m_entries;
};

struct DirectoryCloser {
    void operator()(DIR* directory) const { closedir(directory); }
};
using DirectoryStream = std::unique_ptr<DIR, DirectoryCloser>;

QString canonicalPath(const QString& path)
{
    if (path.isEmpty())
        return {};
    return QDir::cleanPath(QDir::isAbsolutePath(path) ? path : QDir::current().absoluteFilePath(path));
}

// Totals stop at the largest value instead of wrapping; real volumes never get there.
void addSaturating(qint64& total, qint64 bytes)
{
    if (__builtin_add_overflow(total, bytes, &total))
        total = std::numeric_limits<qint64>::max();
}

qint64 allocatedBytes(const struct stat& info)
{
    return fileAllocatedBytes(static_cast<qint64>(info.st_blocks), static_cast<qint64>(info.st_size));
}

ModTimeSignature modificationTime(const struct stat& info)
{
    return {static_cast<qint64>(info.st_mtim.tv_sec), static_cast<qint64>(info.st_mtim.tv_nsec)};
}

// A bundle is rewritten as a whole by installers and updaters, so the latest change of its
// folder, its Contents folder and its Info.plist stands for the whole tree.
ModTimeSignature modificationSignature(const QString& path, const struct stat& rootStat, bool isDirectory)
{
    ModTimeSignature signature = modificationTime(rootStat);
    if (!isDirectory || !path.endsWith(QLatin1String(".app"), Qt::CaseInsensitive))
        return signature;
    for (const QLatin1String inner : {QLatin1String("/Contents"), QLatin1String("/Contents/Info.plist")}) {
        struct stat info { };
        if (lstat(QFile::encodeName(path + inner).constData(), &info) == 0)
            signature = std::max(signature, modificationTime(info));
    }
    return signature;
}

// The directory `name` relative to `parentFd` (or an absolute path with AT_FDCWD), or errno.
std::expected<DirectoryStream, int> openDirectory(int parentFd, const char* name)
{
    const int fd = openat(parentFd, name, kDirectoryOpenFlags);
    if (fd < 0)
        return std::unexpected(errno);
    DIR* directory = fdopendir(fd);
    if (!directory) {
        const int error = errno;
        close(fd);
        return std::unexpected(error);
    }
    return DirectoryStream(directory);
}

bool isDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

// Adds a regular file's allocated size to `totalBytes` and collects subdirectory names; links,
// pipes, sockets and devices count nothing and are never opened. The directory's own type from
// the listing saves a stat; files need one for their block count.
void countEntry(int directoryFd, const dirent& entry, qint64& totalBytes, std::vector<std::string>& subdirectories)
{
    if (isDotOrDotDot(entry.d_name))
        return;
    if (entry.d_type == DT_DIR) {
        subdirectories.emplace_back(entry.d_name);
        return;
    }
    if (entry.d_type != DT_REG && entry.d_type != DT_UNKNOWN)
        return;
    struct stat info { };
    if (fstatat(directoryFd, entry.d_name, &info, AT_SYMLINK_NOFOLLOW) != 0)
        return; // gone or unreadable since the listing: passed over
    if (S_ISREG(info.st_mode))
        addSaturating(totalBytes, allocatedBytes(info));
    else if (S_ISDIR(info.st_mode))
        subdirectories.emplace_back(entry.d_name);
}

bool isUnsupportedListingError(int error)
{
    return error == EINVAL || error == ENOTSUP || error == EOPNOTSUPP;
}

// Reads one directory and, recursively, its subdirectories. Returns false only when the root's
// listing turns out to be unsupported; errors below the root end that directory's listing and
// keep what was counted, and subdirectories that cannot be opened are skipped.
bool walkDirectory(DIR* directory, int depth, qint64& totalBytes)
{
    const int directoryFd = dirfd(directory);
    std::vector<std::string> subdirectories;
    bool readEntries = false;
    for (;;) {
        errno = 0;
        const dirent* entry = readdir(directory);
        if (entry) {
            readEntries = true;
            countEntry(directoryFd, *entry, totalBytes, subdirectories);
            continue;
        }
        const int error = errno;
        if (error == 0)
            break;
        if (error == EINTR)
            continue;
        if (depth == 0 && !readEntries && isUnsupportedListingError(error))
            return false;
        break;
    }
    if (depth >= kMaximumDepth)
        return true;
    // Subdirectories are opened after the listing, so one descriptor per level is open at a time.
    for (const std::string& name : subdirectories) {
        if (auto child = openDirectory(directoryFd, name.c_str()))
            walkDirectory(child->get(), depth + 1, totalBytes);
    }
    return true;
}

// The tree size through the descriptor walk; empty when the fallback has to be used.
std::optional<qint64> fastDirectoryAllocatedSize(const QByteArray& encodedPath)
{
    auto root = openDirectory(AT_FDCWD, encodedPath.constData());
    if (!root) {
        if (root.error() == EACCES)
            return 0;
        return std::nullopt;
    }
    qint64 totalBytes = 0;
    if (!walkDirectory(root->get(), 0, totalBytes))
        return std::nullopt;
    return totalBytes;
}

// A plain enumeration for the cases the descriptor walk cannot take, such as a directory that
// turned into something else between the first look and the open. Unreadable items are passed
// over.
qint64 fallbackAllocatedSize(const QString& path)
{
    struct stat info { };
    if (lstat(QFile::encodeName(path).constData(), &info) == 0) {
        if (S_ISLNK(info.st_mode))
            return 0;
        if (S_ISREG(info.st_mode))
            return allocatedBytes(info);
    }
    qint64 totalBytes = 0;
    // Without FollowSymlinks the iterator does not descend into linked directories.
    QDirIterator items(path, QDir::Files | QDir::Hidden | QDir::NoSymLinks, QDirIterator::Subdirectories);
    while (items.hasNext()) {
        struct stat item { };
        if (lstat(QFile::encodeName(items.next()).constData(), &item) == 0 && S_ISREG(item.st_mode))
            addSaturating(totalBytes, allocatedBytes(item));
    }
    return totalBytes;
}

qint64 measure(const QString& path, const QByteArray& encodedPath, const struct stat& info)
{
    if (S_ISREG(info.st_mode))
        return allocatedBytes(info);
    if (S_ISDIR(info.st_mode)) {
        if (const auto size = fastDirectoryAllocatedSize(encodedPath))
            return *size;
        return fallbackAllocatedSize(path);
    }
    return 0; // devices, pipes and sockets occupy no data blocks of their own
}

} // namespace

qint64 fileAllocatedBytes(qint64 blocks, qint64 logicalSize)
{
    if (blocks <= 0)
        return std::max(logicalSize, qint64{0});
    qint64 bytes = 0;
    if (__builtin_mul_overflow(blocks, qint64{512}, &bytes))
        return std::numeric_limits<qint64>::max();
    return bytes;
}

qint64 allocatedSize(const QString& path, bool useCache)
{
    const QString canonical = canonicalPath(path);
    if (canonical.isEmpty())
        return 0;
    const QByteArray encodedPath = QFile::encodeName(canonical);
    struct stat info { };
    if (lstat(encodedPath.constData(), &info) != 0 || S_ISLNK(info.st_mode))
        return 0;
    const ModTimeSignature signature = modificationSignature(canonical, info, S_ISDIR(info.st_mode));
    SizeCache& cache = SizeCache::shared();
    if (useCache) {
        if (const auto cached = cache.lookup(canonical, signature))
            return *cached;
    }
    const qint64 size = measure(canonical, encodedPath, info);
    if (useCache)
        cache.store(canonical, signature, size);
    return size;
}

std::optional<qint64> cachedSize(const QString& path)
{
    const QString canonical = canonicalPath(path);
    if (canonical.isEmpty())
        return std::nullopt;
    struct stat info { };
    if (lstat(QFile::encodeName(canonical).constData(), &info) != 0 || S_ISLNK(info.st_mode))
        return std::nullopt;
    return SizeCache::shared().lookup(canonical, modificationSignature(canonical, info, S_ISDIR(info.st_mode)));
}

void invalidateCache(const QString& path)
{
    const QString canonical = canonicalPath(path);
    if (!canonical.isEmpty())
        SizeCache::shared().remove(canonical);
}

void clearCache()
{
    SizeCache::shared().clear();
}

int cacheCount()
{
    return SizeCache::shared().count();
}

} // namespace FastDirectorySizeReader
