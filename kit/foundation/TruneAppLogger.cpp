#include "kit/foundation/TruneAppLogger.h"

#include "kit/foundation/TrunePrivateFolder.h"
#include "kit/platform/TruneDesktopServices.h"
#include "kit/platform/TrunePaths.h"
#include "kit/platform/TruneSafeFile.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUrl>
#include <QUuid>

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <expected>
#include <map>
#include <memory>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

constexpr quint64 minimumFileBytes = 4096;
constexpr quint64 sharedMaxFileBytes = 2 * 1024 * 1024;
constexpr int sharedMaxRotatedFiles = 5;
// The file is rotated once it reaches its size limit, so it holds at most that plus one line; a
// far larger file is not one the logger wrote and is not loaded.
constexpr quint64 minimumReadLimit = 64 * 1024 * 1024;

TruneAppLogger::VersionProvider mainBundleVersionProvider()
{
    return [] { return TruneAppVersion::current(TruneBundle::main(), QStringLiteral("1.0.0"), QStringLiteral("100")); };
}

QString slugFor(const QString& appName)
{
    return appName.toLower().replace(QLatin1Char(' '), QLatin1Char('-'));
}

// An app name used as one path component. A separator or NUL inside it, or a name that is "."
// or "..", would let the name lead the log out of its folder; those characters become "_".
// Every other name is kept exactly.
QString pathComponent(QString name)
{
    name.replace(QLatin1Char('/'), QLatin1Char('_')).replace(QChar(u'\0'), QLatin1Char('_'));
    if (name.isEmpty() || name == QStringLiteral(".") || name == QStringLiteral(".."))
        name = QString(std::max<qsizetype>(1, name.size()), QLatin1Char('_'));
    return name;
}

QString defaultLogDirectory(const QString& appName)
{
    return TrunePaths::applicationSupportDirectory() + QStringLiteral("/Quorvane/") + pathComponent(appName)
        + QStringLiteral("/logs");
}

QString currentTimestamp()
{
    return QDateTime::currentDateTimeUtc().toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss.zzz'Z'"));
}

QString newEntryId()
{
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

// Moves `from` to `to` unless `to` exists: when two writers rotate the same log at once, neither
// may replace a copy the other has just made.
void moveUnlessTargetExists(const QString& from, const QString& to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    if (::renameat2(AT_FDCWD, source.constData(), AT_FDCWD, target.constData(), RENAME_NOREPLACE) == 0)
        return;
    // File systems that cannot refuse to replace: check first.
    if (errno == EINVAL && !QFileInfo::exists(to))
        ::rename(source.constData(), target.constData());
}

// Opens the log for appending, only the user may read it. A link at its place is not followed, so
// no line is written into the file it points at, and a FIFO there cannot hold the writer up. A
// file an earlier version left readable by others is narrowed.
std::expected<int, TruneFileError> openForAppending(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(),
        O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY, 0600);
    if (fd < 0)
        return std::unexpected(TruneFileError::fromErrno(path, errno));
    struct stat status { };
    if (::fstat(fd, &status) == 0 && (status.st_mode & 0077) != 0)
        ::fchmod(fd, status.st_mode & 0700);
    return fd;
}

std::optional<TruneFileError> writeAll(int fd, const QByteArray& bytes, const QString& path)
{
    // A regular file takes the whole line in one write(); the loop only completes a write that a
    // signal or a full disk cut short.
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t count = ::write(fd, bytes.constData() + written, size_t(bytes.size() - written));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return TruneFileError::fromErrno(path, count < 0 ? errno : EIO);
        written += count;
    }
    return std::nullopt;
}

struct RedactionRule {
    QRegularExpression pattern;
    QString replacement;
};

QRegularExpression redactionPattern(const char* pattern)
{
    return QRegularExpression(QString::fromUtf8(pattern), QRegularExpression::UseUnicodePropertiesOption);
}

