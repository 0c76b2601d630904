// The Homebrew side of the studio's view model: the operations it hands to its command desk, what
// the desk reports of its job, the console, the optimistic list patches and the package search.

#include "app/viewmodel/UpdateStudioViewModelPrivate.h"

#include "app/viewmodel/BrewConsoleLog.h"
#include "app/viewmodel/HeldRowOrder.h"
#include "app/viewmodel/MainThreadPost.h"
#include "app/viewmodel/StudioDerived.h"
#include "app/viewmodel/StudioThreadPools.h"
#include "core/homebrew/HomebrewCanonicalOrder.h"
#include "core/homebrew/HomebrewSearch.h"
#include "core/homebrew/HomebrewStateReconciler.h"

using namespace Qt::StringLiterals;

namespace {

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
    postToMainThread(std::move(self), std::move(apply));
}

// --- The operations ---

void UpdateStudioViewModel::upgradeBrewItem(const HomebrewItem& item)
{
    d->desk.runOperation({
        .title = u"brew upgrade "_s + caskFlag(item.isCask) + item.name,
        .appName = item.fullName,
        .action = UpdateLogAction::brewUpgrade,
        .fromVersion = item.installedVersion,
        .toVersion = item.latestVersion,
        .onSuccessOptimisticUpdate
        = [this, item] { applyOptimisticBrewUpgrade(item.name, item.isCask, item.latestVersion); },
        .command =
            [name = item.name, isCask = item.isCask](const auto& cancellation, const auto& onOutput) {
                return HomebrewService::upgrade(name, {.isCask = isCask}, cancellation, onOutput);
            },
    });
}

void UpdateStudioViewModel::upgradeBrewCaskToken(const QString& token, const QString& displayName,
    const std::optional<QString>& fromVersion, const std::optional<QString>& toVersion)
{
    d->desk.runOperation({
        .title = u"brew upgrade --cask "_s + token,
        .appName = displayName,
        .action = UpdateLogAction::brewUpgrade,
        .fromVersion = fromVersion,
        .toVersion = toVersion,
        .onSuccessOptimisticUpdate = [this, token, toVersion] { applyOptimisticBrewUpgrade(token, true, toVersion); },
        .command =
            [token](const auto& cancellation, const auto& onOutput) {
                return HomebrewService::upgrade(token, {.isCask = true}, cancellation, onOutput);
            },
    });
}

void UpdateStudioViewModel::upgradeAllBrewDependenciesNative()
{
    const QString dependencies = count(StudioDerived::outdatedDependencyFormulae(m_state.homebrewItems).size());
    d->desk.runOperation({
        .title = u"brew upgrade (%1 dependencies)"_s.arg(dependencies),
        .appName = u"Homebrew Dependencies (%1)"_s.arg(dependencies),
        .action = UpdateLogAction::brewUpgrade,
        .onSuccessOptimisticUpdate = [this] { applyOptimisticAllBrewUpgraded(); },
        .command = [](const auto& cancellation,
                       const auto& onOutput) { return HomebrewService::upgradeAll(true, cancellation, onOutput); },
    });
}

void UpdateStudioViewModel::installBrewItem(const HomebrewItem& item)
{
    d->desk.runOperation({
        .title = u"brew install "_s + caskFlag(item.isCask) + item.name,
        .appName = item.name,
        .action = UpdateLogAction::brewInstall,
        .toVersion = item.latestVersion.isEmpty() ? std::nullopt : std::optional(item.latestVersion),
        .onSuccessOptimisticUpdate = [this, item] { applyOptimisticBrewInstall(item); },
        .command = [name = item.name, isCask = item.isCask](const auto& cancellation,
                       const auto& onOutput) { return HomebrewService::install(name, isCask, cancellation, onOutput); },
    });
}

