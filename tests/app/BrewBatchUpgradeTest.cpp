#include "tests/app/BrewDeskFixture.h"

#include "app/UpdateStudioCommands.h"
#include "app/viewmodel/StudioDerived.h"
#include "tests/support/BundleMaker.h"

using namespace Qt::StringLiterals;

namespace {

FakePackage outdatedFormula(const QString& name)
{
    return {.name = name, .installed = u"1.0"_s, .latest = u"2.0"_s, .outdated = true};
}

QStringList upgrade(const QString& name)
{
    return {u"upgrade"_s, name};
}

QString header(int index, int total, const QString& name)
{
    return u"\n==> [%1/%2] brew upgrade %3 (1.0 → 2.0)\n"_s.arg(index).arg(total).arg(name);
}

} // namespace

class BrewBatchUpgradeTest : public BrewDeskTest {
protected:
    UpdateStudioViewModel& startWith(const std::vector<FakePackage>& packages)
    {
        answerWithPackages(brew.fake, packages);
        UpdateStudioViewModel& started = start();
        started.setLanguage(TruneLanguage::en);
        return started;
    }

    bool isOutdated(const QString& name) const
    {
        for (const HomebrewItem& item : state().homebrewItems) {
            if (item.name == name)
                return item.isOutdated;
        }
        ADD_FAILURE() << "no package " << name.toStdString();
        return false;
    }

    // Whether the command menu offers "Upgrade All Homebrew" now.
    bool upgradeAllIsEnabled()
    {
        const TruneCustomMenu menu = updateStudioCommandMenu(*model);
        return std::get<TruneMenuItem>(menu.elements.at(1).value()).isEnabled();
    }
};

TEST_F(BrewBatchUpgradeTest, UpgradesWhatTheUserAskedForThenCleansUp)
{
    brew.fake.respond({u"cleanup"_s, u"--prune=all"_s}, {.stdoutPieces = {"Pruned\n"}, .sleepBeforeExit = 1});
    saveSettings([](TruneUpdateConfig& config) { config.autoCleanupAfterBrewUpgrade = true; });
    UpdateStudioViewModel& model = startWith({
        {.name = u"alpha-app"_s, .isCask = true, .installed = u"1.0"_s, .latest = u"2.0"_s, .outdated = true},
        outdatedFormula(u"bat"_s),
        {.name = u"libdep"_s, .installed = u"1.0"_s, .latest = u"2.0"_s, .outdated = true, .onRequest = false},
        {.name = u"current-app"_s, .isCask = true, .installed = u"3.0"_s, .latest = u"3.0"_s},
    });

    model.upgradeAllBrew();
    EXPECT_TRUE(state().isBrewCommandRunning);
    EXPECT_EQ(state().activeBrewCommandTitle, u"brew upgrade (2 outdated)"_s);
    EXPECT_EQ(state().batchUpgradeProgress, (BatchUpgradeProgress{1, 2, u"bat"_s}));
    EXPECT_TRUE(state().showBrewConsole);

    ASSERT_TRUE(waitForConsole(u"Pruned\n"_s));
    EXPECT_EQ(state().activeBrewCommandTitle, u"brew cleanup --prune=all"_s);
    ASSERT_TRUE(waitUntilIdle());
    ASSERT_TRUE(waitForHistory(1));

    EXPECT_EQ(state().brewConsoleLog,
        u"\n$ Upgrading 2 outdated Homebrew package(s)...\n"_s + header(1, 2, u"bat"_s)
            + header(2, 2, u"--cask alpha-app"_s)
            + u"\n$ brew cleanup --prune=all (auto)\nPruned\n\n✅ Upgraded all 2 outdated package(s).\n"_s);
    QList<QStringList> arguments;
    for (const FakeBrew::Run& run : commandRuns()) {
        arguments << run.arguments;
        EXPECT_EQ(run.environment.value(u"HOMEBREW_NO_ENV_HINTS"_s), u"1"_s);
        // The batch's own steps never update the index; the cleanup has no index to update.
        EXPECT_EQ(run.environment.value(u"HOMEBREW_NO_AUTO_UPDATE"_s),
            run.arguments.first() == u"upgrade"_s ? u"1"_s : QString());
    }
    EXPECT_EQ(arguments,
        (QList<QStringList>{
            upgrade(u"bat"_s), {u"upgrade"_s, u"--cask"_s, u"alpha-app"_s}, {u"cleanup"_s, u"--prune=all"_s}}));

    const UpdateLogEntry& entry = state().history.front();
    EXPECT_EQ(entry.appName, u"Homebrew Batch (2)"_s);
    EXPECT_EQ(entry.action, UpdateLogAction::brewUpgrade);
    EXPECT_EQ(entry.status, UpdateLogStatus::success);
    EXPECT_EQ(entry.details, u"2 succeeded, 0 failed, 0 skipped"_s);
    EXPECT_FALSE(entry.fromVersion);
    EXPECT_FALSE(entry.toVersion);
    EXPECT_EQ(lastToast(), (Toast{u"Upgraded all 2 outdated Homebrew packages."_s, false}));
    EXPECT_EQ(home.logMessages(TruneLogLevel::info, u"upgrade"_s),
        (QStringList{u"Starting batch Homebrew upgrade for 2 outdated package(s)"_s,
            u"Batch Homebrew upgrade succeeded for all 2 package(s)"_s}));
    EXPECT_FALSE(state().batchUpgradeProgress);
    EXPECT_EQ(state().activeBrewCommandTitle, QString());
}

