#include "tests/app/BrewDeskFixture.h"

#include "tests/support/BundleMaker.h"
#include "tests/support/RecordBuilders.h"
#include "tests/support/TestWaits.h"

using namespace Qt::StringLiterals;

namespace {

const std::vector<FakePackage> kPackages{
    {.name = u"firefox"_s, .isCask = true, .installed = u"124.0.2"_s, .latest = u"125.0.3"_s, .outdated = true},
    {.name = u"wget"_s, .installed = u"1.24.4"_s, .latest = u"1.24.5"_s, .outdated = true},
    {.name = u"openssl@3"_s, .installed = u"3.2.1"_s, .latest = u"3.3.0"_s, .outdated = true, .onRequest = false},
    {.name = u"jq"_s, .installed = u"1.7.1"_s, .latest = u"1.7.1"_s},
};

const QStringList kUpgradeWget{u"upgrade"_s, u"wget"_s};
const QStringList kCleanup{u"cleanup"_s, u"--prune=all"_s};

} // namespace

class BrewOperationsTest : public BrewDeskTest {
protected:
    UpdateStudioViewModel& startWithPackages(TruneLanguage language = TruneLanguage::en)
    {
        answerWithPackages(brew.fake, kPackages);
        UpdateStudioViewModel& started = start();
        started.setLanguage(language);
        return started;
    }

    HomebrewItem item(const QString& name) const
    {
        for (const HomebrewItem& candidate : state().homebrewItems) {
            if (candidate.name == name)
                return candidate;
        }
        ADD_FAILURE() << "no package " << name.toStdString();
        return HomebrewItemBuilder(name).build();
    }

    std::optional<FakeBrew::Run> lastRunOf(const QStringList& arguments) const
    {
        std::optional<FakeBrew::Run> found;
        for (const FakeBrew::Run& run : commandRuns()) {
            if (run.arguments == arguments)
                found = run;
        }
        return found;
    }
};

