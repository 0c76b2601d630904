#include "kit/localization/TruneLzfseDecoder.h"

#include "kit/localization/TruneLzfseBlockWriter.h"
#include "kit/localization/TruneLzvnDecoder.h"
#include "kit/platform/TruneDecimal.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace {

using Case = TruneLzfseError::Case;
using Bytes = std::span<const unsigned char>;

// Block magics, read as little-endian 32-bit words.
constexpr std::uint32_t rawBlockMagic = 0x2d787662;          // "bvx-"
constexpr std::uint32_t lzvnBlockMagic = 0x6e787662;         // "bvxn"
constexpr std::uint32_t plainHeaderBlockMagic = 0x31787662;  // "bvx1"
constexpr std::uint32_t packedHeaderBlockMagic = 0x32787662; // "bvx2"
constexpr std::uint32_t endOfStreamMagic = 0x24787662;       // "bvx$"

constexpr std::size_t rawHeaderBytes = 8;   // magic, decoded size
constexpr std::size_t lzvnHeaderBytes = 12; // magic, decoded size, payload size
constexpr std::size_t packedHeaderFixedBytes = 32;
// The plain header: eight 32-bit words and small fields, then 360 16-bit frequencies ending at
// byte 770, padded to a multiple of four.
constexpr std::size_t plainHeaderBytes = 772;

// The four entropy-coded alphabets: literal bytes, and the L (literal count), M (match length)
// and D (match distance) values of each match triple.
constexpr int literalSymbols = 256;
constexpr int literalStateCount = 1024;
constexpr int lSymbols = 20;
constexpr int lStateCount = 64;
constexpr int mSymbols = 20;
constexpr int mStateCount = 64;
constexpr int dSymbols = 64;
constexpr int dStateCount = 256;
constexpr int allSymbols = lSymbols + mSymbols + dSymbols + literalSymbols;

constexpr std::uint32_t maxMatchesPerBlock = 10000;
constexpr std::uint32_t maxLiteralsPerBlock = 4 * maxMatchesPerBlock;

// An L, M or D symbol stands for a base value plus that many extra bits read from the stream;
// each symbol's base follows the previous one's whole range.
template <std::size_t N> constexpr std::array<std::int32_t, N> baseValues(const std::array<std::uint8_t, N>& extraBits)
{
    std::array<std::int32_t, N> bases{};
    for (std::size_t i = 1; i < N; ++i)
        bases[i] = bases[i - 1] + (std::int32_t{1} << extraBits[i - 1]);
    return bases;
}

constexpr std::array<std::uint8_t, lSymbols> lExtraBits{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 2, 3, 5, 8};
constexpr std::array<std::uint8_t, mSymbols> mExtraBits{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 3, 5, 8, 11};
constexpr std::array<std::uint8_t, dSymbols> dExtraBits = [] {
    std::array<std::uint8_t, dSymbols> bits{};
    for (std::size_t i = 0; i < bits.size(); ++i)
        bits[i] = static_cast<std::uint8_t>(i / 4);
    return bits;
}();
constexpr auto lBaseValues = baseValues(lExtraBits);
constexpr auto mBaseValues = baseValues(mExtraBits);
constexpr auto dBaseValues = baseValues(dExtraBits);

std::uint64_t readLittleEndian(const unsigned char* bytes, int count)
{
    std::uint64_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = (value << 8) | bytes[i];
    return value;
}

std::uint32_t read32(const unsigned char* bytes)
{
    return static_cast<std::uint32_t>(readLittleEndian(bytes, 4));
}

std::uint16_t read16(const unsigned char* bytes)
{
    return static_cast<std::uint16_t>(readLittleEndian(bytes, 2));
}

std::uint32_t bitField(std::uint64_t word, int offset, int width)
{
    return static_cast<std::uint32_t>((word >> offset) & ((std::uint64_t{1} << width) - 1));
}

