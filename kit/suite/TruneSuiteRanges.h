#pragma once

#include <algorithm>
#include <cmath>
#include <limits>

#include <QtGlobal>

// The range rules publishers' records apply to what they are built with.
namespace TruneSuiteRanges {

// Below `low`, or not a number: `low`.
template <typename T> T atLeast(T value, T low)
{
    return value >= low ? value : low;
}

// Into low..high; not a number gives `low`.
inline double within(double value, double low, double high)
{
    return std::min(atLeast(value, low), high);
}

// Into low..high by IEEE minNum first: not a number gives `high`.
inline double withinPreferringHigh(double value, double low, double high)
{
    return std::max(std::fmin(value, high), low);
}

// a + b, held at the 64-bit limits instead of overflowing.
inline qint64 saturatedSum(qint64 a, qint64 b)
{
    qint64 sum = 0;
    if (!__builtin_add_overflow(a, b, &sum))
        return sum;
    return b > 0 ? std::numeric_limits<qint64>::max() : std::numeric_limits<qint64>::min();
}

} // namespace TruneSuiteRanges
