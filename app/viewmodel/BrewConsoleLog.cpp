#include "app/viewmodel/BrewConsoleLog.h"

#include <QTextBoundaryFinder>

#include <algorithm>

namespace BrewConsoleLog {

namespace {

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

void append(QString& log, const QString& chunk)
{
    log += chunk;
    // A character takes at least one UTF-16 unit: a text this short cannot be over the cap.
    if (log.size() <= maxCharacters)
        return;

    // Walk back from the end, one character at a time, only as far as the cap: over no more than
    // the last maxUnits units, as anything before them goes anyway.
    const qsizetype windowStart = std::max<qsizetype>(0, log.size() - maxUnits);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, log.constData() + windowStart, log.size() - windowStart);
    finder.toEnd();
    qsizetype characters = 0;
    qsizetype keptStart = -1;
    for (qsizetype position = finder.toPreviousBoundary(); position >= 0; position = finder.toPreviousBoundary()) {
        ++characters;
        const qsizetype start = windowStart + position;
        if (characters <= keptCharacters && log.size() - start <= keptUnits)
            keptStart = start;
        if (characters > maxCharacters)
            break;
    }
    const bool overCap = characters > maxCharacters || windowStart > 0;
    if (overCap)
        log.remove(0, keptStart >= 0 ? keptStart : unitCut(log));
}

} // namespace BrewConsoleLog
