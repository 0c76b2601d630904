#include "app/viewmodel/StudioSystemHooks.h"

#include <gtest/gtest.h>

#include <QTimeZone>

#include <limits>

using namespace StudioSystemHooks;
using namespace std::chrono_literals;

namespace {

TEST(StudioSystemHooksTest, AutoCheckIntervalIsWholeHoursHeldWithinWhatATimerCounts)
{
    constexpr std::chrono::milliseconds longest(std::numeric_limits<int>::max());
    const struct {
        qint64 hours;
        std::optional<std::chrono::milliseconds> interval;
    } cases[] = {
        {std::numeric_limits<qint64>::min(), std::nullopt},
        {-1, std::nullopt},
        {0, std::nullopt},
        {1, 3600s},
        {6, 21600s},
        {596, 596h},
        {597, longest},  // 597 h no longer fits in an int of milliseconds
        {1194, longest}, // once a 57-minute timer when truncated
        {std::numeric_limits<qint64>::max() / 3600, longest},
        {std::numeric_limits<qint64>::max(), longest},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.hours);
        EXPECT_EQ(autoCheckInterval(c.hours), c.interval);
    }
}

TEST(StudioSystemHooksTest, ReactivationRefreshesByTheWatchWindowTheAgeOfTheLastCheckAndWhatIsOutdated)
{
    const QDateTime now = QDateTime::fromSecsSinceEpoch(2'000'000'000, QTimeZone::utc());
    const auto ago = [&](qint64 ms) { return std::optional(now.addMSecs(-ms)); };
    const std::optional<QDateTime> open = now.addSecs(1);
    const std::optional<QDateTime> expired = now;
    const std::optional<QDateTime> none;
    const ActivationDecision nothing{};
    const ActivationDecision refresh{.refresh = true};
    const ActivationDecision refreshInWindow{.refresh = true, .closeWatchWindowIfAppsAreCurrent = true};
    const ActivationDecision close{.closeWatchWindow = true};
    const ActivationDecision closeAndRefresh{.refresh = true, .closeWatchWindow = true};

    const struct {
        const char* name;
        bool brew;
        bool checking;
        std::optional<QDateTime> lastCheck;
        std::optional<QDateTime> window;
        bool outdated;
        ActivationDecision expected;
    } cases[] = {
        {"never checked, outdated", false, false, std::nullopt, none, true, refresh},
        {"never checked, all current", false, false, std::nullopt, none, false, nothing},
        {"29.999 s, outdated", false, false, ago(29'999), none, true, nothing},
        {"30 s, outdated", false, false, ago(30'000), none, true, refresh},
        {"an hour, all current", false, false, ago(3'600'000), none, false, nothing},
        {"window, 4.999 s", false, false, ago(4'999), open, false, nothing},
        {"window, 5 s, all current", false, false, ago(5'000), open, false, refreshInWindow},
        {"window, 5 s, outdated", false, false, ago(5'000), open, true, refreshInWindow},
        {"window, never checked", false, false, std::nullopt, open, false, refreshInWindow},
        {"window ends now, all current", false, false, ago(5'000), expired, false, close},
        {"expired window, 30 s, outdated", false, false, ago(30'000), expired, true, closeAndRefresh},
        {"expired window, 10 s, outdated", false, false, ago(10'000), expired, true, close},
        {"brew runs, outdated", true, false, std::nullopt, none, true, nothing},
        {"brew runs, window", true, false, ago(60'000), open, true, nothing},
        {"brew runs, expired window kept", true, false, ago(60'000), expired, true, nothing},
        {"clock set back", false, false, std::optional(now.addSecs(60)), none, true, nothing},
        {"checking, never checked, outdated", false, true, std::nullopt, none, true, nothing},
        {"checking, an hour, outdated", false, true, ago(3'600'000), none, true, nothing},
        {"checking, expired window, 30 s, outdated", false, true, ago(30'000), expired, true, close},
        {"checking, window, 5 s", false, true, ago(5'000), open, false, refreshInWindow},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(decideOnActivation({.isBrewCommandRunning = c.brew,
                      .isCheckingUpdates = c.checking,
                      .now = now,
                      .lastCheckDate = c.lastCheck,
                      .externalUpdateWatchUntil = c.window,
                      .somethingOutdated = c.outdated}),
            c.expected);
    }
}

} // namespace
