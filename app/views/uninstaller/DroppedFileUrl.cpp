#include "app/views/uninstaller/DroppedFileUrl.h"

#include <QMimeData>

using namespace Qt::StringLiterals;

namespace {

const QString kUriListType = u"text/uri-list"_s;

// The entries of a URI list: one a line, lines starting with "#" being comments.
QList<QByteArray> entries(const QByteArray& uriList)
{
    QList<QByteArray> found;
    for (const QByteArray& line : uriList.split('\n')) {
        const QByteArray entry = line.trimmed();
        if (!entry.isEmpty() && !entry.startsWith('#'))
            found.append(entry);
    }
    return found;
}

bool hasFileScheme(const QByteArray& entry)
{
    return entry.size() > 5 && entry.first(5).toLower() == "file:";
}

} // namespace

namespace DroppedFileUrl {

std::optional<QByteArray> localFileUriList(const QMimeData& mime)
{
    if (!mime.hasFormat(kUriListType))
        return std::nullopt;
    const QByteArray uriList = mime.data(kUriListType);
    const QList<QByteArray> listed = entries(uriList);
    if (std::ranges::none_of(listed, hasFileScheme))
        return std::nullopt;
    return uriList;
}

std::optional<QUrl> firstLocalFileUrl(const QByteArray& uriList)
{
    for (const QByteArray& entry : entries(uriList)) {
        if (!hasFileScheme(entry))
            continue;
        const QUrl url = QUrl::fromEncoded(entry, QUrl::StrictMode);
        if (url.isValid() && url.isLocalFile() && !url.toLocalFile().isEmpty())
            return url;
    }
    return std::nullopt;
}

} // namespace DroppedFileUrl
