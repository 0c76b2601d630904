#include "kit/platform/TruneCollation.h"

namespace TruneCollation {

QCollator localizedCaseInsensitive(const QLocale& locale)
{
    QCollator collator(locale.language() == QLocale::C ? QLocale(QLocale::English) : locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    return collator;
}

QCollator localizedStandard(const QLocale& locale)
{
    QCollator collator = localizedCaseInsensitive(locale);
    collator.setNumericMode(true);
    return collator;
}

} // namespace TruneCollation
