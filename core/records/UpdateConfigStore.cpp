#include "core/records/UpdateConfigStore.h"

#include "kit/platform/TrunePaths.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <algorithm>
#include <optional>

namespace {

constexpr qint64 minimumHistoryCount = 10;

TruneUpdateConfig defaultConfig()
{
    return TruneUpdateConfig{{}, 6, true, false, false, false};
}

template <typename Document>
std::optional<Document> readDocument(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    auto decoded = truneJsonDecode<Document>(file.readAll());
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

template <typename Document>
void writeDocument(const QString& path, const QJsonValue& json)
{
    if (!makeWayForWrite<Document>(path))
        return;
    const QByteArray bytes = truneJsonSerialize(json, QJsonDocument::Indented);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    if (file.write(bytes) != bytes.size()) {
        file.cancelWriting();
        return;
    }
    file.commit();
}

using History = std::vector<UpdateLogEntry>;

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
    return readDocument<TruneUpdateConfig>(m_configURL).value_or(defaultConfig());
}

void UpdateConfigStore::saveConfig(const TruneUpdateConfig& config)
{
    ensureDirectoryExists();
    writeDocument<TruneUpdateConfig>(m_configURL, truneJsonEncode(config));
}

std::vector<UpdateLogEntry> UpdateConfigStore::loadHistory() const
{
    return readDocument<History>(m_historyURL).value_or(History{});
}

std::vector<UpdateLogEntry> UpdateConfigStore::appendHistory(const UpdateLogEntry& entry)
{
    History history = loadHistory();
    history.insert(history.begin(), entry);
    if (static_cast<qint64>(history.size()) > m_maxHistoryCount)
        history.erase(history.begin() + m_maxHistoryCount, history.end());
    saveHistory(history);
    return history;
}

void UpdateConfigStore::clearHistory()
{
    saveHistory({});
}

void UpdateConfigStore::saveHistory(const std::vector<UpdateLogEntry>& history)
{
    ensureDirectoryExists();
    const auto kept = std::min(static_cast<qint64>(history.size()), m_maxHistoryCount);
    writeDocument<History>(m_historyURL, truneJsonEncode(History(history.begin(), history.begin() + kept)));
}

void UpdateConfigStore::ensureDirectoryExists() const
{
    QDir().mkpath(m_directoryURL);
}
