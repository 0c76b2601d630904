// The uninstaller's operations, handed to the uninstall session, and the Trash alerts of the
// studio's view model.
#include "app/viewmodel/UpdateStudioViewModelPrivate.h"

#include "kit/foundation/TruneAppLogger.h"
#include "kit/foundation/TruneByteFormatter.h"

using namespace Qt::StringLiterals;

namespace {

const QString kCategory = u"uninstall"_s;

} // namespace

void UpdateStudioViewModel::inspectAppForUninstall(const InstalledAppRecord& app, bool switchToTab)
{
    d->uninstallSession.inspect(app, switchToTab);
}

void UpdateStudioViewModel::inspectDroppedAppURL(const QUrl& url)
{
    d->uninstallSession.inspectDroppedAppURL(url);
}

void UpdateStudioViewModel::openTrashAlertInUninstaller(const TrashLeftoverAlert& alert)
{
    d->uninstallSession.openTrashAlert(alert);
    dismissTrashAlert(alert);
}

void UpdateStudioViewModel::toggleLeftoverSelection(const QString& id)
{
    d->uninstallSession.toggleLeftoverSelection(id);
}

void UpdateStudioViewModel::setAllLeftoversSelected(bool selected)
{
    d->uninstallSession.setAllLeftoversSelected(selected);
}

void UpdateStudioViewModel::setIncludeAppBundleInTrash(bool include)
{
    d->uninstallSession.setIncludeAppBundleInTrash(include);
}

void UpdateStudioViewModel::trashSelectedLeftovers()
{
    d->uninstallSession.trashSelectedLeftovers();
}

void UpdateStudioViewModel::trashUninstallSelection(const UninstallSelection& selection)
{
    d->uninstallSession.trashUninstallSelection(selection);
}

void UpdateStudioViewModel::publishUninstallSession()
{
    const UninstallSession& session = d->uninstallSession;
    assign(StudioField::uninstallerTargetApp, &StudioState::uninstallerTargetApp, session.target());
    assign(StudioField::leftoverItems, &StudioState::leftoverItems, session.leftovers());
    assign(StudioField::isScanningLeftovers, &StudioState::isScanningLeftovers, session.isScanning());
    assign(StudioField::includeAppBundleInTrash, &StudioState::includeAppBundleInTrash, session.includesBundle());
    assign(StudioField::isMovingToTrash, &StudioState::isMovingToTrash, session.isMoving());
}

void UpdateStudioViewModel::dismissTrashAlert(const TrashLeftoverAlert& alert)
{
    std::vector<TrashLeftoverAlert> kept;
    for (const TrashLeftoverAlert& pending : m_state.trashAlerts) {
        if (pending.id() != alert.id())
            kept.push_back(pending);
    }
    assign(StudioField::trashAlerts, &StudioState::trashAlerts, std::move(kept));
}

void UpdateStudioViewModel::receiveTrashAlert(const TrashLeftoverAlert& alert)
{
    const bool known = std::ranges::any_of(m_state.trashAlerts,
        [&](const TrashLeftoverAlert& pending) { return pending.trashedAppPath() == alert.trashedAppPath(); });
    if (known || d->uninstallSession.isOwnTrashedBundle(alert))
        return;
    std::vector<TrashLeftoverAlert> alerts = m_state.trashAlerts;
    alerts.insert(alerts.begin(), alert);
    assign(StudioField::trashAlerts, &StudioState::trashAlerts, std::move(alerts));

    const QString count = QString::number(alert.leftovers().size());
    const QString size = TruneByteFormatter::format(alert.totalSizeBytes());
    m_environment.logger->info(
        u"Trash watcher detected %1 with %2 leftover(s)"_s.arg(alert.appName(), count), kCategory);
    showToast(t(u"%1 moved to Trash — %2 leftovers found (%3)."_s.arg(alert.appName(), count, size),
                  u"%1 Çöp Sepetine taşındı — %2 artık dosya bulundu (%3)."_s.arg(alert.appName(), count, size)),
        false);
}
