#pragma once

#include "kit/foundation/TruneFileError.h"

#include <QString>

#include <optional>

// Folders that only their owner may enter (mode 0700), for files no other user may read,
// replace or plant links in.
namespace TrunePrivateFolder {

// Makes `path` and every missing folder above it, each 0700. Folders that exist keep their mode;
// a link to a folder counts as one. A failure names `path`.
std::optional<TruneFileError> makePath(const QString& path);

// Whether `path` is an absolute path naming a folder of this user, not a link, that no one else
// may enter.
bool isPrivate(const QString& path);

// Makes `path` as makePath() does and accepts it only as a folder of this user that is not a
// link; a mode that lets others in is narrowed to 0700.
std::optional<TruneFileError> ensure(const QString& path);

} // namespace TrunePrivateFolder
