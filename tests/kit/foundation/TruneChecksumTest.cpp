#include "kit/foundation/TruneChecksum.h"

#include "tests/support/TempHome.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <cerrno>
#include <unistd.h>

namespace {

class TruneChecksumTest : public testing::Test {
protected:
    QString writeFile(const QString& name, const QByteArray& content) const
    {
        const QString path = home.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        EXPECT_EQ(file.write(content), content.size());
        return path;
    }

    TempHome home;
};

// Bytes that differ from position to position, so a head or tail taken from the wrong offset
// changes the digest.
QByteArray patterned(qsizetype size, char salt = 0)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = static_cast<char>((i * 131 + i / 251 + salt) & 0xff);
    return bytes;
}

QString sha256Hex(const QByteArray& bytes)
{
    return QString::fromLatin1(QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex());
}

QByteArray littleEndian64(qint64 value)
{
    QByteArray bytes;
    for (int i = 0; i < 8; ++i)
        bytes.append(static_cast<char>((static_cast<quint64>(value) >> (8 * i)) & 0xff));
    return bytes;
}

} // namespace

TEST_F(TruneChecksumTest, Sha256KnownAnswers)
{
    EXPECT_EQ(TruneChecksum::sha256(writeFile("empty", {}), 4096),
        QStringLiteral("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"));
    EXPECT_EQ(TruneChecksum::sha256(writeFile("abc", "abc"), 4096),
        QStringLiteral("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
}

TEST_F(TruneChecksumTest, Sha256IsTheSameForEveryChunkSize)
{
    const QByteArray content = patterned(200'003);
    const QString path = writeFile("data.bin", content);
    const QString expected = sha256Hex(content);
    // 0 and below fall back to a default chunk; a huge one must not allocate its size.
    for (const qint64 chunk :
        {qint64(1), qint64(7), qint64(4096), qint64(65'536), qint64(200'003), qint64(1) << 40, qint64(0), qint64(-1)}) {
        SCOPED_TRACE(chunk);
        EXPECT_EQ(TruneChecksum::sha256(path, chunk), expected);
    }
}

TEST_F(TruneChecksumTest, PartialFingerprintKnownAnswerPinsTheByteLayout)
{
    // little-endian 6, "abcd", then the last four bytes "cdef"
    EXPECT_EQ(TruneChecksum::partialFingerprint(writeFile("six", "abcdef"), 4),
        QStringLiteral("6d67e75d831e14e0ce90131d39483a3cea9b0a718d2e91bdce4faf8bd8d3b9e4"));
    // no longer than the sample: size and whole content, once
    EXPECT_EQ(TruneChecksum::partialFingerprint(writeFile("six", "abcdef"), 6),
        QStringLiteral("35559eef22569cc6abfd2a3be0c7f818785428c1b0e543fafeef04574066c822"));
}

TEST_F(TruneChecksumTest, PartialFingerprintCoversSizeHeadAndTail)
{
    constexpr qint64 sample = 1000;
    struct Case {
        const char* name;
        qint64 size;
        qint64 sample;
    };
    const Case cases[] = {
        {"empty", 0, sample},
        {"shorter than the sample", 10, sample},
        {"equal to the sample", sample, sample},
        {"head and tail overlap", sample + 1, sample},
        {"head and tail overlap by half", sample + sample / 2, sample},
        {"exactly two samples", 2 * sample, sample},
        {"longer than two samples", 5 * sample + 17, sample},
        {"zero sample: the size alone", 5 * sample, 0},
        {"negative sample counts as zero", 5 * sample, -3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QByteArray content = patterned(c.size);
        const QString path = writeFile(QStringLiteral("sample.bin"), content);
        const qint64 used = std::max<qint64>(c.sample, 0);
        QByteArray fed = littleEndian64(c.size) + content.first(std::min(used, c.size));
        if (used < c.size)
            fed += content.last(used);
        EXPECT_EQ(TruneChecksum::partialFingerprint(path, c.sample), sha256Hex(fed));
    }
}

TEST_F(TruneChecksumTest, PartialFingerprintSeesOnlySizeHeadAndTail)
{
    constexpr qint64 sample = 64;
    const QByteArray head = patterned(sample, 1);
    const QByteArray tail = patterned(sample, 2);
    const auto fingerprint = [&](const char* name, const QByteArray& middle) {
        return TruneChecksum::partialFingerprint(writeFile(QString::fromLatin1(name), head + middle + tail), sample);
    };

    EXPECT_EQ(fingerprint("a", QByteArray(500, 'x')), fingerprint("b", QByteArray(500, 'y')));
    EXPECT_NE(fingerprint("c", QByteArray(500, 'x')), fingerprint("d", QByteArray(501, 'x')));
    EXPECT_NE(fingerprint("e", QByteArray(500, 'x')), TruneChecksum::sha256(home.filePath("e"), 4096));
}

TEST_F(TruneChecksumTest, FailuresComeBackAsTheSystemError)
{
    const QString missing = home.filePath("missing.bin");
    const QString folder = home.filePath("folder");
    ASSERT_TRUE(QDir().mkpath(folder));

    struct Case {
        const char* name;
        std::expected<QString, TruneFileError> result;
        QString path;
        int code;
    };
    const Case cases[] = {
        {"sha256 of a missing file", TruneChecksum::sha256(missing, 4096), missing, ENOENT},
        {"fingerprint of a missing file", TruneChecksum::partialFingerprint(missing, 64), missing, ENOENT},
        {"sha256 of a folder", TruneChecksum::sha256(folder, 4096), folder, EISDIR},
        {"fingerprint of a folder", TruneChecksum::partialFingerprint(folder, 64), folder, EISDIR},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ASSERT_FALSE(c.result.has_value());
        EXPECT_EQ(c.result.error().path, c.path);
        EXPECT_EQ(c.result.error().code, c.code);
        EXPECT_FALSE(c.result.error().message.isEmpty());
    }
    EXPECT_EQ(TruneChecksum::sha256(missing, 4096).error().message, QStringLiteral("No such file or directory"));
}

TEST_F(TruneChecksumTest, UnreadableFileIsAPermissionError)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root reads every file";
    const QString path = writeFile("secret.bin", "secret");
    ASSERT_TRUE(QFile::setPermissions(path, QFileDevice::WriteOwner));
    EXPECT_EQ(TruneChecksum::sha256(path, 4096).error().code, EACCES);
    EXPECT_EQ(TruneChecksum::partialFingerprint(path, 4).error().code, EACCES);
}
