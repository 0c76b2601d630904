#pragma once

#include "kit/foundation/TruneFileError.h"

#include <QString>
#include <QtGlobal>

#include <expected>

// SHA-256 digests of files, as 64 lower-case hexadecimal digits. Both read the file on the
// calling thread and hold no state; a failure to open, read or seek comes back as the
// system's error unchanged.
namespace TruneChecksum {

// The digest of the whole file, read `chunkSize` bytes at a time so that memory stays bounded
// by one chunk whatever the file's size. A non-positive chunk size reads in 64 KiB chunks.
std::expected<QString, TruneFileError> sha256(const QString& path, qint64 chunkSize);

// A cheap fingerprint of a large file: the digest of its size (8 bytes, little-endian), its
// first `sampleBytes` bytes and, when the file is longer than the sample, its last
// `sampleBytes` bytes. Costs the same for any file size; tells files apart by size, head and
// tail only. A negative sample counts as 0 (the size alone).
std::expected<QString, TruneFileError> partialFingerprint(const QString& path, qint64 sampleBytes);

} // namespace TruneChecksum
