#include "app/viewmodel/BrewConsoleLog.h"

#include <QStringView>
#include <QTextBoundaryFinder>

#include <algorithm>
#include <vector>

namespace BrewConsoleLog {

namespace {

bool isAscii(QChar unit)
{
    return unit.unicode() < 0x80;
}

// Between two ASCII units a character always starts, except inside CR LF: no grapheme rule joins
// anything else there. Only runs of other text need the full segmentation.
bool charactersMeetBetweenAscii(QStringView text, qsizetype position)
{
    const QChar before = text[position - 1];
    const QChar at = text[position];
    return isAscii(before) && isAscii(at) && !(before == u'\r' && at == u'\n');
}

// The positions where characters start in `text`, from its end back to 0. Brew prints mostly
// ASCII, which is walked unit by unit; each run of other text is segmented on its own, from the
// last certain start before it, so the work stays with the text that needs it.
class CharacterStartsFromEnd final {
public:
    explicit CharacterStartsFromEnd(QStringView text)
        : m_text(text)
        , m_position(text.size())
    {
    }

    // The start before the previous one returned (the end at first); -1 past the first character.
    qsizetype previous()
    {
        if (m_position <= 0)
            return -1;
        if (m_segmented.empty()) {
            if (m_position == 1 || charactersMeetBetweenAscii(m_text, m_position - 1))
                return --m_position;
            segmentRunBefore(m_position);
        }
        m_position = m_segmented.back();
        m_segmented.pop_back();
        return m_position;
    }

private:
    // Collects the starts within the run of text that ends at `end`, lowest first.
    void segmentRunBefore(qsizetype end)
    {
        qsizetype runStart = end - 1;
        while (runStart > 0 && !charactersMeetBetweenAscii(m_text, runStart))
            --runStart;
        QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, m_text.constData() + runStart, end - runStart);
        for (qsizetype at = finder.position(); at >= 0 && at < end - runStart; at = finder.toNextBoundary())
            m_segmented.push_back(runStart + at);
    }

    QStringView m_text;
    qsizetype m_position;
    std::vector<qsizetype> m_segmented;
};

// Where the kept end of `log` starts when no character starts within its last keptUnits units:
// that many units back, moved on past a low surrogate so that no pair is split.
qsizetype unitCut(const QString& log)
{
    qsizetype cut = log.size() - keptUnits;
    if (log.at(cut).isLowSurrogate() && log.at(cut - 1).isHighSurrogate())
        ++cut;
    return cut;
}

} // namespace

qsizetype append(QString& log, const QString& chunk)
{
    log += chunk;
    // A character takes at least one UTF-16 unit: a text this short cannot be over the cap.
    if (log.size() <= maxCharacters)
        return 0;

    // Walk back from the end, one character at a time, only as far as the cap: over no more than
    // the last maxUnits units, as anything before them goes anyway.
    const qsizetype windowStart = std::max<qsizetype>(0, log.size() - maxUnits);
    const QStringView window = QStringView(log).sliced(windowStart);
    CharacterStartsFromEnd starts(window);
    qsizetype characters = 0;
    qsizetype keptStart = -1;
    bool overCap = windowStart > 0;
    for (qsizetype start = starts.previous(); start >= 0; start = starts.previous()) {
        ++characters;
        overCap = overCap || characters > maxCharacters;
        if (characters <= keptCharacters && window.size() - start <= keptUnits)
            keptStart = windowStart + start;
        else if (overCap)
            break;
    }
    if (!overCap)
        return 0;
    const qsizetype cut = keptStart >= 0 ? keptStart : unitCut(log);
    log.remove(0, cut);
    return cut;
}

} // namespace BrewConsoleLog
