#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

#include <functional>
#include <map>
#include <memory>
#include <mutex>

class TruneFolderWatcher;

// Tells the program that the set of installed applications, or one of them, has changed, so the
// inventory can be refreshed without polling.
//
// Watches the given folders (not their sub-folders) and, once events have settled for the
// debounce interval, compares a cheap snapshot of the top-level ".app" bundles (the modification
// times of each bundle and of its Contents/Info.plist) with the last one; only a real difference
// reaches the handler. Folders that cannot be watched at start() stay unwatched, silently.
//
// The handler runs on the watcher's own thread, never two at once, with no lock held; a handler
// that touches interface state must hop to the main thread itself. start() and stop() are meant
// for one controlling thread; checkForChanges() may be called from any thread.
class ApplicationsDirectoryWatcher final {
public:
    // `debounceInterval` in seconds; values below 0.1 (and NaN) become 0.1. Starts nothing.
    ApplicationsDirectoryWatcher(QStringList directories, double debounceInterval);
    // Stops watching and waits for a running check to finish.
    ~ApplicationsDirectoryWatcher();
    ApplicationsDirectoryWatcher(const ApplicationsDirectoryWatcher&) = delete;
    ApplicationsDirectoryWatcher& operator=(const ApplicationsDirectoryWatcher&) = delete;

    double debounceInterval() const { return m_debounceInterval; }

    // Restarts from scratch: takes a new baseline snapshot, watches every folder that can be
    // opened and calls `onChange` after each detected change.
    void start(std::function<void()> onChange);

    // Ends watching and drops the handler; the last snapshot is kept. Safe when not started,
    // repeatedly, and from inside the handler.
    void stop();

    // One check, as run after events settle: takes a snapshot, and when it differs from the last
    // one keeps it and calls the handler (if watching). Returns whether it differed.
    bool checkForChanges();

private:
    // Modification times read without following a symbolic link; 0, 0 for an item that cannot
    // be examined.
    struct BundleSignature {
        qint64 bundleMTimeSec = 0;
        qint64 bundleMTimeNsec = 0;
        qint64 plistMTimeSec = 0;
        qint64 plistMTimeNsec = 0;

        bool operator==(const BundleSignature&) const = default;
    };
    // Standardized absolute bundle path -> its signature.
    using Snapshot = std::map<QString, BundleSignature>;

    Snapshot captureSnapshot() const;

    const QStringList m_directories;
    const double m_debounceInterval;

    std::mutex m_mutex; // guards the three members below, never held across file work or the handler
    std::unique_ptr<TruneFolderWatcher> m_sources;
    Snapshot m_lastSnapshot;
    std::function<void()> m_onChange;
};