// Everything a compressed block's header tells, whichever of the two header forms it came in.
struct CompressedBlockHeader {
    std::size_t headerBytes = 0;
    std::uint32_t rawBytes = 0;
    std::uint32_t literalCount = 0;
    std::uint32_t matchCount = 0;
    std::uint32_t literalPayloadBytes = 0;
    std::uint32_t lmdPayloadBytes = 0;
    // How each stream's last byte is filled: 0 for seven whole bytes at the end, -k where eight
    // bytes end it and the top k bits of the last one are unused.
    std::int32_t literalFinalBits = 0;
    std::int32_t lmdFinalBits = 0;
    std::array<std::uint16_t, 4> literalStates{};
    std::uint16_t lState = 0;
    std::uint16_t mState = 0;
    std::uint16_t dState = 0;
    // L, then M, then D, then literal frequencies: how many states each symbol owns.
    std::array<std::uint16_t, allSymbols> frequencies{};

    std::span<const std::uint16_t, lSymbols> lFrequencies() const
    {
        return std::span(frequencies).subspan<0, lSymbols>();
    }
    std::span<const std::uint16_t, mSymbols> mFrequencies() const
    {
        return std::span(frequencies).subspan<lSymbols, mSymbols>();
    }
    std::span<const std::uint16_t, dSymbols> dFrequencies() const
    {
        return std::span(frequencies).subspan<lSymbols + mSymbols, dSymbols>();
    }
    std::span<const std::uint16_t, literalSymbols> literalFrequencies() const
    {
        return std::span(frequencies).subspan<lSymbols + mSymbols + dSymbols, literalSymbols>();
    }

    std::uint64_t blockBytes() const { return std::uint64_t{headerBytes} + literalPayloadBytes + lmdPayloadBytes; }

    bool hasSoundCountsAndStates() const
    {
        return literalCount <= maxLiteralsPerBlock && matchCount <= maxMatchesPerBlock
            && std::ranges::all_of(literalStates, [](std::uint16_t s) { return s < literalStateCount; })
            && lState < lStateCount && mState < mStateCount && dState < dStateCount;
    }
};

std::expected<CompressedBlockHeader, Case> readPlainHeader(Bytes block)
{
    if (block.size() < plainHeaderBytes)
        return std::unexpected(Case::truncated);
    const unsigned char* p = block.data();
    CompressedBlockHeader header;
    header.headerBytes = plainHeaderBytes;
    header.rawBytes = read32(p + 4);
    // p + 8 holds the payload size, which the two stream sizes below already give.
    header.literalCount = read32(p + 12);
    header.matchCount = read32(p + 16);
    header.literalPayloadBytes = read32(p + 20);
    header.lmdPayloadBytes = read32(p + 24);
    header.literalFinalBits = static_cast<std::int32_t>(read32(p + 28));
    for (std::size_t i = 0; i < header.literalStates.size(); ++i)
        header.literalStates[i] = read16(p + 32 + 2 * i);
    header.lmdFinalBits = static_cast<std::int32_t>(read32(p + 40));
    header.lState = read16(p + 44);
    header.mState = read16(p + 46);
    header.dState = read16(p + 48);
    for (std::size_t i = 0; i < header.frequencies.size(); ++i)
        header.frequencies[i] = read16(p + 50 + 2 * i);
    return header;
}

// One frequency of the packed header: a prefix code read from the low bits of `bits`.
struct FrequencyCode {
    std::uint16_t value = 0;
    int length = 0;
};

FrequencyCode decodeFrequencyCode(std::uint32_t bits)
{
    if ((bits & 1) == 0)
        return {static_cast<std::uint16_t>((bits >> 1) & 1), 2}; // 0-1
    if ((bits & 2) == 0)
        return {static_cast<std::uint16_t>(2 + ((bits >> 2) & 1)), 3}; // 2-3
    if ((bits & 4) == 0)
        return {static_cast<std::uint16_t>(4 + ((bits >> 3) & 3)), 5}; // 4-7
    if ((bits & 8) == 0)
        return {static_cast<std::uint16_t>(8 + ((bits >> 4) & 0xf)), 8}; // 8-23
    return {static_cast<std::uint16_t>(24 + ((bits >> 4) & 0x3ff)), 14}; // 24-1047
}

// The codes fill the header exactly (up to the last byte's padding bits). A header without any
// codes leaves every frequency zero.
bool decodePackedFrequencies(Bytes codes, std::array<std::uint16_t, allSymbols>& frequencies)
{
    frequencies.fill(0);
    if (codes.empty())
        return true;
    std::uint32_t bits = 0;
    int bitCount = 0;
    std::size_t next = 0;
    for (std::uint16_t& frequency : frequencies) {
        while (bitCount <= 24 && next < codes.size()) {
            bits |= std::uint32_t{codes[next++]} << bitCount;
            bitCount += 8;
        }
        const FrequencyCode code = decodeFrequencyCode(bits);
        if (code.length > bitCount)
            return false;
        frequency = code.value;
        bits >>= code.length;
        bitCount -= code.length;
    }
    return bitCount < 8 && next == codes.size();
}

