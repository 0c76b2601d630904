#pragma once

#include <QString>
#include <QtGlobal>

#include <optional>

// Measures how much disk space a file or a directory tree occupies: allocated bytes, not logical
// length, fast enough to run over every installed application on each refresh.
//
// Paths are taken lexically: "." and ".." components are removed, symbolic links are not
// resolved, and a relative path is taken from the current directory. Symbolic links are never
// measured or followed; a directory tree is read to 128 levels below its root; every hard link
// met counts its file again. Nothing throws: whatever cannot be measured counts 0.
//
// Results are kept in one process-wide cache keyed by path and validated by modification times
// (for an app bundle, the latest of the bundle folder, its Contents folder and its Info.plist),
// so an unchanged bundle is not walked again. All functions may be called from any thread.
namespace FastDirectorySizeReader {

// The allocated size of the file or tree at `path`, taken from the cache when `useCache` is true
// and the cached entry is still valid; 0 when nothing can be measured. With `useCache` every
// measured result, 0 included, is stored.
qint64 allocatedSize(const QString& path, bool useCache);

// The cached size of `path` if the entry matches the path's current modification times; never
// measures. Empty for an empty or missing path and for a symbolic link.
std::optional<qint64> cachedSize(const QString& path);

// What one regular file counts, from its block count (512-byte units) and its logical size: the
// blocks when there are any, so a sparse file counts only what it occupies; else the logical
// size, because network and FUSE file systems report no blocks for files that do take space.
// Negative figures count 0; a product past the largest value stops there.
qint64 fileAllocatedBytes(qint64 blocks, qint64 logicalSize);

void invalidateCache(const QString& path);
void clearCache();
int cacheCount();

} // namespace FastDirectorySizeReader
