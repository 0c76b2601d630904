#pragma once

// The outcome of ordering two values: the first is before, the same as, or after the second.
enum class ComparisonResult : int {
    orderedAscending = -1,
    orderedSame = 0,
    orderedDescending = 1,
};
