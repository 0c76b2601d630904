#include "kit/localization/TruneLzfseDecoder.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QString>

#include <variant>
#include <vector>

namespace {

using Case = TruneLzfseError::Case;

QByteArray fixture(const QString& name)
{
    QFile file(QStringLiteral(TRUNE_LZFSE_FIXTURE_DIR "/") + name);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "missing fixture " << name.toStdString();
        return {};
    }
    return file.readAll();
}

QByteArray compressedSample(const char* name)
{
    return fixture(QString::fromLatin1(name) + QStringLiteral(".json.lzfse"));
}

QByteArray jsonSample(const char* name)
{
    return fixture(QString::fromLatin1(name) + QStringLiteral(".json"));
}

const char* const sampleNames[] = {"de", "empty-object", "de-large", "random"};

QByteArray le32(quint32 value)
{
    QByteArray bytes;
    for (int i = 0; i < 4; ++i)
        bytes.append(static_cast<char>((value >> (8 * i)) & 0xff));
    return bytes;
}

void put(QByteArray& bytes, qsizetype offset, quint32 value, int width)
{
    for (int i = 0; i < width; ++i)
        bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xff);
}

const QByteArray endBlock("bvx$");

QByteArray rawBlock(const QByteArray& data)
{
    return "bvx-" + le32(static_cast<quint32>(data.size())) + data;
}

QByteArray lzvnBlock(quint32 rawBytes, const QByteArray& payload)
{
    return "bvxn" + le32(rawBytes) + le32(static_cast<quint32>(payload.size())) + payload;
}

const QByteArray lzvnEnd("\x06\0\0\0\0\0\0\0", 8);

// A compressed block with a plain header whose tables each give one symbol all the states, so
// neither stream carries any bits: four literals 'A', then one match repeating distance 1.
struct PlainHeaderBlock {
    quint32 rawBytes = 9;
    quint32 literalCount = 4;
    quint16 firstLiteralState = 0;
    int lSymbol = 4; // L = 4
    int mSymbol = 5; // M = 5
    int dSymbol = 1; // D = 1
    quint16 literalFrequency = 1024;
    int extraLiteralSymbol = -1; // given one state more than there are

    QByteArray bytes() const
    {
        QByteArray block(772, '\0');
        block.replace(0, 4, "bvx1");
        put(block, 4, rawBytes, 4);
        put(block, 8, 14, 4);
        put(block, 12, literalCount, 4);
        put(block, 16, 1, 4); // matches
        put(block, 20, 7, 4); // literal stream bytes
        put(block, 24, 7, 4); // match stream bytes
        put(block, 32, firstLiteralState, 2);
        put(block, 50 + 2 * lSymbol, 64, 2);
        put(block, 90 + 2 * mSymbol, 64, 2);
        put(block, 130 + 2 * dSymbol, 256, 2);
        put(block, 258 + 2 * 'A', literalFrequency, 2);
        if (extraLiteralSymbol >= 0)
            put(block, 258 + 2 * extraLiteralSymbol, 1, 2);
        return block + QByteArray(14, '\0');
    }
};

QByteArray flipped(QByteArray bytes, qsizetype offset, char mask)
{
    bytes[offset] = static_cast<char>(bytes[offset] ^ mask);
    return bytes;
}

QByteArray withByte(QByteArray bytes, qsizetype offset, char value)
{
    bytes[offset] = value;
    return bytes;
}

std::string describe(const std::expected<QByteArray, TruneLzfseError>& result)
{
    return result ? "decoded " + std::to_string(result->size()) + " bytes" : result.error().reason().toStdString();
}

struct StreamCase {
    const char* name;
    QByteArray stream;
    std::variant<QByteArray, Case> expected;
};

