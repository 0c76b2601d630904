#include "kit/platform/TruneSafeFile.h"

#include "kit/platform/TrunePlatform.h"

#include <QFile>
#include <QSaveFile>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <limits>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

QString TruneSafeFileError::description() const
{
    return reason + QStringLiteral(": ") + path;
}

namespace {

using ReadResult = std::expected<QByteArray, TruneSafeFileError>;
using Kind = TruneSafeFileError::Kind;

TruneSafeFileError errnoFailure(const QString& path, int errorNumber)
{
    switch (errorNumber) {
    case ENOENT:
    case ENOTDIR:
        return {Kind::notFound, path, TrunePlatform::systemErrorText(errorNumber)};
    case ELOOP: // what O_NOFOLLOW reports for a symbolic link
        return {Kind::symbolicLink, path, QStringLiteral("Refusing to follow a symbolic link")};
    default:
        return {Kind::unreadable, path, TrunePlatform::systemErrorText(errorNumber)};
    }
}

// Closes the descriptor on every way out.
class Descriptor final {
public:
    explicit Descriptor(int fd)
        : m_fd(fd)
    {
    }
    ~Descriptor() { ::close(m_fd); }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;

    int get() const { return m_fd; }

private:
    int m_fd;
};

// Reads until end of file or until `limit` bytes have arrived.
ReadResult readUpTo(int fd, const QString& path, qint64 limit)
{
    constexpr qint64 chunkSize = 64 * 1024;
    QByteArray bytes;
    while (bytes.size() < limit) {
        const qsizetype filled = bytes.size();
        const qint64 wanted = std::min(chunkSize, limit - filled);
        bytes.resize(filled + wanted);
        const ssize_t got = ::read(fd, bytes.data() + filled, static_cast<size_t>(wanted));
        const int errorNumber = errno;
        bytes.resize(filled + std::max<ssize_t>(got, 0));
        if (got == 0)
            break;
        if (got < 0 && errorNumber != EINTR)
            return std::unexpected(errnoFailure(path, errorNumber));
    }
    return bytes;
}

enum class Owner {
    anyone,
    thisUser,
};

enum class Links {
    refused,
    followed, // to a regular file only: what a link names is looked at before it is opened
};

struct Rules {
    Owner owner = Owner::anyone;
    Links links = Links::refused;
};

TruneSafeFileError notRegularFile(const QString& path)
{
    return {Kind::notRegularFile, path, QStringLiteral("Not a regular file")};
}

// Opens `path` without blocking on a FIFO or device and without following a final symbolic link
// unless the rules allow it, accepts only a regular file (of the rules' owner), and hands its
// descriptor and size to `read`.
template <typename Read> ReadResult withRegularFile(const QString& path, Rules rules, Read read)
{
    const QByteArray nativePath = QFile::encodeName(path);
    if (nativePath.isEmpty())
        return std::unexpected(TruneSafeFileError{Kind::notFound, path, QStringLiteral("Empty path")});
    int flags = O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC;
    if (rules.links == Links::refused) {
        flags |= O_NOFOLLOW;
    } else {
        // Opening some devices does something by itself: look at what the link names first.
        struct stat target { };
        if (::stat(nativePath.constData(), &target) != 0)
            return std::unexpected(errnoFailure(path, errno));
        if (!S_ISREG(target.st_mode))
            return std::unexpected(notRegularFile(path));
    }
    const int raw = ::open(nativePath.constData(), flags);
    if (raw < 0)
        return std::unexpected(errnoFailure(path, errno));
    const Descriptor fd(raw);
    struct stat status { };
    if (::fstat(fd.get(), &status) != 0)
        return std::unexpected(errnoFailure(path, errno));
    if (!S_ISREG(status.st_mode))
        return std::unexpected(notRegularFile(path));
    if (rules.owner == Owner::thisUser && status.st_uid != ::geteuid())
        return std::unexpected(TruneSafeFileError{Kind::otherOwner, path, QStringLiteral("Owned by another user")});
    return read(fd.get(), static_cast<qint64>(status.st_size));
}

ReadResult readWholeFile(const QString& path, Rules rules, qint64 maxBytes)
{
    maxBytes = std::clamp<qint64>(maxBytes, 0, std::numeric_limits<qint64>::max() - 1);
    const TruneSafeFileError tooLarge{Kind::tooLarge, path, QStringLiteral("Larger than %1 bytes").arg(maxBytes)};
    return withRegularFile(path, rules, [&](int fd, qint64 size) -> ReadResult {
        if (size > maxBytes)
            return std::unexpected(tooLarge);
        // One byte beyond the limit tells a file that grew since fstat from one that fits.
        ReadResult bytes = readUpTo(fd, path, maxBytes + 1);
        if (bytes && bytes->size() > maxBytes)
            return std::unexpected(tooLarge);
        return bytes;
    });
}

} // namespace

namespace TruneSafeFile {

std::expected<QByteArray, TruneSafeFileError> readRegularFile(const QString& path, qint64 maxBytes)
{
    return readWholeFile(path, {}, maxBytes);
}

std::expected<QByteArray, TruneSafeFileError> readOwnRegularFile(const QString& path, qint64 maxBytes)
{
    return readWholeFile(path, {.owner = Owner::thisUser}, maxBytes);
}

std::expected<QByteArray, TruneSafeFileError> readChosenFile(const QString& path, qint64 maxBytes)
{
    return readWholeFile(path, {.links = Links::followed}, maxBytes);
}

std::expected<QByteArray, TruneSafeFileError> readPrefix(const QString& path, qint64 count)
{
    return withRegularFile(path, {}, [&](int fd, qint64) { return readUpTo(fd, path, std::max<qint64>(count, 0)); });
}

bool writeAtomically(const QString& path, const QByteArray& bytes, std::optional<QFileDevice::Permissions> permissions)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (permissions && !file.setPermissions(*permissions)) {
        file.cancelWriting();
        return false;
    }
    // A small write only fills Qt's buffer; when the disk then refuses it, commit() still
    // succeeds and puts an empty file in place of the old one. Flushing first shows the failure.
    if (file.write(bytes) != bytes.size() || !file.flush() || file.error() != QFileDevice::NoError) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

} // namespace TruneSafeFile