TEST_F(BrewOperationsTest, EveryOperationRunsItsCommandAndRecordsOneEntry)
{
    UpdateStudioViewModel& model = startWithPackages();
    struct Case {
        std::function<void()> operation;
        QStringList arguments;
        QString title;
        QString appName;
        UpdateLogAction action;
        std::optional<QString> fromVersion;
        std::optional<QString> toVersion;
        bool skipsAutoUpdate = false;
    };
    const std::vector<Case> cases{
        {[&] { model.upgradeBrewItem(item(u"firefox"_s)); }, {u"upgrade"_s, u"--cask"_s, u"firefox"_s},
            u"brew upgrade --cask firefox"_s, u"firefox"_s, UpdateLogAction::brewUpgrade, u"124.0.2"_s, u"125.0.3"_s},
        {[&] { model.upgradeBrewCaskToken(u"firefox"_s, u"Firefox"_s, u"124.0.2"_s, std::nullopt); },
            {u"upgrade"_s, u"--cask"_s, u"firefox"_s}, u"brew upgrade --cask firefox"_s, u"Firefox"_s,
            UpdateLogAction::brewUpgrade, u"124.0.2"_s, std::nullopt},
        {[&] { model.upgradeAllBrewDependenciesNative(); }, {u"upgrade"_s}, u"brew upgrade (1 dependencies)"_s,
            u"Homebrew Dependencies (1)"_s, UpdateLogAction::brewUpgrade, std::nullopt, std::nullopt, true},
        {[&] { model.installBrewItem(HomebrewItemBuilder(u"ripgrep"_s).latestVersion(u"14.1.0"_s).build()); },
            {u"install"_s, u"ripgrep"_s}, u"brew install ripgrep"_s, u"ripgrep"_s, UpdateLogAction::brewInstall,
            std::nullopt, u"14.1.0"_s},
        {[&] { model.installBrewItem(HomebrewItemBuilder(u"iterm2"_s).cask().build()); },
            {u"install"_s, u"--cask"_s, u"iterm2"_s}, u"brew install --cask iterm2"_s, u"iterm2"_s,
            UpdateLogAction::brewInstall, std::nullopt, std::nullopt},
        {[&] { model.uninstallBrewItem(item(u"wget"_s)); }, {u"uninstall"_s, u"wget"_s}, u"brew uninstall wget"_s,
            u"wget"_s, UpdateLogAction::brewUninstall, u"1.24.4"_s, std::nullopt},
        {[&] { model.runBrewCleanup(); }, kCleanup, u"brew cleanup --prune=all"_s, u"Homebrew Cleanup"_s,
            UpdateLogAction::brewCleanup, std::nullopt, std::nullopt},
        {[&] { model.runBrewUpdateMetadata(); }, {u"update"_s}, u"brew update"_s, u"Homebrew Index"_s,
            UpdateLogAction::brewUpgrade, std::nullopt, std::nullopt},
    };

    for (size_t index = 0; index < cases.size(); ++index) {
        const Case& c = cases[index];
        SCOPED_TRACE(c.title.toStdString());
        const QString consoleBefore = state().brewConsoleLog;
        c.operation();
        EXPECT_TRUE(state().isBrewCommandRunning);
        EXPECT_EQ(state().activeBrewCommandTitle, c.title);
        EXPECT_TRUE(state().showBrewConsole);
        ASSERT_TRUE(waitUntilIdle());
        ASSERT_TRUE(waitForHistory(index + 1));

        EXPECT_EQ(
            state().brewConsoleLog, consoleBefore + u"\n$ "_s + c.title + u"\n\n✅ Completed: "_s + c.title + u"\n"_s);
        EXPECT_EQ(state().activeBrewCommandTitle, QString());
        const std::optional<FakeBrew::Run> run = lastRunOf(c.arguments);
        ASSERT_TRUE(run);
        EXPECT_EQ(run->environment.value(u"HOMEBREW_NO_ENV_HINTS"_s), u"1"_s);
        EXPECT_EQ(run->environment.contains(u"HOMEBREW_NO_AUTO_UPDATE"_s), c.skipsAutoUpdate);

        const UpdateLogEntry& entry = state().history.front();
        EXPECT_EQ(entry.appName, c.appName);
        EXPECT_EQ(entry.action, c.action);
        EXPECT_EQ(entry.fromVersion, c.fromVersion);
        EXPECT_EQ(entry.toVersion, c.toVersion);
        EXPECT_EQ(entry.status, UpdateLogStatus::success);
        EXPECT_EQ(entry.details, c.title);
        EXPECT_EQ(lastToast(), (Toast{u"Completed: "_s + c.appName, false}));
        const QStringList logged = home.logMessages(TruneLogLevel::info, u"upgrade"_s);
        const QString action = rawValue(c.action);
        EXPECT_EQ(logged.mid(logged.size() - 2),
            (QStringList{u"Running Homebrew operation [%1] for %2"_s.arg(action, c.appName),
                u"Completed Homebrew operation [%1] for %2"_s.arg(action, c.appName)}));
    }
    // The history on disk is the one shown, newest first.
    const auto ids = [](const std::vector<UpdateLogEntry>& history) {
        QList<QUuid> ids;
        for (const UpdateLogEntry& entry : history)
            ids << entry.id();
        return ids;
    };
    EXPECT_EQ(ids(UpdateConfigStore(home.configFolder(), 500).loadHistory()), ids(state().history));
}

