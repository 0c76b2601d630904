#include "core/homebrew/HomebrewCanonicalOrder.h"

#include "kit/platform/TruneCollation.h"
#include "kit/platform/TruneStableSort.h"

#include <QCollatorSortKey>

#include <algorithm>
#include <numeric>

void sortHomebrewItemsCanonically(std::vector<HomebrewItem>& items, const QLocale& locale)
{
    // Sort keys once per item instead of collating both names on every comparison.
    const QCollator collator = TruneCollation::localizedCaseInsensitive(locale);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(items.size());
    for (const HomebrewItem& item : items)
        keys.push_back(collator.sortKey(item.name));

    std::vector<size_t> order(items.size());
    std::iota(order.begin(), order.end(), size_t{0});
    truneStableSort(order.begin(), order.end(), [&](size_t left, size_t right) {
        if (items[left].isOutdated != items[right].isOutdated)
            return items[left].isOutdated;
        return keys[left].compare(keys[right]) < 0;
    });

    std::vector<HomebrewItem> sorted;
    sorted.reserve(items.size());
    for (size_t index : order)
        sorted.push_back(std::move(items[index]));
    items = std::move(sorted);
}
