#include "kit/foundation/TruneSecurityBookmarkStore.h"

#include "kit/platform/TruneStableSort.h"

#include <QVariantMap>

#include <algorithm>
#include <utility>

namespace {

struct ResolvedBookmark {
    QList<uint> orderKey; // the path's code points in NFC
    QUrl url;
};

QList<uint> codePointOrderKey(const QString& path)
{
    return path.normalized(QString::NormalizationForm_C).toUcs4();
}

} // namespace

TruneSecurityBookmarkStore::TruneSecurityBookmarkStore(QString storageKey, TruneUserDefaults defaults)
    : m_storageKey(std::move(storageKey))
    , m_defaults(std::move(defaults))
{
}

std::expected<void, TruneBookmarkError> TruneSecurityBookmarkStore::saveBookmark(const QUrl& url)
{
    const auto data = TruneSecurityScope::bookmarkData(url);
    if (!data)
        return std::unexpected(data.error());
    const std::lock_guard guard(m_lock);
    Bookmarks bookmarks = readBookmarks();
    bookmarks.insert(TruneSecurityScope::standardizedPath(url), *data);
    writeBookmarks(bookmarks);
    return {};
}

std::vector<QUrl> TruneSecurityBookmarkStore::resolveAllBookmarks() const
{
    Bookmarks bookmarks;
    {
        const std::lock_guard guard(m_lock);
        bookmarks = readBookmarks();
    }
    std::vector<ResolvedBookmark> resolved;
    for (const QByteArray& data : std::as_const(bookmarks)) {
        if (std::optional<QUrl> url = TruneSecurityScope::resolveBookmarkData(data))
            resolved.push_back({codePointOrderKey(url->toLocalFile()), std::move(*url)});
    }
    truneStableSort(resolved, {}, &ResolvedBookmark::orderKey);
    std::vector<QUrl> urls;
    urls.reserve(resolved.size());
    for (ResolvedBookmark& bookmark : resolved)
        urls.push_back(std::move(bookmark.url));
    return urls;
}

void TruneSecurityBookmarkStore::removeBookmark(const QString& path)
{
    const std::lock_guard guard(m_lock);
    Bookmarks bookmarks = readBookmarks();
    bookmarks.remove(path);
    writeBookmarks(bookmarks);
}

TruneSecurityBookmarkStore::Bookmarks TruneSecurityBookmarkStore::readBookmarks() const
{
    const QVariant stored = m_defaults.value(m_storageKey);
    if (stored.typeId() != QMetaType::QVariantMap)
        return {};
    const QVariantMap entries = stored.toMap();
    Bookmarks bookmarks;
    for (auto entry = entries.cbegin(); entry != entries.cend(); ++entry) {
        // One value of another type makes the whole entry unusable, not just that value.
        if (entry.value().typeId() != QMetaType::QByteArray)
            return {};
        bookmarks.insert(entry.key(), entry.value().toByteArray());
    }
    return bookmarks;
}

void TruneSecurityBookmarkStore::writeBookmarks(const Bookmarks& bookmarks) const
{
    QVariantMap entries;
    for (auto entry = bookmarks.cbegin(); entry != bookmarks.cend(); ++entry)
        entries.insert(entry.key(), entry.value());
    m_defaults.setValue(m_storageKey, entries);
}
