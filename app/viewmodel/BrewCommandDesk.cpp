#include "app/viewmodel/BrewCommandDesk.h"

#include "app/viewmodel/MainThreadPost.h"
#include "app/viewmodel/StudioThreadPools.h"
#include "core/homebrew/HomebrewBatchUpgrader.h"
#include "kit/foundation/TruneAppLogger.h"
#include "kit/localization/TruneText.h"

#include <QUuid>

using namespace Qt::StringLiterals;

namespace {

const QString kUpgradeCategory = u"upgrade"_s;

QString count(qsizetype value)
{
    return QString::number(value);
}

void post(QPointer<BrewCommandDesk> self, std::function<void(BrewCommandDesk&)> apply)
{
    postToMainThread(std::move(self), std::move(apply));
}

} // namespace

const QString BrewCommandDesk::cleanupTitle = u"brew cleanup --prune=all"_s;

BrewCommandDesk::BrewCommandDesk(Host& host, const UpdateStudioEnvironment& environment)
    : m_host(host)
    , m_environment(environment)
{
}

BrewCommandDesk::~BrewCommandDesk()
{
    if (m_job)
        m_job->cancellation->cancel();
}

QString BrewCommandDesk::t(const QString& en, const QString& tr) const
{
    return truneText(en, tr, m_host.studioState().language);
}

void BrewCommandDesk::cancel()
{
    if (m_job)
        m_job->cancellation->cancel();
    appendBrewLog(u"\n[TruneUpdate] Cancelling command...\n"_s);
}

// --- The runner ---

bool BrewCommandDesk::refuseWhileBrewCommandRuns()
{
    if (!isRunning())
        return false;
    m_host.showToast(t(u"A Homebrew command is already running."_s, u"Zaten çalışan bir Homebrew komutu var."_s), true);
    return true;
}

void BrewCommandDesk::beginBrewCommand(const QString& title, std::optional<BatchUpgradeProgress> progress)
{
    m_job = Job{
        .title = title, .progress = std::move(progress), .cancellation = std::make_shared<TruneProcessCancellation>()};
    m_host.brewJobStarted();
}

void BrewCommandDesk::updateJob(const QString& title, std::optional<BatchUpgradeProgress> progress)
{
    if (!m_job)
        return;
    m_job->title = title;
    m_job->progress = std::move(progress);
    m_host.brewJobChanged();
}

void BrewCommandDesk::endBrewCommand()
{
    m_job.reset();
    m_host.brewJobEnded();
}

void BrewCommandDesk::runOperation(Operation operation)
{
    if (refuseWhileBrewCommandRuns())
        return;
    beginBrewCommand(operation.title);
    appendBrewLog(u"\n$ "_s + operation.title + u"\n"_s);
    m_environment.logger->info(
        u"Running Homebrew operation [%1] for %2"_s.arg(rawValue(operation.action), operation.appName),
        kUpgradeCategory);

    Command command = operation.command;
    startBrewCommand(
        std::move(command), [operation = std::move(operation)](BrewCommandDesk& desk, CommandResult result) {
            desk.finishBrewCommand(operation, result);
        });
}

void BrewCommandDesk::startBrewCommand(Command command, std::function<void(BrewCommandDesk&, CommandResult)> finish)
{
    // The result is posted after the last output went to the console's feed, and takes that output
    // in before it, so the console reads in brew's own order.
    StudioThreadPools::homebrew().start(
        [self = QPointer(this), cancellation = m_job->cancellation, command = std::move(command),
            output = m_host.brewConsoleOutput(), finish = std::move(finish)] {
            CommandResult result = command(cancellation, output);
            post(self, [finish, result = std::move(result)](BrewCommandDesk& desk) {
                desk.appendBrewLog(QString());
                finish(desk, result);
            });
        });
}

void BrewCommandDesk::finishBrewCommand(const Operation& operation, const CommandResult& result)
{
    if (result && operation.action == UpdateLogAction::brewUpgrade) {
        runAutomaticCleanup([operation](BrewCommandDesk& desk) { desk.concludeBrewOperation(operation, {}); });
        return;
    }
    concludeBrewOperation(operation, result);
}