TEST_F(BrewOperationsTest, OutputReachesTheConsoleInPiecesAndInOrder)
{
    brew.fake.respond(kUpgradeWget,
        {.stdoutPieces = {"==> Upgrading wget\n", "1.24.4 -> 1.24.5\n", "\xF0\x9F\x8D\xBA  wget was upgraded\n"},
            .pauseAfterPiece = 0.2});
    UpdateStudioViewModel& model = startWithPackages();
    model.upgradeBrewItem(item(u"wget"_s));

    // The first piece shows while brew still works on the rest.
    ASSERT_TRUE(waitForConsole(u"==> Upgrading wget\n"_s));
    EXPECT_TRUE(state().isBrewCommandRunning);
    EXPECT_FALSE(state().brewConsoleLog.contains(u"✅"_s));
    ASSERT_TRUE(waitUntilIdle());

    EXPECT_EQ(state().brewConsoleLog,
        u"\n$ brew upgrade wget\n==> Upgrading wget\n1.24.4 -> 1.24.5\n🍺  wget was upgraded\n"
        "\n✅ Completed: brew upgrade wget\n"_s);
}

TEST_F(BrewOperationsTest, AFailureShowsBrewsErrorAndRecordsIt)
{
    brew.fake.respond({u"install"_s, u"--cask"_s, u"nosuch"_s},
        {.stdoutPieces = {"==> Fetching nosuch\n"},
            .pauseAfterPiece = 0.1,
            .stderr = "Error: Cask 'nosuch' is unavailable.\n",
            .exitCode = 1});
    UpdateStudioViewModel& model = startWithPackages();
    model.installBrewItem(HomebrewItemBuilder(u"nosuch"_s).cask().build());
    ASSERT_TRUE(waitUntilIdle());
    ASSERT_TRUE(waitForHistory(1));

    const QString error = u"Error: Cask 'nosuch' is unavailable."_s;
    EXPECT_EQ(state().brewConsoleLog,
        u"\n$ brew install --cask nosuch\n==> Fetching nosuch\nError: Cask 'nosuch' is unavailable.\n"
        "\n❌ Error: "_s
            + error + u"\n"_s);
    const UpdateLogEntry& entry = state().history.front();
    EXPECT_EQ(entry.status, UpdateLogStatus::failed);
    EXPECT_EQ(entry.details, error);
    EXPECT_EQ(entry.action, UpdateLogAction::brewInstall);
    EXPECT_EQ(lastToast(), (Toast{error, true}));
    EXPECT_EQ(home.logMessages(TruneLogLevel::error, u"upgrade"_s),
        QStringList{u"Failed Homebrew operation [brewInstall] for nosuch: "_s + error});
    // Nothing was patched: the package is not shown as installed.
    EXPECT_TRUE(std::none_of(state().homebrewItems.begin(), state().homebrewItems.end(),
        [](const HomebrewItem& item) { return item.name == u"nosuch"_s; }));
}

struct CancellationCase {
    TruneLanguage language;
    QString description;
};

class BrewCancellationTest : public BrewOperationsTest, public ::testing::WithParamInterface<CancellationCase> { };

TEST_P(BrewCancellationTest, CancellingStopsBrewAndRecordsTheCancellationInTheUsersLanguage)
{
    const CancellationCase& c = GetParam();
    brew.fake.respond(kUpgradeWget, {.stdoutPieces = {"==> Downloading wget\n"}, .sleepBeforeExit = 30});
    saveSettings([](TruneUpdateConfig& config) { config.autoCleanupAfterBrewUpgrade = true; });
    UpdateStudioViewModel& model = startWithPackages(c.language);

    model.upgradeBrewItem(item(u"wget"_s));
    ASSERT_TRUE(waitForConsole(u"==> Downloading wget\n"_s));
    model.cancelBrewCommand();
    ASSERT_TRUE(waitUntilIdle());
    ASSERT_TRUE(waitForHistory(1));

    EXPECT_EQ(state().brewConsoleLog,
        u"\n$ brew upgrade wget\n==> Downloading wget\n\n[TruneUpdate] Cancelling command...\n"
        "\n⚠️ Cancelled: "_s
            + c.description + u"\n"_s);
    const UpdateLogEntry& entry = state().history.front();
    EXPECT_EQ(entry.status, UpdateLogStatus::cancelled);
    EXPECT_EQ(entry.details, c.description);
    EXPECT_EQ(lastToast(), (Toast{c.description, true}));
    EXPECT_EQ(home.logMessages(TruneLogLevel::warn, u"upgrade"_s),
        QStringList{u"Cancelled Homebrew operation [brewUpgrade] for wget"_s});
    // No automatic cleanup after a cancelled upgrade.
    EXPECT_FALSE(lastRunOf(kCleanup));
}

