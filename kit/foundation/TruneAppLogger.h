#pragma once

#include "kit/foundation/TruneAppVersion.h"
#include "kit/foundation/TruneFileError.h"
#include "kit/foundation/TruneLogEntry.h"

#include <QByteArray>
#include <QLoggingCategory>
#include <QString>

#include <functional>
#include <mutex>
#include <optional>
#include <vector>

// The per-application runtime log: levelled, categorised lines, one JSON object per line in a
// size-rotated file, mirrored to the Qt logging category "com.quorvane.<slug>". Secrets in
// messages are redacted before either. Only the user may read the files (0600) and enter the
// folders the logger makes (0700). Every member may be called from any thread.
class TruneAppLogger final {
public:
    using VersionProvider = std::function<TruneAppVersion()>;

    // The process-wide logger for exactly this app name, made on first use with the default
    // directory, 2 MiB files and 5 rotated copies. A later call's provider is ignored; without one
    // the main bundle's version is read afresh for every line.
    static TruneAppLogger& shared(const QString& appName, VersionProvider versionProvider = {});

    // Clamps maxFileBytes to at least 4096 and maxRotatedFiles to at least 1. Without a directory
    // the log lives in <Application Support>/Quorvane/<appName>/logs. Touches nothing on disk.
    // An empty provider stands for the main bundle's version.
    TruneAppLogger(QString appName, std::optional<QString> directory, quint64 maxFileBytes, int maxRotatedFiles,
        VersionProvider versionProvider);
    TruneAppLogger(const TruneAppLogger&) = delete;
    TruneAppLogger& operator=(const TruneAppLogger&) = delete;

    // Appends one line. Never fails towards the caller: a line that cannot be written is reported
    // on standard error and dropped.
    void log(TruneLogLevel level, const QString& category, const QString& message);
    void debug(const QString& message, const QString& category);
    void info(const QString& message, const QString& category);
    void warn(const QString& message, const QString& category);
    void error(const QString& message, const QString& category);

    // Replaces the values of Authorization and cookie headers, passwords in URLs, bearer tokens,
    // "sk-", "AIza" and GitHub keys and the values of api-key/token/secret/password assignments.
    static QString redactSecrets(const QString& text);

    // Entries of the current file (not the rotated copies) at or above minimumLevel, newest first,
    // at most `limit`. Lines that are not entries are skipped.
    std::vector<TruneLogEntry> recentEntries(int limit, TruneLogLevel minimumLevel);
    // The same entries oldest first, one "[timestamp] [LEVEL] [vVERSION#BUILD] [category] message"
    // line each, joined by line feeds.
    QString exportPlainText(int limit, TruneLogLevel minimumLevel);
    // Deletes the current file and every rotated copy.
    void clear();
    // Shows the current file in the file manager, or opens the log folder while there is no file.
    void revealInFinder();

    const QString& appName() const { return m_appName; }
    const QString& logDirectoryURL() const { return m_logDirectory; }
    const QString& currentLogFileURL() const { return m_currentLogFile; }
    quint64 maxFileBytes() const { return m_maxFileBytes; }
    int maxRotatedFiles() const { return m_maxRotatedFiles; }

private:
    void mirrorToSystemLog(const TruneLogEntry& entry) const;
    std::optional<TruneFileError> appendLocked(const QByteArray& line);
    void rotateIfNeededLocked();
    QString rotatedCopyPath(int number) const;
    void reportWriteFailure(const TruneFileError& failure) const;

    QString m_appName;
    QString m_logDirectory;
    QString m_currentLogFile;
    quint64 m_maxFileBytes;
    int m_maxRotatedFiles;
    std::mutex m_lock;         // serializes the file work of this logger
    QByteArray m_categoryName; // QLoggingCategory keeps only a pointer to its name
    QLoggingCategory m_osLogger;
    VersionProvider m_versionProvider;
};