void BrewCommandDesk::runAutomaticCleanup(std::function<void(BrewCommandDesk&)> then)
{
    if (!m_host.studioState().config.autoCleanupAfterBrewUpgrade) {
        then(*this);
        return;
    }
    appendBrewLog(u"\n$ brew cleanup --prune=all (auto)\n"_s);
    startBrewCommand(
        [](const auto& cancellation, const auto& onOutput) { return HomebrewService::cleanup(cancellation, onOutput); },
        [then = std::move(then)](BrewCommandDesk& desk, const CommandResult&) { then(desk); });
}

void BrewCommandDesk::concludeBrewOperation(const Operation& operation, const CommandResult& result)
{
    const QString action = rawValue(operation.action);
    UpdateLogStatus status = UpdateLogStatus::success;
    QString details = operation.title;
    if (result) {
        if (operation.onSuccessOptimisticUpdate)
            operation.onSuccessOptimisticUpdate();
        m_environment.logger->info(
            u"Completed Homebrew operation [%1] for %2"_s.arg(action, operation.appName), kUpgradeCategory);
        appendBrewLog(u"\n✅ Completed: "_s + operation.title + u"\n"_s);
    } else {
        details = result.error().description(m_host.studioState().language);
        if (m_job->cancellation->isCancelled()) {
            status = UpdateLogStatus::cancelled;
            m_environment.logger->warn(
                u"Cancelled Homebrew operation [%1] for %2"_s.arg(action, operation.appName), kUpgradeCategory);
            appendBrewLog(u"\n⚠️ Cancelled: "_s + details + u"\n"_s);
        } else {
            status = UpdateLogStatus::failed;
            m_environment.logger->error(
                u"Failed Homebrew operation [%1] for %2: %3"_s.arg(action, operation.appName, details),
                kUpgradeCategory);
            appendBrewLog(u"\n❌ Error: "_s + details + u"\n"_s);
        }
    }
    m_host.recordHistory(UpdateLogEntry(QUuid::createUuid(), m_environment.now(), operation.appName, operation.action,
        operation.fromVersion, operation.toVersion, status, details));
    if (result)
        m_host.showToast(t(u"Completed: "_s + operation.appName, u"Tamamlandı: "_s + operation.appName), false);
    else
        m_host.showToast(details, true);
    endBrewCommand();
}

void BrewCommandDesk::appendBrewLog(const QString& text)
{
    m_host.appendBrewLog(text);
}

// --- The batch upgrade ---

bool BrewCommandDesk::upgradeOutdated(const std::vector<HomebrewItem>& items)
{
    std::vector<HomebrewItem> selection;
    for (const HomebrewItem& item : items) {
        if (item.isOutdated && !item.isDependencyOnly())
            selection.push_back(item);
    }
    const std::vector<HomebrewBatchUpgradeStep> plan
        = HomebrewBatchUpgrader::buildPlan(selection, false, m_environment.locale);
    if (plan.empty())
        return false;
    if (refuseWhileBrewCommandRuns())
        return true;

    const int planSize = int(plan.size());
    beginBrewCommand(u"brew upgrade (%1 outdated)"_s.arg(planSize),
        BatchUpgradeProgress{.current = 1, .total = planSize, .currentPackageName = plan.front().item.fullName});
    appendBrewLog(u"\n$ Upgrading %1 outdated Homebrew package(s)...\n"_s.arg(planSize));
    m_environment.logger->info(
        u"Starting batch Homebrew upgrade for %1 outdated package(s)"_s.arg(planSize), kUpgradeCategory);

    StudioThreadPools::homebrew().start(
        [self = QPointer(this), cancellation = m_job->cancellation, output = m_host.brewConsoleOutput(),
            selection = std::move(selection), planSize] {
            const auto stepStarted = [self](const HomebrewBatchUpgradeStep& step) {
                post(self, [step](BrewCommandDesk& desk) {
                    desk.updateJob(u"[%1/%2] %3"_s.arg(count(step.index), count(step.total), step.displayCommand),
                        BatchUpgradeProgress{
                            .current = step.index, .total = step.total, .currentPackageName = step.item.fullName});
                });
            };
            const auto stepCompleted
                = [self](const HomebrewBatchUpgradeStep& step, const std::optional<HomebrewCommandError>& error) {
                      if (error)
                          return;
                      post(self, [item = step.item](BrewCommandDesk& desk) { desk.m_host.brewPackageUpgraded(item); });
                  };
            auto outcome
                = HomebrewBatchUpgrader::execute(selection, false, cancellation, stepStarted, stepCompleted, output);
            post(self, [planSize, outcome = std::move(outcome)](BrewCommandDesk& desk) {
                desk.appendBrewLog(QString());
                desk.receiveBatchReport(planSize, outcome);
            });
        });
    return true;
}

