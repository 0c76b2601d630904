#pragma once

#include <QString>

#include <expected>

// Why the workspace could not do what was asked, in both interface languages: the platform layer
// sits below the language lookup, so the caller picks the text. A text the system itself gave
// is the same in both.
struct TruneWorkspaceError {
    enum class Kind {
        appStoreUnavailable, // this system has no App Store
        appsNotLaunchable,   // this system cannot start a macOS application
        launchFailed,        // the system refused to start the application
    };

    Kind kind = Kind::launchFailed;
    QString english;
    QString turkish;

    bool operator==(const TruneWorkspaceError&) const = default;
};

// The workspace services that exist only where the program's own system provides them: the
// App Store and starting a macOS application bundle. Elsewhere each fails at once with a clear
// error, so that callers keep one road and show what went wrong.
namespace TruneWorkspace {

using Result = std::expected<void, TruneWorkspaceError>;

// Hands the App Store's updates page to the desktop.
Result openAppStoreUpdatesPage();

// Starts the application bundle at `bundlePath`; does not wait for it.
Result launchApplication(const QString& bundlePath);

} // namespace TruneWorkspace
