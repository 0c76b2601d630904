#pragma once

#include "core/records/HomebrewItem.h"

#include <vector>

// The installed formulae and casks as `brew info --installed` lists them, in Homebrew's order.
struct HomebrewInstalledSnapshot {
    std::vector<HomebrewItem> formulae;
    std::vector<HomebrewItem> casks;

    bool operator==(const HomebrewInstalledSnapshot&) const = default;
};
