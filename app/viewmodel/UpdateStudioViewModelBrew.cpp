// The Homebrew command desk of the studio's view model: single operations, the batch upgrade,
// the console, cancellation and the package search.

#include "app/viewmodel/UpdateStudioViewModelPrivate.h"

#include "app/viewmodel/BrewConsoleLog.h"
#include "app/viewmodel/HeldRowOrder.h"
#include "app/viewmodel/StudioDerived.h"
#include "app/viewmodel/StudioThreadPools.h"
#include "core/homebrew/HomebrewCanonicalOrder.h"
#include "core/homebrew/HomebrewSearch.h"
#include "core/homebrew/HomebrewStateReconciler.h"
#include "kit/foundation/TruneAppLogger.h"

#include <QCoreApplication>
#include <QUuid>

using namespace Qt::StringLiterals;

namespace {

const QString kUpgradeCategory = u"upgrade"_s;
const QString kCleanupTitle = u"brew cleanup --prune=all"_s;

QString caskFlag(bool isCask)
{
    return isCask ? u"--cask "_s : QString();
}

QString count(qsizetype value)
{
    return QString::number(value);
}

} // namespace

void UpdateStudioViewModel::post(
    QPointer<UpdateStudioViewModel> self, std::function<void(UpdateStudioViewModel&)> apply)
{
    QCoreApplication* application = QCoreApplication::instance();
    if (!application)
        return;
    QMetaObject::invokeMethod(
        application,
        [self = std::move(self), apply = std::move(apply)] {
            if (self)
                apply(*self);
        },
        Qt::QueuedConnection);
}

// --- The operations ---

void UpdateStudioViewModel::upgradeBrewItem(const HomebrewItem& item)
{
    runBrewOperation({
        .title = u"brew upgrade "_s + caskFlag(item.isCask) + item.name,
        .appName = item.fullName,
        .action = UpdateLogAction::brewUpgrade,
        .fromVersion = item.installedVersion,
        .toVersion = item.latestVersion,
        .onSuccessOptimisticUpdate =
            [item](UpdateStudioViewModel& model) {
                model.applyOptimisticBrewUpgrade(item.name, item.isCask, item.latestVersion);
            },
        .command =
            [name = item.name, isCask = item.isCask](const auto& cancellation, const auto& onOutput) {
                return HomebrewService::upgrade(name, {.isCask = isCask}, cancellation, onOutput);
            },
    });
}

void UpdateStudioViewModel::upgradeBrewCaskToken(const QString& token, const QString& displayName,
    const std::optional<QString>& fromVersion, const std::optional<QString>& toVersion)
{
    runBrewOperation({
        .title = u"brew upgrade --cask "_s + token,
        .appName = displayName,
        .action = UpdateLogAction::brewUpgrade,
        .fromVersion = fromVersion,
        .toVersion = toVersion,
        .onSuccessOptimisticUpdate
        = [token, toVersion](
              UpdateStudioViewModel& model) { model.applyOptimisticBrewUpgrade(token, true, toVersion); },
        .command =
            [token](const auto& cancellation, const auto& onOutput) {
                return HomebrewService::upgrade(token, {.isCask = true}, cancellation, onOutput);
            },
    });
}

void UpdateStudioViewModel::upgradeAllBrewDependenciesNative()
{
    const QString dependencies = count(StudioDerived::outdatedDependencyFormulae(m_state.homebrewItems).size());
    runBrewOperation({
        .title = u"brew upgrade (%1 dependencies)"_s.arg(dependencies),
        .appName = u"Homebrew Dependencies (%1)"_s.arg(dependencies),
        .action = UpdateLogAction::brewUpgrade,
        .onSuccessOptimisticUpdate = [](UpdateStudioViewModel& model) { model.applyOptimisticAllBrewUpgraded(); },
        .command = [](const auto& cancellation,
                       const auto& onOutput) { return HomebrewService::upgradeAll(true, cancellation, onOutput); },
    });
}

