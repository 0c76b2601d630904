#pragma once

// Internal to the LZFSE decoder: writes one block's decoded bytes into the space set aside for
// it at the end of the output. A match may reach back into earlier blocks, but never before the
// start of the output, and nothing is ever written past the block's declared size.

#include <algorithm>
#include <cstddef>
#include <cstring>

class TruneLzfseBlockWriter final {
public:
    TruneLzfseBlockWriter(unsigned char* outputBegin, unsigned char* blockBegin, unsigned char* blockEnd)
        : m_outputBegin(outputBegin)
        , m_next(blockBegin)
        , m_end(blockEnd)
    {
    }

    // False if the literals don't fit in the block.
    bool appendLiterals(const unsigned char* bytes, std::size_t count)
    {
        if (count > room())
            return false;
        if (count > 0)
            std::memcpy(m_next, bytes, count);
        m_next += count;
        return true;
    }

    // The same, for a source that stays readable for `chunk` bytes past `count`: away from the
    // block's end it is copied in whole chunks, which is much faster for the short runs that
    // compressed blocks are made of. Bytes written past `count` are overwritten later.
    bool appendPaddedLiterals(const unsigned char* bytes, std::size_t count)
    {
        if (count > room())
            return false;
        if (room() - count < chunk)
            return appendLiterals(bytes, count);
        for (std::size_t i = 0; i < count; i += chunk)
            std::memcpy(m_next + i, bytes + i, chunk);
        m_next += count;
        return true;
    }

    // Repeats `length` bytes starting `distance` bytes back. False if that reaches before the
    // start of the output (or is no distance at all), or if the copy doesn't fit in the block.
    bool copyMatch(std::size_t distance, std::size_t length)
    {
        if (length == 0)
            return true;
        if (length > room() || distance == 0 || distance > produced())
            return false;
        if (distance >= chunk && room() - length >= chunk) {
            for (std::size_t i = 0; i < length; i += chunk)
                std::memcpy(m_next + i, m_next + i - distance, chunk);
            m_next += length;
            return true;
        }
        // An overlapping match repeats its source with period `distance`; each copy doubles the
        // span already written, so long runs take a logarithmic number of memcpy calls.
        std::size_t period = distance;
        while (length > 0) {
            const std::size_t chunk = std::min(length, period);
            std::memcpy(m_next, m_next - period, chunk);
            m_next += chunk;
            length -= chunk;
            period *= 2;
        }
        return true;
    }

    bool isComplete() const { return m_next == m_end; }

    static constexpr std::size_t chunk = 16;

private:
    std::size_t room() const { return static_cast<std::size_t>(m_end - m_next); }
    std::size_t produced() const { return static_cast<std::size_t>(m_next - m_outputBegin); }

    unsigned char* m_outputBegin;
    unsigned char* m_next;
    unsigned char* m_end;
};