void expectOutcome(const StreamCase& row)
{
    SCOPED_TRACE(row.name);
    const auto result = TruneLzfse::decode(row.stream);
    if (const auto* bytes = std::get_if<QByteArray>(&row.expected)) {
        ASSERT_TRUE(result) << describe(result);
        EXPECT_EQ(*result, *bytes);
    } else {
        ASSERT_FALSE(result) << describe(result);
        EXPECT_EQ(result.error().errorCase, std::get<Case>(row.expected)) << describe(result);
    }
}

TEST(TruneLzfseDecoder, DecodesEverySampleToTheJsonBesideIt)
{
    for (const char* name : sampleNames) {
        SCOPED_TRACE(name);
        const auto result = TruneLzfse::decode(compressedSample(name));
        ASSERT_TRUE(result) << describe(result);
        EXPECT_EQ(*result, jsonSample(name));
    }
}

TEST(TruneLzfseDecoder, HandMadeStreams)
{
    const StreamCase rows[] = {
        {"empty stored block", rawBlock({}) + endBlock, QByteArray()},
        {"bytes after the end block are ignored", rawBlock("{}") + endBlock + "trailing", QByteArray("{}")},
        {"LZVN overlapping match",
            lzvnBlock(4,
                "\x40\x01"
                "a" + lzvnEnd)
                + endBlock,
            QByteArray("aaaa")},
        // Long literal run (16), medium distance (M 20, D 16), large distance (M 3, D 36), long
        // match repeating D 36 (M 16), a nop.
        {"LZVN long forms",
            lzvnBlock(55,
                QByteArray("\xe0\x00"
                           "abcdefghijklmnop"
                           "\xa4\x41\x00"
                           "\x07\x24\x00"
                           "\xf0\x00"
                           "\x0e",
                    27)
                    + lzvnEnd)
                + endBlock,
            QByteArray("abcdefghijklmnop"
                       "abcdefghijklmnopabcd"
                       "abc"
                       "defghijklmnopabc")},
        {"LZVN match into the previous block",
            rawBlock("ab") + lzvnBlock(3, QByteArray("\x00\x02", 2) + lzvnEnd) + endBlock, QByteArray("ababa")},
        {"LZVN match reaching before the start",
            rawBlock("ab") + lzvnBlock(3, QByteArray("\x00\x03", 2) + lzvnEnd) + endBlock, Case::corrupt},
        {"LZVN repeat of a distance never set",
            lzvnBlock(3,
                "\xe1"
                "a"
                "\xf2"
                    + lzvnEnd)
                + endBlock,
            Case::corrupt},
        {"LZVN output shorter than declared",
            lzvnBlock(5,
                "\x40\x01"
                "a" + lzvnEnd)
                + endBlock,
            Case::corrupt},
        {"LZVN output longer than declared",
            lzvnBlock(3,
                "\x40\x01"
                "a" + lzvnEnd)
                + endBlock,
            Case::corrupt},
        {"LZVN undefined opcode", lzvnBlock(1, "\x70" + lzvnEnd) + endBlock, Case::corrupt},
        {"LZVN literals past the payload",
            lzvnBlock(3,
                "\xe3"
                "ab")
                + endBlock,
            Case::corrupt},
        {"LZVN end opcode cut short", lzvnBlock(0, QByteArray("\x06\0\0", 3)) + endBlock, Case::corrupt},
        {"LZVN bytes after the end opcode",
            lzvnBlock(4,
                "\x40\x01"
                "a" + lzvnEnd
                    + "\xe1"
                      "x")
                + endBlock,
            Case::corrupt},
        {"LZVN payload past the input",
            lzvnBlock(4,
                "\x40\x01"
                "a" + lzvnEnd)
                .chopped(2),
            Case::truncated},
        {"plain header block", PlainHeaderBlock{}.bytes() + endBlock, QByteArray(9, 'A')},
        {"plain header block after a stored one", rawBlock("xy") + PlainHeaderBlock{}.bytes() + endBlock,
            QByteArray("xyAAAAAAAAA")},
        {"plain header match reaching before the start", PlainHeaderBlock{.lSymbol = 0}.bytes() + endBlock,
            Case::corrupt},
        {"plain header match past the declared size", PlainHeaderBlock{.rawBytes = 8}.bytes() + endBlock,
            Case::corrupt},
        {"plain header frequencies over the state count",
            PlainHeaderBlock{.extraLiteralSymbol = 'B'}.bytes() + endBlock, Case::corrupt},
        {"plain header literal state out of range", PlainHeaderBlock{.firstLiteralState = 1024}.bytes() + endBlock,
            Case::corrupt},
        {"plain header literal count over the block limit", PlainHeaderBlock{.literalCount = 40001}.bytes() + endBlock,
            Case::corrupt},
        {"plain header block cut short", PlainHeaderBlock{}.bytes().first(500), Case::truncated},
    };
    for (const StreamCase& row : rows)
        expectOutcome(row);
}

