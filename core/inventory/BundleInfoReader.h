#pragma once

#include <QString>
#include <QVariantMap>

#include <optional>

// Reads the Info.plist of an app bundle, which may be hostile: only a regular file (not a link to
// one), opened without blocking and read only when it is no larger than any real Info.plist is.
namespace BundleInfoReader {

inline constexpr qint64 kInfoPlistSizeLimit = 8 * 1024 * 1024;

// The dictionary of <bundle>/Contents/Info.plist, XML or binary; empty when the file is missing,
// unreadable, too large, malformed or holds no dictionary at its top level.
QVariantMap readInfoDictionary(const QString& bundlePath);

// The value stored under `key` when it is text; numbers, dates and other types count as absent.
std::optional<QString> stringValue(const QVariantMap& info, const QString& key);

} // namespace BundleInfoReader
