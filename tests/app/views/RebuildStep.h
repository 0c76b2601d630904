#pragma once

#include "tests/app/StudioTestHome.h"
#include "tests/app/views/StudioWidgetFacts.h"
#include "tests/support/TestWaits.h"
#include "tests/support/ViewTestHarness.h"
#include "tests/support/VisibleSnapshot.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

// One change a user or the system makes to the view model while a screen is shown. A view hears
// of it only as the fields it names in `changed`: a sync that does not listen to one of them keeps
// showing the old value, and a view built afresh from the state afterwards shows otherwise.
struct RebuildStep {
    std::string name;
    std::function<void()> act;
    // What holds once the step has had its effect; without it, the step is over once the view
    // model's work has ended.
    std::function<bool()> done = {};
    // The step leaves work running on purpose (a command that is still going), so only `done` is
    // waited for.
    bool leavesWorkRunning = false;
};

// Whether `live` shows what `fresh`, a view just built from the same state, shows.
inline ::testing::AssertionResult showsWhatAFreshViewShows(const QWidget& live, const QWidget& fresh)
{
    settle();
    return showTheSame(snapshotOf(live, studioWidgetFacts), snapshotOf(fresh, studioWidgetFacts));
}

// A tab's view built afresh where the studio shows it, compared with the live one.
template <typename View>
::testing::AssertionResult showsWhatAFreshViewShows(const ViewHost<View>& live, const std::function<View*()>& makeView)
{
    const ViewHost<View> fresh(makeView());
    return showsWhatAFreshViewShows(*live.view, *fresh.view);
}

// Runs every step while `live` is shown and, after each, compares it with a view built afresh
// (by `compare`); the first step whose effect never comes ends the run.
inline void runRebuildSteps(
    const std::vector<RebuildStep>& steps, const std::function<::testing::AssertionResult()>& compare)
{
    for (const RebuildStep& step : steps) {
        SCOPED_TRACE("after: " + step.name);
        step.act();
        if (step.done) {
            ASSERT_TRUE(waitUntil(step.done)) << "the step never took effect";
        }
        if (!step.leavesWorkRunning) {
            ASSERT_TRUE(waitForStudioWork());
        }
        settle();
        EXPECT_TRUE(compare());
    }
}
