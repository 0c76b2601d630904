#include "kit/foundation/TruneSecurityScope.h"

#include <QDir>
#include <QFile>
#include <QHash>

#include <cerrno>
#include <mutex>

#include <sys/stat.h>

namespace {

// Bookmark data is this marker followed by the standardized path in the file-name encoding.
constexpr QByteArrayView bookmarkMarker("TruneBookmark/1\n");

// 0 when something exists at the path (a symbolic link itself counts), else the errno value.
int lookUp(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    // A NUL would end the name early and look up another path.
    if (name.contains('\0'))
        return EINVAL;
    struct stat status { };
    return ::lstat(name.constData(), &status) == 0 ? 0 : errno;
}

struct AccessCounts {
    std::mutex lock;
    QHash<QString, int> byPath;
};

AccessCounts& accessCounts()
{
    static AccessCounts counts;
    return counts;
}

} // namespace

QString TruneSecurityScope::standardizedPath(const QUrl& url)
{
    return QDir::cleanPath(QDir::current().absoluteFilePath(url.toLocalFile()));
}

std::expected<QByteArray, TruneBookmarkError> TruneSecurityScope::bookmarkData(const QUrl& url)
{
    if (!url.isLocalFile())
        return std::unexpected(TruneBookmarkError::notAFileURL(url));
    const QString path = standardizedPath(url);
    if (const int error = lookUp(path))
        return std::unexpected(TruneBookmarkError::unreachable(path, error));
    return bookmarkMarker.toByteArray() + QFile::encodeName(path);
}

std::optional<QUrl> TruneSecurityScope::resolveBookmarkData(const QByteArray& data)
{
    if (!data.startsWith(bookmarkMarker))
        return std::nullopt;
    const QString path = QFile::decodeName(data.sliced(bookmarkMarker.size()));
    if (!path.startsWith(QLatin1Char('/')) || lookUp(path) != 0)
        return std::nullopt;
    return QUrl::fromLocalFile(path);
}

bool TruneSecurityScope::startAccessing(const QUrl& url)
{
    if (!url.isLocalFile())
        return false;
    const QString path = standardizedPath(url);
    if (lookUp(path) != 0)
        return false;
    AccessCounts& counts = accessCounts();
    const std::lock_guard guard(counts.lock);
    ++counts.byPath[path];
    return true;
}

void TruneSecurityScope::stopAccessing(const QUrl& url)
{
    if (!url.isLocalFile())
        return;
    AccessCounts& counts = accessCounts();
    const std::lock_guard guard(counts.lock);
    const auto entry = counts.byPath.find(standardizedPath(url));
    if (entry != counts.byPath.end() && --entry.value() == 0)
        counts.byPath.erase(entry);
}

bool TruneSecurityScope::isAccessing(const QUrl& url)
{
    if (!url.isLocalFile())
        return false;
    AccessCounts& counts = accessCounts();
    const std::lock_guard guard(counts.lock);
    return counts.byPath.value(standardizedPath(url)) > 0;
}

TruneSecurityScope::Access::Access(QUrl url)
    : m_url(std::move(url))
    , m_started(startAccessing(m_url))
{
}

TruneSecurityScope::Access::~Access()
{
    if (m_started)
        stopAccessing(m_url);
}
