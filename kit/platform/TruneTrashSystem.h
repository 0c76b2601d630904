#pragma once

#include "kit/platform/TruneTrash.h"

#include <QString>

#include <expected>

// The part of the Trash that each system provides, on which TruneTrash builds its checks. Only
// the Trash's own sources include this header.
namespace TruneTrashSystem {

// The folder that holds everything the Trash keeps: its items and what it records about them.
QString trashFolder();

// Moves the item at `original`, an absolute, clean path at which something exists and which
// does not lie in the Trash, into the Trash and returns its path there.
std::expected<QString, TruneTrashError> moveIntoTrash(const QString& original);

// An error of `kind` for the item at `path`, explained by the system's text for `errorNumber`.
TruneTrashError failure(TruneTrashError::Kind kind, const QString& path, int errorNumber);

} // namespace TruneTrashSystem
