// The settings, watchers, timers and system hooks of the studio's view model.
#include "app/viewmodel/UpdateStudioViewModelPrivate.h"

#include "app/viewmodel/StudioDerived.h"
#include "app/viewmodel/StudioSystemHooks.h"
#include "app/viewmodel/StudioThreadPools.h"
#include "kit/desktop/TruneAppActivationDelegate.h"
#include "kit/foundation/TruneLaunchAtLogin.h"
#include "kit/platform/TruneNotifier.h"

#include <QCoreApplication>
#include <QGuiApplication>

using namespace Qt::StringLiterals;

namespace {

constexpr std::chrono::seconds kExternalUpdateWatch{600};
// Option-Command-U: U is key code 32 of the ANSI layout.
constexpr TruneHotkeyDescriptor kStudioHotkey{.keyCode = 32, .carbonModifiers = TruneHotkeyDescriptor::cmdOptionFlag};

bool somethingOutdated(const StudioState& state)
{
    const std::vector<HomebrewItem>& items = state.homebrewItems;
    return !StudioDerived::outdatedApps(state).empty()
        || StudioDerived::outdatedCasks(items).size() + StudioDerived::outdatedFormulae(items).size() >= 1
        || !StudioDerived::outdatedDependencyFormulae(items).empty();
}

} // namespace

void UpdateStudioViewModel::updateConfig(const std::function<void(TruneUpdateConfig&)>& change)
{
    if (!changeConfig(change))
        return;
    configureTrashWatcher();
    scheduleAutoCheckTimer();
}

// Saving before the stored settings are read would write the defaults over them.
bool UpdateStudioViewModel::changeConfig(std::function<void(TruneUpdateConfig&)> change)
{
    TruneUpdateConfig config = m_state.config;
    change(config);
    assign(StudioField::config, &StudioState::config, std::move(config));
    if (!d->storedFilesLoaded) {
        d->configChangesBeforeLoad.push_back(std::move(change));
        return false;
    }
    saveConfig();
    return true;
}

void UpdateStudioViewModel::configureTrashWatcher()
{
    if (!m_state.config.watchTrashForLeftovers) {
        d->trashWatcher.stop();
        return;
    }
    d->trashWatcher.start([self = QPointer(this)](const TrashLeftoverAlert& alert) {
        post(self, [alert](UpdateStudioViewModel& model) { model.receiveTrashAlert(alert); });
    });
}

void UpdateStudioViewModel::scheduleAutoCheckTimer()
{
    d->autoCheckTimer.stop();
    const std::optional<std::chrono::milliseconds> interval
        = StudioSystemHooks::autoCheckInterval(m_state.config.autoCheckIntervalHours);
    if (!interval)
        return;
    d->autoCheckTimer.setInterval(*interval);
    d->autoCheckTimer.start();
}

void UpdateStudioViewModel::clearHistory()
{
    // Queued behind any history write still pending, so nothing written before survives the clear.
    StudioThreadPools::records().start([store = d->store]() mutable { store.clearHistory(); });
    d->historyClearedBeforeLoad = !d->storedFilesLoaded;
    assign(StudioField::history, &StudioState::history, std::vector<UpdateLogEntry>());
    showToast(t(u"Update history cleared."_s, u"Güncelleme geçmişi temizlendi."_s), false);
}

void UpdateStudioViewModel::refreshPermissions()
{
    assign(StudioField::accessibilityGranted, &StudioState::accessibilityGranted,
        TrunePermissionCenter::isAccessibilityGranted(false));
    assign(StudioField::screenRecordingGranted, &StudioState::screenRecordingGranted,
        TrunePermissionCenter::isScreenRecordingGranted());
}

void UpdateStudioViewModel::openPermissionSettings(TruneSystemPermissionKind kind)
{
    TrunePermissionCenter::openSystemSettings(kind);
}

void UpdateStudioViewModel::toggleLaunchAtLogin(bool enabled)
{
    const bool changed = TruneLaunchAtLogin::setEnabled(enabled);
    assign(StudioField::launchAtLogin, &StudioState::launchAtLogin, TruneLaunchAtLogin::isEnabled());
    if (!changed)
        showToast(t(u"Could not update Login Item registration."_s, u"Oturum açma öğesi güncellenemedi."_s), true);
}

void UpdateStudioViewModel::registerAppActivationObserver()
{
    auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    if (d->appActiveObserver || !application)
        return;
    d->appActiveObserver = connect(
        application, &QGuiApplication::applicationStateChanged, this, [this](Qt::ApplicationState state) {
            if (state == Qt::ApplicationActive)
                QMetaObject::invokeMethod(this, &UpdateStudioViewModel::handleAppDidBecomeActive, Qt::QueuedConnection);
        });
}

void UpdateStudioViewModel::watchForExternalUpdate()
{
    d->externalUpdateWatchUntil = m_environment.now().addSecs(kExternalUpdateWatch.count());
}

void UpdateStudioViewModel::handleAppDidBecomeActive()
{
    const StudioSystemHooks::ActivationDecision decision = StudioSystemHooks::decideOnActivation({
        .isBrewCommandRunning = m_state.isBrewCommandRunning,
        .isCheckingUpdates = m_state.isCheckingUpdates,
        .now = m_environment.now(),
        .lastCheckDate = m_state.lastCheckDate,
        .externalUpdateWatchUntil = d->externalUpdateWatchUntil,
        .somethingOutdated = somethingOutdated(m_state),
    });
    if (decision.closeWatchWindow)
        d->externalUpdateWatchUntil.reset();
    if (!decision.refresh)
        return;
    if (!decision.closeWatchWindowIfAppsAreCurrent) {
        refreshAllAndCheckUpdates();
        return;
    }
    refreshAllAndCheckUpdates([self = QPointer(this)] {
        if (self && StudioDerived::outdatedApps(self->m_state).empty())
            self->d->externalUpdateWatchUntil.reset();
    });
}

void UpdateStudioViewModel::startApplicationsWatcher()
{
    d->applicationsWatcher.start([self = QPointer(this)] {
        post(self, [](UpdateStudioViewModel& model) { model.handleApplicationsChanged(); });
    });
}

void UpdateStudioViewModel::handleApplicationsChanged()
{
    if (!m_state.isBrewCommandRunning)
        refreshAllAndCheckUpdates();
}

void UpdateStudioViewModel::registerGlobalHotkey()
{
    d->hotkeyManager = std::make_unique<TruneGlobalHotkeyManager>();
    const std::optional<quint32> id = d->hotkeyManager->registerHotkey(kStudioHotkey, [self = QPointer(this)] {
        if (self)
            self->performGlobalHotkeyAction();
    });
    assign(StudioField::globalHotkeyRegistered, &StudioState::globalHotkeyRegistered, id.has_value());
}

void UpdateStudioViewModel::performGlobalHotkeyAction()
{
    setSelectedTab(UpdateStudioTab::updates);
    TruneNotifier::instance().post(TruneNotificationName::reopenStudioWindow);
    // Queued behind the reopening, so that a closed studio window is open by then.
    QMetaObject::invokeMethod(
        QCoreApplication::instance(), [] { TruneAppActivationDelegate::bringStudioWindowToFront(); },
        Qt::QueuedConnection);
}