std::expected<CompressedBlockHeader, Case> readPackedHeader(Bytes block)
{
    if (block.size() < packedHeaderFixedBytes)
        return std::unexpected(Case::truncated);
    const unsigned char* p = block.data();
    const std::uint64_t word0 = readLittleEndian(p + 8, 8);
    const std::uint64_t word1 = readLittleEndian(p + 16, 8);
    const std::uint64_t word2 = readLittleEndian(p + 24, 8);

    CompressedBlockHeader header;
    header.rawBytes = read32(p + 4);
    header.literalCount = bitField(word0, 0, 20);
    header.literalPayloadBytes = bitField(word0, 20, 20);
    header.matchCount = bitField(word0, 40, 20);
    header.literalFinalBits = static_cast<std::int32_t>(bitField(word0, 60, 3)) - 7;
    for (std::size_t i = 0; i < header.literalStates.size(); ++i)
        header.literalStates[i] = static_cast<std::uint16_t>(bitField(word1, static_cast<int>(10 * i), 10));
    header.lmdPayloadBytes = bitField(word1, 40, 20);
    header.lmdFinalBits = static_cast<std::int32_t>(bitField(word1, 60, 3)) - 7;
    header.headerBytes = bitField(word2, 0, 32);
    header.lState = static_cast<std::uint16_t>(bitField(word2, 32, 10));
    header.mState = static_cast<std::uint16_t>(bitField(word2, 42, 10));
    header.dState = static_cast<std::uint16_t>(bitField(word2, 52, 10));

    if (header.headerBytes < packedHeaderFixedBytes)
        return std::unexpected(Case::corrupt);
    if (header.headerBytes > block.size())
        return std::unexpected(Case::truncated);
    const Bytes codes = block.subspan(packedHeaderFixedBytes, header.headerBytes - packedHeaderFixedBytes);
    if (!decodePackedFrequencies(codes, header.frequencies))
        return std::unexpected(Case::corrupt);
    return header;
}

// Reads an entropy-coded stream from its end towards its start: the encoder wrote it forwards,
// so the decoder meets its symbols in reverse order of writing.
class BackwardBitReader final {
public:
    // `finalBits` as the header gives it for this stream; in [-8, 0] in a sound header.
    static std::optional<BackwardBitReader> open(Bytes stream, std::int32_t finalBits)
    {
        if (finalBits < -8 || finalBits > 0)
            return std::nullopt;
        BackwardBitReader reader(stream);
        // With a partly filled last byte the encoder flushed eight bytes, otherwise seven.
        const int byteCount = finalBits == 0 ? 7 : 8;
        reader.m_bits = reader.takeBytes(byteCount);
        reader.m_bitCount = 8 * byteCount + finalBits;
        if ((reader.m_bits >> reader.m_bitCount) != 0)
            return std::nullopt; // the unused bits on top must be zero
        return reader;
    }

    // Tops the accumulator up to at least 56 bits with whole bytes.
    void refill()
    {
        const int shift = (63 - m_bitCount) & ~7;
        if (shift == 0)
            return;
        m_bits = (m_bits << shift) | takeBytes(shift / 8);
        m_bitCount += shift;
    }

    // The next `count` bits. After refill() at least 56 bits are there; the callers never take
    // more than that between two refills (the table builders bound every entry's bit count).
    std::uint32_t take(int count)
    {
        m_bitCount -= count;
        const std::uint64_t value = m_bits >> m_bitCount;
        m_bits &= (std::uint64_t{1} << m_bitCount) - 1;
        return static_cast<std::uint32_t>(value);
    }

private:
    explicit BackwardBitReader(Bytes stream)
        : m_begin(stream.data())
        , m_next(stream.data() + stream.size())
    {
    }

