#pragma once

#include <algorithm>
#include <cstddef>
#include <functional>
#include <iterator>
#include <ranges>
#include <utility>
#include <vector>

// Sorts by `less` applied to the projected elements; elements that compare equal keep their
// order. A merge sort through a buffer of its own, used instead of std::stable_sort: libstdc++ 12's
// std::stable_sort calls the deprecated std::get_temporary_buffer, which clang reports (and
// -Werror refuses) at every call site.
template <std::random_access_iterator Iterator, typename Less = std::ranges::less, typename Projection = std::identity>
void truneStableSort(Iterator first, Iterator last, Less less = {}, Projection projection = {})
{
    const std::ptrdiff_t count = last - first;
    if (count < 2)
        return;
    const auto ordered = [&](const auto& left, const auto& right) {
        return std::invoke(less, std::invoke(projection, left), std::invoke(projection, right));
    };
    using Value = std::iter_value_t<Iterator>;
    std::vector<Value> runs(std::make_move_iterator(first), std::make_move_iterator(last));
    std::vector<Value> merged;
    merged.reserve(runs.size());
    for (std::ptrdiff_t width = 1; width < count; width *= 2) {
        merged.clear();
        for (std::ptrdiff_t start = 0; start < count; start += 2 * width) {
            const auto begin = runs.begin() + start;
            const auto middle = runs.begin() + std::min(start + width, count);
            const auto end = runs.begin() + std::min(start + 2 * width, count);
            // On a tie std::merge takes the element of the first run, which came first.
            std::merge(std::make_move_iterator(begin), std::make_move_iterator(middle), std::make_move_iterator(middle),
                std::make_move_iterator(end), std::back_inserter(merged), ordered);
        }
        std::swap(runs, merged);
    }
    std::move(runs.begin(), runs.end(), first);
}

template <std::ranges::random_access_range Range, typename Less = std::ranges::less,
    typename Projection = std::identity>
void truneStableSort(Range&& range, Less less = {}, Projection projection = {})
{
    const auto first = std::ranges::begin(range);
    truneStableSort(first, first + std::ranges::distance(range), std::move(less), std::move(projection));
}
