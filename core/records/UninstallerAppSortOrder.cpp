#include "core/records/UninstallerAppSortOrder.h"

#include "core/records/LocalizedNameComparison.h"
#include "kit/platform/TruneStableSort.h"

#include <algorithm>
#include <compare>

namespace {

// Missing dates sort after every dated app, whichever direction the dates run.
std::strong_ordering compareDates(
    const std::optional<QDateTime>& left, const std::optional<QDateTime>& right, bool newestFirst)
{
    if (!left || !right)
        return right.has_value() <=> left.has_value();
    const qint64 leftMs = left->toMSecsSinceEpoch();
    const qint64 rightMs = right->toMSecsSinceEpoch();
    return newestFirst ? rightMs <=> leftMs : leftMs <=> rightMs;
}

} // namespace

std::vector<InstalledAppRecord> sort(
    UninstallerAppSortOrder order, const std::vector<InstalledAppRecord>& records, const QLocale& locale)
{
    const LocalizedNameComparison names(locale);
    // The primary rule of the order; ties fall to names ascending unless the rule is a name rule.
    const auto primary = [&](const InstalledAppRecord& left, const InstalledAppRecord& right) -> std::strong_ordering {
        switch (order) {
        case UninstallerAppSortOrder::sizeDescending:
            return right.sizeBytes <=> left.sizeBytes;
        case UninstallerAppSortOrder::sizeAscending:
            return left.sizeBytes <=> right.sizeBytes;
        case UninstallerAppSortOrder::nameAscending:
            return names.compare(left.name, right.name) <=> 0;
        case UninstallerAppSortOrder::nameDescending:
            return 0 <=> names.compare(left.name, right.name);
        case UninstallerAppSortOrder::newestFirst:
            return compareDates(left.modifiedAt, right.modifiedAt, true);
        case UninstallerAppSortOrder::oldestFirst:
            return compareDates(left.modifiedAt, right.modifiedAt, false);
        }
        return std::strong_ordering::equal;
    };
    const auto comesFirst = [&](const InstalledAppRecord& left, const InstalledAppRecord& right) {
        const std::strong_ordering byRule = primary(left, right);
        if (byRule != 0)
            return byRule < 0;
        return names.compare(left.name, right.name) < 0;
    };
    std::vector<InstalledAppRecord> sorted = records;
    truneStableSort(sorted.begin(), sorted.end(), comesFirst);
    return sorted;
}