    // The `count` bytes before those already taken, as a little-endian number. The encoder's
    // padding may reach before the stream's first byte: those bits are never used, and zeros
    // stand in for them.
    std::uint64_t takeBytes(int count)
    {
        std::uint64_t value = 0;
        for (int i = 0; i < count; ++i) {
            value <<= 8;
            if (m_next > m_begin)
                value |= *--m_next;
        }
        return value;
    }

    const unsigned char* m_begin;
    const unsigned char* m_next; // the first byte already taken into the accumulator
    std::uint64_t m_bits = 0;
    int m_bitCount = 0; // 0-63
};

// Finite-state decoding: each symbol owns as many consecutive states as its frequency. Visiting
// one of them yields the symbol, then the next state is `stateBase` plus `stateBits` fresh bits.
// Calls fill(state, symbol, stateBits, stateBase) for each owned state; false if the frequencies
// add up to more than the states there are. States left over keep the table's zero entry.
template <typename Fill> bool spreadStates(std::span<const std::uint16_t> frequencies, int stateCount, Fill fill)
{
    const int stateLog = std::countr_zero(static_cast<unsigned>(stateCount));
    int state = 0;
    for (std::size_t symbol = 0; symbol < frequencies.size(); ++symbol) {
        const int frequency = frequencies[symbol];
        if (frequency == 0)
            continue;
        if (frequency > stateCount - state)
            return false;
        // The first `wideCount` states read enough bits to land anywhere in a span of
        // 2^stateBits states, the others one bit less; together they cover all states once.
        const int stateBits = stateLog + 1 - std::bit_width(static_cast<unsigned>(frequency));
        const int wideCount = ((2 * stateCount) >> stateBits) - frequency;
        for (int j = 0; j < frequency; ++j, ++state) {
            if (j < wideCount)
                fill(state, symbol, stateBits, ((frequency + j) << stateBits) - stateCount);
            else
                fill(state, symbol, stateBits - 1, (j - wideCount) << (stateBits - 1));
        }
    }
    return true;
}

struct LiteralEntry {
    std::uint8_t symbol = 0;
    std::uint8_t stateBits = 0;
    std::uint16_t stateBase = 0;
};

// The state bits and the symbol's extra value bits are read together, state bits on top.
struct ValueEntry {
    std::uint8_t totalBits = 0;
    std::uint8_t valueBits = 0;
    std::uint16_t stateBase = 0;
    std::int32_t valueBase = 0;
};

bool buildLiteralTable(std::array<LiteralEntry, literalStateCount>& table, std::span<const std::uint16_t> frequencies)
{
    table.fill({});
    return spreadStates(
        frequencies, literalStateCount, [&](int state, std::size_t symbol, int stateBits, int stateBase) {
            table[state] = {static_cast<std::uint8_t>(symbol), static_cast<std::uint8_t>(stateBits),
                static_cast<std::uint16_t>(stateBase)};
        });
}

template <std::size_t States, std::size_t Symbols>
bool buildValueTable(std::array<ValueEntry, States>& table, std::span<const std::uint16_t, Symbols> frequencies,
    const std::array<std::uint8_t, Symbols>& extraBits, const std::array<std::int32_t, Symbols>& bases)
{
    table.fill({});
    return spreadStates(frequencies, States, [&](int state, std::size_t symbol, int stateBits, int stateBase) {
        table[state] = {static_cast<std::uint8_t>(stateBits + extraBits[symbol]), extraBits[symbol],
            static_cast<std::uint16_t>(stateBase), bases[symbol]};
    });
}

std::int32_t decodeValue(const ValueEntry* table, std::uint16_t& state, BackwardBitReader& in)
{
    const ValueEntry entry = table[state];
    const std::uint32_t bits = in.take(entry.totalBits);
    state = static_cast<std::uint16_t>(entry.stateBase + (bits >> entry.valueBits));
    return entry.valueBase + static_cast<std::int32_t>(bits & ((std::uint32_t{1} << entry.valueBits) - 1));
}

// Tables and buffers of the compressed blocks, kept across blocks of one stream.
struct CompressedBlockDecoder {
    std::array<LiteralEntry, literalStateCount> literalTable{};
    std::array<ValueEntry, lStateCount> lTable{};
    std::array<ValueEntry, mStateCount> mTable{};
    std::array<ValueEntry, dStateCount> dTable{};
    std::vector<unsigned char> literals; // decoded, then padding for chunked copies
    std::size_t literalCount = 0;

