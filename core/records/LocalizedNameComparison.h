#pragma once

#include <QCollator>
#include <QLocale>
#include <QString>

// The comparison by which names are put in order for the user: the locale's collation with
// case ignored (accents still count). The locale is a parameter so that an order does not
// depend on the machine it is computed on when that matters (tests).
class LocalizedNameComparison final {
public:
    explicit LocalizedNameComparison(const QLocale& locale = QLocale());

    // Negative when `left` comes first, 0 when the two names compare the same, positive otherwise.
    int compare(const QString& left, const QString& right) const;

private:
    QCollator m_collator;
};
