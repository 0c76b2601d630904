#include "app/viewmodel/BrewCommandDesk.h"

#include "tests/app/StudioTestHome.h"
#include "tests/core/homebrew/InstalledFakeBrew.h"
#include "tests/support/TestWaits.h"

#include <gtest/gtest.h>

#include <QSemaphore>

#include <atomic>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

// Stands in for the view model: holds the state the desk reads, and writes down everything the
// desk reports, one line each and in order, a job event with the job's status as it is then.
class RecordingHost final : public BrewCommandDesk::Host {
public:
    const StudioState& studioState() const override { return state; }
    void brewJobStarted() override { events << u"started "_s + job(); }
    void brewJobChanged() override { events << u"changed "_s + job(); }
    void brewJobEnded() override { events << u"ended "_s + job(); }
    // The view model takes in the output that waits before each text; here each piece of output
    // reaches the main thread on its own, so the empty text that only takes it in writes nothing.
    void appendBrewLog(const QString& text) override
    {
        if (!text.isEmpty())
            events << u"console "_s + text;
    }
    std::function<void(QByteArrayView utf8)> brewConsoleOutput() override
    {
        return [this](QByteArrayView utf8) {
            QMetaObject::invokeMethod(
                &m_receiver, [this, chunk = QString::fromUtf8(utf8)] { events << u"console "_s + chunk; },
                Qt::QueuedConnection);
        };
    }
    void showToast(const QString& message, bool isError) override
    {
        events << (isError ? u"error toast "_s : u"toast "_s) + message;
    }
    void recordHistory(UpdateLogEntry entry) override
    {
        events << u"history %1 %2: %3"_s.arg(rawValue(entry.status), entry.appName, entry.details);
    }
    void brewPackageUpgraded(const HomebrewItem& item) override { events << u"upgraded "_s + item.name; }

    // The events other than console text.
    QStringList jobEvents() const
    {
        QStringList kept = events;
        kept.removeIf([](const QString& event) { return event.startsWith(u"console "_s); });
        return kept;
    }

    StudioState state;
    QStringList events;
    const BrewCommandDesk* desk = nullptr;

private:
    QObject m_receiver;

    QString job() const
    {
        if (!desk->isRunning())
            return u"idle"_s;
        QString status = u"'"_s + desk->title() + u"'"_s;
        if (const std::optional<BatchUpgradeProgress> progress = desk->progress())
            status += u" %1/%2 %3"_s.arg(progress->current).arg(progress->total).arg(progress->currentPackageName);
        return status;
    }
};

HomebrewItem outdatedItem(const QString& name, bool isCask, bool onRequest = true)
{
    return HomebrewItem(
        name, std::nullopt, isCask, u"1.0"_s, u"2.0"_s, true, QString(), std::nullopt, true, {}, onRequest);
}

// A command that waits at `gate`, prints `chunks` and gives `result`.
BrewCommandDesk::Command gatedCommand(
    std::shared_ptr<QSemaphore> gate, QStringList chunks, BrewCommandDesk::CommandResult result)
{
    return [gate, chunks, result](const auto&, const auto& onOutput) {
        gate->acquire();
        for (const QString& chunk : chunks)
            onOutput(chunk.toUtf8());
        return result;
    };
}

const BrewCommandDesk::CommandResult kFailure
    = std::unexpected(HomebrewCommandError(HomebrewServiceError::commandFailed(1, u"Error: boom"_s)));

class BrewCommandDeskTest : public ::testing::Test {
protected:
    BrewCommandDeskTest()
    {
        host.desk = &desk;
        host.state.language = TruneLanguage::en;
    }

    BrewCommandDesk::Operation upgradeOf(const QString& name, BrewCommandDesk::Command command)
    {
        return {
            .title = u"brew upgrade "_s + name,
            .appName = name,
            .action = UpdateLogAction::brewUpgrade,
            .onSuccessOptimisticUpdate = [this] { host.events << u"patched"_s; },
            .command = std::move(command),
        };
    }

    bool waitUntilIdle()
    {
        return waitUntil([&] { return !desk.isRunning(); });
    }

    StudioTestHome home;
    UpdateStudioEnvironment environment = home.environment();
    RecordingHost host;
    BrewCommandDesk desk{host, environment};
};

