#pragma once

#include "core/homebrew/HomebrewService.h"
#include "core/records/HomebrewItem.h"

#include <QLocale>
#include <QString>
#include <QStringList>

#include <expected>
#include <functional>
#include <optional>
#include <vector>

// One planned upgrade command.
struct HomebrewBatchUpgradeStep {
    HomebrewItem item;            // the package, as given
    int index = 0;                // position in the plan, from 1
    int total = 0;                // number of steps in the plan
    QStringList commandArguments; // "upgrade", ["--cask",] the trimmed name
    QString displayCommand;       // "brew " + the arguments joined with spaces

    bool operator==(const HomebrewBatchUpgradeStep&) const = default;
};

// One failed step.
struct HomebrewBatchFailure {
    HomebrewItem item;
    QString errorMessage; // the error's description in the interface language

    bool operator==(const HomebrewBatchFailure&) const = default;
};

// What one batch run did. Every list is in plan order.
struct HomebrewBatchUpgradeReport {
    std::vector<HomebrewItem> succeeded;
    std::vector<HomebrewBatchFailure> failed;
    // Items of the steps not run, or cut short, because the run was cancelled.
    std::vector<HomebrewItem> skippedDueToCancellation;
    bool wasCancelled = false;

    qsizetype totalAttempted() const { return qsizetype(succeeded.size() + failed.size()); }
    bool isFullSuccess() const { return !wasCancelled && failed.empty(); }

    bool operator==(const HomebrewBatchUpgradeReport&) const = default;
};

// Upgrades outdated Homebrew packages one after another, one upgrade command each, so that one
// failing package does not hold back the others. Keeps no state between calls.
namespace HomebrewBatchUpgrader {

using StepStartHandler = std::function<void(const HomebrewBatchUpgradeStep& step)>;
// `error` is nullopt for a step that succeeded.
using StepCompleteHandler
    = std::function<void(const HomebrewBatchUpgradeStep& step, const std::optional<HomebrewCommandError>& error)>;
// Runs one step to its end.
using Executor = std::function<HomebrewService::CommandResult(const HomebrewBatchUpgradeStep& step,
    const HomebrewService::Cancellation& cancellation, const HomebrewService::OutputHandler& onOutput)>;

// The outdated items worth upgrading, each once, formulae before casks, by name within a kind.
// Casks, items not installed and formulae installed on request qualify; a formula installed
// only as a dependency of another qualifies with `includeDependencies`. Items whose trimmed name
// is no valid package token, and later items with the same package key, are left out silently.
std::vector<HomebrewBatchUpgradeStep> buildPlan(
    const std::vector<HomebrewItem>& items, bool includeDependencies, const QLocale& locale = QLocale());

// Runs the plan of `items` step by step on the calling thread (it blocks: call it from a worker
// thread). Each step started is announced to `onStepStart`, then a header line goes to
// `onOutput`; a finished step goes to `onStepComplete`, and a failed one adds a failure line to
// `onOutput` and the run goes on. A cancelled token, seen before a step or as the reason a step
// ended, stops the run: that step and all later ones are reported as skipped. Without an
// `executor` each step runs "brew upgrade" with hints and automatic index updates off; then a
// missing brew fails the whole run before any step (an empty plan never looks for it).
std::expected<HomebrewBatchUpgradeReport, HomebrewServiceError> execute(const std::vector<HomebrewItem>& items,
    bool includeDependencies, const HomebrewService::Cancellation& cancellation = nullptr,
    const StepStartHandler& onStepStart = {}, const StepCompleteHandler& onStepComplete = {},
    const HomebrewService::OutputHandler& onOutput = {}, const Executor& executor = {});

} // namespace HomebrewBatchUpgrader