const std::array<RedactionRule, 7>& redactionRules()
{
    static const std::array<RedactionRule, 7> rules{{
        // Authorization and cookie headers: the whole value, up to its closing quote or the end of
        // the line, since a scheme's parameters may hold blanks and commas. A known scheme's name
        // stays; an unknown first word might be the credential itself.
        {redactionPattern(R"((?i)\b((?:authorization|cookie)["']?\h*[=:]\h*(["'])?)"
                          R"((?:(?:basic|bearer|digest|token|negotiate|ntlm|dpop|hoba|mutual|)"
                          R"(aws4-hmac-sha256|scram-sha-1|scram-sha-256|vapid)\h+)?))"
                          R"((?(2)(?:\\.|(?!\2)[^\\\r\n])+|\S[^\r\n]*))"),
            u"\\1[REDACTED]"_s},
        // The password of a URL's user information; the user name and the host stay. The password
        // runs to the last "@" before the path, as a raw "@" inside it is not unheard of.
        {redactionPattern(R"((?i)\b([a-z][a-z0-9+.\-]*://[^\s/?#@:]*:)[^\s/?#]+(?=@))"), u"\\1[REDACTED]"_s},
        // Bearer tokens, base64 ones with "+", "/" and "=" padding included.
        {redactionPattern(R"((?i)(bearer\s+)[A-Za-z0-9._~+/\-]{8,}=*)"), QStringLiteral("\\1[REDACTED]")},
        {redactionPattern(R"(\b(sk-[A-Za-z0-9_\-]{10,})\b)"), QStringLiteral("[REDACTED_KEY]")},
        {redactionPattern(R"(\b(AIza[0-9A-Za-z\-_]{16,})\b)"), QStringLiteral("[REDACTED_KEY]")},
        // GitHub tokens: personal, OAuth, user-to-server, server-to-server and refresh tokens, and
        // fine-grained personal tokens.
        {redactionPattern(R"(\b(?:gh[pousr]_[A-Za-z0-9]{20,}|github_pat_[A-Za-z0-9_]{20,})\b)"), u"[REDACTED_KEY]"_s},
        // Assignments. The name may be closed by a quote ("password": ...) and the value opened by
        // one; a quoted value is replaced up to its closing quote (or the end of the line), blanks
        // and escaped quotes included, an unquoted one up to the next blank, comma, semicolon or
        // quote. A value an earlier rule has replaced already is left as it is.
        {redactionPattern(R"((?i)((?:api[_-]?key|token|secret[_-]?access[_-]?key|secret|passwd|password|pwd))"
                          R"(["']?\s*[=:]\s*(["'])?)(?!\[REDACTED))"
                          R"((?(2)(?:\\.|(?!\2)[^\\\r\n])+|[^\s,;"']+))"),
            QStringLiteral("\\1[REDACTED]")},
    }};
    return rules;
}

} // namespace

TruneAppLogger& TruneAppLogger::shared(const QString& appName, VersionProvider versionProvider)
{
    static std::mutex registryLock;
    // Never destroyed: objects torn down at exit may still log.
    static auto* registry = new std::map<QString, std::unique_ptr<TruneAppLogger>>();
    const std::lock_guard guard(registryLock);
    std::unique_ptr<TruneAppLogger>& logger = (*registry)[appName];
    if (!logger) {
        logger = std::make_unique<TruneAppLogger>(
            appName, std::nullopt, sharedMaxFileBytes, sharedMaxRotatedFiles, std::move(versionProvider));
    }
    return *logger;
}

TruneAppLogger::TruneAppLogger(QString appName, std::optional<QString> directory, quint64 maxFileBytes,
    int maxRotatedFiles, VersionProvider versionProvider)
    : m_appName(std::move(appName))
    , m_logDirectory(directory ? *directory : defaultLogDirectory(m_appName))
    , m_currentLogFile(m_logDirectory + QLatin1Char('/') + pathComponent(slugFor(m_appName)) + QStringLiteral(".log"))
    , m_maxFileBytes(std::max(maxFileBytes, minimumFileBytes))
    , m_maxRotatedFiles(std::max(maxRotatedFiles, 1))
    , m_categoryName(QByteArrayLiteral("com.quorvane.") + slugFor(m_appName).toUtf8())
    , m_osLogger(m_categoryName.constData())
    , m_versionProvider(versionProvider ? std::move(versionProvider) : mainBundleVersionProvider())
{
}

void TruneAppLogger::log(TruneLogLevel level, const QString& category, const QString& message)
{
    const TruneAppVersion version = m_versionProvider();
    const TruneLogEntry entry{newEntryId(), currentTimestamp(), level, category, redactSecrets(message),
        version.shortVersion, version.buildNumber};
    mirrorToSystemLog(entry);
    const QByteArray line = entry.jsonLine() + '\n';

    const std::lock_guard guard(m_lock);
    if (const std::optional<TruneFileError> failure = appendLocked(line))
        reportWriteFailure(*failure);
}

void TruneAppLogger::debug(const QString& message, const QString& category)
{
    log(TruneLogLevel::debug, category, message);
}

void TruneAppLogger::info(const QString& message, const QString& category)
{
    log(TruneLogLevel::info, category, message);
}

void TruneAppLogger::warn(const QString& message, const QString& category)
{
    log(TruneLogLevel::warn, category, message);
}

void TruneAppLogger::error(const QString& message, const QString& category)
{
    log(TruneLogLevel::error, category, message);
}

QString TruneAppLogger::redactSecrets(const QString& text)
{
    QString result = text;
    for (const RedactionRule& rule : redactionRules()) {
        if (rule.pattern.isValid())
            result.replace(rule.pattern, rule.replacement);
    }
    return result;
}

