#pragma once

#include "core/records/HomebrewItem.h"

#include <QLocale>

#include <vector>

// The order in which Homebrew lists are shown: outdated items first, then by name under the
// locale's case-insensitive collation. Stable: items whose names compare the same keep their
// order, so a formula listed before a cask of the same name stays before it.
void sortHomebrewItemsCanonically(std::vector<HomebrewItem>& items, const QLocale& locale = QLocale());
