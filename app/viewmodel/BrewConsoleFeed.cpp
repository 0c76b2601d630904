#include "app/viewmodel/BrewConsoleFeed.h"

#include <utility>

bool BrewConsoleFeed::put(const QString& text)
{
    if (text.isEmpty())
        return false;
    const std::scoped_lock lock(m_mutex);
    m_pieces.push_back(text);
    m_units += text.size();
    // Whole pieces go, so what waits still starts at the start of a character brew printed.
    while (m_units - m_pieces.front().size() >= pendingUnits) {
        m_units -= m_pieces.front().size();
        m_pieces.pop_front();
    }
    return !std::exchange(m_requested, true);
}

QString BrewConsoleFeed::take()
{
    std::deque<QString> pieces;
    qsizetype units = 0;
    {
        const std::scoped_lock lock(m_mutex);
        pieces.swap(m_pieces);
        units = std::exchange(m_units, 0);
        m_requested = false;
    }
    QString text;
    text.reserve(units);
    for (const QString& piece : pieces)
        text += piece;
    return text;
}

qsizetype BrewConsoleFeed::waitingUnits() const
{
    const std::scoped_lock lock(m_mutex);
    return m_units;
}
