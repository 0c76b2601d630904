#pragma once

#include <QString>

// Where the user's files live. The Application Support directory is the platform's per-user
// data folder (~/Library/Application Support on macOS, $XDG_DATA_HOME here).
namespace TrunePaths {

QString homeDirectory();

// The first per-user data directory the platform reports; home + "Library/Application Support"
// when it reports none.
QString applicationSupportDirectory();

// The per-user cache directory ($XDG_CACHE_HOME here, ~/Library/Caches on macOS); the temporary
// directory when the platform reports none.
QString cachesDirectory();

} // namespace TrunePaths
