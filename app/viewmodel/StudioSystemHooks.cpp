#include "app/viewmodel/StudioSystemHooks.h"

#include <limits>

namespace StudioSystemHooks {

namespace {

constexpr qint64 kInWindowMinimumAgeMs = 5'000;
constexpr qint64 kOutsideWindowMinimumAgeMs = 30'000;

// Whether the last check lies at least `minimumMs` before now; with no check ever, it does.
bool lastCheckIsAtLeast(const ActivationFacts& facts, qint64 minimumMs)
{
    return !facts.lastCheckDate || facts.lastCheckDate->msecsTo(facts.now) >= minimumMs;
}

} // namespace

std::optional<std::chrono::milliseconds> autoCheckInterval(qint64 hours)
{
    if (hours < 1)
        return std::nullopt;
    // QTimer keeps its interval in an int of milliseconds.
    constexpr qint64 maxMs = std::numeric_limits<int>::max();
    constexpr qint64 msPerHour = 3'600'000;
    if (hours > maxMs / msPerHour)
        return std::chrono::milliseconds(maxMs);
    return std::chrono::milliseconds(hours * msPerHour);
}

ActivationDecision decideOnActivation(const ActivationFacts& facts)
{
    if (facts.isBrewCommandRunning)
        return {};
    const bool hasWindow = facts.externalUpdateWatchUntil.has_value();
    if (hasWindow && facts.now < *facts.externalUpdateWatchUntil) {
        const bool refresh = lastCheckIsAtLeast(facts, kInWindowMinimumAgeMs);
        return {.refresh = refresh, .closeWatchWindow = false, .closeWatchWindowIfAppsAreCurrent = refresh};
    }
    // A check under way, such as the first one while the window comes up, is not asked for again.
    return {.refresh
        = facts.somethingOutdated && !facts.isCheckingUpdates && lastCheckIsAtLeast(facts, kOutsideWindowMinimumAgeMs),
        .closeWatchWindow = hasWindow,
        .closeWatchWindowIfAppsAreCurrent = false};
}

} // namespace StudioSystemHooks
