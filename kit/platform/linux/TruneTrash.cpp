// The home trash of the freedesktop.org Trash specification, "$XDG_DATA_HOME/Trash", which
// desktop file managers share: its "files" folder holds the items, its "info" folder one
// "<name>.trashinfo" per item with the original path and the time of deletion.

#include "kit/platform/TruneTrash.h"

#include "kit/platform/TruneTrashSystem.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <climits>
#include <cstdio>
#include <ctime>
#include <optional>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

using Kind = TruneTrashError::Kind;
using TrashResult = std::expected<QString, TruneTrashError>;
using TruneTrashSystem::failure;

constexpr char kInfoSuffix[] = ".trashinfo";
// The longest file name the Trash's folders take, in bytes; an item's info file adds the suffix
// to the item's name there.
constexpr qsizetype kLongestNameInTrash = NAME_MAX - (sizeof kInfoSuffix - 1);

// A descriptor that is closed when it goes.
class Descriptor final {
public:
    explicit Descriptor(int descriptor)
        : m_descriptor(descriptor)
    {
    }
    Descriptor(Descriptor&& other) noexcept
        : m_descriptor(std::exchange(other.m_descriptor, -1))
    {
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    Descriptor& operator=(Descriptor&&) = delete;
    ~Descriptor()
    {
        if (m_descriptor >= 0)
            ::close(m_descriptor);
    }

    int get() const { return m_descriptor; }

private:
    int m_descriptor;
};

// The Trash's two folders, opened once they were found to be the user's own.
struct TrashFolders {
    Descriptor files;
    Descriptor info;
};

QString dataHome()
{
    // A relative XDG_DATA_HOME is invalid and means the default.
    const QString configured = qEnvironmentVariable("XDG_DATA_HOME");
    if (QDir::isAbsolutePath(configured))
        return QDir::cleanPath(configured);
    return QDir::homePath() + u"/.local/share"_s;
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
        struct stat info { };
        if (::stat(prefix.constData(), &info) != 0)
            return errno;
        if (!S_ISDIR(info.st_mode))
            return ENOTDIR;
    }
    return 0;
}

// The failures of the Trash itself name the Trash folder, not the item that was to go there.
TruneTrashError notPrivate(const QString& trashFolder, const QString& original)
{
    return {Kind::trashUnavailable, original, 0,
        u"The Trash (%1) is not a folder of this user's own that nobody else may write to"_s.arg(trashFolder)};
}

TruneTrashError unusableTrash(const QString& trashFolder, const QString& original, int errorNumber)
{
    TruneTrashError error = failure(Kind::trashUnavailable, original, errorNumber);
    error.reason = u"The Trash (%1) cannot be used: %2"_s.arg(trashFolder, error.reason);
    return error;
}