void BrewCommandDesk::receiveBatchReport(
    int planSize, const std::expected<HomebrewBatchUpgradeReport, HomebrewServiceError>& outcome)
{
    if (outcome && !outcome->wasCancelled && !outcome->succeeded.empty()
        && m_host.studioState().config.autoCleanupAfterBrewUpgrade) {
        updateJob(cleanupTitle, m_job->progress);
        runAutomaticCleanup([planSize, outcome](BrewCommandDesk& desk) { desk.concludeBatch(planSize, outcome); });
        return;
    }
    concludeBatch(planSize, outcome);
}

void BrewCommandDesk::concludeBatch(
    int planSize, const std::expected<HomebrewBatchUpgradeReport, HomebrewServiceError>& outcome)
{
    const QString appName = u"Homebrew Batch (%1)"_s.arg(planSize);
    const auto record = [&](UpdateLogStatus status, const QString& details) {
        m_host.recordHistory(UpdateLogEntry(QUuid::createUuid(), m_environment.now(), appName,
            UpdateLogAction::brewUpgrade, std::nullopt, std::nullopt, status, details));
    };

    if (!outcome) {
        const QString description = outcome.error().description(m_host.studioState().language);
        m_environment.logger->error(u"Batch Homebrew upgrade error: "_s + description, kUpgradeCategory);
        appendBrewLog(u"\n❌ Error: "_s + description + u"\n"_s);
        record(m_job->cancellation->isCancelled() ? UpdateLogStatus::cancelled : UpdateLogStatus::failed, description);
        m_host.showToast(description, true);
        endBrewCommand();
        return;
    }

    const QString n = count(planSize);
    const QString s = count(outcome->succeeded.size());
    const QString f = count(outcome->failed.size());
    const QString k = count(outcome->skippedDueToCancellation.size());
    UpdateLogStatus status = UpdateLogStatus::success;
    if (outcome->wasCancelled) {
        status = UpdateLogStatus::cancelled;
        m_environment.logger->warn(u"Batch Homebrew upgrade cancelled (%1/%2 succeeded)"_s.arg(s, n), kUpgradeCategory);
        appendBrewLog(u"\n⚠️ Batch upgrade cancelled (%1/%2 completed).\n"_s.arg(s, n));
        m_host.showToast(t(u"Batch upgrade cancelled (%1/%2 upgraded)."_s.arg(s, n),
                             u"Toplu güncelleme iptal edildi (%1/%2 tamamlandı)."_s.arg(s, n)),
            true);
    } else if (!outcome->failed.empty()) {
        status = outcome->succeeded.empty() ? UpdateLogStatus::failed : UpdateLogStatus::success;
        m_environment.logger->warn(
            u"Batch Homebrew upgrade finished with %1 failure(s): %2/%3 succeeded"_s.arg(f, s, n), kUpgradeCategory);
        appendBrewLog(u"\n⚠️ Completed with %1 failure(s): %2/%3 upgraded.\n"_s.arg(f, s, n));
        m_host.showToast(t(u"Upgraded %1/%2 packages (%3 failed)."_s.arg(s, n, f),
                             u"%1/%2 paket yükseltildi (%3 hata)."_s.arg(s, n, f)),
            true);
    } else {
        m_environment.logger->info(
            u"Batch Homebrew upgrade succeeded for all %1 package(s)"_s.arg(s), kUpgradeCategory);
        appendBrewLog(u"\n✅ Upgraded all %1 outdated package(s).\n"_s.arg(s));
        m_host.showToast(t(u"Upgraded all %1 outdated Homebrew packages."_s.arg(s),
                             u"%1 Homebrew paketinin tümü yükseltildi."_s.arg(s)),
            false);
    }
    record(status, u"%1 succeeded, %2 failed, %3 skipped"_s.arg(s, f, k));
    endBrewCommand();
}
