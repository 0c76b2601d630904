#include "core/records/LocalizedNameComparison.h"

#include "kit/platform/TruneCollation.h"

LocalizedNameComparison::LocalizedNameComparison(const QLocale& locale)
    : m_collator(TruneCollation::localizedCaseInsensitive(locale))
{
}

int LocalizedNameComparison::compare(const QString& left, const QString& right) const
{
    return m_collator.compare(left, right);
}
