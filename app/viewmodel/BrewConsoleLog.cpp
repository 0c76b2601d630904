#include "app/viewmodel/BrewConsoleLog.h"

#include <QTextBoundaryFinder>

namespace BrewConsoleLog {

void append(QString& log, const QString& chunk)
{
    log += chunk;
    // A character takes at least one UTF-16 unit: a text this short cannot be over the cap.
    if (log.size() <= maxCharacters)
        return;

    // Walk back from the end, one character at a time, only as far as the cap.
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, log);
    finder.toEnd();
    qsizetype characters = 0;
    qsizetype keptStart = 0;
    for (qsizetype position = finder.toPreviousBoundary(); position >= 0; position = finder.toPreviousBoundary()) {
        ++characters;
        if (characters == keptCharacters)
            keptStart = position;
        if (characters > maxCharacters) {
            log.remove(0, keptStart);
            return;
        }
    }
}

} // namespace BrewConsoleLog
