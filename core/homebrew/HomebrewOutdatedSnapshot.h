#pragma once

#include <QString>
#include <QStringList>

#include <vector>

// One package that `brew outdated` lists.
struct HomebrewOutdatedEntry {
    QString name; // formula name or cask token as Homebrew prints it
    bool isCask = false;
    QStringList installedVersions; // in Homebrew's order
    QString currentVersion;        // the version an upgrade would bring; may be empty
    bool isPinned = false;         // never true for a cask

    bool operator==(const HomebrewOutdatedEntry&) const = default;
};

struct HomebrewOutdatedSnapshot {
    std::vector<HomebrewOutdatedEntry> formulae;
    std::vector<HomebrewOutdatedEntry> casks;

    bool operator==(const HomebrewOutdatedSnapshot&) const = default;
};
