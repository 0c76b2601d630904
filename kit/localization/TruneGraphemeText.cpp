#include "kit/localization/TruneGraphemeText.h"

#include <QTextBoundaryFinder>

#include <algorithm>

TruneGraphemeText::TruneGraphemeText(const QString& text)
    : m_text(composed(text))
{
    m_boundaries.push_back(0);
    if (m_text.isEmpty())
        return;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, m_text);
    for (qsizetype next = finder.toNextBoundary(); next > 0; next = finder.toNextBoundary())
        m_boundaries.push_back(next);
}

QString TruneGraphemeText::prefix(qsizetype characters) const
{
    const qsizetype count = std::clamp<qsizetype>(characters, 0, characterCount());
    return m_text.first(m_boundaries[static_cast<size_t>(count)]);
}

QString TruneGraphemeText::suffix(qsizetype characters) const
{
    const qsizetype count = std::clamp<qsizetype>(characters, 0, characterCount());
    const qsizetype start = m_boundaries[static_cast<size_t>(characterCount() - count)];
    return m_text.sliced(start);
}

bool TruneGraphemeText::hasPrefix(const QString& literal) const
{
    return m_text.startsWith(literal) && isBoundary(literal.size());
}

bool TruneGraphemeText::hasSuffix(const QString& literal) const
{
    return m_text.endsWith(literal) && isBoundary(m_text.size() - literal.size());
}

qsizetype TruneGraphemeText::indexOf(const QString& literal, qsizetype from, qsizetype to) const
{
    for (qsizetype found = m_text.indexOf(literal, from); found >= 0 && found + literal.size() <= to;
         found = m_text.indexOf(literal, found + 1)) {
        if (isBoundary(found) && isBoundary(found + literal.size()))
            return found;
    }
    return -1;
}

QString TruneGraphemeText::composed(const QString& text)
{
    return text.normalized(QString::NormalizationForm_C);
}

qsizetype TruneGraphemeText::characterCount(const QString& text)
{
    return TruneGraphemeText(text).characterCount();
}

bool TruneGraphemeText::isBoundary(qsizetype position) const
{
    return std::binary_search(m_boundaries.begin(), m_boundaries.end(), position);
}