void UpdateStudioViewModel::installBrewItem(const HomebrewItem& item)
{
    runBrewOperation({
        .title = u"brew install "_s + caskFlag(item.isCask) + item.name,
        .appName = item.name,
        .action = UpdateLogAction::brewInstall,
        .toVersion = item.latestVersion.isEmpty() ? std::nullopt : std::optional(item.latestVersion),
        .onSuccessOptimisticUpdate = [item](UpdateStudioViewModel& model) { model.applyOptimisticBrewInstall(item); },
        .command = [name = item.name, isCask = item.isCask](const auto& cancellation,
                       const auto& onOutput) { return HomebrewService::install(name, isCask, cancellation, onOutput); },
    });
}

void UpdateStudioViewModel::uninstallBrewItem(const HomebrewItem& item)
{
    runBrewOperation({
        .title = u"brew uninstall "_s + caskFlag(item.isCask) + item.name,
        .appName = item.fullName,
        .action = UpdateLogAction::brewUninstall,
        .fromVersion = item.installedVersion,
        .onSuccessOptimisticUpdate
        = [name = item.name, isCask = item.isCask](
              UpdateStudioViewModel& model) { model.applyOptimisticBrewUninstall(name, isCask); },
        .command
        = [name = item.name, isCask = item.isCask](const auto& cancellation,
              const auto& onOutput) { return HomebrewService::uninstall(name, isCask, cancellation, onOutput); },
    });
}

void UpdateStudioViewModel::runBrewCleanup()
{
    runBrewOperation({
        .title = kCleanupTitle,
        .appName = u"Homebrew Cleanup"_s,
        .action = UpdateLogAction::brewCleanup,
        .command = [](const auto& cancellation,
                       const auto& onOutput) { return HomebrewService::cleanup(cancellation, onOutput); },
    });
}

// Recorded as an upgrade, so the automatic cleanup follows an index update too.
void UpdateStudioViewModel::runBrewUpdateMetadata()
{
    runBrewOperation({
        .title = u"brew update"_s,
        .appName = u"Homebrew Index"_s,
        .action = UpdateLogAction::brewUpgrade,
        .command = [](const auto& cancellation,
                       const auto& onOutput) { return HomebrewService::updateRepository(cancellation, onOutput); },
    });
}

void UpdateStudioViewModel::cancelBrewCommand()
{
    if (d->brewCancellation)
        d->brewCancellation->cancel();
    appendBrewLog(u"\n[TruneUpdate] Cancelling command...\n"_s);
}

void UpdateStudioViewModel::clearBrewConsole()
{
    assign(StudioField::brewConsoleLog, &StudioState::brewConsoleLogStart,
        m_state.brewConsoleLogStart + m_state.brewConsoleLog.size());
    assign(StudioField::brewConsoleLog, &StudioState::brewConsoleLog, QString());
}

// --- The runner ---

bool UpdateStudioViewModel::refuseWhileBrewCommandRuns()
{
    if (!m_state.isBrewCommandRunning)
        return false;
    showToast(t(u"A Homebrew command is already running."_s, u"Zaten çalışan bir Homebrew komutu var."_s), true);
    return true;
}

void UpdateStudioViewModel::beginBrewCommand(const QString& title)
{
    d->brewCancellation = std::make_shared<TruneProcessCancellation>();
    assign(StudioField::isBrewCommandRunning, &StudioState::isBrewCommandRunning, true);
    assign(StudioField::activeBrewCommandTitle, &StudioState::activeBrewCommandTitle, title);
    assign(StudioField::showBrewConsole, &StudioState::showBrewConsole, true);
}

// Packages upgraded one by one would otherwise move to the end of their group, and apps that
// were updated out of the updates-first ranking, under the pointer of a user who is watching.
void UpdateStudioViewModel::holdRowOrder()
{
    StudioState everyApp = m_state;
    everyApp.selectedFilter = AppFilterKind::all;
    everyApp.appSearchQuery.clear();
    assign(StudioField::heldAppOrder, &StudioState::heldAppOrder,
        std::optional(rowIDs(StudioDerived::filteredApps(everyApp, m_environment.locale))));
}