TEST_F(BrewBatchUpgradeTest, FailuresDoNotStopTheBatchAndAreCounted)
{
    // With the automatic cleanup on, it follows a batch that upgraded something, and only then.
    saveSettings([](TruneUpdateConfig& config) { config.autoCleanupAfterBrewUpgrade = true; });
    struct Case {
        std::vector<QString> names;
        QSet<QString> failing;
        bool cleansUp;
        QString outcomeLine;
        QString toast;
        UpdateLogStatus status;
        QString details;
    };
    const Case cases[] = {
        {{u"a1"_s, u"a2"_s, u"a3"_s}, {u"a2"_s}, true, u"\n⚠️ Completed with 1 failure(s): 2/3 upgraded.\n"_s,
            u"Upgraded 2/3 packages (1 failed)."_s, UpdateLogStatus::success, u"2 succeeded, 1 failed, 0 skipped"_s},
        {{u"b1"_s, u"b2"_s}, {u"b1"_s, u"b2"_s}, false, u"\n⚠️ Completed with 2 failure(s): 0/2 upgraded.\n"_s,
            u"Upgraded 0/2 packages (2 failed)."_s, UpdateLogStatus::failed, u"0 succeeded, 2 failed, 0 skipped"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.toast.toStdString());
        InstalledFakeBrew caseBrew;
        std::vector<FakePackage> packages;
        QString expected = u"\n$ Upgrading %1 outdated Homebrew package(s)...\n"_s.arg(c.names.size());
        for (size_t index = 0; index < c.names.size(); ++index) {
            const QString& name = c.names[index];
            packages.push_back(outdatedFormula(name));
            expected += header(int(index + 1), int(c.names.size()), name);
            if (c.failing.contains(name)) {
                caseBrew.fake.respond(upgrade(name), {.stderr = "Error: " + name.toUtf8() + " broke\n", .exitCode = 1});
                expected += u"Error: %1 broke\n⚠️ Failed %1: Error: %1 broke\n"_s.arg(name);
            }
        }
        answerWithPackages(caseBrew.fake, packages);
        start();
        model->setLanguage(TruneLanguage::en);
        const size_t historyBefore = state().history.size();

        model->upgradeAllBrew();
        ASSERT_TRUE(waitUntilIdle());
        ASSERT_TRUE(waitForHistory(historyBefore + 1));

        if (c.cleansUp)
            expected += u"\n$ brew cleanup --prune=all (auto)\n"_s;
        EXPECT_EQ(state().brewConsoleLog, expected + c.outcomeLine);
        const bool cleanupRan = std::ranges::any_of(caseBrew.fake.runs(), [](const FakeBrew::Run& run) {
            return run.arguments == QStringList{u"cleanup"_s, u"--prune=all"_s};
        });
        EXPECT_EQ(cleanupRan, c.cleansUp);
        EXPECT_EQ(lastToast(), (Toast{c.toast, true}));
        const UpdateLogEntry& entry = state().history.front();
        EXPECT_EQ(entry.appName, u"Homebrew Batch (%1)"_s.arg(c.names.size()));
        EXPECT_EQ(entry.status, c.status);
        EXPECT_EQ(entry.details, c.details);
        model.reset();
    }
}

