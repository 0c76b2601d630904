#pragma once

#include "kit/platform/TruneBundle.h"

#include <QString>
#include <QStringList>

#include <optional>

// Finds a command-line tool by name.
namespace TruneBinaryLocator {

// Whether the search goes on past the places a caller names.
enum class Reach {
    everywhere,
    // Only the bundle and the extra directories: no system folder, no PATH.
    givenPlacesOnly,
};

// The path of the first candidate that is a regular file the current user may execute (a
// symbolic link counts by its target), trying in order: the bundle's resources "bin" folder and
// the resources folder itself, each of `extraSearchDirectories`, then, reaching everywhere,
// "/opt/homebrew/bin", "/usr/local/bin", "/usr/bin", "/bin" and each non-empty entry of our PATH.
std::optional<QString> locate(const QString& name, const TruneBundle& bundle, const QStringList& extraSearchDirectories,
    Reach reach = Reach::everywhere);

} // namespace TruneBinaryLocator
