#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QString>

#include <expected>
#include <optional>

// Why a guarded read refused or failed.
struct TruneSafeFileError {
    enum class Kind {
        notFound,       // nothing at the path
        symbolicLink,   // the last path component is a symbolic link
        notRegularFile, // a directory, FIFO, socket or device
        tooLarge,       // more bytes than the caller allows
        otherOwner,     // a file of another user where only this user's own are read
        unreadable,     // any other failure of open, stat or read
    };

    Kind kind = Kind::unreadable;
    QString path;
    QString reason; // English, for logs

    // "<reason>: <path>"
    QString description() const;

    bool operator==(const TruneSafeFileError&) const = default;
};

// Reads files that may belong to a hostile bundle. The last path component is never followed
// when it is a symbolic link, and only regular files are read: a FIFO, socket or device is refused
// without blocking on it, and no read takes more bytes than the caller allows.
// Writes replace a file whole or not at all.
namespace TruneSafeFile {

// The whole file; refused when it holds more than `maxBytes` bytes.
std::expected<QByteArray, TruneSafeFileError> readRegularFile(const QString& path, qint64 maxBytes);

// As readRegularFile, and only a file this user owns: in a folder others could write to, a file
// of theirs is refused.
std::expected<QByteArray, TruneSafeFileError> readOwnRegularFile(const QString& path, qint64 maxBytes);

// As readRegularFile, for a file the user chose themselves: a symbolic link is followed, as long
// as it leads to a regular file (a FIFO or device behind it is still refused without blocking).
std::expected<QByteArray, TruneSafeFileError> readChosenFile(const QString& path, qint64 maxBytes);

// The first `count` bytes of the file, or all of it when it is shorter.
std::expected<QByteArray, TruneSafeFileError> readPrefix(const QString& path, qint64 count);

// Puts a file holding exactly `bytes` at `path` in one rename; true when that happened. On any
// failure (no room, no permission, no folder) the file that was there stays as it was.
// With `permissions` the new file has exactly those, whatever the file it replaces had.
bool writeAtomically(
    const QString& path, const QByteArray& bytes, std::optional<QFileDevice::Permissions> permissions = std::nullopt);

} // namespace TruneSafeFile
