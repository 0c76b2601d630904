#include "core/homebrew/HomebrewBatchUpgrader.h"

#include "tests/core/homebrew/HomebrewTestItems.h"
#include "tests/core/homebrew/InstalledFakeBrew.h"
#include "tests/core/homebrew/OutputTranscript.h"
#include "tests/support/RecordBuilders.h"
#include "tests/support/TempHome.h"
#include "tests/support/TextsOf.h"

#include <gtest/gtest.h>

#include <future>
#include <memory>
#include <optional>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

using HomebrewBatchUpgrader::buildPlan;
using HomebrewBatchUpgrader::execute;

// The upgrader works on outdated packages: unless a test says otherwise, each is at 1.0 with 1.1 out.
HomebrewItemBuilder outdatedItem(const QString& name)
{
    return HomebrewItemBuilder(name).outdated().installedVersion(u"1.0"_s).latestVersion(u"1.1"_s);
}

QStringList names(const std::vector<HomebrewItem>& items)
{
    return textsOf(items, &HomebrewItem::name);
}

QStringList displayCommands(const std::vector<HomebrewBatchUpgradeStep>& plan)
{
    return textsOf(plan, &HomebrewBatchUpgradeStep::displayCommand);
}

HomebrewCommandError brewFailure(const QString& message)
{
    return HomebrewServiceError::commandFailed(1, message);
}

// Runs the steps without brew: each step's outcome comes from `outcomes` by its index, success
// when there is none. Records the steps it ran.
struct ScriptedExecutor {
    std::map<int, std::function<HomebrewService::CommandResult(const HomebrewService::Cancellation&)>> outcomes;
    std::vector<int> ran;

    HomebrewBatchUpgrader::Executor executor()
    {
        return [this](const HomebrewBatchUpgradeStep& step, const HomebrewService::Cancellation& cancellation,
                   const HomebrewService::OutputHandler& onOutput) -> HomebrewService::CommandResult {
            ran.push_back(step.index);
            if (onOutput)
                onOutput((u"output of "_s + step.item.name + u'\n').toUtf8());
            const auto outcome = outcomes.find(step.index);
            if (outcome == outcomes.end())
                return {};
            return outcome->second(cancellation);
        };
    }
};

// What the callbacks of a run saw, as one list of events.
struct RunLog {
    QStringList events;
    OutputTranscript transcript;

    HomebrewBatchUpgrader::StepStartHandler onStart()
    {
        return [this](const HomebrewBatchUpgradeStep& step) { events << u"start "_s + step.item.name; };
    }
    HomebrewBatchUpgrader::StepCompleteHandler onComplete()
    {
        return [this](const HomebrewBatchUpgradeStep& step, const std::optional<HomebrewCommandError>& error) {
            events << (error ? u"failed "_s + step.item.name + u": "_s + error->description()
                             : u"done "_s + step.item.name);
        };
    }
};