TEST(TruneLzfseDecoder, RejectsWhatIsNoStream)
{
    const StreamCase rows[] = {
        {"empty input", QByteArray(), Case::missingEndOfStream},
        {"part of a magic", "bvx", Case::truncated},
        {"unknown magic", "bvxZ" + endBlock, Case::invalidMagic},
        {"upper-case magic", "BVX2" + compressedSample("de-large").mid(4), Case::invalidMagic},
        {"plain JSON", jsonSample("de"), Case::invalidMagic},
    };
    for (const StreamCase& row : rows)
        expectOutcome(row);
}

TEST(TruneLzfseDecoder, CutStreamsFailCleanly)
{
    const QByteArray de = compressedSample("de");
    const QByteArray emptyObject = compressedSample("empty-object");
    const QByteArray large = compressedSample("de-large");
    const QByteArray random = compressedSample("random");
    // de-large's first block takes 168 header + 1056 literal + 19919 match stream bytes.
    const qsizetype largeSecondBlock = 21143;
    const StreamCase rows[] = {
        {"stored: in the header", emptyObject.first(6), Case::truncated},
        {"stored: in the data", emptyObject.first(9), Case::truncated},
        {"stored: end block dropped", emptyObject.first(10), Case::missingEndOfStream},
        {"stored: in the end magic", emptyObject.first(12), Case::truncated},
        {"LZVN: in the header", de.first(11), Case::truncated},
        {"LZVN: in the payload", de.first(100), Case::truncated},
        {"LZVN: last payload byte missing", de.first(287), Case::truncated},
        {"LZVN: end block dropped", de.first(288), Case::missingEndOfStream},
        {"packed: in the fixed header", large.first(20), Case::truncated},
        {"packed: in the frequency codes", large.first(100), Case::truncated},
        {"packed: in the literal stream", large.first(600), Case::truncated},
        {"packed: in the match stream", large.first(15000), Case::truncated},
        {"packed: between blocks", large.first(largeSecondBlock), Case::missingEndOfStream},
        {"packed: in the second block", large.first(largeSecondBlock + 2), Case::truncated},
        {"packed: in the middle", large.first(large.size() / 2), Case::truncated},
        {"packed: last byte of the last block missing", large.chopped(5), Case::truncated},
        {"packed: end block dropped", large.chopped(4), Case::missingEndOfStream},
        {"random: end block dropped", random.chopped(4), Case::missingEndOfStream},
        {"random: in the end magic", random.chopped(1), Case::truncated},
    };
    for (const StreamCase& row : rows)
        expectOutcome(row);
}