    bool buildTables(const CompressedBlockHeader& header)
    {
        return buildLiteralTable(literalTable, header.literalFrequencies())
            && buildValueTable(lTable, header.lFrequencies(), lExtraBits, lBaseValues)
            && buildValueTable(mTable, header.mFrequencies(), mExtraBits, mBaseValues)
            && buildValueTable(dTable, header.dFrequencies(), dExtraBits, dBaseValues);
    }

    // Four interleaved states take turns, four literals per refill.
    bool decodeLiterals(const CompressedBlockHeader& header, Bytes stream)
    {
        std::optional<BackwardBitReader> in = BackwardBitReader::open(stream, header.literalFinalBits);
        if (!in)
            return false;
        std::array<std::uint16_t, 4> states = header.literalStates;
        literalCount = (header.literalCount + 3) & ~std::uint32_t{3};
        literals.resize(literalCount + TruneLzfseBlockWriter::chunk);
        for (std::size_t i = 0; i < literalCount; i += states.size()) {
            in->refill();
            for (std::size_t s = 0; s < states.size(); ++s) {
                const LiteralEntry entry = literalTable[states[s]];
                literals[i + s] = entry.symbol;
                states[s] = static_cast<std::uint16_t>(entry.stateBase + in->take(entry.stateBits));
            }
        }
        return true;
    }

    // Each triple copies L literals, then M bytes from D back; D = 0 repeats the last distance.
    bool decodeMatches(const CompressedBlockHeader& header, Bytes stream, TruneLzfseBlockWriter& out)
    {
        std::optional<BackwardBitReader> in = BackwardBitReader::open(stream, header.lmdFinalBits);
        if (!in)
            return false;
        std::uint16_t lState = header.lState;
        std::uint16_t mState = header.mState;
        std::uint16_t dState = header.dState;
        std::size_t literalsUsed = 0;
        std::size_t distance = 0;
        for (std::uint32_t i = 0; i < header.matchCount; ++i) {
            in->refill();
            const auto l = static_cast<std::size_t>(decodeValue(lTable.data(), lState, *in));
            const auto m = static_cast<std::size_t>(decodeValue(mTable.data(), mState, *in));
            const auto d = static_cast<std::size_t>(decodeValue(dTable.data(), dState, *in));
            if (d != 0)
                distance = d;
            if (l > literalCount - literalsUsed || !out.appendPaddedLiterals(literals.data() + literalsUsed, l))
                return false;
            literalsUsed += l;
            if (!out.copyMatch(distance, m))
                return false;
        }
        return true;
    }
};

class StreamDecoder final {
public:
    StreamDecoder(QByteArrayView input, qsizetype maxOutput)
        : m_input(reinterpret_cast<const unsigned char*>(input.data()), static_cast<std::size_t>(input.size()))
        , m_maxOutput(std::max<qsizetype>(maxOutput, 0))
    {
    }

    std::expected<QByteArray, TruneLzfseError> run()
    {
        for (;;) {
            const Bytes block = m_input.subspan(m_position);
            if (block.empty())
                return failure(Case::missingEndOfStream);
            if (block.size() < 4)
                return failure(Case::truncated);
            std::expected<std::size_t, Case> blockBytes;
            switch (read32(block.data())) {
            case endOfStreamMagic:
                return std::move(m_output);
            case rawBlockMagic:
                blockBytes = decodeRawBlock(block);
                break;
            case lzvnBlockMagic:
                blockBytes = decodeLzvnBlock(block);
                break;
            case plainHeaderBlockMagic:
                blockBytes = decodeCompressedBlock(block, readPlainHeader(block));
                break;
            case packedHeaderBlockMagic:
                blockBytes = decodeCompressedBlock(block, readPackedHeader(block));
                break;
            default:
                return failure(Case::invalidMagic);
            }
            if (!blockBytes)
                return failure(blockBytes.error());
            m_position += *blockBytes;
        }
    }

private:
    // Each block decoder returns how many input bytes the block took.
    std::expected<std::size_t, Case> decodeRawBlock(Bytes block)
    {
        if (block.size() < rawHeaderBytes)
            return std::unexpected(Case::truncated);
        const std::uint32_t rawBytes = read32(block.data() + 4);
        if (rawBytes > block.size() - rawHeaderBytes)
            return std::unexpected(Case::truncated);
        std::expected<TruneLzfseBlockWriter, Case> out = startBlock(rawBytes);
        if (!out)
            return std::unexpected(out.error());
        out->appendLiterals(block.data() + rawHeaderBytes, rawBytes);
        return rawHeaderBytes + rawBytes;
    }

