#pragma once

#include <QByteArray>
#include <QString>

#include <vector>

// Homebrew as the demo home shows it: a shell script standing in for `brew` that answers from
// package files of its own and changes them as a real brew would. `info --json=v2 --installed`
// and `outdated --json=v2` print the installed and outdated packages, an upgrade makes a package
// current, install and uninstall add and remove packages, `search` finds names among the known
// packages, and every action prints its progress line by line, slowly enough to be watched.
//
// The packages are those of the Homebrew fixtures of the tests (formulae with a dependency and a
// pinned one, casks that installed apps of the home), plus a few that can be found and installed.
namespace DemoBrew {

// An installed app that a cask put there: its Info.plist is replaced by `upgradedInfoPlist` when
// the cask is upgraded, so the app shows its new version.
struct CaskApp {
    QString token;
    QString infoPlistPath;
    QByteArray upgradedInfoPlist;
};

struct Options {
    // The folder to fill: the script goes to "<folder>/bin/brew", its packages to "<folder>/state".
    QString folder;
    std::vector<CaskApp> caskApps = {};
    // Seconds between the lines of an action's output.
    double linePause = 0.35;
};

// Writes the script and its packages; returns the script's path.
QString write(const Options& options);

} // namespace DemoBrew
