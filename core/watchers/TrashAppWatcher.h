#pragma once

#include "core/records/LeftoverFileItem.h"

#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <mutex>
#include <vector>

class TruneFolderWatcher;

// Notices when the user drags an application into the Trash by hand and, when that app left
// files in the Library, raises a TrashLeftoverAlert so the program can offer to clean them up.
//
// Watches the Trash folder itself (not its sub-folders); once events have settled for a quarter
// of a second it compares the ".app" bundles in the Trash with those it knew, and scans for the
// leftovers of each newly trashed app that is not still installed. An app counts as still
// installed when a bundle of the same file name (case ignored) or of the same bundle identifier
// is where the inventory looks for apps: at the top level of a search folder or one folder down.
//
// The handler runs on the watcher's own thread, never two at once, with no lock held; a handler
// that touches interface state must hop to the main thread itself. start() and stop() are meant
// for one controlling thread; checkForNewTrashedApps() may also be called directly.
class TrashAppWatcher final {
public:
    using AlertHandler = std::function<void(const TrashLeftoverAlert&)>;

    // Starts nothing.
    TrashAppWatcher(QString trashURL, QString libraryRootURL, QStringList installedSearchDirectories);
    // Stops watching and waits for a running check to finish.
    ~TrashAppWatcher();
    TrashAppWatcher(const TrashAppWatcher&) = delete;
    TrashAppWatcher& operator=(const TrashAppWatcher&) = delete;

    // Restarts from scratch: the apps in the Trash now never raise alerts; `onAlert` is called
    // once per alert. A Trash that cannot be watched raises nothing, silently.
    void start(AlertHandler onAlert);

    // Ends watching and drops the handler; the known apps are kept. Safe when not started,
    // repeatedly, and from inside the handler.
    void stop();

    // One check, as run after events settle: the alerts for the apps that arrived in the Trash
    // since the last look, in ascending path order; each is also handed to the handler (if any).
    std::vector<TrashLeftoverAlert> checkForNewTrashedApps();

private:
    QSet<QString> currentTrashedAppPaths() const;
    bool isAppStillInstalled(const QString& bundleFileName, const QString& bundleID) const;
    // The identifiers of the apps installed where the inventory looks, so that a trashed app's
    // leftovers never include another installed app's data.
    QSet<QString> installedBundleIDs() const;

    const QString m_trashURL;
    const QString m_libraryRootURL;
    const QStringList m_installedSearchDirectories;

    std::mutex m_mutex; // guards the three members below, never held across file work or the handler
    std::unique_ptr<TruneFolderWatcher> m_source;
    QSet<QString> m_knownTrashedAppPaths;
    AlertHandler m_onAlert;
};
