#include "core/records/UpdateConfigStore.h"

#include "kit/localization/TruneShortenedText.h"
#include "kit/platform/TrunePaths.h"
#include "kit/platform/TruneSafeFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <cerrno>
#include <optional>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 minimumHistoryCount = 10;
constexpr qint64 maxDocumentBytes = UpdateConfigStore::maxDocumentBytes;

// Held from before a document is read until the new one is in place, so that the
// read-modify-writes of several processes (or threads) take turns instead of overwriting
// each other's changes. Readers need no lock: a document is only ever replaced whole.
class StoreLock final {
public:
    // Creates the folder and the lock file when missing and waits for the lock.
    explicit StoreLock(const QString& directory)
    {
        if (!QDir().mkpath(directory))
            return;
        const QByteArray path = QFile::encodeName(QDir(directory).filePath(u"store.lock"_s));
        m_fd = ::open(path.constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0600);
        if (m_fd < 0)
            return;
        int result = 0;
        do
            result = ::flock(m_fd, LOCK_EX);
        while (result != 0 && errno == EINTR);
        if (result != 0) {
            ::close(m_fd);
            m_fd = -1;
        }
    }
    ~StoreLock()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    StoreLock(const StoreLock&) = delete;
    StoreLock& operator=(const StoreLock&) = delete;

    bool isHeld() const { return m_fd >= 0; }

private:
    int m_fd = -1;
};

template <typename Document> std::optional<Document> readDocument(const QString& path)
{
    const std::expected<QByteArray, TruneSafeFileError> bytes = TruneSafeFile::readRegularFile(path, maxDocumentBytes);
    if (!bytes)
        return std::nullopt;
    auto decoded = truneJsonDecode<Document>(*bytes);
    if (!decoded)
        return std::nullopt;
    return std::move(*decoded);
}

// Also true for a symbolic link whose target is gone: the link is still the user's.
bool isPresent(const QString& path)
{
    const QFileInfo info(path);
    return info.exists() || info.isSymLink();
}

QString setAsideName(const QString& path)
{
    const QString base = path + QStringLiteral(".bad-")
        + QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'"));
    QString candidate = base;
    for (int counter = 1; isPresent(candidate); ++counter)
        candidate = base + QLatin1Char('-') + QString::number(counter);
    return candidate;
}

// Whether the file at `path` may be replaced: there is none, it holds a readable Document, or
// it could be renamed out of the way. Decided from the file as it is now, not from an earlier load.
template <typename Document> bool makeWayForWrite(const QString& path)
{
    if (!isPresent(path) || readDocument<Document>(path))
        return true;
    return QFile::rename(path, setAsideName(path));
}

template <typename Document> QByteArray serialized(const Document& document)
{
    return truneJsonSerialize(truneJsonEncode(document), QJsonDocument::Indented);
}

// Called with the store's lock held. True when the document is now on disk.
template <typename Document> bool writeDocument(const QString& path, const Document& document)
{
    return makeWayForWrite<Document>(path) && TruneSafeFile::writeAtomically(path, serialized(document));
}

using History = std::vector<UpdateLogEntry>;

// A failed command leaves its whole error output in the details, and control characters take six
// bytes each in JSON: a few dozen such entries kept whole would pass maxDocumentBytes.
UpdateLogEntry withBoundedDetails(UpdateLogEntry entry)
{
    entry.details = TruneShortenedText::shortened(entry.details, UpdateConfigStore::maxDetailsLength);
    return entry;
}

// The newest `count` entries, each with bounded details, and no more of them than fit in a
// document the store will read back: the oldest go first.
History storable(const History& history, qint64 count)
{
    History kept;
    kept.reserve(std::min<std::size_t>(history.size(), static_cast<std::size_t>(count)));
    for (const UpdateLogEntry& entry : history) {
        if (static_cast<qint64>(kept.size()) == count)
            break;
        kept.push_back(withBoundedDetails(entry));
    }
    for (qint64 size = serialized(kept).size(); size > maxDocumentBytes; size = serialized(kept).size()) {
        // Entries are about the same size: drop the share that is too much at once.
        const auto fitting = static_cast<std::size_t>(double(kept.size()) * double(maxDocumentBytes) / double(size));
        kept.erase(kept.begin() + static_cast<qsizetype>(std::min(fitting, kept.size() - 1)), kept.end());
    }
    return kept;
}

} // namespace

QString UpdateConfigStore::defaultDirectoryURL()
{
    return QDir(TrunePaths::applicationSupportDirectory()).filePath(QStringLiteral("Quorvane/TruneUpdate"));
}

UpdateConfigStore::UpdateConfigStore(const QString& directoryURL, qint64 maxHistoryCount)
    : m_directoryURL(directoryURL)
    , m_configURL(QDir(directoryURL).filePath(QStringLiteral("config.json")))
    , m_historyURL(QDir(directoryURL).filePath(QStringLiteral("history.json")))
    , m_maxHistoryCount(std::max(maxHistoryCount, minimumHistoryCount))
{
}

TruneUpdateConfig UpdateConfigStore::loadConfig() const
{
    return readDocument<TruneUpdateConfig>(m_configURL).value_or(TruneUpdateConfig{});
}

void UpdateConfigStore::saveConfig(const TruneUpdateConfig& config)
{
    const StoreLock lock(m_directoryURL);
    if (lock.isHeld())
        writeDocument(m_configURL, config);
}

std::vector<UpdateLogEntry> UpdateConfigStore::loadHistory() const
{
    return readDocument<History>(m_historyURL).value_or(History{});
}

std::vector<UpdateLogEntry> UpdateConfigStore::appendHistory(const UpdateLogEntry& entry)
{
    const StoreLock lock(m_directoryURL);
    History stored = loadHistory();
    if (!lock.isHeld())
        return stored;
    History history = stored;
    history.insert(history.begin(), entry);
    history = storable(history, m_maxHistoryCount);
    return writeDocument(m_historyURL, history) ? history : stored;
}

void UpdateConfigStore::clearHistory()
{
    saveHistory({});
}

void UpdateConfigStore::saveHistory(const std::vector<UpdateLogEntry>& history)
{
    const StoreLock lock(m_directoryURL);
    if (lock.isHeld())
        writeDocument(m_historyURL, storable(history, m_maxHistoryCount));
}
