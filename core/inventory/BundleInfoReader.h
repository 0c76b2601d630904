#pragma once

#include "kit/platform/TrunePropertyList.h"

#include <QString>
#include <QVariantMap>

#include <optional>

// Reads the Info.plist of an app bundle, which may be hostile: only a regular file (not a link to
// one), opened without blocking and read only when it is no larger than any real Info.plist is,
// and built only when it unfolds into no more than a real one does.
namespace BundleInfoReader {

inline constexpr qint64 kInfoPlistSizeLimit = 8 * 1024 * 1024;
// Real ones hold a few thousand values at most. The bytes are those of the largest file read, so
// only shared strings and data can exceed them.
inline constexpr TrunePropertyListLimits kInfoPlistLimits{.maxValues = 20'000, .maxBytes = kInfoPlistSizeLimit};

// The dictionary of <bundle>/Contents/Info.plist, XML or binary; empty when the file is missing,
// unreadable, too large, malformed or holds no dictionary at its top level.
QVariantMap readInfoDictionary(const QString& bundlePath);

// The value stored under `key` when it is text; numbers, dates and other types count as absent.
std::optional<QString> stringValue(const QVariantMap& info, const QString& key);

} // namespace BundleInfoReader