TEST(TruneLzfseDecoder, DamagedHeadersFailCleanly)
{
    const QByteArray de = compressedSample("de");
    const QByteArray emptyObject = compressedSample("empty-object");
    const QByteArray large = compressedSample("de-large");
    const StreamCase rows[] = {
        {"stored: size one larger", withByte(emptyObject, 4, 3), Case::truncated},
        {"stored: size one smaller", withByte(emptyObject, 4, 1), Case::invalidMagic},
        {"stored: size huge", withByte(emptyObject, 7, '\x7f'), Case::truncated},
        {"LZVN: decoded size one larger", withByte(de, 4, 0x5b), Case::corrupt},
        {"LZVN: payload size one smaller", withByte(de, 8, 0x13), Case::corrupt},
        {"LZVN: payload size past the input", withByte(de, 9, 0x02), Case::truncated},
        {"packed: magic changed to another version", withByte(large, 3, '3'), Case::invalidMagic},
        {"packed: decoded size one larger", withByte(large, 4, 0x26), Case::corrupt},
        {"packed: decoded size one smaller", withByte(large, 4, 0x24), Case::corrupt},
        {"packed: literal count over the block limit", withByte(large, 10, 0x0f), Case::corrupt},
        {"packed: header size below its fixed part", withByte(large, 24, 0x10), Case::corrupt},
        {"packed: header size past the input", withByte(large, 27, 0x01), Case::truncated},
        {"packed: L state out of range", withByte(large, 28, 0x40), Case::corrupt},
        {"packed: literal stream size past the input", flipped(large, 12, 0x70), Case::truncated},
    };
    for (const StreamCase& row : rows)
        expectOutcome(row);
}

// Damage anywhere in a block must end in an error or some output, never in a read or write out
// of bounds (the sanitizer build turns those into failures).
TEST(TruneLzfseDecoder, FlippedBytesNeverBreakBounds)
{
    for (const char* name : sampleNames) {
        SCOPED_TRACE(name);
        const QByteArray stream = compressedSample(name);
        const qsizetype step = stream.size() / 64 + 1;
        for (qsizetype offset = 0; offset < stream.size(); offset += step) {
            for (const char mask : {'\x01', '\x80', '\xff'}) {
                const auto result = TruneLzfse::decode(flipped(stream, offset, mask), 1 << 20);
                if (result) {
                    EXPECT_LE(result->size(), 1 << 20) << "offset " << offset;
                }
            }
        }
    }
}

TEST(TruneLzfseDecoder, CapsTheDecodedSize)
{
    const QByteArray large = compressedSample("de-large");
    const qsizetype decodedSize = jsonSample("de-large").size();
    struct Row {
        const char* name;
        qsizetype cap;
        bool fits;
    } const rows[] = {
        {"exactly the decoded size", decodedSize, true},
        {"one byte less", decodedSize - 1, false},
        {"less than the first block", 1000, false},
        {"nothing", 0, false},
        {"negative", -1, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        const auto result = TruneLzfse::decode(large, row.cap);
        if (row.fits) {
            ASSERT_TRUE(result) << describe(result);
            EXPECT_EQ(result->size(), decodedSize);
        } else {
            ASSERT_FALSE(result);
            EXPECT_EQ(result.error().errorCase, Case::outputTooLarge);
        }
    }
}

TEST(TruneLzfseDecoder, ReasonNamesTheBlockAndTheCap)
{
    const auto missingEnd = TruneLzfse::decode(compressedSample("de").first(288));
    ASSERT_FALSE(missingEnd);
    EXPECT_EQ(missingEnd.error().reason(), "the LZFSE data ends at byte 288 without an end-of-stream block");

    const auto tooLarge = TruneLzfse::decode(compressedSample("de-large"), 1000);
    ASSERT_FALSE(tooLarge);
    EXPECT_EQ(tooLarge.error().reason(), "the LZFSE block at byte 0 would take the decoded data past 1000 bytes");

    const auto corrupt
        = TruneLzfse::decode(rawBlock("ab") + lzvnBlock(3, QByteArray("\x00\x03", 2) + lzvnEnd) + endBlock);
    ASSERT_FALSE(corrupt);
    EXPECT_EQ(corrupt.error().reason(), "the LZFSE block at byte 10 is corrupt");
}

} // namespace