TEST_F(BrewCommandDeskTest, ACommandStreamsItsOutputInOrderThenConcludesAndEnds)
{
    struct Case {
        const char* name;
        BrewCommandDesk::CommandResult result;
        bool cancel;
        QStringList ending;
    };
    const std::vector<Case> cases{
        {"success", {}, false,
            {u"patched"_s, u"console \n✅ Completed: brew upgrade foo\n"_s, u"history success foo: brew upgrade foo"_s,
                u"toast Completed: foo"_s}},
        {"failure", kFailure, false,
            {u"console \n❌ Error: Error: boom\n"_s, u"history failed foo: Error: boom"_s,
                u"error toast Error: boom"_s}},
        // The desk's own token tells a cancellation from a failure, whatever brew said.
        {"cancelled", kFailure, true,
            {u"console \n⚠️ Cancelled: Error: boom\n"_s, u"history cancelled foo: Error: boom"_s,
                u"error toast Error: boom"_s}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host.events.clear();
        auto gate = std::make_shared<QSemaphore>();
        desk.runOperation(upgradeOf(u"foo"_s, gatedCommand(gate, {u"one\n"_s, u"two\n"_s}, c.result)));
        EXPECT_TRUE(desk.isRunning());
        EXPECT_EQ(desk.title(), u"brew upgrade foo"_s);
        EXPECT_EQ(desk.progress(), std::nullopt);
        QStringList expected{u"started 'brew upgrade foo'"_s, u"console \n$ brew upgrade foo\n"_s};
        if (c.cancel) {
            desk.cancel();
            expected << u"console \n[TruneUpdate] Cancelling command...\n"_s;
            EXPECT_TRUE(desk.isRunning()) << "the job ends when its command does";
        }
        gate->release();
        ASSERT_TRUE(waitUntilIdle());
        expected << u"console one\n"_s << u"console two\n"_s << c.ending << u"ended idle"_s;
        EXPECT_EQ(host.events, expected);
    }
}

TEST_F(BrewCommandDeskTest, OneCommandAtATime)
{
    auto gate = std::make_shared<QSemaphore>();
    desk.runOperation(upgradeOf(u"first"_s, gatedCommand(gate, {}, {})));
    std::atomic<bool> secondRan = false;
    desk.runOperation(upgradeOf(u"second"_s, [&](const auto&, const auto&) {
        secondRan = true;
        return BrewCommandDesk::CommandResult();
    }));
    EXPECT_EQ(host.events.last(), u"error toast A Homebrew command is already running."_s);
    EXPECT_EQ(desk.title(), u"brew upgrade first"_s);
    EXPECT_TRUE(desk.upgradeOutdated({outdatedItem(u"bat"_s, false)})) << "planned, then refused";
    EXPECT_EQ(host.events.last(), u"error toast A Homebrew command is already running."_s);

    gate->release();
    ASSERT_TRUE(waitUntilIdle());
    settle();
    EXPECT_FALSE(secondRan);
    EXPECT_EQ(host.jobEvents(),
        (QStringList{u"started 'brew upgrade first'"_s, u"error toast A Homebrew command is already running."_s,
            u"error toast A Homebrew command is already running."_s, u"patched"_s,
            u"history success first: brew upgrade first"_s, u"toast Completed: first"_s, u"ended idle"_s}));

    // Once the job has ended the desk takes the next one.
    gate->release();
    desk.runOperation(upgradeOf(u"third"_s, gatedCommand(gate, {}, {})));
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_EQ(host.events.last(), u"ended idle"_s);
    EXPECT_TRUE(host.events.contains(u"toast Completed: third"_s));
}

TEST_F(BrewCommandDeskTest, CancelWithNothingRunningOnlySaysSo)
{
    desk.cancel();
    settle();
    EXPECT_EQ(host.events, QStringList{u"console \n[TruneUpdate] Cancelling command...\n"_s});
    EXPECT_FALSE(desk.isRunning());
}

TEST_F(BrewCommandDeskTest, TheAutomaticCleanupFollowsOnlyASuccessfulUpgrade)
{
    InstalledFakeBrew brew;
    brew.fake.respond({u"cleanup"_s, u"--prune=all"_s}, {.stdoutPieces = {"Pruned\n"}});
    host.state.config.autoCleanupAfterBrewUpgrade = true;
    struct Case {
        const char* name;
        UpdateLogAction action;
        BrewCommandDesk::CommandResult result;
        bool cleansUp;
    };
    const std::vector<Case> cases{
        {"upgrade", UpdateLogAction::brewUpgrade, {}, true},
        {"failed upgrade", UpdateLogAction::brewUpgrade, kFailure, false},
        {"install", UpdateLogAction::brewInstall, {}, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        host.events.clear();
        auto gate = std::make_shared<QSemaphore>(1);
        BrewCommandDesk::Operation operation = upgradeOf(u"foo"_s, gatedCommand(gate, {u"done\n"_s}, c.result));
        operation.action = c.action;
        desk.runOperation(std::move(operation));
        ASSERT_TRUE(waitUntilIdle());
        const qsizetype cleanup = host.events.indexOf(u"console \n$ brew cleanup --prune=all (auto)\n"_s);
        EXPECT_EQ(cleanup >= 0, c.cleansUp);
        if (c.cleansUp) {
            EXPECT_EQ(host.events.at(cleanup - 1), u"console done\n"_s);
            EXPECT_EQ(host.events.at(cleanup + 1), u"console Pruned\n"_s);
            EXPECT_EQ(host.events.at(cleanup + 2), u"patched"_s) << "the upgrade concludes after its cleanup";
        }
    }
}

TEST_F(BrewCommandDeskTest, TheBatchReportsEachStepAsProgressAndEveryUpgradedPackage)
{
    InstalledFakeBrew brew;
    const std::vector<HomebrewItem> items{outdatedItem(u"alpha-app"_s, true), outdatedItem(u"bat"_s, false),
        outdatedItem(u"libdep"_s, false, false),
        HomebrewItem(
            u"current-app"_s, std::nullopt, true, u"3.0"_s, u"3.0"_s, false, QString(), std::nullopt, true, {}, true)};

    ASSERT_TRUE(desk.upgradeOutdated(items));
    EXPECT_EQ(desk.progress(), (BatchUpgradeProgress{1, 2, u"bat"_s}));
    ASSERT_TRUE(waitUntilIdle());
    EXPECT_EQ(host.jobEvents(),
        (QStringList{u"started 'brew upgrade (2 outdated)' 1/2 bat"_s, u"changed '[1/2] brew upgrade bat' 1/2 bat"_s,
            u"upgraded bat"_s, u"changed '[2/2] brew upgrade --cask alpha-app' 2/2 alpha-app"_s,
            u"upgraded alpha-app"_s, u"toast Upgraded all 2 outdated Homebrew packages."_s,
            u"history success Homebrew Batch (2): 2 succeeded, 0 failed, 0 skipped"_s, u"ended idle"_s}));
    EXPECT_EQ(host.events.at(1), u"console \n$ Upgrading 2 outdated Homebrew package(s)...\n"_s);
    EXPECT_EQ(host.events.at(host.events.size() - 4), u"console \n✅ Upgraded all 2 outdated package(s).\n"_s);
}

TEST_F(BrewCommandDeskTest, WithNothingToPlanTheBatchStartsNothing)
{
    for (const std::vector<HomebrewItem>& items :
        {std::vector<HomebrewItem>{}, std::vector<HomebrewItem>{outdatedItem(u"libdep"_s, false, false)}}) {
        EXPECT_FALSE(desk.upgradeOutdated(items));
        EXPECT_FALSE(desk.isRunning());
    }
    EXPECT_EQ(host.events, QStringList());
}

TEST_F(BrewCommandDeskTest, ADeskGoneWhileItsCommandRunsCancelsItAndHearsNothingMore)
{
    auto gate = std::make_shared<QSemaphore>();
    auto sawCancellation = std::make_shared<std::atomic<int>>(-1);
    auto gone = std::make_unique<BrewCommandDesk>(host, environment);
    host.desk = gone.get();
    gone->runOperation(upgradeOf(u"foo"_s, [gate, sawCancellation](const auto& cancellation, const auto& onOutput) {
        gate->acquire();
        onOutput("late\n");
        *sawCancellation = cancellation->isCancelled() ? 1 : 0;
        return BrewCommandDesk::CommandResult();
    }));
    const QStringList before = host.jobEvents();
    gone.reset();
    host.desk = &desk;
    gate->release();
    ASSERT_TRUE(waitUntil([&] { return *sawCancellation >= 0; }));
    settle();
    EXPECT_EQ(*sawCancellation, 1);
    // Brew's output goes to the host's own sink, which the host guards; the desk reports nothing.
    EXPECT_EQ(host.jobEvents(), before);
}

} // namespace