bool UpdateStudioViewModel::holdsRowOrder() const
{
    return m_state.heldAppOrder.has_value();
}

void UpdateStudioViewModel::releaseRowOrder()
{
    if (!holdsRowOrder())
        return;
    assign(StudioField::heldAppOrder, &StudioState::heldAppOrder, std::optional<QStringList>());
    std::vector<HomebrewItem> items = m_state.homebrewItems;
    sortHomebrewItemsCanonically(items, m_environment.locale);
    setHomebrewItemsAndResync(std::move(items));
}

void UpdateStudioViewModel::endBrewCommand()
{
    releaseRowOrder();
    assign(
        StudioField::batchUpgradeProgress, &StudioState::batchUpgradeProgress, std::optional<BatchUpgradeProgress>());
    assign(StudioField::isBrewCommandRunning, &StudioState::isBrewCommandRunning, false);
    assign(StudioField::activeBrewCommandTitle, &StudioState::activeBrewCommandTitle, QString());
    d->brewCancellation.reset();
    refreshAllAndCheckUpdates();
}

void UpdateStudioViewModel::runBrewOperation(BrewOperation operation)
{
    if (refuseWhileBrewCommandRuns())
        return;
    beginBrewCommand(operation.title);
    appendBrewLog(u"\n$ "_s + operation.title + u"\n"_s);
    m_environment.logger->info(
        u"Running Homebrew operation [%1] for %2"_s.arg(rawValue(operation.action), operation.appName),
        kUpgradeCategory);

    BrewCommand command = operation.command;
    startBrewCommand(std::move(command),
        [operation = std::move(operation)](UpdateStudioViewModel& model, HomebrewService::CommandResult result) {
            model.finishBrewCommand(operation, result);
        });
}

void UpdateStudioViewModel::startBrewCommand(
    BrewCommand command, std::function<void(UpdateStudioViewModel&, HomebrewService::CommandResult)> finish)
{
    // The result is posted after the last output was put in the feed, and takes that output in
    // before it, so the console reads in brew's own order.
    StudioThreadPools::homebrew().start(
        [self = QPointer(this), cancellation = d->brewCancellation, command = std::move(command),
            output = brewConsoleOutput(), finish = std::move(finish)] {
            HomebrewService::CommandResult result = command(cancellation, output);
            post(self, [finish, result = std::move(result)](UpdateStudioViewModel& model) {
                model.appendBrewLog(QString());
                finish(model, result);
            });
        });
}

std::function<void(QByteArrayView utf8)> UpdateStudioViewModel::brewConsoleOutput()
{
    return [self = QPointer(this), feed = d->brewOutput](QByteArrayView chunk) {
        if (feed->put(chunk))
            post(self, [](UpdateStudioViewModel& model) { model.showBrewOutputNextFrame(); });
    };
}

void UpdateStudioViewModel::showBrewOutputNextFrame()
{
    if (!d->brewOutputFrame.isActive())
        d->brewOutputFrame.start();
}

void UpdateStudioViewModel::finishBrewCommand(
    const BrewOperation& operation, const HomebrewService::CommandResult& result)
{
    if (result && operation.action == UpdateLogAction::brewUpgrade) {
        runAutomaticCleanup([operation](UpdateStudioViewModel& model) { model.concludeBrewOperation(operation, {}); });
        return;
    }
    concludeBrewOperation(operation, result);
}

void UpdateStudioViewModel::runAutomaticCleanup(std::function<void(UpdateStudioViewModel&)> then)
{
    if (!m_state.config.autoCleanupAfterBrewUpgrade) {
        then(*this);
        return;
    }
    appendBrewLog(u"\n$ brew cleanup --prune=all (auto)\n"_s);
    startBrewCommand(
        [](const auto& cancellation, const auto& onOutput) { return HomebrewService::cleanup(cancellation, onOutput); },
        [then = std::move(then)](UpdateStudioViewModel& model, const HomebrewService::CommandResult&) { then(model); });
}

