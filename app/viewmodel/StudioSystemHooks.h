#pragma once

#include <QDateTime>

#include <chrono>
#include <optional>

// The rules by which the studio's timer and the application's re-activation ask for a refresh,
// kept apart from the view model so they can be checked against a clock of the test's choosing.
namespace StudioSystemHooks {

// The period of the repeating update check for `hours`: none below one hour; otherwise hours in
// milliseconds, held at the longest period a QTimer can count (about 24.8 days) instead of
// wrapping round into a short one.
std::optional<std::chrono::milliseconds> autoCheckInterval(qint64 hours);

// What the view model knows when the application becomes active again.
struct ActivationFacts {
    bool isBrewCommandRunning = false;
    bool isCheckingUpdates = false; // a check is under way, whose answer is as fresh as one now
    QDateTime now;
    std::optional<QDateTime> lastCheckDate;            // none: no check has ever finished
    std::optional<QDateTime> externalUpdateWatchUntil; // end of the watch after an outside update
    bool somethingOutdated = false;                    // an app or a package has an update
};

struct ActivationDecision {
    bool refresh = false;
    bool closeWatchWindow = false;                 // the watch window has passed: clear it now
    bool closeWatchWindowIfAppsAreCurrent = false; // after the refresh, clear it when no app is outdated

    bool operator==(const ActivationDecision&) const = default;
};

// Inside the watch window, a refresh once the last check is at least 5 s old; outside it (an
// expired window is closed), a refresh when something is outdated, no check is under way and the
// last check is at least 30 s old. Nothing at all while a Homebrew command runs.
ActivationDecision decideOnActivation(const ActivationFacts& facts);

} // namespace StudioSystemHooks
