#pragma once

#include "kit/foundation/TruneBookmarkError.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <expected>
#include <optional>

// Bookmarks of files and folders that the user granted access to, and the scoped access that
// brackets work on them. Outside a sandbox there is nothing to grant: a bookmark records the
// location's standardized path, it resolves while something still exists at that path, and
// access to a location starts while it exists. Starts and stops are counted per path, as the
// system counts them where a sandbox grants access, so every start that succeeded must be
// balanced by exactly one stop.
namespace TruneSecurityScope {

// The URL's absolute path with "." and ".." components, repeated and trailing slashes removed
// (lexically: symbolic links are not followed). Relative paths are taken from the working folder.
QString standardizedPath(const QUrl& url);

// The bookmark data of a file URL whose standardized path exists (a dangling symbolic link counts).
std::expected<QByteArray, TruneBookmarkError> bookmarkData(const QUrl& url);

// The file URL recorded in bookmark data; nothing for data that is no bookmark or whose path no
// longer exists.
std::optional<QUrl> resolveBookmarkData(const QByteArray& data);

// Whether access to the URL started: a file URL whose standardized path exists.
bool startAccessing(const QUrl& url);
// Balances one start that succeeded.
void stopAccessing(const QUrl& url);
// Whether a start of the URL's location is not yet balanced.
bool isAccessing(const QUrl& url);

// Starts access for its lifetime and stops it when it ends, if the start succeeded.
class Access final {
public:
    explicit Access(QUrl url);
    ~Access();
    Access(const Access&) = delete;
    Access& operator=(const Access&) = delete;

    bool started() const { return m_started; }

private:
    QUrl m_url;
    bool m_started = false;
};

} // namespace TruneSecurityScope
