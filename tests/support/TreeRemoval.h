#pragma once

#include <QString>

#include <functional>

// Removes a folder and everything below it without ever following a symbolic link, even one that
// something swaps in for a folder while the removal runs: each folder is opened relative to its
// parent's open descriptor with O_NOFOLLOW, and its entries are removed relative to its own, so
// nothing outside the tree can be reached. A link is removed as a link.
namespace TreeRemoval {

// `beforeEntering` (for tests) runs with the path of each folder just before it is opened.
// True when nothing is left at `path`.
bool removeTree(const QString& path, const std::function<void(const QString& folder)>& beforeEntering = {});

} // namespace TreeRemoval