INSTANTIATE_TEST_SUITE_P(Languages, BrewCancellationTest,
    ::testing::Values(CancellationCase{TruneLanguage::en, u"Operation cancelled."_s},
        CancellationCase{TruneLanguage::tr, u"İşlem iptal edildi."_s}),
    [](const ::testing::TestParamInfo<CancellationCase>& info) {
        return info.param.language.rawValue().toStdString();
    });

TEST_F(BrewOperationsTest, TheAutomaticCleanupFollowsUpgradesOnlyAndPrecedesTheCompletion)
{
    brew.fake.respond(kCleanup, {.stdoutPieces = {"Removing: old bottles\n"}});
    saveSettings([](TruneUpdateConfig& config) { config.autoCleanupAfterBrewUpgrade = true; });
    UpdateStudioViewModel& model = startWithPackages();
    const QString cleanup = u"\n$ brew cleanup --prune=all (auto)\nRemoving: old bottles\n"_s;
    struct Case {
        std::function<void()> operation;
        QString title;
        bool cleansUp;
        QString output = {};
    };
    const Case cases[] = {
        {[&] { model.upgradeBrewItem(item(u"wget"_s)); }, u"brew upgrade wget"_s, true},
        {[&] { model.runBrewUpdateMetadata(); }, u"brew update"_s, true},
        {[&] { model.installBrewItem(HomebrewItemBuilder(u"ripgrep"_s).build()); }, u"brew install ripgrep"_s, false},
        {[&] { model.uninstallBrewItem(item(u"jq"_s)); }, u"brew uninstall jq"_s, false},
        {[&] { model.runBrewCleanup(); }, u"brew cleanup --prune=all"_s, false, u"Removing: old bottles\n"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.title.toStdString());
        model.clearBrewConsole();
        c.operation();
        ASSERT_TRUE(waitUntilIdle());
        EXPECT_EQ(state().brewConsoleLog,
            u"\n$ "_s + c.title + u"\n"_s + c.output + (c.cleansUp ? cleanup : QString()) + u"\n✅ Completed: "_s
                + c.title + u"\n"_s);
    }
}

TEST_F(BrewOperationsTest, CancellingTheAutomaticCleanupStillCompletesTheUpgrade)
{
    brew.fake.respond(kCleanup, {.stdoutPieces = {"Pruning\n"}, .sleepBeforeExit = 30});
    saveSettings([](TruneUpdateConfig& config) { config.autoCleanupAfterBrewUpgrade = true; });
    UpdateStudioViewModel& model = startWithPackages();

    model.upgradeBrewItem(item(u"wget"_s));
    ASSERT_TRUE(waitForConsole(u"Pruning\n"_s));
    EXPECT_EQ(state().activeBrewCommandTitle, u"brew upgrade wget"_s);
    model.cancelBrewCommand();
    ASSERT_TRUE(waitUntilIdle());
    ASSERT_TRUE(waitForHistory(1));

    EXPECT_EQ(state().brewConsoleLog,
        u"\n$ brew upgrade wget\n\n$ brew cleanup --prune=all (auto)\nPruning\n"
        "\n[TruneUpdate] Cancelling command...\n\n✅ Completed: brew upgrade wget\n"_s);
    EXPECT_EQ(state().history.front().status, UpdateLogStatus::success);
    EXPECT_EQ(lastToast(), (Toast{u"Completed: wget"_s, false}));
}

