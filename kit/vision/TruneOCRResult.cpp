#include "kit/vision/TruneOCRResult.h"

QString TruneOCRResult::fullText() const
{
    QString text;
    for (const TruneOCRLine& line : lines) {
        if (&line != &lines.front())
            text += QLatin1Char('\n');
        text += line.text;
    }
    return text;
}
