// What the studio offers on an installed app: update it by the best route, open its release
// notes, launch or reveal it, and ignore or restore its updates.

#include "app/viewmodel/UpdateStudioViewModelPrivate.h"

#include "app/viewmodel/StudioDerived.h"
#include "app/viewmodel/StudioThreadPools.h"
#include "app/viewmodel/StudioWebLink.h"
#include "kit/foundation/TruneAppLogger.h"
#include "kit/platform/TruneDesktopServices.h"
#include "kit/platform/TruneWorkspace.h"

#include <QUuid>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

const QString kUpgradeCategory = u"upgrade"_s;

bool sameBundleID(const QString& left, const QString& right)
{
    return left.toLower() == right.toLower();
}

} // namespace

void UpdateStudioViewModel::updateApp(const InstalledAppRecord& app)
{
    if (app.homebrewCaskToken && StudioDerived::canUpgradeAppViaHomebrew(m_state, app)) {
        upgradeBrewCaskToken(*app.homebrewCaskToken, app.name, app.displayVersion(), app.latestVersion);
        return;
    }

    if (const std::optional<QUrl> download = studioWebLink(app.downloadURL)) {
        if (!m_environment.openUrl(*download)) {
            showToast(t(u"Could not open the update download for "_s + app.name + u"."_s,
                          app.name + u" güncelleme bağlantısı açılamadı."_s),
                true);
            return;
        }
        watchForExternalUpdate();
        m_environment.logger->info(u"Opened Sparkle update download for %1 (%2 -> %3)"_s.arg(
                                       app.name, app.displayVersion(), app.latestVersion.value_or(u"latest"_s)),
            kUpgradeCategory);
        recordHistory(
            UpdateLogEntry(QUuid::createUuid(), m_environment.now(), app.name, UpdateLogAction::sparkleDownload,
                app.displayVersion(), app.latestVersion, UpdateLogStatus::success, *app.downloadURL));
        showToast(
            t(u"Opened update download for "_s + app.name + u"."_s, app.name + u" güncelleme bağlantısı açıldı."_s),
            false);
        return;
    }

    if (app.origin == AppOriginKind::appStore) {
        if (const TruneWorkspace::Result opened = TruneWorkspace::openAppStoreUpdatesPage(); !opened) {
            showToast(t(opened.error().english, opened.error().turkish), true);
            return;
        }
        watchForExternalUpdate();
        m_environment.logger->info(u"Opened Mac App Store updates page for "_s + app.name, kUpgradeCategory);
        return;
    }

    if (const std::optional<QUrl> notes = studioWebLink(app.releaseNotesURL)) {
        if (m_environment.openUrl(*notes))
            watchForExternalUpdate();
        else
            showToast(t(u"Could not open the release notes for "_s + app.name + u"."_s,
                          app.name + u" sürüm notları açılamadı."_s),
                true);
        return;
    }

    showToast(t(u"No automatic updater available for "_s + app.name + u"."_s,
                  app.name + u" için otomatik güncelleyici bulunamadı."_s),
        true);
}

void UpdateStudioViewModel::openReleaseNotes(const InstalledAppRecord& app)
{
    if (const std::optional<QUrl> link = studioWebLink(app.releaseNotesURL ? app.releaseNotesURL : app.downloadURL))
        m_environment.openUrl(*link);
}

void UpdateStudioViewModel::launchApp(const InstalledAppRecord& app)
{
    if (const TruneWorkspace::Result launched = TruneWorkspace::launchApplication(app.path); !launched)
        showToast(t(launched.error().english, launched.error().turkish), true);
}

// The file manager is asked over the session bus, which may take a while to answer.
void UpdateStudioViewModel::revealInFinder(const QString& path)
{
    StudioThreadPools::refresh().start([path] { TruneDesktopServices::revealInFileManager(path); });
}

void UpdateStudioViewModel::toggleIgnoreApp(const InstalledAppRecord& app)
{
    if (app.bundleID.isEmpty())
        return;
    const auto isEntry = [bundleID = app.bundleID](const QString& entry) { return sameBundleID(entry, bundleID); };
    const bool ignore = std::ranges::none_of(m_state.config.ignoredBundleIDs, isEntry);
    // The change names its outcome rather than a toggle, for it may be made again on the stored list.
    changeConfig([isEntry, ignore, bundleID = app.bundleID](TruneUpdateConfig& config) {
        QStringList& ignored = config.ignoredBundleIDs;
        const auto found = std::ranges::find_if(ignored, isEntry);
        if (ignore && found == ignored.end())
            ignored.append(bundleID);
        else if (!ignore && found != ignored.end())
            ignored.erase(found);
    });
    if (ignore)
        showToast(t(u"Ignored updates for "_s + app.name + u"."_s, app.name + u" güncellemeleri yoksayıldı."_s), false);
    else
        showToast(t(u"Restored "_s + app.name + u" to update checks."_s,
                      app.name + u" güncelleme kontrollerine geri alındı."_s),
            false);
}

void UpdateStudioViewModel::removeIgnoredBundleID(const QString& bundleID)
{
    changeConfig([bundleID](TruneUpdateConfig& config) {
        config.ignoredBundleIDs.removeIf([&](const QString& entry) { return sameBundleID(entry, bundleID); });
    });
}

// The store waits for a lock another copy of the program may hold, so it is written off the
// main thread; the history it hands back is published when the write is done.
void UpdateStudioViewModel::recordHistory(UpdateLogEntry entry)
{
    StudioThreadPools::records().start([self = QPointer(this), store = d->store, entry = std::move(entry)]() mutable {
        std::vector<UpdateLogEntry> history = store.appendHistory(entry);
        post(self, [history = std::move(history)](UpdateStudioViewModel& model) {
            model.assign(StudioField::history, &StudioState::history, history);
        });
    });
}

void UpdateStudioViewModel::saveConfig()
{
    StudioThreadPools::records().start(
        [store = d->store, config = m_state.config]() mutable { store.saveConfig(config); });
}