TEST(HomebrewBatchPlanTest, PlansEachOutdatedPackageOnceInKindAndNameOrder)
{
    const std::vector<HomebrewItem> items = {
        outdatedItem(u"Zed"_s).cask().build(),
        outdatedItem(u"wget"_s).build(),
        outdatedItem(u"WGET"_s).build(),                                               // same package
        outdatedItem(u"wget"_s).cask().build(),                                        // a cask is another package
        outdatedItem(u"openssl@3"_s).installedOnRequest(false).build(),                // only a dependency
        outdatedItem(u"pkgconf"_s).installed(false).installedOnRequest(false).build(), // not installed
        outdatedItem(u"current"_s).outdated(false).build(),
        outdatedItem(u"dep-cask"_s).cask().installedOnRequest(false).build(),
        outdatedItem(u"Apple-tool \n"_s).build(),
        outdatedItem(u"bad name"_s).build(),
        outdatedItem(u"-v"_s).build(),
        outdatedItem(QString(129, u'x')).build(),
        outdatedItem(u"../evil"_s).build(),
        outdatedItem(u"alpha"_s).cask().build(),
    };

    const auto plan = buildPlan(items, false);
    EXPECT_EQ(displayCommands(plan),
        (QStringList{u"brew upgrade Apple-tool"_s, u"brew upgrade pkgconf"_s, u"brew upgrade wget"_s,
            u"brew upgrade --cask alpha"_s, u"brew upgrade --cask dep-cask"_s, u"brew upgrade --cask wget"_s,
            u"brew upgrade --cask Zed"_s}));
    ASSERT_EQ(plan.size(), 7u);
    for (size_t index = 0; index < plan.size(); ++index) {
        EXPECT_EQ(plan[index].index, int(index) + 1);
        EXPECT_EQ(plan[index].total, 7);
    }
    EXPECT_EQ(plan[0].item, items[8]); // the item as given, its name untrimmed
    EXPECT_EQ(plan[0].commandArguments, (QStringList{u"upgrade"_s, u"Apple-tool"_s}));
    EXPECT_EQ(plan[2].item, items[1]); // the first of the two spellings
    EXPECT_EQ(plan[3].commandArguments, (QStringList{u"upgrade"_s, u"--cask"_s, u"alpha"_s}));

    const auto withDependencies = buildPlan(items, true);
    EXPECT_EQ(withDependencies.size(), 8u);
    EXPECT_EQ(withDependencies[1].displayCommand, u"brew upgrade openssl@3"_s);
}

TEST(HomebrewBatchUpgraderTest, GoesOnAfterFailuresAndReportsEachStep)
{
    const TempHome home;
    TruneLanguage::setCurrent(TruneLanguage::en);
    ScriptedExecutor scripted;
    scripted.outcomes[1] = [](const auto&) { return std::unexpected(brewFailure(u"Error: No such keg\n"_s)); };
    scripted.outcomes[3] = [](const auto&) { return std::unexpected(brewFailure(QString())); };
    RunLog log;
    const std::vector<HomebrewItem> items = {
        HomebrewItemBuilder(u"alpha"_s).outdated().installedVersion(u"1.0"_s).latestVersion(u"1.1"_s).build(),
        HomebrewItemBuilder(u"beta"_s).outdated().latestVersion(u"2.0"_s).build(),
        HomebrewItemBuilder(u"example-app"_s).cask().outdated().installedVersion(u"3.0"_s).build(),
    };

    const auto report = execute(
        items, false, nullptr, log.onStart(), log.onComplete(), log.transcript.handler(), scripted.executor());

    ASSERT_TRUE(report);
    EXPECT_EQ(names(report->succeeded), QStringList{u"beta"_s});
    ASSERT_EQ(report->failed.size(), 2u);
    EXPECT_EQ(report->failed[0], (HomebrewBatchFailure{items[0], u"Error: No such keg"_s}));
    EXPECT_EQ(report->failed[1], (HomebrewBatchFailure{items[2], u"Homebrew exited with status 1."_s}));
    EXPECT_TRUE(report->skippedDueToCancellation.empty());
    EXPECT_FALSE(report->wasCancelled);
    EXPECT_EQ(report->totalAttempted(), 3);
    EXPECT_FALSE(report->isFullSuccess());
    EXPECT_EQ(log.events,
        (QStringList{u"start alpha"_s, u"failed alpha: Error: No such keg"_s, u"start beta"_s, u"done beta"_s,
            u"start example-app"_s, u"failed example-app: Homebrew exited with status 1."_s}));
    EXPECT_EQ(log.transcript.text(),
        u"\n==> [1/3] brew upgrade alpha (1.0 \u2192 1.1)\n"
        u"output of alpha\n"
        u"\u26A0\uFE0F Failed alpha: Error: No such keg\n"
        u"\n==> [2/3] brew upgrade beta\n"
        u"output of beta\n"
        u"\n==> [3/3] brew upgrade --cask example-app\n"
        u"output of example-app\n"
        u"\u26A0\uFE0F Failed example-app: Homebrew exited with status 1.\n"_s);
}

