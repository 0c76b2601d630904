#pragma once

#include "core/homebrew/HomebrewService.h"
#include "tests/support/FakeBrew.h"

#include <QTemporaryDir>

#include <optional>

// A fake brew that HomebrewService finds first for the life of the object, through its own folder
// so that tests running side by side never share one.
struct InstalledFakeBrew {
    InstalledFakeBrew() { HomebrewService::overrideSearchBundle(TruneBundle({}, fake.folder())); }
    ~InstalledFakeBrew() { HomebrewService::overrideSearchBundle(std::nullopt); }
    InstalledFakeBrew(const InstalledFakeBrew&) = delete;
    InstalledFakeBrew& operator=(const InstalledFakeBrew&) = delete;

    FakeBrew fake;
};

// No brew anywhere for the life of the object: brew is looked for only in an empty folder of its
// own, not in the system folders nor along PATH, whatever this machine has installed.
struct NoBrewAnywhere {
    NoBrewAnywhere()
    {
        HomebrewService::overrideSearchBundle(TruneBundle({}, emptyFolder.path()));
        HomebrewService::overrideSearchFolders(QStringList{});
    }
    ~NoBrewAnywhere()
    {
        HomebrewService::overrideSearchFolders(std::nullopt);
        HomebrewService::overrideSearchBundle(std::nullopt);
    }
    NoBrewAnywhere(const NoBrewAnywhere&) = delete;
    NoBrewAnywhere& operator=(const NoBrewAnywhere&) = delete;

    QTemporaryDir emptyFolder;
};
