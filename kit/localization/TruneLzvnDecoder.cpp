#include "kit/localization/TruneLzvnDecoder.h"

#include <array>
#include <cstddef>

namespace {

// Every opcode starts with one byte that tells its kind. Where the kind has a literal count L,
// the L literal bytes follow the opcode's own bytes; the match (if any) comes after them.
enum class Opcode : unsigned char {
    smallDistance,    // LLMMMDDD DDDDDDDD            L 0-3, M 3-10, D < 2^11
    mediumDistance,   // 101LLMMM DDDDDDMM DDDDDDDD   L 0-3, M 3-34, D < 2^14
    largeDistance,    // LLMMM111 DDDDDDDD DDDDDDDD   L 0-3, M 3-10, D < 2^16 (little-endian)
    previousDistance, // LLMMM110                     L 1-3, M 3-10, D as before
    smallMatch,       // 1111MMMM                     M 1-15, D as before
    largeMatch,       // 11110000 MMMMMMMM            M 16-271, D as before
    smallLiteral,     // 1110LLLL                     L 1-15
    largeLiteral,     // 11100000 LLLLLLLL            L 16-271
    nop,
    endOfStream, // 00000110 and seven more bytes
    undefined,
};

constexpr Opcode classify(unsigned op)
{
    if (op == 0x06)
        return Opcode::endOfStream;
    if (op == 0x0e || op == 0x16)
        return Opcode::nop;
    if (op >= 0xf0)
        return op == 0xf0 ? Opcode::largeMatch : Opcode::smallMatch;
    if (op >= 0xe0)
        return op == 0xe0 ? Opcode::largeLiteral : Opcode::smallLiteral;
    if (op >= 0xa0 && op < 0xc0)
        return Opcode::mediumDistance;
    if (op >= 0x70 && op < 0x80)
        return Opcode::undefined;
    switch (op & 7) {
    case 7:
        return Opcode::largeDistance;
    case 6:
        // Without literals (L = 0) this pattern is left unused, apart from the two nops and the end.
        return op < 0x40 ? Opcode::undefined : Opcode::previousDistance;
    default:
        return Opcode::smallDistance;
    }
}

constexpr std::array<Opcode, 256> opcodeTable = [] {
    std::array<Opcode, 256> table{};
    for (unsigned op = 0; op < table.size(); ++op)
        table[op] = classify(op);
    return table;
}();

constexpr std::size_t opcodeLength(Opcode kind)
{
    switch (kind) {
    case Opcode::smallDistance:
    case Opcode::largeMatch:
    case Opcode::largeLiteral:
        return 2;
    case Opcode::mediumDistance:
    case Opcode::largeDistance:
        return 3;
    case Opcode::endOfStream:
        return 8;
    default:
        return 1;
    }
}

} // namespace

bool TruneLzvn::decodeBlock(std::span<const unsigned char> payload, TruneLzfseBlockWriter& out)
{
    const unsigned char* p = payload.data();
    const unsigned char* const end = p + payload.size();
    std::size_t previousDistance = 0;

    while (p < end) {
        const unsigned op = *p;
        const Opcode kind = opcodeTable[op];
        const std::size_t length = opcodeLength(kind);
        if (static_cast<std::size_t>(end - p) < length)
            return false;

        std::size_t literals = 0;
        std::size_t match = 0;
        std::size_t distance = previousDistance;
        switch (kind) {
        case Opcode::smallDistance:
            literals = op >> 6;
            match = ((op >> 3) & 7) + 3;
            distance = ((op & 7u) << 8) | p[1];
            break;
        case Opcode::mediumDistance:
            literals = (op >> 3) & 3;
            match = (((op & 7u) << 2) | (p[1] & 3u)) + 3;
            distance = (static_cast<std::size_t>(p[2]) << 6) | (p[1] >> 2);
            break;
        case Opcode::largeDistance:
            literals = op >> 6;
            match = ((op >> 3) & 7) + 3;
            distance = (static_cast<std::size_t>(p[2]) << 8) | p[1];
            break;
        case Opcode::previousDistance:
            literals = op >> 6;
            match = ((op >> 3) & 7) + 3;
            break;
        case Opcode::smallMatch:
            match = op & 15;
            break;
        case Opcode::largeMatch:
            match = p[1] + 16u;
            break;
        case Opcode::smallLiteral:
            literals = op & 15;
            break;
        case Opcode::largeLiteral:
            literals = p[1] + 16u;
            break;
        case Opcode::nop:
            break;
        case Opcode::endOfStream:
            // The end must close the payload exactly.
            return end - p == static_cast<std::ptrdiff_t>(length) && out.isComplete();
        case Opcode::undefined:
            return false;
        }
        p += length;

        if (static_cast<std::size_t>(end - p) < literals || !out.appendLiterals(p, literals))
            return false;
        p += literals;
        if (!out.copyMatch(distance, match))
            return false;
        if (match > 0)
            previousDistance = distance;
    }
    // A payload without the end opcode is acceptable when it fills the block exactly.
    return out.isComplete();
}
