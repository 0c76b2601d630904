#pragma once

#include <QByteArray>
#include <QUrl>

#include <optional>

class QMimeData;

// Reading the files a drag carries, as a list of URLs ("text/uri-list").
namespace DroppedFileUrl {

// The drag's URL list when it names at least one local file, else nothing. Cheap enough for
// drag events: it looks at the schemes only.
std::optional<QByteArray> localFileUriList(const QMimeData& mime);

// The first local file URL of `uriList`; none when no entry decodes to one. May run on any thread.
std::optional<QUrl> firstLocalFileUrl(const QByteArray& uriList);

} // namespace DroppedFileUrl
