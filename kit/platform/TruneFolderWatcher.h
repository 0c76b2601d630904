#pragma once

#include <QStringList>
#include <QtGlobal>

#include <chrono>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

// Watches folders for changes to their own entries and reports each burst of changes once,
// after the folders have been quiet for a debounce interval.
//
// Only the folders themselves are watched, never their sub-folders: entries created, deleted or
// moved in or out; writes to and attribute changes of direct children; the folder itself being
// deleted or moved away. A watch follows the folder it was opened on, so a folder that is missing
// when the watcher is made stays unwatched even if it appears later. Folders that cannot be
// watched are skipped silently.
//
// Every event pushes the deadline back to "now + debounce interval"; when the deadline passes,
// `onSettled` is called once on the watcher's own thread, so calls never overlap. The callback
// is called with no lock held and may call stop() or destroy the watcher itself.
//
// Lifecycle: made idle (the folders are opened at once, so changes made before start() are not
// lost); start() begins delivering; stop() ends delivering for good and releases the watches.
// No callback runs once stop() or the destructor has returned, except the one that called it.
class TruneFolderWatcher final {
public:
    TruneFolderWatcher(
        const QStringList& folders, std::chrono::nanoseconds debounceInterval, std::function<void()> onSettled);
    ~TruneFolderWatcher();
    TruneFolderWatcher(const TruneFolderWatcher&) = delete;
    TruneFolderWatcher& operator=(const TruneFolderWatcher&) = delete;

    // How many of the given folders are being watched.
    qsizetype watchedFolderCount() const { return m_watchedFolderCount; }

    // Starts the watcher's thread. Does nothing when already started, after stop(), or when no
    // folder could be watched (no event can ever come then).
    void start();

    // Ends watching and waits for a running callback to finish, unless called from that callback.
    // Safe to call at any time and repeatedly.
    void stop();

private:
    struct Channel;

    mutable std::mutex m_mutex; // guards m_channel and m_thread, never held across a callback
    std::shared_ptr<Channel> m_channel;
    std::thread m_thread;
    qsizetype m_watchedFolderCount = 0;
};
