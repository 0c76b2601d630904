#include "kit/localization/TruneShortenedText.h"

#include <QTextBoundaryFinder>

#include <algorithm>

namespace TruneShortenedText {

QString leadingCharacters(const QString& text, qsizetype maxLength)
{
    if (text.size() <= maxLength)
        return text;
    if (maxLength <= 0)
        return {};
    // Whether a character ends at `maxLength` depends only on what comes before and the unit after.
    const QStringView window = QStringView(text).first(maxLength + 1);
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, window.data(), window.size());
    finder.setPosition(maxLength);
    const qsizetype boundary = finder.isAtBoundary() ? maxLength : std::max<qsizetype>(finder.toPreviousBoundary(), 0);
    if (boundary > 0)
        return text.first(boundary);
    const qsizetype cut = text.at(maxLength - 1).isHighSurrogate() ? maxLength - 1 : maxLength;
    return text.first(cut);
}

QString shortened(const QString& text, qsizetype maxLength)
{
    if (text.size() <= maxLength)
        return text;
    return leadingCharacters(text, maxLength - 1) + QChar(0x2026);
}

} // namespace TruneShortenedText
