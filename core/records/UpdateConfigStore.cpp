#include "core/records/UpdateConfigStore.h"

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
// Far beyond any history the program writes; a larger file is treated as unreadable.
constexpr qint64 maxDocumentBytes = 16 * 1024 * 1024;

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

template <typename Document>
std::optional<Document> readDocument(const QString& path)
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
template <typename Document>
bool makeWayForWrite(const QString& path)
{
    if (!isPresent(path) || readDocument<Document>(path))
        return true;
    return QFile::rename(path, setAsideName(path));
}

// Called with the store's lock held.
template <typename Document> void writeDocument(const QString& path, const Document& document)
{
    if (makeWayForWrite<Document>(path))
        TruneSafeFile::writeAtomically(path, truneJsonSerialize(truneJsonEncode(document), QJsonDocument::Indented));
}

using History = std::vector<UpdateLogEntry>;

History newest(History history, qint64 count)
{
    if (static_cast<qint64>(history.size()) > count)
        history.erase(history.begin() + count, history.end());
    return history;
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
    History history = loadHistory();
    history.insert(history.begin(), entry);
    history = newest(std::move(history), m_maxHistoryCount);
    if (lock.isHeld())
        writeDocument(m_historyURL, history);
    return history;
}

void UpdateConfigStore::clearHistory()
{
    saveHistory({});
}

void UpdateConfigStore::saveHistory(const std::vector<UpdateLogEntry>& history)
{
    const StoreLock lock(m_directoryURL);
    if (lock.isHeld())
        writeDocument(m_historyURL, newest(history, m_maxHistoryCount));
}