TEST_F(BrewOperationsTest, OneCommandAtATime)
{
    brew.fake.respond(kUpgradeWget, {.stdoutPieces = {"working\n"}, .sleepBeforeExit = 30});
    UpdateStudioViewModel& model = startWithPackages();
    model.upgradeBrewItem(item(u"wget"_s));
    ASSERT_TRUE(waitForConsole(u"working\n"_s));
    const QString console = state().brewConsoleLog;

    const std::function<void()> refusedStarts[] = {
        [&] { model.installBrewItem(HomebrewItemBuilder(u"ripgrep"_s).build()); },
        [&] { model.runBrewCleanup(); },
        [&] { model.upgradeAllBrew(); },
    };
    for (const auto& refused : refusedStarts) {
        model.showToast(QString(), false);
        refused();
        EXPECT_EQ(toasts.lastMessage(), u"A Homebrew command is already running."_s);
        EXPECT_TRUE(toasts.lastIsError());
        EXPECT_EQ(state().activeBrewCommandTitle, u"brew upgrade wget"_s);
        EXPECT_EQ(state().brewConsoleLog, console);
    }
    EXPECT_EQ(commandRuns().size(), 1u);

    model.cancelBrewCommand();
    ASSERT_TRUE(waitUntilIdle());
    ASSERT_TRUE(waitForHistory(1)); // only the command that started
}

TEST_F(BrewOperationsTest, CancelWithNothingRunningOnlySaysSoAndClearingEmptiesTheConsole)
{
    UpdateStudioViewModel& model = startWithPackages();
    model.cancelBrewCommand();
    EXPECT_EQ(state().brewConsoleLog, u"\n[TruneUpdate] Cancelling command...\n"_s);
    EXPECT_FALSE(state().isBrewCommandRunning);
    EXPECT_TRUE(toasts.shown().empty());

    model.clearBrewConsole();
    EXPECT_EQ(state().brewConsoleLog, QString());
}

TEST_F(BrewOperationsTest, ACaskUpgradePatchesPackagesAndAppsBeforeTheRefresh)
{
    BundleMaker::makeAppBundle(home.applications() + u"/Firefox.app"_s,
        {.info = QVariantMap{{u"CFBundleIdentifier"_s, u"org.mozilla.firefox"_s}, {u"CFBundleName"_s, u"Firefox"_s},
             {u"CFBundleShortVersionString"_s, u"124.0.2"_s}},
            .executableName = u"main"_s});
    std::vector<FakePackage> packages = kPackages;
    packages.front().app = u"Firefox.app"_s;
    answerWithPackages(brew.fake, packages);
    UpdateStudioViewModel& model = start();
    ASSERT_EQ(state().installedApps.size(), 1u);
    ASSERT_TRUE(state().installedApps.front().updateAvailable);

    // The state at the moment the command ends, before the refresh brings brew's own answer.
    std::optional<StudioState> atEnd;
    QObject::connect(&model, &UpdateStudioViewModel::changed, &model, [&](StudioFields fields) {
        if (fields.testFlag(StudioField::isBrewCommandRunning) && !state().isBrewCommandRunning && !atEnd)
            atEnd = state();
    });
    model.upgradeBrewCaskToken(u"firefox"_s, u"Firefox"_s, u"124.0.2"_s, u"125.0.3"_s);
    ASSERT_TRUE(waitUntil([&] { return atEnd.has_value(); }));

    const InstalledAppRecord& app = atEnd->installedApps.front();
    EXPECT_FALSE(app.updateAvailable);
    EXPECT_EQ(app.installedVersion, u"125.0.3"_s);
    const auto firefox = std::find_if(atEnd->homebrewItems.begin(), atEnd->homebrewItems.end(),
        [](const HomebrewItem& item) { return item.name == u"firefox"_s; });
    ASSERT_NE(firefox, atEnd->homebrewItems.end());
    EXPECT_FALSE(firefox->isOutdated);
    EXPECT_EQ(firefox->installedVersion, u"125.0.3"_s);
    ASSERT_TRUE(waitUntilIdle());
}

