#pragma once

#include <QString>

#include <vector>

// A text seen as user-perceived characters (extended grapheme clusters) in canonical composed
// form (NFC), so that counts, prefixes and searches neither split a character nor depend on how
// an accent was encoded. Positions are UTF-16 offsets into text().
class TruneGraphemeText final {
public:
    explicit TruneGraphemeText(const QString& text);

    const QString& text() const { return m_text; }
    qsizetype characterCount() const { return static_cast<qsizetype>(m_boundaries.size()) - 1; }

    // The first / last `characters` characters (the whole text when it has fewer).
    QString prefix(qsizetype characters) const;
    QString suffix(qsizetype characters) const;

    // `literal` must be NFC (see composed()); an empty literal always matches.
    bool hasPrefix(const QString& literal) const;
    bool hasSuffix(const QString& literal) const;
    // The first occurrence of `literal` within [from, to) that starts and ends between
    // characters, or -1.
    qsizetype indexOf(const QString& literal, qsizetype from, qsizetype to) const;

    static QString composed(const QString& text);
    static qsizetype characterCount(const QString& text);

private:
    bool isBoundary(qsizetype position) const;

    QString m_text;
    std::vector<qsizetype> m_boundaries; // ascending, from 0 to m_text.size()
};