void TruneAppLogger::mirrorToSystemLog(const TruneLogEntry& entry) const
{
    const QString text = QLatin1Char('[') + entry.category + QStringLiteral("] ") + entry.message;
    switch (entry.level) {
    case TruneLogLevel::debug:
        qCDebug(m_osLogger).noquote() << text;
        break;
    case TruneLogLevel::info:
        qCInfo(m_osLogger).noquote() << text;
        break;
    case TruneLogLevel::warn:
    case TruneLogLevel::error:
        qCCritical(m_osLogger).noquote() << text;
        break;
    }
}

std::optional<TruneFileError> TruneAppLogger::appendLocked(const QByteArray& line)
{
    if (std::optional<TruneFileError> failure = TrunePrivateFolder::makePath(m_logDirectory))
        return failure;

    rotateIfNeededLocked();

    // O_APPEND places every write() at the end of the file as it is at that moment, so the lines of
    // other writers of the same file (another logger object, another process) are never
    // overwritten. A missing file is created the same way and not through a temporary file renamed
    // over it: that rename could replace a file another writer has just created and appended to.
    const std::expected<int, TruneFileError> fd = openForAppending(m_currentLogFile);
    if (!fd)
        return fd.error();
    const std::optional<TruneFileError> failure = writeAll(*fd, line, m_currentLogFile);
    ::close(*fd); // the bytes are written or reported; a failing close changes neither
    return failure;
}

void TruneAppLogger::rotateIfNeededLocked()
{
    struct stat attributes { };
    if (::lstat(QFile::encodeName(m_currentLogFile).constData(), &attributes) != 0)
        return;
    if (quint64(attributes.st_size) < m_maxFileBytes)
        return;
    QFile::remove(rotatedCopyPath(m_maxRotatedFiles));
    for (int number = m_maxRotatedFiles - 1; number >= 1; --number)
        moveUnlessTargetExists(rotatedCopyPath(number), rotatedCopyPath(number + 1));
    moveUnlessTargetExists(m_currentLogFile, rotatedCopyPath(1));
}

QString TruneAppLogger::rotatedCopyPath(int number) const
{
    return m_currentLogFile + QLatin1Char('.') + QString::number(number);
}

void TruneAppLogger::reportWriteFailure(const TruneFileError& failure) const
{
    const QByteArray line = (QStringLiteral("[TruneAppLogger:") + m_appName + QStringLiteral("] write failed: ")
        + failure.description() + QLatin1Char('\n'))
                                .toUtf8();
    std::fwrite(line.constData(), 1, size_t(line.size()), stderr);
}

std::vector<TruneLogEntry> TruneAppLogger::recentEntries(int limit, TruneLogLevel minimumLevel)
{
    std::vector<TruneLogEntry> entries;
    if (limit <= 0)
        return entries;
    const std::lock_guard guard(m_lock);
    const std::expected<QByteArray, TruneSafeFileError> text
        = TruneSafeFile::readRegularFile(m_currentLogFile, qint64(std::max(minimumReadLimit, 2 * m_maxFileBytes)));
    if (!text)
        return entries;
    // Each line is decoded on its own, so a line cut off inside a multi-byte character by a crash
    // costs that line only, not the whole file.
    const QList<QByteArray> lines = text->split('\n');
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        if (line->isEmpty())
            continue;
        TruneJsonResult<TruneLogEntry> entry = truneJsonDecode<TruneLogEntry>(*line);
        if (!entry || entry->level < minimumLevel)
            continue;
        entries.push_back(std::move(*entry));
        if (std::ssize(entries) >= limit)
            break;
    }
    return entries;
}

QString TruneAppLogger::exportPlainText(int limit, TruneLogLevel minimumLevel)
{
    const std::vector<TruneLogEntry> entries = recentEntries(limit, minimumLevel);
    QStringList lines;
    lines.reserve(std::ssize(entries));
    for (auto entry = entries.crbegin(); entry != entries.crend(); ++entry) {
        lines.append(QLatin1Char('[') + entry->timestamp + QStringLiteral("] [") + label(entry->level)
            + QStringLiteral("] [v") + entry->version + QLatin1Char('#') + entry->build + QStringLiteral("] [")
            + entry->category + QStringLiteral("] ") + entry->message);
    }
    return lines.join(QLatin1Char('\n'));
}

void TruneAppLogger::clear()
{
    const std::lock_guard guard(m_lock);
    QFile::remove(m_currentLogFile);
    for (int number = m_maxRotatedFiles; number >= 1; --number)
        QFile::remove(rotatedCopyPath(number));
}

void TruneAppLogger::revealInFinder()
{
    TrunePrivateFolder::makePath(m_logDirectory);
    if (QFileInfo::exists(m_currentLogFile))
        TruneDesktopServices::revealInFileManager(m_currentLogFile);
    else
        TruneDesktopServices::openUrl(QUrl::fromLocalFile(m_logDirectory));
}
