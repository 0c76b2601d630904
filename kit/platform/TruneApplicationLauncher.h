#pragma once

#include <QString>

// Starts an installed application bundle as a process of its own that outlives the caller.
namespace TruneApplicationLauncher {

struct Options {
    bool activates = true; // whether the started application should come to the front
};

// Runs the bundle's executable (Contents/MacOS/<CFBundleExecutable> of its Info.plist). False
// when the bundle names no executable, the name is not a plain file name, the file is not a
// regular executable file, or it could not be started.
bool launch(const QString& bundlePath, const Options& options = {});

// The executable that launch() would run; empty when there is none it would accept.
QString executablePath(const QString& bundlePath);

} // namespace TruneApplicationLauncher