TEST_F(BrewOperationsTest, SearchTrimsTheQueryAndRefusesWhatBrewWouldMisread)
{
    brew.fake.respond({u"search"_s, u"--cask"_s, u"wget"_s}, {.stdoutPieces = {"==> Casks\nwget-gui\n"}});
    brew.fake.respond({u"search"_s, u"--formula"_s, u"wget"_s}, {.stdoutPieces = {"==> Formulae\nwget\nwget2\n"}});
    UpdateStudioViewModel& model = startWithPackages();

    model.setBrewSearchQuery(u"  wget \n"_s);
    model.performBrewSearch();
    EXPECT_TRUE(state().isSearchingBrew);
    ASSERT_TRUE(waitUntil([&] { return !state().isSearchingBrew; }));
    QStringList names;
    for (const HomebrewItem& result : state().brewSearchResults)
        names << result.name;
    EXPECT_EQ(names, (QStringList{u"wget-gui"_s, u"wget"_s, u"wget2"_s}));
    EXPECT_EQ(state().homebrewSubTab, HomebrewSubTab::search);
    // The installed formula is shown as installed.
    EXPECT_TRUE(state().brewSearchResults[1].isInstalled);
    EXPECT_FALSE(state().brewSearchResults[2].isInstalled);
    const std::vector<FakeBrew::Run> searches = commandRuns();
    EXPECT_EQ(searches.size(), 2u);

    for (const QString& query : {u"wget;rm"_s, u"two words"_s, u"-rf"_s}) {
        SCOPED_TRACE(query.toStdString());
        model.setBrewSearchQuery(query);
        model.performBrewSearch();
        EXPECT_EQ(toasts.lastMessage(), u"Search query contains invalid characters."_s);
        EXPECT_TRUE(toasts.lastIsError());
        EXPECT_FALSE(state().isSearchingBrew);
    }
    EXPECT_EQ(commandRuns().size(), 2u);
    EXPECT_EQ(state().brewSearchResults.size(), 3u);

    model.setHomebrewSubTab(HomebrewSubTab::casks);
    model.showToast(QString(), false);
    model.setBrewSearchQuery(u" \t "_s);
    model.performBrewSearch();
    EXPECT_TRUE(state().brewSearchResults.empty());
    EXPECT_EQ(state().homebrewSubTab, HomebrewSubTab::casks);
    EXPECT_EQ(toasts.lastMessage(), QString());
}