TEST(HomebrewBatchUpgraderTest, ATokenCancelledBeforehandSkipsEverythingQuietly)
{
    const auto token = std::make_shared<TruneProcessCancellation>();
    token->cancel();
    ScriptedExecutor scripted;
    RunLog log;

    const auto report = execute({outdatedItem(u"b"_s).build(), outdatedItem(u"a"_s).build()}, false, token,
        log.onStart(), log.onComplete(), log.transcript.handler(), scripted.executor());

    ASSERT_TRUE(report);
    EXPECT_EQ(names(report->skippedDueToCancellation), (QStringList{u"a"_s, u"b"_s}));
    EXPECT_TRUE(report->succeeded.empty());
    EXPECT_TRUE(report->failed.empty());
    EXPECT_TRUE(report->wasCancelled);
    EXPECT_FALSE(report->isFullSuccess());
    EXPECT_TRUE(scripted.ran.empty());
    EXPECT_TRUE(log.events.isEmpty());
    EXPECT_TRUE(log.transcript.pieces().isEmpty());
}

TEST(HomebrewBatchUpgraderTest, CancellingDuringAStepSkipsItAndTheRest)
{
    const std::vector<HomebrewItem> items = {outdatedItem(u"a"_s).build(), outdatedItem(u"b"_s).build(),
        outdatedItem(u"c"_s).build(), outdatedItem(u"d"_s).build()};
    struct Case {
        const char* label;
        bool stepTwoFinishes;
        QStringList succeeded;
        QStringList skipped;
    };
    const Case cases[] = {
        {"the brew of step 2 is stopped", false, {u"a"_s}, {u"b"_s, u"c"_s, u"d"_s}},
        {"step 2 finishes anyway", true, {u"a"_s, u"b"_s}, {u"c"_s, u"d"_s}},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        const auto token = std::make_shared<TruneProcessCancellation>();
        ScriptedExecutor scripted;
        scripted.outcomes[2]
            = [&](const HomebrewService::Cancellation& cancellation) -> HomebrewService::CommandResult {
            cancellation->cancel();
            if (row.stepTwoFinishes)
                return {};
            return std::unexpected(TruneProcessRunError{TruneProcessError::cancelled()});
        };
        RunLog log;

        const auto report = execute(
            items, false, token, log.onStart(), log.onComplete(), log.transcript.handler(), scripted.executor());

        ASSERT_TRUE(report);
        EXPECT_EQ(names(report->succeeded), row.succeeded);
        EXPECT_EQ(names(report->skippedDueToCancellation), row.skipped);
        EXPECT_TRUE(report->failed.empty());
        EXPECT_TRUE(report->wasCancelled);
        EXPECT_EQ(scripted.ran, (std::vector<int>{1, 2}));
        // A step ended by cancellation is neither completed nor reported as failed.
        EXPECT_EQ(log.events.count(u"done b"_s), row.stepTwoFinishes ? 1 : 0);
        EXPECT_FALSE(log.transcript.text().contains(u"Failed"_s));
    }
}

TEST(HomebrewBatchUpgraderTest, AnEmptyPlanNeverLooksForBrew)
{
    const NoBrewAnywhere noBrew;
    const auto token = std::make_shared<TruneProcessCancellation>();
    const std::vector<HomebrewItem> nothingToDo = {outdatedItem(u"current"_s).outdated(false).build()};

    const auto report = execute(nothingToDo, false);
    ASSERT_TRUE(report);
    EXPECT_EQ(*report, HomebrewBatchUpgradeReport{});
    EXPECT_TRUE(report->isFullSuccess());

    token->cancel();
    const auto cancelled = execute({}, false, token);
    ASSERT_TRUE(cancelled);
    EXPECT_TRUE(cancelled->wasCancelled);
}

