#pragma once

#include "core/records/TruneUpdateConfig.h"
#include "core/records/UpdateLogEntry.h"

#include <QString>

#include <vector>

// Keeps the settings ("config.json") and the operation history ("history.json", newest first)
// in one folder. Nothing is cached: every load reads the file, every save writes the whole file
// atomically. No operation reports a failure: loads fall back to the default settings or an
// empty history, and a write that fails (a full disk among others) leaves the previous file as
// it was. Only regular files are read, never through a symbolic link, and only up to a size far
// beyond any real history; anything else reads as unreadable.
//
// A document that is on disk but cannot be read is never overwritten in place: before the
// first write over it, it is renamed to "<name>.bad-<UTC time>" beside the new one, so a
// damaged history or a settings file from another version is not lost to the next save.
//
// Every save and append holds an exclusive lock on "store.lock" in the folder while it reads and
// writes, so several threads or processes may use the same folder without losing each other's
// entries. A save that cannot take the lock writes nothing.
class UpdateConfigStore final {
public:
    // "Quorvane/TruneUpdate" in the per-user data folder: ~/Library/Application Support on
    // macOS, $XDG_DATA_HOME (usually ~/.local/share) on Linux.
    static QString defaultDirectoryURL();

    // Creates, reads and writes nothing. The history limit is raised to at least 10.
    UpdateConfigStore(const QString& directoryURL, qint64 maxHistoryCount);

    const QString& directoryURL() const { return m_directoryURL; }
    const QString& configURL() const { return m_configURL; }
    const QString& historyURL() const { return m_historyURL; }
    qint64 maxHistoryCount() const { return m_maxHistoryCount; }

    // The stored settings, or the defaults when config.json is missing or cannot be decoded
    // as a whole.
    TruneUpdateConfig loadConfig() const;
    void saveConfig(const TruneUpdateConfig& config);

    // The stored history in stored order, not trimmed; empty when history.json is missing or
    // any entry in it cannot be decoded.
    std::vector<UpdateLogEntry> loadHistory() const;
    // Puts `entry` first, keeps the newest maxHistoryCount() entries, writes them and returns
    // what is then on disk: the new list, or the stored one when the write failed.
    std::vector<UpdateLogEntry> appendHistory(const UpdateLogEntry& entry);
    // Writes an empty history; the file stays.
    void clearHistory();
    // Writes the first maxHistoryCount() entries of `history`.
    void saveHistory(const std::vector<UpdateLogEntry>& history);

    // Every write keeps an entry's details to this many UTF-16 units (cut between characters,
    // ending in "…") and drops the oldest entries when the document would otherwise pass the size
    // the store reads back, so the history never resets itself.
    static constexpr qsizetype maxDetailsLength = 2000;
    // Far beyond any history the program writes; a larger document is read as unreadable.
    static constexpr qint64 maxDocumentBytes = 16 * 1024 * 1024;

private:
    QString m_directoryURL;
    QString m_configURL;
    QString m_historyURL;
    qint64 m_maxHistoryCount;
};