TEST_F(BrewBatchUpgradeTest, ProgressFollowsTheStepsAndUpgradedPackagesShowAtOnce)
{
    std::vector<FakePackage> packages;
    for (const QString& name : {u"p1"_s, u"p2"_s, u"p3"_s, u"p4"_s, u"p5"_s})
        packages.push_back(outdatedFormula(name));
    brew.fake.respond(upgrade(u"p2"_s), {.stdoutPieces = {"working on p2\n"}, .sleepBeforeExit = 30});
    UpdateStudioViewModel& model = startWith(packages);

    model.upgradeAllBrew();
    ASSERT_TRUE(waitForConsole(u"working on p2\n"_s));
    EXPECT_EQ(state().batchUpgradeProgress, (BatchUpgradeProgress{2, 5, u"p2"_s}));
    EXPECT_EQ(state().activeBrewCommandTitle, u"[2/5] brew upgrade p2"_s);
    EXPECT_FALSE(isOutdated(u"p1"_s));
    EXPECT_TRUE(isOutdated(u"p2"_s));

    model.cancelBrewCommand();
    ASSERT_TRUE(waitUntilIdle());
}

// Rows would otherwise move under the pointer as each package is upgraded: an upgraded cask
// leaves the outdated group of both lists. The order the lists had stays until the batch ends.
TEST_F(BrewBatchUpgradeTest, TheListsKeepTheirOrderWhileABatchRuns)
{
    for (const QString& name : {u"Aardvark"_s, u"Alpha"_s, u"Beta"_s}) {
        BundleMaker::makeAppBundle(home.applications() + u"/"_s + name + u".app"_s,
            {.info = QVariantMap{{u"CFBundleIdentifier"_s, u"com.example."_s + name.toLower()},
                 {u"CFBundleName"_s, name}, {u"CFBundleShortVersionString"_s, u"1.0"_s}},
                .executableName = u"main"_s});
    }
    const auto cask = [](const QString& name, bool outdated) {
        return FakePackage{.name = name.toLower() + u"-app"_s,
            .isCask = true,
            .latest = outdated ? u"2.0"_s : u"1.0"_s,
            .outdated = outdated,
            .app = name + u".app"_s};
    };
    brew.fake.respond(
        {u"upgrade"_s, u"--cask"_s, u"beta-app"_s}, {.stdoutPieces = {"working on beta-app\n"}, .sleepBeforeExit = 30});
    UpdateStudioViewModel& model
        = startWith({cask(u"Aardvark"_s, false), cask(u"Alpha"_s, true), cask(u"Beta"_s, true)});
    const auto appOrder = [&] {
        QStringList names;
        for (const InstalledAppRecord& app : StudioDerived::filteredApps(state(), home.environment().locale))
            names << app.name;
        return names;
    };
    const auto caskOrder = [&] {
        QStringList names;
        for (const HomebrewItem& item : StudioDerived::filteredHomebrewItems(state()))
            names << item.name;
        return names;
    };
    const QStringList appsBefore{u"Alpha"_s, u"Beta"_s, u"Aardvark"_s};
    const QStringList casksBefore{u"alpha-app"_s, u"beta-app"_s, u"aardvark-app"_s};
    ASSERT_EQ(appOrder(), appsBefore);
    ASSERT_EQ(caskOrder(), casksBefore);

    model.upgradeAllBrew();
    ASSERT_TRUE(waitForConsole(u"working on beta-app\n"_s));
    EXPECT_FALSE(isOutdated(u"alpha-app"_s)) << "upgraded, and shown so at once";
    EXPECT_EQ(appOrder(), appsBefore);
    EXPECT_EQ(caskOrder(), casksBefore);
    model.setSelectedFilter(AppFilterKind::homebrew);
    EXPECT_EQ(appOrder(), appsBefore);

    answerWithPackages(brew.fake, {cask(u"Aardvark"_s, false), cask(u"Alpha"_s, false), cask(u"Beta"_s, true)});
    model.cancelBrewCommand();
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_EQ(appOrder(), (QStringList{u"Beta"_s, u"Aardvark"_s, u"Alpha"_s}));
    EXPECT_EQ(caskOrder(), (QStringList{u"beta-app"_s, u"aardvark-app"_s, u"alpha-app"_s}));
}