TEST(HomebrewBatchUpgraderTest, WithoutBrewTheRunFailsBeforeAnyStep)
{
    const NoBrewAnywhere noBrew;
    RunLog log;
    const auto report = execute(
        {outdatedItem(u"wget"_s).build()}, false, nullptr, log.onStart(), log.onComplete(), log.transcript.handler());
    ASSERT_FALSE(report);
    EXPECT_EQ(report.error(), HomebrewServiceError::brewNotInstalled());
    EXPECT_TRUE(log.events.isEmpty());
    EXPECT_TRUE(log.transcript.pieces().isEmpty());
}

TEST(HomebrewBatchUpgraderTest, TheDefaultExecutorUpgradesEachPackageWithBrew)
{
    const TempHome home;
    TruneLanguage::setCurrent(TruneLanguage::en);
    qunsetenv("HOMEBREW_NO_AUTO_UPDATE");
    InstalledFakeBrew brew;
    brew.fake.respond({u"upgrade"_s, u"wget"_s}, {.stdoutPieces = {"==> Upgrading wget\n"}});
    brew.fake.respond({u"upgrade"_s, u"--cask"_s, u"firefox"_s},
        {.stderr = "Error: It seems there is already an App at '/Applications/Firefox.app'.\n", .exitCode = 1});
    OutputTranscript transcript;

    const auto report = execute({outdatedItem(u"firefox"_s).cask().build(), outdatedItem(u" wget "_s).build()}, false,
        nullptr, {}, {}, transcript.handler());

    ASSERT_TRUE(report);
    EXPECT_EQ(names(report->succeeded), QStringList{u" wget "_s});
    ASSERT_EQ(report->failed.size(), 1u);
    EXPECT_EQ(
        report->failed[0].errorMessage, u"Error: It seems there is already an App at '/Applications/Firefox.app'."_s);
    const auto runs = brew.fake.runs();
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].arguments, (QStringList{u"upgrade"_s, u"wget"_s}));
    EXPECT_EQ(runs[1].arguments, (QStringList{u"upgrade"_s, u"--cask"_s, u"firefox"_s}));
    for (const FakeBrew::Run& run : runs) {
        EXPECT_EQ(run.environment.value(u"HOMEBREW_NO_ENV_HINTS"_s), u"1"_s);
        EXPECT_EQ(run.environment.value(u"HOMEBREW_NO_AUTO_UPDATE"_s), u"1"_s);
    }
    EXPECT_EQ(transcript.text(),
        u"\n==> [1/2] brew upgrade wget (1.0 \u2192 1.1)\n"
        u"==> Upgrading wget\n"
        u"\n==> [2/2] brew upgrade --cask firefox (1.0 \u2192 1.1)\n"
        u"Error: It seems there is already an App at '/Applications/Firefox.app'.\n"
        u"\u26A0\uFE0F Failed firefox: Error: It seems there is already an App at '/Applications/Firefox.app'.\n"_s);
}

TEST(HomebrewBatchUpgraderTest, CancellingStopsTheRunningBrew)
{
    InstalledFakeBrew brew;
    brew.fake.respond({u"upgrade"_s, u"slow"_s}, {.stdoutPieces = {"==> Pouring slow"}, .sleepBeforeExit = 60});
    const auto token = std::make_shared<TruneProcessCancellation>();
    OutputTranscript transcript;

    auto running = std::async(std::launch::async, [&] {
        return execute(
            {outdatedItem(u"fast"_s).build(), outdatedItem(u"slow"_s).build(), outdatedItem(u"tail"_s).build()}, false,
            token, {}, {}, transcript.handler());
    });
    ASSERT_TRUE(transcript.waitForText(u"==> Pouring slow"_s));
    token->cancel();
    const auto report = running.get();

    ASSERT_TRUE(report);
    EXPECT_EQ(names(report->succeeded), QStringList{u"fast"_s});
    EXPECT_EQ(names(report->skippedDueToCancellation), (QStringList{u"slow"_s, u"tail"_s}));
    EXPECT_TRUE(report->failed.empty());
    EXPECT_TRUE(report->wasCancelled);
    EXPECT_EQ(brew.fake.runs().size(), 2u);
}

} // namespace
