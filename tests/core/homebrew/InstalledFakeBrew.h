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

// No brew in the program's data folder for the life of the object. Whether one is found anyway
// depends on the machine (a real Homebrew in a system folder): see brewExecutableURL().
struct NoBundledBrew {
    NoBundledBrew() { HomebrewService::overrideSearchBundle(TruneBundle({}, emptyFolder.path())); }
    ~NoBundledBrew() { HomebrewService::overrideSearchBundle(std::nullopt); }
    NoBundledBrew(const NoBundledBrew&) = delete;
    NoBundledBrew& operator=(const NoBundledBrew&) = delete;

    QTemporaryDir emptyFolder;
};
