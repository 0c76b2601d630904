#pragma once

#include "app/viewmodel/BatchUpgradeProgress.h"
#include "app/viewmodel/StudioState.h"
#include "app/viewmodel/UpdateStudioEnvironment.h"
#include "core/homebrew/HomebrewService.h"

#include <QObject>

#include <expected>
#include <functional>
#include <optional>
#include <vector>

struct HomebrewBatchUpgradeReport;
struct HomebrewServiceError;

// The studio's Homebrew command desk. One command runs at a time (a single operation or the batch
// upgrade of the outdated packages); a start meanwhile is refused with an error toast. The running
// command is the desk's job: its title, the batch's progress, and its cancellation. Each command
// streams brew's output into the console in the order brew printed it, writes one history entry,
// shows a toast and ends.
//
// The desk keeps no part of StudioState. It reads the state and reports everything the user sees
// through Host, which its owner (the view model) implements: the job as it starts, changes and ends
// (the owner then reads isRunning(), title() and progress()), console text, toasts, history
// entries, and the packages a batch step upgraded. Host is called on the main thread only, in the
// order the user is meant to see these; what a command posts after the desk is gone is dropped
// (the desk is a QObject for that guard). Brew's output itself goes through the host's sink
// (`brewConsoleOutput`), which the host guards.
class BrewCommandDesk final : public QObject {
public:
    using CommandResult = HomebrewService::CommandResult;
    using Command = std::function<CommandResult(
        const std::shared_ptr<TruneProcessCancellation>&, const std::function<void(QByteArrayView utf8)>&)>;

    // One Homebrew command as the desk takes it.
    struct Operation {
        QString title;
        QString appName;
        UpdateLogAction action = UpdateLogAction::brewUpgrade;
        std::optional<QString> fromVersion = {};
        std::optional<QString> toVersion = {};
        std::function<void()> onSuccessOptimisticUpdate = {};
        Command command;
    };

    class Host {
    public:
        virtual ~Host() = default;
        // The language of the desk's texts and the automatic cleanup setting are read from here.
        virtual const StudioState& studioState() const = 0;
        virtual void brewJobStarted() = 0;
        // The running job's title or progress changed.
        virtual void brewJobChanged() = 0;
        // After the job's history entry and toast; the owner refreshes what brew changed.
        virtual void brewJobEnded() = 0;
        // Adds `text` to the console after the output of brew that waits for it.
        virtual void appendBrewLog(const QString& text) = 0;
        // Where a command's worker passes brew's output for the console; callable from any thread.
        virtual std::function<void(QByteArrayView utf8)> brewConsoleOutput() = 0;
        virtual void showToast(const QString& message, bool isError) = 0;
        virtual void recordHistory(UpdateLogEntry entry) = 0;
        // A batch step upgraded `item`: the lists may show it before the batch ends.
        virtual void brewPackageUpgraded(const HomebrewItem& item) = 0;
    };

    // The title of the cleanup, the user's own and the automatic one after a batch.
    static const QString cleanupTitle;

    BrewCommandDesk(Host& host, const UpdateStudioEnvironment& environment);
    // Cancels the running command without waiting for it; what it still posts is dropped.
    ~BrewCommandDesk() override;

    bool isRunning() const { return m_job.has_value(); }
    QString title() const { return m_job ? m_job->title : QString(); }
    // The step a running batch upgrade is at; none for a single command.
    std::optional<BatchUpgradeProgress> progress() const { return m_job ? m_job->progress : std::nullopt; }

    // Runs `operation` on the Homebrew pool; after an upgrade that succeeded, the automatic
    // cleanup when it is switched on, then the conclusion.
    void runOperation(Operation operation);
    // Upgrades the outdated casks and requested formulae among `items` one by one (refused while a
    // command runs). False, and nothing done, when there are none: formulae there only as
    // dependencies are left to brew's own upgrade of everything.
    bool upgradeOutdated(const std::vector<HomebrewItem>& items);
    // Asks the running command to stop, and says so in the console in any case.
    void cancel();

private:
    struct Job {
        QString title;
        std::optional<BatchUpgradeProgress> progress;
        std::shared_ptr<TruneProcessCancellation> cancellation;
    };

    QString t(const QString& en, const QString& tr) const;
    bool refuseWhileBrewCommandRuns();
    void beginBrewCommand(const QString& title, std::optional<BatchUpgradeProgress> progress = std::nullopt);
    void updateJob(const QString& title, std::optional<BatchUpgradeProgress> progress);
    void endBrewCommand();
    // Runs `command` on the Homebrew pool with the running job's token, its output going to the
    // console; `finish` gets the result on the main thread after the last output.
    void startBrewCommand(Command command, std::function<void(BrewCommandDesk&, CommandResult)> finish);
    void finishBrewCommand(const Operation& operation, const CommandResult& result);
    // Runs the automatic cleanup when it is switched on, then `then`; its failure is ignored.
    void runAutomaticCleanup(std::function<void(BrewCommandDesk&)> then);
    void concludeBrewOperation(const Operation& operation, const CommandResult& result);
    void appendBrewLog(const QString& text);

    void receiveBatchReport(
        int planSize, const std::expected<HomebrewBatchUpgradeReport, HomebrewServiceError>& outcome);
    void concludeBatch(int planSize, const std::expected<HomebrewBatchUpgradeReport, HomebrewServiceError>& outcome);

    Host& m_host;
    const UpdateStudioEnvironment& m_environment;
    std::optional<Job> m_job;
};
