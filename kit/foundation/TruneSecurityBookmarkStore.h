#pragma once

#include "kit/foundation/TruneBookmarkError.h"
#include "kit/foundation/TruneSecurityScope.h"
#include "kit/platform/TruneUserDefaults.h"

#include <QByteArray>
#include <QMap>
#include <QString>
#include <QUrl>

#include <expected>
#include <mutex>
#include <type_traits>
#include <vector>

// Remembers files and folders the user granted access to, as bookmarks in the user defaults: one
// dictionary under `storageKey` from each location's standardized path to its bookmark data. A
// stored value of any other shape counts as an empty dictionary. The store keeps no copy: every
// operation reads the defaults afresh, so stores with different keys can share one domain. Saves
// and removals through one store are serialized; two stores with the same key are not
// coordinated.
class TruneSecurityBookmarkStore final {
public:
    TruneSecurityBookmarkStore(QString storageKey, TruneUserDefaults defaults);

    // Creates the URL's bookmark and stores it under the URL's standardized path, replacing an
    // older one. Nothing is written when the bookmark cannot be created.
    std::expected<void, TruneBookmarkError> saveBookmark(const QUrl& url);

    // The stored bookmarks that still resolve, ordered by path (Unicode code points of the
    // NFC form, as text comparison orders them). Entries that do not resolve stay stored.
    // Does not start access.
    std::vector<QUrl> resolveAllBookmarks() const;

    // Removes the entry stored under exactly this path (not standardized again).
    void removeBookmark(const QString& path);

    // Runs `body` with access to the URL started, stopping it afterwards if the start succeeded;
    // the body runs also when the start is refused. Returns what the body returns, so a body that
    // fails with a std::expected error passes that error on.
    template <typename Body> std::invoke_result_t<Body&> withScopedAccess(const QUrl& url, Body&& body) const
    {
        const TruneSecurityScope::Access access(url);
        return body();
    }

private:
    using Bookmarks = QMap<QString, QByteArray>;

    // Both are called with m_lock held.
    Bookmarks readBookmarks() const;
    void writeBookmarks(const Bookmarks& bookmarks) const;

    QString m_storageKey;
    TruneUserDefaults m_defaults;
    mutable std::mutex m_lock;
};