    std::expected<std::size_t, Case> decodeLzvnBlock(Bytes block)
    {
        if (block.size() < lzvnHeaderBytes)
            return std::unexpected(Case::truncated);
        const std::uint32_t rawBytes = read32(block.data() + 4);
        const std::uint32_t payloadBytes = read32(block.data() + 8);
        if (payloadBytes > block.size() - lzvnHeaderBytes)
            return std::unexpected(Case::truncated);
        std::expected<TruneLzfseBlockWriter, Case> out = startBlock(rawBytes);
        if (!out)
            return std::unexpected(out.error());
        if (!TruneLzvn::decodeBlock(block.subspan(lzvnHeaderBytes, payloadBytes), *out))
            return std::unexpected(Case::corrupt);
        return lzvnHeaderBytes + payloadBytes;
    }

    // The literal stream follows the header, the match stream follows the literal stream.
    std::expected<std::size_t, Case> decodeCompressedBlock(
        Bytes block, const std::expected<CompressedBlockHeader, Case>& header)
    {
        if (!header)
            return std::unexpected(header.error());
        if (header->blockBytes() > block.size())
            return std::unexpected(Case::truncated);
        if (!header->hasSoundCountsAndStates() || !m_compressed.buildTables(*header))
            return std::unexpected(Case::corrupt);
        std::expected<TruneLzfseBlockWriter, Case> out = startBlock(header->rawBytes);
        if (!out)
            return std::unexpected(out.error());
        const Bytes literalStream = block.subspan(header->headerBytes, header->literalPayloadBytes);
        const Bytes matchStream
            = block.subspan(header->headerBytes + header->literalPayloadBytes, header->lmdPayloadBytes);
        if (!m_compressed.decodeLiterals(*header, literalStream)
            || !m_compressed.decodeMatches(*header, matchStream, *out) || !out->isComplete())
            return std::unexpected(Case::corrupt);
        return static_cast<std::size_t>(header->blockBytes());
    }

    // Sets aside the block's declared size at the end of the output, once it is within the cap.
    std::expected<TruneLzfseBlockWriter, Case> startBlock(std::uint32_t rawBytes)
    {
        const qsizetype produced = m_output.size();
        if (rawBytes > static_cast<std::uint64_t>(m_maxOutput - produced))
            return std::unexpected(Case::outputTooLarge);
        m_output.resize(produced + static_cast<qsizetype>(rawBytes));
        auto* begin = reinterpret_cast<unsigned char*>(m_output.data());
        return TruneLzfseBlockWriter(begin, begin + produced, begin + m_output.size());
    }

    std::unexpected<TruneLzfseError> failure(Case errorCase) const
    {
        return std::unexpected(TruneLzfseError{errorCase, static_cast<qint64>(m_position), m_maxOutput});
    }

    Bytes m_input;
    std::size_t m_position = 0; // start of the block being decoded
    qsizetype m_maxOutput;
    QByteArray m_output;
    CompressedBlockDecoder m_compressed;
};

} // namespace

QString TruneLzfseError::reason() const
{
    const QString at = truneDecimal(offset);
    switch (errorCase) {
    case Case::invalidMagic:
        return QStringLiteral("no LZFSE block starts at byte %1").arg(at);
    case Case::truncated:
        return QStringLiteral("the LZFSE data ends inside the block at byte %1").arg(at);
    case Case::corrupt:
        return QStringLiteral("the LZFSE block at byte %1 is corrupt").arg(at);
    case Case::missingEndOfStream:
        return QStringLiteral("the LZFSE data ends at byte %1 without an end-of-stream block").arg(at);
    case Case::outputTooLarge:
        return QStringLiteral("the LZFSE block at byte %1 would take the decoded data past %2 bytes")
            .arg(at, truneDecimal(limit));
    }
    return {};
}

std::expected<QByteArray, TruneLzfseError> TruneLzfse::decode(QByteArrayView compressed, qsizetype maxOutput)
{
    return StreamDecoder(compressed, maxOutput).run();
}
