#include "core/records/LeftoverSortOrder.h"

#include "core/records/LocalizedNameComparison.h"
#include "kit/platform/TruneStableSort.h"

#include <algorithm>
#include <compare>

std::vector<LeftoverFileItem> sort(
    LeftoverSortOrder order, const std::vector<LeftoverFileItem>& items, const QLocale& locale)
{
    const LocalizedNameComparison names(locale);
    const auto byCategory = [](const LeftoverFileItem& left, const LeftoverFileItem& right) {
        return caseIndex(left.category) <=> caseIndex(right.category);
    };
    const auto largerFirst = [](const LeftoverFileItem& left, const LeftoverFileItem& right) {
        return right.sizeBytes <=> left.sizeBytes;
    };
    const auto byFileName = [&](const LeftoverFileItem& left, const LeftoverFileItem& right) {
        return names.compare(left.fileName(), right.fileName()) <=> 0;
    };
    const auto comes = [&](const LeftoverFileItem& left, const LeftoverFileItem& right) -> std::strong_ordering {
        switch (order) {
        case LeftoverSortOrder::category:
            if (const auto c = byCategory(left, right); c != 0)
                return c;
            if (const auto c = largerFirst(left, right); c != 0)
                return c;
            return byFileName(left, right);
        case LeftoverSortOrder::sizeDescending:
            if (const auto c = largerFirst(left, right); c != 0)
                return c;
            return byFileName(left, right);
        case LeftoverSortOrder::nameAscending:
            if (const auto c = byFileName(left, right); c != 0)
                return c;
            return largerFirst(left, right);
        }
        return std::strong_ordering::equal;
    };
    std::vector<LeftoverFileItem> sorted = items;
    truneStableSort(sorted.begin(), sorted.end(),
        [&](const LeftoverFileItem& left, const LeftoverFileItem& right) { return comes(left, right) < 0; });
    return sorted;
}
