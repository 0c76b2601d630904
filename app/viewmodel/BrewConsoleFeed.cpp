#include "app/viewmodel/BrewConsoleFeed.h"

#include <utility>

namespace {

// Where the last `units` UTF-16 units of `utf8` begin at the latest, at the start of a code point;
// 0 when it holds fewer. Every byte that does not continue a sequence starts at least one unit.
qsizetype startOfLastUnits(QByteArrayView utf8, qsizetype units)
{
    for (qsizetype at = utf8.size() - 1; at >= 0; --at) {
        const bool continues = (static_cast<unsigned char>(utf8[at]) & 0xC0) == 0x80;
        if (!continues && --units == 0)
            return at;
    }
    return 0;
}

} // namespace

bool BrewConsoleFeed::put(QByteArrayView utf8)
{
    if (utf8.isEmpty())
        return false;
    const std::scoped_lock lock(m_mutex);
    m_pieces.push_back(utf8.toByteArray());
    m_bytes += utf8.size();
    // Whole pieces go, so what waits still starts at the start of a character brew printed.
    while (m_bytes - m_pieces.front().size() >= pendingBytes) {
        m_bytes -= m_pieces.front().size();
        m_pieces.pop_front();
    }
    return !std::exchange(m_requested, true);
}

QString BrewConsoleFeed::take()
{
    std::deque<QByteArray> pieces;
    qsizetype bytes = 0;
    {
        const std::scoped_lock lock(m_mutex);
        pieces.swap(m_pieces);
        bytes = std::exchange(m_bytes, 0);
        m_requested = false;
    }
    QByteArray utf8;
    utf8.reserve(bytes);
    for (const QByteArray& piece : pieces)
        utf8 += piece;
    return QString::fromUtf8(QByteArrayView(utf8).sliced(startOfLastUnits(utf8, takenUnits)));
}

qsizetype BrewConsoleFeed::waitingBytes() const
{
    const std::scoped_lock lock(m_mutex);
    return m_bytes;
}
