// The uninstaller's operations, handed to the uninstall inspection, and the Trash alerts of the
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
    d->inspection.inspect(app, switchToTab);
}

void UpdateStudioViewModel::inspectDroppedAppURL(const QUrl& url)
{
    d->inspection.inspectDroppedAppURL(url);
}

void UpdateStudioViewModel::openTrashAlertInUninstaller(const TrashLeftoverAlert& alert)
{
    d->inspection.openTrashAlert(alert);
    dismissTrashAlert(alert);
}

void UpdateStudioViewModel::toggleLeftoverSelection(const QString& id)
{
    d->inspection.toggleLeftoverSelection(id);
}

void UpdateStudioViewModel::setAllLeftoversSelected(bool selected)
{
    d->inspection.setAllLeftoversSelected(selected);
}

void UpdateStudioViewModel::setIncludeAppBundleInTrash(bool include)
{
    d->inspection.setIncludeAppBundleInTrash(include);
}

void UpdateStudioViewModel::trashSelectedLeftovers()
{
    d->inspection.trashSelectedLeftovers();
}

void UpdateStudioViewModel::trashUninstallSelection(const UninstallSelection& selection)
{
    d->inspection.trashUninstallSelection(selection);
}

void UpdateStudioViewModel::publishInspection()
{
    const UninstallInspection& inspection = d->inspection;
    assign(StudioField::uninstallerTargetApp, &StudioState::uninstallerTargetApp, inspection.target());
    assign(StudioField::leftoverItems, &StudioState::leftoverItems, inspection.leftovers());
    assign(StudioField::isScanningLeftovers, &StudioState::isScanningLeftovers, inspection.isScanning());
    assign(StudioField::includeAppBundleInTrash, &StudioState::includeAppBundleInTrash, inspection.includesBundle());
    assign(StudioField::isMovingToTrash, &StudioState::isMovingToTrash, inspection.isMoving());
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
    if (known || d->inspection.isOwnTrashedBundle(alert))
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