void UpdateStudioViewModel::concludeBrewOperation(
    const BrewOperation& operation, const HomebrewService::CommandResult& result)
{
    const QString action = rawValue(operation.action);
    UpdateLogStatus status = UpdateLogStatus::success;
    QString details = operation.title;
    if (result) {
        if (operation.onSuccessOptimisticUpdate)
            operation.onSuccessOptimisticUpdate(*this);
        m_environment.logger->info(
            u"Completed Homebrew operation [%1] for %2"_s.arg(action, operation.appName), kUpgradeCategory);
        appendBrewLog(u"\n✅ Completed: "_s + operation.title + u"\n"_s);
    } else {
        details = result.error().description(m_state.language);
        if (d->brewCancellation->isCancelled()) {
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
    recordHistory(UpdateLogEntry(QUuid::createUuid(), m_environment.now(), operation.appName, operation.action,
        operation.fromVersion, operation.toVersion, status, details));
    if (result)
        showToast(t(u"Completed: "_s + operation.appName, u"Tamamlandı: "_s + operation.appName), false);
    else
        showToast(details, true);
    endBrewCommand();
}

// In place: the console is long and grows a line at a time.
void UpdateStudioViewModel::appendBrewLog(const QString& text)
{
    const QString output = d->brewOutput->take() + text;
    if (output.isEmpty())
        return;
    m_state.brewConsoleLogStart += BrewConsoleLog::append(m_state.brewConsoleLog, output);
    markChanged(StudioField::brewConsoleLog);
}

// --- The batch upgrade ---

void UpdateStudioViewModel::upgradeAllBrew()
{
    // Formulae that are there only as dependencies are left to brew's own upgrade of everything.
    std::vector<HomebrewItem> selection;
    for (const HomebrewItem& item : m_state.homebrewItems) {
        if (item.isOutdated && !item.isDependencyOnly())
            selection.push_back(item);
    }
    const std::vector<HomebrewBatchUpgradeStep> plan
        = HomebrewBatchUpgrader::buildPlan(selection, false, m_environment.locale);
    if (plan.empty()) {
        if (!StudioDerived::outdatedDependencyFormulae(m_state.homebrewItems).empty())
            upgradeAllBrewDependenciesNative();
        else
            showToast(t(u"All Homebrew packages are already up to date."_s, u"Tüm Homebrew paketleri zaten güncel."_s),
                false);
        return;
    }
    if (refuseWhileBrewCommandRuns())
        return;

    const int planSize = int(plan.size());
    beginBrewCommand(u"brew upgrade (%1 outdated)"_s.arg(planSize));
    holdRowOrder();
    assign(StudioField::batchUpgradeProgress, &StudioState::batchUpgradeProgress,
        std::optional(
            BatchUpgradeProgress{.current = 1, .total = planSize, .currentPackageName = plan.front().item.fullName}));
    appendBrewLog(u"\n$ Upgrading %1 outdated Homebrew package(s)...\n"_s.arg(planSize));
    m_environment.logger->info(
        u"Starting batch Homebrew upgrade for %1 outdated package(s)"_s.arg(planSize), kUpgradeCategory);

    StudioThreadPools::homebrew().start([self = QPointer(this), cancellation = d->brewCancellation,
                                            output = brewConsoleOutput(), selection = std::move(selection), planSize] {
        const auto stepStarted = [self](const HomebrewBatchUpgradeStep& step) {
            post(self, [step](UpdateStudioViewModel& model) {
                model.assign(StudioField::activeBrewCommandTitle, &StudioState::activeBrewCommandTitle,
                    u"[%1/%2] %3"_s.arg(count(step.index), count(step.total), step.displayCommand));
                model.assign(StudioField::batchUpgradeProgress, &StudioState::batchUpgradeProgress,
                    std::optional(BatchUpgradeProgress{
                        .current = step.index, .total = step.total, .currentPackageName = step.item.fullName}));
            });
        };
        const auto stepCompleted
            = [self](const HomebrewBatchUpgradeStep& step, const std::optional<HomebrewCommandError>& error) {
                  if (error)
                      return;
                  post(self, [item = step.item](UpdateStudioViewModel& model) {
                      model.applyOptimisticBrewUpgrade(item.name, item.isCask, item.latestVersion);
                  });
              };
        auto outcome
            = HomebrewBatchUpgrader::execute(selection, false, cancellation, stepStarted, stepCompleted, output);
        post(self, [planSize, outcome = std::move(outcome)](UpdateStudioViewModel& model) {
            model.appendBrewLog(QString());
            model.receiveBatchReport(planSize, outcome);
        });
    });
}

void UpdateStudioViewModel::receiveBatchReport(
    int planSize, const std::expected<HomebrewBatchUpgradeReport, HomebrewServiceError>& outcome)
{
    if (outcome && !outcome->wasCancelled && !outcome->succeeded.empty()
        && m_state.config.autoCleanupAfterBrewUpgrade) {
        assign(StudioField::activeBrewCommandTitle, &StudioState::activeBrewCommandTitle, kCleanupTitle);
        runAutomaticCleanup(
            [planSize, outcome](UpdateStudioViewModel& model) { model.concludeBatch(planSize, outcome); });
        return;
    }
    concludeBatch(planSize, outcome);
}

void UpdateStudioViewModel::concludeBatch(
    int planSize, const std::expected<HomebrewBatchUpgradeReport, HomebrewServiceError>& outcome)
{
    const QString appName = u"Homebrew Batch (%1)"_s.arg(planSize);
    const auto record = [&](UpdateLogStatus status, const QString& details) {
        recordHistory(UpdateLogEntry(QUuid::createUuid(), m_environment.now(), appName, UpdateLogAction::brewUpgrade,
            std::nullopt, std::nullopt, status, details));
    };

    if (!outcome) {
        const QString description = outcome.error().description(m_state.language);
        m_environment.logger->error(u"Batch Homebrew upgrade error: "_s + description, kUpgradeCategory);
        appendBrewLog(u"\n❌ Error: "_s + description + u"\n"_s);
        record(d->brewCancellation->isCancelled() ? UpdateLogStatus::cancelled : UpdateLogStatus::failed, description);
        showToast(description, true);
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
        showToast(t(u"Batch upgrade cancelled (%1/%2 upgraded)."_s.arg(s, n),
                      u"Toplu güncelleme iptal edildi (%1/%2 tamamlandı)."_s.arg(s, n)),
            true);
    } else if (!outcome->failed.empty()) {
        status = outcome->succeeded.empty() ? UpdateLogStatus::failed : UpdateLogStatus::success;
        m_environment.logger->warn(
            u"Batch Homebrew upgrade finished with %1 failure(s): %2/%3 succeeded"_s.arg(f, s, n), kUpgradeCategory);
        appendBrewLog(u"\n⚠️ Completed with %1 failure(s): %2/%3 upgraded.\n"_s.arg(f, s, n));
        showToast(t(u"Upgraded %1/%2 packages (%3 failed)."_s.arg(s, n, f),
                      u"%1/%2 paket yükseltildi (%3 hata)."_s.arg(s, n, f)),
            true);
    } else {
        m_environment.logger->info(
            u"Batch Homebrew upgrade succeeded for all %1 package(s)"_s.arg(s), kUpgradeCategory);
        appendBrewLog(u"\n✅ Upgraded all %1 outdated package(s).\n"_s.arg(s));
        showToast(t(u"Upgraded all %1 outdated Homebrew packages."_s.arg(s),
                      u"%1 Homebrew paketinin tümü yükseltildi."_s.arg(s)),
            false);
    }
    record(status, u"%1 succeeded, %2 failed, %3 skipped"_s.arg(s, f, k));
    endBrewCommand();
}

// --- Optimistic list patches, until the closing refresh brings brew's own word ---

void UpdateStudioViewModel::applyOptimisticBrewUpgrade(
    const QString& name, bool isCask, const std::optional<QString>& newVersion)
{
    if (isCask) {
        assign(StudioField::installedApps, &StudioState::installedApps,
            HomebrewStateReconciler::markCaskUpgraded(m_state.installedApps, name, newVersion));
    }
    setHomebrewItemsAndResync(
        HomebrewStateReconciler::applyUpgradeSuccess(m_state.homebrewItems, name, isCask, m_environment.locale));
}

void UpdateStudioViewModel::applyOptimisticAllBrewUpgraded()
{
    setHomebrewItemsAndResync(HomebrewStateReconciler::applyAllUpgraded(m_state.homebrewItems, m_environment.locale));
}

void UpdateStudioViewModel::applyOptimisticBrewInstall(const HomebrewItem& item)
{
    setHomebrewItemsAndResync(
        HomebrewStateReconciler::applyInstallSuccess(m_state.homebrewItems, item, m_environment.locale));
}

void UpdateStudioViewModel::applyOptimisticBrewUninstall(const QString& name, bool isCask)
{
    setHomebrewItemsAndResync(HomebrewStateReconciler::applyUninstallSuccess(m_state.homebrewItems, name, isCask));
}

void UpdateStudioViewModel::setHomebrewItemsAndResync(std::vector<HomebrewItem> items)
{
    if (holdsRowOrder())
        sortByHeldOrder(items, rowIDs(m_state.homebrewItems));
    assign(StudioField::homebrewItems, &StudioState::homebrewItems, std::move(items));
    assign(StudioField::brewSearchResults, &StudioState::brewSearchResults,
        HomebrewStateReconciler::syncSearchResults(m_state.brewSearchResults, m_state.homebrewItems));
}

// --- Search ---

void UpdateStudioViewModel::setBrewSearchQuery(const QString& query)
{
    assign(StudioField::brewSearchQuery, &StudioState::brewSearchQuery, query);
}

void UpdateStudioViewModel::performBrewSearch()
{
    const QString query = m_state.brewSearchQuery.trimmed();
    if (query.isEmpty()) {
        // Also silences a search still running for an earlier query.
        ++d->latestBrewSearch;
        assign(StudioField::brewSearchResults, &StudioState::brewSearchResults, std::vector<HomebrewItem>());
        assign(StudioField::searchedBrewQuery, &StudioState::searchedBrewQuery, std::optional<QString>());
        assign(StudioField::isSearchingBrew, &StudioState::isSearchingBrew, false);
        return;
    }
    if (!HomebrewService::isValidToken(query)) {
        showToast(
            t(u"Search query contains invalid characters."_s, u"Arama sorgusu geçersiz karakterler içeriyor."_s), true);
        return;
    }
    const quint64 search = ++d->latestBrewSearch;
    assign(StudioField::isSearchingBrew, &StudioState::isSearchingBrew, true);
    StudioThreadPools::homebrew().start([self = QPointer(this), search, query, installed = m_state.homebrewItems] {
        auto outcome = HomebrewService::search(query, installed);
        post(self, [search, query, outcome = std::move(outcome)](UpdateStudioViewModel& model) {
            model.receiveSearchResults(search, query, outcome);
        });
    });
}

// An earlier search that ends after a later one has started is dropped whole, its error too.
// A failed search (brew missing, offline, brew's own failure) keeps the old results and says why.
void UpdateStudioViewModel::receiveSearchResults(
    quint64 search, const QString& query, const std::expected<std::vector<HomebrewItem>, HomebrewCommandError>& outcome)
{
    if (search != d->latestBrewSearch)
        return;
    if (outcome) {
        assign(StudioField::brewSearchResults, &StudioState::brewSearchResults, *outcome);
        assign(StudioField::searchedBrewQuery, &StudioState::searchedBrewQuery, std::optional(query));
        assign(StudioField::homebrewSubTab, &StudioState::homebrewSubTab, HomebrewSubTab::search);
    } else {
        showToast(outcome.error().description(m_state.language), true);
    }
    assign(StudioField::isSearchingBrew, &StudioState::isSearchingBrew, false);
}
