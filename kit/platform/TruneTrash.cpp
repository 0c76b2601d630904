#include "kit/platform/TruneTrash.h"

#include "kit/platform/TrunePlatform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <optional>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QString TruneTrashError::description() const
{
    return reason + QStringLiteral(": ") + path;
}

namespace {

using Kind = TruneTrashError::Kind;
using TrashResult = std::expected<QString, TruneTrashError>;

QString standardizedPath(const QString& path)
{
    return QDir::cleanPath(QDir::isAbsolutePath(path) ? path : QDir::current().absoluteFilePath(path));
}

TruneTrashError failure(Kind kind, const QString& path, int errorNumber)
{
    return {kind, path, errorNumber, TrunePlatform::systemErrorText(errorNumber)};
}

// Nothing is asked of the Trash for an item that is not there (a dangling link is there).
std::optional<TruneTrashError> missingItem(const QString& path)
{
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) == 0)
        return std::nullopt;
    const int error = errno;
    return failure(error == ENOENT || error == ENOTDIR ? Kind::notFound : Kind::moveFailed, path, error);
}

#if !defined(Q_OS_MACOS)

QString dataHome()
{
    // A relative XDG_DATA_HOME is invalid and means the default.
    const QString configured = qEnvironmentVariable("XDG_DATA_HOME");
    if (QDir::isAbsolutePath(configured))
        return QDir::cleanPath(configured);
    return QDir::homePath() + QStringLiteral("/.local/share");
}

QString trashDirectory()
{
    return dataHome() + QStringLiteral("/Trash");
}

// Like `mkdir -p`, but every folder made is private to the user. Returns 0 or the errno.
int makePrivateFolders(const QString& folder)
{
    const QByteArray path = QFile::encodeName(folder);
    for (qsizetype end = 1; end <= path.size(); ++end) {
        if (end < path.size() && path.at(end) != '/')
            continue;
        const QByteArray prefix = path.first(end);
        if (::mkdir(prefix.constData(), 0700) != 0 && errno != EEXIST)
            return errno;
        struct stat info {};
        if (::stat(prefix.constData(), &info) != 0)
            return errno;
        if (!S_ISDIR(info.st_mode))
            return ENOTDIR;
    }
    return 0;
}

// "Foo.app" -> "Foo 2.app"; "README" and ".hidden" have no extension: "README 2".
QString numberedName(const QString& name, int number)
{
    const QString suffix = QLatin1Char(' ') + QString::number(number);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    if (dot <= 0 || dot == name.size() - 1)
        return name + suffix;
    return name.first(dot) + suffix + name.sliced(dot);
}

// Local time without a zone, as the trash info format wants it.
QByteArray deletionDate()
{
    const std::time_t now = std::time(nullptr);
    std::tm local {};
    ::localtime_r(&now, &local);
    char text[80]; // room for any int, so nothing is ever cut
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d", local.tm_year + 1900, local.tm_mon + 1,
        local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
    return QByteArray(text);
}

QByteArray trashInfo(const QString& originalPath)
{
    return QByteArrayLiteral("[Trash Info]\nPath=") + QFile::encodeName(originalPath).toPercentEncoding("/")
        + QByteArrayLiteral("\nDeletionDate=") + deletionDate() + '\n';
}

bool writeAll(int descriptor, const QByteArray& bytes)
{
    qsizetype written = 0;
    while (written < bytes.size()) {
        const ssize_t count = ::write(descriptor, bytes.constData() + written, static_cast<size_t>(bytes.size() - written));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        written += count;
    }
    return true;
}

bool exists(const QByteArray& path)
{
    struct stat info {};
    return ::lstat(path.constData(), &info) == 0;
}

// Renames without ever replacing what is at `to`; file systems that cannot promise that get a
// plain rename, which the reserved info file and the check before it already guard.
int renameWithoutReplacing(const QByteArray& from, const QByteArray& to)
{
    if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    return ::rename(from.constData(), to.constData()) == 0 ? 0 : errno;
}

// One attempt under one name. nullopt: the name is taken, try the next one.
std::optional<TrashResult> trashUnderName(const QString& original, const QString& trash, const QString& name)
{
    const QByteArray infoPath = QFile::encodeName(trash + QStringLiteral("/info/") + name + QStringLiteral(".trashinfo"));
    const QString filePath = trash + QStringLiteral("/files/") + name;
    const QByteArray encodedFilePath = QFile::encodeName(filePath);

    // The info file is made first and exclusively: it reserves the name among all programs that
    // use this Trash.
    const int descriptor = ::open(infoPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (descriptor < 0) {
        if (errno == EEXIST)
            return std::nullopt;
        return std::unexpected(failure(Kind::trashUnavailable, original, errno));
    }
    const auto release = [&] { ::unlink(infoPath.constData()); };
    if (exists(encodedFilePath)) {
        ::close(descriptor);
        release();
        return std::nullopt;
    }
    const bool written = writeAll(descriptor, trashInfo(original));
    const int writeError = errno;
    if (::close(descriptor) != 0 || !written) {
        release();
        return std::unexpected(failure(Kind::trashUnavailable, original, written ? errno : writeError));
    }

    const int renameError = renameWithoutReplacing(QFile::encodeName(original), encodedFilePath);
    if (renameError == 0)
        return filePath;
    release();
    if (renameError == EEXIST || renameError == ENOTEMPTY)
        return std::nullopt;
    if (renameError == EXDEV)
        return std::unexpected(TruneTrashError{Kind::crossDevice, original, EXDEV,
            QStringLiteral("The item is on another volume than the Trash and was left where it is")});
    return std::unexpected(failure(Kind::moveFailed, original, renameError));
}

#endif

} // namespace

namespace TruneTrash {

#if defined(Q_OS_MACOS)

QString filesDirectory()
{
    return QDir::homePath() + QStringLiteral("/.Trash");
}

std::expected<QString, TruneTrashError> trashItem(const QString& path)
{
    const QString original = standardizedPath(path);
    if (std::optional<TruneTrashError> missing = missingItem(original))
        return std::unexpected(std::move(*missing));
    QString pathInTrash;
    if (!QFile::moveToTrash(original, &pathInTrash))
        return std::unexpected(TruneTrashError{Kind::moveFailed, original, 0, QStringLiteral("The item could not be moved to the Trash")});
    return pathInTrash;
}

#else

QString filesDirectory()
{
    const QString folder = trashDirectory() + QStringLiteral("/files");
    makePrivateFolders(folder);
    return folder;
}

std::expected<QString, TruneTrashError> trashItem(const QString& path)
{
    const QString original = standardizedPath(path);
    if (std::optional<TruneTrashError> missing = missingItem(original))
        return std::unexpected(std::move(*missing));

    const QString trash = trashDirectory();
    for (const QString& folder : {trash + QStringLiteral("/files"), trash + QStringLiteral("/info")}) {
        if (const int error = makePrivateFolders(folder))
            return std::unexpected(failure(Kind::trashUnavailable, original, error));
    }

    const QString name = QFileInfo(original).fileName();
    if (name.isEmpty()) // the root folder
        return std::unexpected(failure(Kind::moveFailed, original, EBUSY));
    for (int number = 1;; ++number) {
        if (auto result = trashUnderName(original, trash, number == 1 ? name : numberedName(name, number)))
            return *result;
    }
}

#endif

} // namespace TruneTrash