void UpdateStudioViewModel::uninstallBrewItem(const HomebrewItem& item)
{
    d->desk.runOperation({
        .title = u"brew uninstall "_s + caskFlag(item.isCask) + item.name,
        .appName = item.fullName,
        .action = UpdateLogAction::brewUninstall,
        .fromVersion = item.installedVersion,
        .onSuccessOptimisticUpdate
        = [this, name = item.name, isCask = item.isCask] { applyOptimisticBrewUninstall(name, isCask); },
        .command
        = [name = item.name, isCask = item.isCask](const auto& cancellation,
              const auto& onOutput) { return HomebrewService::uninstall(name, isCask, cancellation, onOutput); },
    });
}

void UpdateStudioViewModel::runBrewCleanup()
{
    d->desk.runOperation({
        .title = BrewCommandDesk::cleanupTitle,
        .appName = u"Homebrew Cleanup"_s,
        .action = UpdateLogAction::brewCleanup,
        .command = [](const auto& cancellation,
                       const auto& onOutput) { return HomebrewService::cleanup(cancellation, onOutput); },
    });
}

// Recorded as an upgrade, so the automatic cleanup follows an index update too.
void UpdateStudioViewModel::runBrewUpdateMetadata()
{
    d->desk.runOperation({
        .title = u"brew update"_s,
        .appName = u"Homebrew Index"_s,
        .action = UpdateLogAction::brewUpgrade,
        .command = [](const auto& cancellation,
                       const auto& onOutput) { return HomebrewService::updateRepository(cancellation, onOutput); },
    });
}

// With nothing to upgrade one by one, outdated dependencies go to brew's own upgrade of everything.
void UpdateStudioViewModel::upgradeAllBrew()
{
    if (d->desk.upgradeOutdated(m_state.homebrewItems))
        return;
    if (!StudioDerived::outdatedDependencyFormulae(m_state.homebrewItems).empty())
        upgradeAllBrewDependenciesNative();
    else
        showToast(
            t(u"All Homebrew packages are already up to date."_s, u"Tüm Homebrew paketleri zaten güncel."_s), false);
}

void UpdateStudioViewModel::cancelBrewCommand()
{
    d->desk.cancel();
}

void UpdateStudioViewModel::clearBrewConsole()
{
    assign(StudioField::brewConsoleLog, &StudioState::brewConsoleLogStart,
        m_state.brewConsoleLogStart + m_state.brewConsoleLog.size());
    assign(StudioField::brewConsoleLog, &StudioState::brewConsoleLog, QString());
}

// --- The desk's job in the state ---

void UpdateStudioViewModel::brewJobStarted()
{
    publishBrewJob();
    assign(StudioField::showBrewConsole, &StudioState::showBrewConsole, true);
    if (d->desk.progress())
        holdRowOrder();
}

void UpdateStudioViewModel::publishBrewJob()
{
    assign(StudioField::isBrewCommandRunning, &StudioState::isBrewCommandRunning, d->desk.isRunning());
    assign(StudioField::activeBrewCommandTitle, &StudioState::activeBrewCommandTitle, d->desk.title());
    assign(StudioField::batchUpgradeProgress, &StudioState::batchUpgradeProgress, d->desk.progress());
}

// After the job, brew's own word replaces the lists' optimistic patches.
void UpdateStudioViewModel::brewJobEnded()
{
    releaseRowOrder();
    publishBrewJob();
    refreshAllAndCheckUpdates();
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

// In place: the console is long and grows a line at a time.
void UpdateStudioViewModel::appendBrewLog(const QString& text)
{
    const QString output = d->brewOutput->take() + text;
    if (output.isEmpty())
        return;
    m_state.brewConsoleLogStart += BrewConsoleLog::append(m_state.brewConsoleLog, output);
    markChanged(StudioField::brewConsoleLog);
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
    StudioThreadPools::homebrew().start([self = QPointer(this), search, query, installed = m_state.homebrewItems,
                                            cancellation = d->homebrewQueryCancellation] {
        auto outcome = HomebrewService::search(query, installed, cancellation);
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
