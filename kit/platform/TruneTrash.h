#pragma once

#include <QString>

#include <expected>

// Why an item was not moved to the Trash. Nothing was changed at the item's path then.
struct TruneTrashError {
    enum class Kind {
        notFound,         // nothing at the path
        crossDevice,      // the item is on another file system than the Trash
        trashUnavailable, // the Trash folders could not be made or written to, or are not the user's own
        alreadyInTrash,   // the item lies in the Trash already
        moveFailed,       // any other failure of the move itself
    };

    Kind kind = Kind::moveFailed;
    QString path;
    int code = 0;   // errno, 0 when there is none
    QString reason; // English, independent of the user's locale

    // "<reason>: <path>"
    QString description() const;

    bool operator==(const TruneTrashError&) const = default;
};

// The user's Trash. Items are only ever renamed into it: nothing is copied and nothing deleted,
// so an item that cannot be renamed there (another file system) stays where it is.
//
// It is the per-user Trash that the desktop's file manager shows: a folder of the trashed items
// and, where the system keeps one, a record per item of its original path and the time of
// deletion, so that the item can be put back. Its folders are used only while they are real
// folders that belong to the user and that nobody else may write to; otherwise the Trash is
// unavailable. Anything that lies in the Trash already is not moved again, as that would only
// rename it there and separate it from its record.
namespace TruneTrash {

// The folder that holds the trashed items themselves ("~/.Trash" on macOS). Made, with the
// folders above it, when missing (mode 0700), so that it can be watched before anything was
// trashed.
QString filesDirectory();

// Moves the item at `path` into the Trash and returns its path there. A symbolic link is moved
// itself, never its target. When the Trash holds that name already, the item is given the next
// free one of "Name 2.ext", "Name 3.ext" ... ("Name 2" for a name without an extension); a name
// too long for the Trash's records is shortened there, keeping its extension.
std::expected<QString, TruneTrashError> trashItem(const QString& path);

// Whether the item at `path` lies in the Trash (or is the Trash itself); the folders on the way
// are resolved, the item itself is not.
bool liesInTrash(const QString& path);

} // namespace TruneTrash
