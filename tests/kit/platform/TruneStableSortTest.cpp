#include "kit/platform/TruneStableSort.h"

#include <gtest/gtest.h>

#include <QList>

#include <algorithm>
#include <memory>
#include <utility>
#include <vector>

namespace {

struct Entry {
    int key = 0;
    int arrival = 0; // position before sorting

    bool operator==(const Entry&) const = default;
};

// `count` entries whose keys repeat in a scrambled pattern, numbered in arrival order.
std::vector<Entry> scrambled(int count, int distinctKeys)
{
    std::vector<Entry> entries;
    for (int index = 0; index < count; ++index)
        entries.push_back({(index * 7 + 3) % distinctKeys, index});
    return entries;
}

// The stable order, told apart from any other by sorting on (key, arrival).
std::vector<Entry> stablyOrdered(std::vector<Entry> entries)
{
    std::sort(entries.begin(), entries.end(), [](const Entry& left, const Entry& right) {
        return std::pair(left.key, left.arrival) < std::pair(right.key, right.arrival);
    });
    return entries;
}

TEST(TruneStableSortTest, EqualKeysKeepTheirOrderAtEverySize)
{
    const struct {
        int count;
        int distinctKeys;
    } cases[] = {{0, 1}, {1, 1}, {2, 1}, {2, 2}, {3, 2}, {5, 5}, {16, 3}, {17, 4}, {100, 7}, {1000, 10}, {1025, 1000}};
    for (const auto& row : cases) {
        SCOPED_TRACE(testing::Message() << row.count << " entries, " << row.distinctKeys << " keys");
        std::vector<Entry> entries = scrambled(row.count, row.distinctKeys);
        const std::vector<Entry> expected = stablyOrdered(entries);
        truneStableSort(
            entries.begin(), entries.end(), [](const Entry& left, const Entry& right) { return left.key < right.key; });
        EXPECT_EQ(entries, expected);
    }
}

TEST(TruneStableSortTest, SortsARangeByAProjectionAndMovesElementsOnly)
{
    QList<Entry> list;
    for (const Entry& entry : scrambled(40, 6))
        list.append(entry);
    truneStableSort(list, std::ranges::greater{}, &Entry::key);
    // Descending keys, equal keys in arrival order.
    std::vector<Entry> expected = scrambled(40, 6);
    std::sort(expected.begin(), expected.end(), [](const Entry& left, const Entry& right) {
        return std::pair(-left.key, left.arrival) < std::pair(-right.key, right.arrival);
    });
    EXPECT_EQ(std::vector<Entry>(list.begin(), list.end()), expected);

    std::vector<std::unique_ptr<int>> owned;
    for (const int value : {3, 1, 2, 1})
        owned.push_back(std::make_unique<int>(value));
    const int* firstOne = owned[1].get();
    truneStableSort(owned, {}, [](const std::unique_ptr<int>& value) { return *value; });
    ASSERT_EQ(owned.size(), 4u);
    EXPECT_EQ(owned[0].get(), firstOne);
    EXPECT_EQ((std::vector<int>{*owned[0], *owned[1], *owned[2], *owned[3]}), (std::vector<int>{1, 1, 2, 3}));
}

} // namespace