bool isSymbolicLink(int parent, const QByteArray& name)
{
    struct stat info { };
    return ::fstatat(parent, name.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISLNK(info.st_mode);
}

// Opens one folder of the Trash, `name` below `parent`, and makes sure that it is the user's
// own: a real folder (a link there is not followed) that nobody else may write to. Whoever could
// plant a link there or write into it could read, swap or keep what is trashed.
std::expected<Descriptor, TruneTrashError> openPrivateFolder(
    int parent, const QByteArray& name, const QString& trash, const QString& original)
{
    Descriptor folder(::openat(parent, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
    if (folder.get() < 0) {
        // A link there is refused as ELOOP, or as ENOTDIR along with O_DIRECTORY.
        const int error = errno;
        const bool link = error == ELOOP || (error == ENOTDIR && isSymbolicLink(parent, name));
        return std::unexpected(link ? notPrivate(trash, original) : unusableTrash(trash, original, error));
    }
    struct stat info { };
    if (::fstat(folder.get(), &info) != 0)
        return std::unexpected(unusableTrash(trash, original, errno));
    if (info.st_uid != ::geteuid() || (info.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        return std::unexpected(notPrivate(trash, original));
    return folder;
}

std::expected<TrashFolders, TruneTrashError> openTrash(const QString& trash, const QString& original)
{
    for (const QString& folder : {trash + u"/files"_s, trash + u"/info"_s}) {
        if (const int error = makePrivateFolders(folder))
            return std::unexpected(unusableTrash(trash, original, error));
    }
    auto top = openPrivateFolder(AT_FDCWD, QFile::encodeName(trash), trash, original);
    if (!top)
        return std::unexpected(top.error());
    auto files = openPrivateFolder(top->get(), QByteArrayLiteral("files"), trash, original);
    if (!files)
        return std::unexpected(files.error());
    auto info = openPrivateFolder(top->get(), QByteArrayLiteral("info"), trash, original);
    if (!info)
        return std::unexpected(info.error());
    return TrashFolders{std::move(*files), std::move(*info)};
}

qsizetype encodedSize(const QString& text)
{
    return QFile::encodeName(text).size();
}

// The longest start of `text` that takes at most `maxBytes` on disk, cut only between characters.
QString leadingCharacters(const QString& text, qsizetype maxBytes)
{
    qsizetype end = 0;
    qsizetype bytes = 0;
    while (end < text.size()) {
        const bool pair = text.at(end).isHighSurrogate() && end + 1 < text.size() && text.at(end + 1).isLowSurrogate();
        const qsizetype units = pair ? 2 : 1;
        bytes += encodedSize(text.sliced(end, units));
        if (bytes > maxBytes)
            break;
        end += units;
    }
    return text.first(end);
}

// Where the extension begins: "Foo.app" -> 3; "README", ".hidden" and "name." have none (their size).
qsizetype extensionStart(const QString& name)
{
    const qsizetype dot = name.lastIndexOf(u'.');
    return dot <= 0 || dot == name.size() - 1 ? name.size() : dot;
}

// The name an item is kept under: its own at first, then "Foo 2.app", "Foo 3.app" ... A name
// whose info file's name would be too long is shortened before the extension, so that the item
// still opens as what it is; an extension that is most of the name goes too.
QString nameInTrash(const QString& name, int number)
{
    const QString suffix = number == 1 ? QString() : u" "_s + QString::number(number);
    qsizetype stemEnd = extensionStart(name);
    if (encodedSize(name.sliced(stemEnd)) > kLongestNameInTrash / 2)
        stemEnd = name.size();
    const QString tail = suffix + name.sliced(stemEnd);
    return leadingCharacters(name.first(stemEnd), kLongestNameInTrash - encodedSize(tail)) + tail;
}

// Local time without a zone, as the trash info format wants it.
QByteArray deletionDate()
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
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
        const ssize_t count
            = ::write(descriptor, bytes.constData() + written, static_cast<size_t>(bytes.size() - written));
        if (count < 0 && errno == EINTR)
            continue;
        if (count <= 0)
            return false;
        written += count;
    }
    return true;
}

bool existsIn(int folder, const QByteArray& name)
{
    struct stat info { };
    return ::fstatat(folder, name.constData(), &info, AT_SYMLINK_NOFOLLOW) == 0;
}

// Renames without ever replacing what is at `to`; file systems that cannot promise that get a
// plain rename, which the reserved info file and the check before it already guard.
int renameWithoutReplacing(const QByteArray& from, int toFolder, const QByteArray& to)
{
    if (::renameat2(AT_FDCWD, from.constData(), toFolder, to.constData(), RENAME_NOREPLACE) == 0)
        return 0;
    if (errno != EINVAL && errno != ENOSYS)
        return errno;
    return ::renameat(AT_FDCWD, from.constData(), toFolder, to.constData()) == 0 ? 0 : errno;
}

// One attempt under one name. nullopt: the name is taken, try the next one.
std::optional<TrashResult> trashUnderName(
    const QString& original, const QString& trash, const TrashFolders& folders, const QString& name)
{
    const QByteArray encodedName = QFile::encodeName(name);
    const QByteArray infoName = encodedName + kInfoSuffix;

    // The info file is made first and exclusively: it reserves the name among all programs that
    // use this Trash.
    const int descriptor = ::openat(
        folders.info.get(), infoName.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (descriptor < 0) {
        if (errno == EEXIST)
            return std::nullopt;
        return std::unexpected(unusableTrash(trash, original, errno));
    }
    const auto release = [&] { ::unlinkat(folders.info.get(), infoName.constData(), 0); };
    if (existsIn(folders.files.get(), encodedName)) {
        ::close(descriptor);
        release();
        return std::nullopt;
    }
    const bool written = writeAll(descriptor, trashInfo(original));
    const int writeError = errno;
    if (::close(descriptor) != 0 || !written) {
        release();
        return std::unexpected(unusableTrash(trash, original, written ? errno : writeError));
    }

    const int renameError = renameWithoutReplacing(QFile::encodeName(original), folders.files.get(), encodedName);
    if (renameError == 0)
        return trash + u"/files/"_s + name;
    release();
    if (renameError == EEXIST || renameError == ENOTEMPTY)
        return std::nullopt;
    if (renameError == EXDEV)
        return std::unexpected(TruneTrashError{Kind::crossDevice, original, EXDEV,
            u"The item is on another volume than the Trash and was left where it is"_s});
    return std::unexpected(failure(Kind::moveFailed, original, renameError));
}

} // namespace

namespace TruneTrash {

QString filesDirectory()
{
    const QString folder = TruneTrashSystem::trashFolder() + u"/files"_s;
    makePrivateFolders(folder);
    return folder;
}

} // namespace TruneTrash

namespace TruneTrashSystem {

QString trashFolder()
{
    return dataHome() + u"/Trash"_s;
}

std::expected<QString, TruneTrashError> moveIntoTrash(const QString& original)
{
    const QString name = QFileInfo(original).fileName();
    if (name.isEmpty()) // the root folder
        return std::unexpected(failure(Kind::moveFailed, original, EBUSY));
    const QString trash = trashFolder();
    const auto folders = openTrash(trash, original);
    if (!folders)
        return std::unexpected(folders.error());
    for (int number = 1;; ++number) {
        if (auto result = trashUnderName(original, trash, *folders, nameInTrash(name, number)))
            return *result;
    }
}

} // namespace TruneTrashSystem
