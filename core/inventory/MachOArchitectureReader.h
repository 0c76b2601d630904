#pragma once

#include "core/records/InstalledAppRecord.h"

#include <QByteArrayView>
#include <QString>
#include <QVariantMap>

// Tells for which processors an app's main executable is built by reading only the start of the
// file: the header of a single-architecture Mach-O file or the architecture table of a universal
// one. The executable is never loaded or run. Nothing throws: whatever cannot be opened, read or
// recognised gives AppArchitecture::unknown. All functions may be called from any thread.
namespace MachOArchitectureReader {

// At most this many leading bytes of a file are read; a full architecture table (64 entries of
// 32 bytes after the 8-byte header) always fits.
inline constexpr qsizetype kHeaderReadLimit = 4096;

// The bundle's main executable: the file its Info.plist names under "CFBundleExecutable" in
// Contents/MacOS; when that gives nothing, the first file of Contents/MacOS (in name order,
// hidden ones skipped) that gives a result.
AppArchitecture detectAppBundle(const QString& bundlePath);
// The same, with the bundle's Info.plist already read into `info`.
AppArchitecture detectAppBundle(const QString& bundlePath, const QVariantMap& info);

// Only a regular file is read, without following a final symbolic link and without blocking.
AppArchitecture detectExecutable(const QString& executablePath);

// The architecture told by the leading bytes of a file.
AppArchitecture detectFromData(QByteArrayView leadingBytes);

} // namespace MachOArchitectureReader
