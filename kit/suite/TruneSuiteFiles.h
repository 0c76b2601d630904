#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// The files of the suite buses hold task titles, track names and commands, and any app of the
// user may write them: folders are private (0700) and files 0600, written whole or not at all,
// and a read takes only a regular file of reasonable size, never following a link or waiting on
// a FIFO.
namespace TruneSuiteFiles {

// More than any suite record needs; a larger file is refused without reading it.
inline constexpr qint64 maxFileBytes = 1024 * 1024;

// The file's bytes; nothing when it is missing, not a regular file, a link or too large, not
// this user's own, or in a folder that is not private.
std::optional<QByteArray> read(const QString& path);

// A sibling app's own file outside the bus folders (its settings): read with the same guards
// (regular file, no link, no waiting on a FIFO, at most maxFileBytes) but wherever it lies.
std::optional<QByteArray> readForeign(const QString& path);

// Makes `folder` (and the folders above it) private; false when it cannot be made or is not a
// private folder of this user.
bool ensureFolder(const QString& folder);

// Replaces the file at `path` atomically with `bytes`, readable by its owner only.
bool write(const QString& path, const QByteArray& bytes);

// Removes the file at `path` if there is one; folders are left alone.
void remove(const QString& path);

} // namespace TruneSuiteFiles