TEST_F(BrewBatchUpgradeTest, CancellingStopsBeforeTheNextStepWithoutCleanup)
{
    std::vector<FakePackage> packages;
    for (const QString& name : {u"c1"_s, u"c2"_s, u"c3"_s, u"c4"_s})
        packages.push_back(outdatedFormula(name));
    brew.fake.respond(upgrade(u"c2"_s), {.stdoutPieces = {"working on c2\n"}, .sleepBeforeExit = 30});
    saveSettings([](TruneUpdateConfig& config) { config.autoCleanupAfterBrewUpgrade = true; });
    UpdateStudioViewModel& model = startWith(packages);

    model.upgradeAllBrew();
    ASSERT_TRUE(waitForConsole(u"working on c2\n"_s));
    model.cancelBrewCommand();
    ASSERT_TRUE(waitUntilIdle());
    ASSERT_TRUE(waitForHistory(1));

    EXPECT_TRUE(state().brewConsoleLog.endsWith(
        u"working on c2\n\n[TruneUpdate] Cancelling command...\n\n⚠️ Batch upgrade cancelled (1/4 completed).\n"_s));
    QList<QStringList> arguments;
    for (const FakeBrew::Run& run : commandRuns())
        arguments << run.arguments;
    EXPECT_EQ(arguments, (QList<QStringList>{upgrade(u"c1"_s), upgrade(u"c2"_s)}));
    const UpdateLogEntry& entry = state().history.front();
    EXPECT_EQ(entry.appName, u"Homebrew Batch (4)"_s);
    EXPECT_EQ(entry.status, UpdateLogStatus::cancelled);
    EXPECT_EQ(entry.details, u"1 succeeded, 0 failed, 3 skipped"_s);
    EXPECT_EQ(lastToast(), (Toast{u"Batch upgrade cancelled (1/4 upgraded)."_s, true}));
    EXPECT_EQ(home.logMessages(TruneLogLevel::warn, u"upgrade"_s),
        QStringList{u"Batch Homebrew upgrade cancelled (1/4 succeeded)"_s});
}

TEST_F(BrewBatchUpgradeTest, WithNothingToPlanItFallsBackOrSaysAllIsCurrent)
{
    UpdateStudioViewModel& model = startWith({
        {.name = u"libdep"_s, .installed = u"1.0"_s, .latest = u"2.0"_s, .outdated = true, .onRequest = false},
        {.name = u"current-app"_s, .isCask = true, .installed = u"3.0"_s, .latest = u"3.0"_s},
    });
    EXPECT_TRUE(upgradeAllIsEnabled()) << "an outdated dependency is something to upgrade";
    model.upgradeAllBrew();
    EXPECT_FALSE(upgradeAllIsEnabled()) << "while the upgrade runs";
    EXPECT_EQ(state().activeBrewCommandTitle, u"brew upgrade (1 dependencies)"_s);
    EXPECT_FALSE(state().batchUpgradeProgress);
    ASSERT_TRUE(waitUntilIdle());
    ASSERT_TRUE(waitForHistory(1));
    EXPECT_EQ(state().history.front().appName, u"Homebrew Dependencies (1)"_s);
    ASSERT_EQ(commandRuns().size(), 1u);
    EXPECT_EQ(commandRuns().front().arguments, QStringList{u"upgrade"_s});

    // Once brew reports nothing outdated, there is nothing to do.
    answerWithPackages(
        brew.fake, {{.name = u"current-app"_s, .isCask = true, .installed = u"3.0"_s, .latest = u"3.0"_s}});
    ASSERT_TRUE(refreshAndWait(model));
    EXPECT_FALSE(upgradeAllIsEnabled());
    model.upgradeAllBrew();
    EXPECT_FALSE(state().isBrewCommandRunning);
    EXPECT_EQ(toasts.lastMessage(), u"All Homebrew packages are already up to date."_s);
    EXPECT_FALSE(toasts.lastIsError());
    EXPECT_EQ(commandRuns().size(), 1u);
}