// A search that fails, however it fails, says why and keeps what the last search found; one
// that found nothing names its query, so the screen can say so instead of showing the hint.
TEST_F(BrewOperationsTest, AFailedSearchSaysWhyAndKeepsTheOldResultsAndSubTab)
{
    brew.fake.respond({u"search"_s, u"--formula"_s, u"wget"_s}, {.stdoutPieces = {"wget\n"}});
    const QByteArray offline = "Error: Failure while executing; `curl` exited with 6.\n";
    for (const char* kind : {"--cask", "--formula"})
        brew.fake.respond({u"search"_s, QString::fromLatin1(kind), u"jq"_s}, {.stderr = offline, .exitCode = 1});
    const QByteArray nothingFound = "Error: No formulae or casks found for \"zzz\".\n";
    for (const char* kind : {"--cask", "--formula"})
        brew.fake.respond({u"search"_s, QString::fromLatin1(kind), u"zzz"_s}, {.stderr = nothingFound, .exitCode = 1});
    UpdateStudioViewModel& model = startWithPackages();
    // Until the search has ended and its change has been announced, toast included.
    const auto search = [&](const QString& query) {
        model.setBrewSearchQuery(query);
        model.performBrewSearch();
        const bool ended = waitUntil([&] { return !state().isSearchingBrew; });
        QCoreApplication::processEvents();
        return ended;
    };
    ASSERT_TRUE(search(u"wget"_s));
    ASSERT_EQ(state().brewSearchResults.size(), 1u);
    EXPECT_EQ(state().searchedBrewQuery, u"wget"_s);
    model.setHomebrewSubTab(HomebrewSubTab::formulae);

    for (const TruneLanguage language : {TruneLanguage::en, TruneLanguage::tr}) {
        model.setLanguage(language);
        ASSERT_TRUE(search(u"jq"_s));
        EXPECT_EQ(lastToast(), (Toast{u"Error: Failure while executing; `curl` exited with 6."_s, true}));
    }
    {
        NoBrewAnywhere noBrew;
        ASSERT_TRUE(search(u"wget"_s));
    }
    EXPECT_EQ(lastToast(), (Toast{HomebrewServiceError::brewNotInstalled().description(TruneLanguage::tr), true}));
    EXPECT_EQ(state().brewSearchResults.size(), 1u);
    EXPECT_EQ(state().searchedBrewQuery, u"wget"_s);
    EXPECT_EQ(state().homebrewSubTab, HomebrewSubTab::formulae);
    // The test's own brew again, for the refreshes and searches still to come.
    HomebrewService::overrideSearchBundle(TruneBundle({}, brew.fake.folder()));

    const size_t toastsBefore = toasts.shown().size();
    ASSERT_TRUE(search(u"zzz"_s));
    EXPECT_TRUE(state().brewSearchResults.empty());
    EXPECT_EQ(state().searchedBrewQuery, u"zzz"_s);
    EXPECT_EQ(state().homebrewSubTab, HomebrewSubTab::search);
    EXPECT_EQ(toasts.shown().size(), toastsBefore) << "finding nothing is no error";

    ASSERT_TRUE(search(u"  "_s));
    EXPECT_EQ(state().searchedBrewQuery, std::nullopt);
}

TEST_F(BrewOperationsTest, OverlappingSearchesPublishOnlyTheLatest)
{
    // Each search waits for the test's word, so the earlier one ends later however the machine runs.
    brew.fake.respond({u"search"_s, u"--cask"_s, u"slow"_s}, {.stdoutPieces = {"slow-app\n"}, .gate = u"slow"_s});
    brew.fake.respond({u"search"_s, u"--formula"_s, u"slow"_s}, {.stdoutPieces = {"slow\n"}});
    brew.fake.respond({u"search"_s, u"--cask"_s, u"fast"_s}, {.stdoutPieces = {"fast-app\n"}, .gate = u"fast"_s});
    brew.fake.respond({u"search"_s, u"--formula"_s, u"fast"_s}, {.stdoutPieces = {"fast\n"}});
    UpdateStudioViewModel& model = startWithPackages();
    const qsizetype runsBefore = brew.fake.runs().size();

    model.setBrewSearchQuery(u"slow"_s);
    model.performBrewSearch();
    ASSERT_TRUE(brew.fake.waitForRuns(runsBefore + 1));
    model.setBrewSearchQuery(u"fast"_s);
    model.performBrewSearch();

    // The spinner stays while the latest search runs, although the earlier one is still running too.
    ASSERT_TRUE(brew.fake.waitForRuns(runsBefore + 2));
    QCoreApplication::processEvents();
    EXPECT_TRUE(state().isSearchingBrew);
    brew.fake.release(u"fast"_s);
    ASSERT_TRUE(waitUntil([&] { return !state().isSearchingBrew; }));
    const auto names = [&] {
        QStringList names;
        for (const HomebrewItem& result : state().brewSearchResults)
            names << result.name;
        return names;
    };
    EXPECT_EQ(names(), (QStringList{u"fast-app"_s, u"fast"_s}));

    // The earlier search ends later and changes nothing.
    brew.fake.release(u"slow"_s);
    ASSERT_TRUE(brew.fake.waitForRuns(runsBefore + 4));
    ASSERT_TRUE(waitForStudioWork());
    EXPECT_EQ(names(), (QStringList{u"fast-app"_s, u"fast"_s}));
    EXPECT_FALSE(state().isSearchingBrew);
}
