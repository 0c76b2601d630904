#include "kit/foundation/TruneChecksum.h"

#include <QCryptographicHash>
#include <QFile>

#include <algorithm>
#include <array>
#include <cerrno>
#include <limits>
#include <optional>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr qint64 defaultChunkSize = 64 * 1024;
// Reads never ask for more than this at once; the digest does not depend on how the bytes
// arrive, so a caller's huge chunk size cannot make us allocate a huge buffer.
constexpr qint64 largestChunkSize = 8 * 1024 * 1024;

// An open file descriptor, closed on every path; an error while closing is ignored.
class ReadOnlyFile final {
public:
    explicit ReadOnlyFile(const QString& path)
        : m_path(path)
    {
        // O_NONBLOCK: opening a FIFO must not wait for a writer; regular files ignore it.
        const QByteArray native = QFile::encodeName(path);
        do {
            m_fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
        } while (m_fd < 0 && errno == EINTR);
        if (m_fd < 0)
            m_error = TruneFileError::fromErrno(path, errno);
    }
    ~ReadOnlyFile()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    const std::optional<TruneFileError>& openError() const { return m_error; }

    // The size of the file that is open, not of whatever the path names by now.
    std::expected<qint64, TruneFileError> size() const
    {
        struct stat info { };
        if (::fstat(m_fd, &info) != 0)
            return std::unexpected(error());
        return static_cast<qint64>(info.st_size);
    }

    std::expected<void, TruneFileError> seek(qint64 offset) const
    {
        if (::lseek(m_fd, static_cast<off_t>(offset), SEEK_SET) < 0)
            return std::unexpected(error());
        return {};
    }

    // One read of up to `limit` bytes (at most a buffer full); 0 at the end of the file.
    std::expected<qint64, TruneFileError> readSome(std::vector<char>& buffer, qint64 limit) const
    {
        const size_t wanted = static_cast<size_t>(std::min<qint64>(limit, static_cast<qint64>(buffer.size())));
        for (;;) {
            const ssize_t got = ::read(m_fd, buffer.data(), wanted);
            if (got >= 0)
                return static_cast<qint64>(got);
            if (errno != EINTR)
                return std::unexpected(error());
        }
    }

    // Feeds up to `count` bytes from the current offset to `hash`, stopping early at the end
    // of the file.
    std::expected<void, TruneFileError> feed(QCryptographicHash& hash, qint64 count, std::vector<char>& buffer) const
    {
        while (count > 0) {
            const auto got = readSome(buffer, count);
            if (!got)
                return std::unexpected(got.error());
            if (*got == 0)
                break;
            hash.addData(QByteArrayView(buffer.data(), *got));
            count -= *got;
        }
        return {};
    }

private:
    TruneFileError error() const { return TruneFileError::fromErrno(m_path, errno); }

    QString m_path;
    int m_fd = -1;
    std::optional<TruneFileError> m_error;
};

std::vector<char> chunkBuffer(qint64 requested)
{
    const qint64 size = requested <= 0 ? defaultChunkSize : std::min(requested, largestChunkSize);
    return std::vector<char>(static_cast<size_t>(size));
}

QString hexDigest(const QCryptographicHash& hash)
{
    return QString::fromLatin1(hash.result().toHex());
}

std::array<char, 8> littleEndian(qint64 value)
{
    const auto bits = static_cast<quint64>(value);
    std::array<char, 8> bytes{};
    for (size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>((bits >> (8 * i)) & 0xff);
    return bytes;
}

} // namespace

namespace TruneChecksum {

std::expected<QString, TruneFileError> sha256(const QString& path, qint64 chunkSize)
{
    ReadOnlyFile file(path);
    if (file.openError())
        return std::unexpected(*file.openError());
    std::vector<char> buffer = chunkBuffer(chunkSize);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    constexpr qint64 wholeFile = std::numeric_limits<qint64>::max();
    if (auto fed = file.feed(hash, wholeFile, buffer); !fed)
        return std::unexpected(fed.error());
    return hexDigest(hash);
}

std::expected<QString, TruneFileError> partialFingerprint(const QString& path, qint64 sampleBytes)
{
    ReadOnlyFile file(path);
    if (file.openError())
        return std::unexpected(*file.openError());
    const auto size = file.size();
    if (!size)
        return std::unexpected(size.error());

    const qint64 sample = std::max<qint64>(sampleBytes, 0);
    std::vector<char> buffer = chunkBuffer(std::min(std::max<qint64>(sample, 1), defaultChunkSize));
    QCryptographicHash hash(QCryptographicHash::Sha256);
    const std::array<char, 8> sizeBytes = littleEndian(*size);
    hash.addData(QByteArrayView(sizeBytes.data(), sizeBytes.size()));

    if (auto head = file.feed(hash, sample, buffer); !head)
        return std::unexpected(head.error());
    if (sample < *size) {
        if (auto seek = file.seek(*size - sample); !seek)
            return std::unexpected(seek.error());
        if (auto tail = file.feed(hash, sample, buffer); !tail)
            return std::unexpected(tail.error());
    }
    return hexDigest(hash);
}

} // namespace TruneChecksum
