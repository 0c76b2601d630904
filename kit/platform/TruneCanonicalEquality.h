#pragma once

// Field-by-field equality in which texts compare by Unicode canonical equivalence
// (TruneJson::canonicallyEqual), as records exchanged with other programs compare: a title
// written decomposed by one app equals the same title written composed by another.
//
//     auto fields() const { return std::tie(timestamp, title, channels); }
//     friend bool operator==(const X& a, const X& b) { return truneCanonicallyEqual(a.fields(), b.fields()); }
//
// Doubles compare numerically (a NaN equals nothing), dates as instants, optionals and vectors
// element by element; any other type by its own operator==.

#include "kit/platform/TruneJson.h"

#include <QString>
#include <QStringList>

#include <cstddef>
#include <optional>
#include <tuple>
#include <utility>
#include <vector>

inline bool truneCanonicallyEqual(const QString& a, const QString& b)
{
    return TruneJson::canonicallyEqual(a, b);
}

template <typename T> bool truneCanonicallyEqual(const T& a, const T& b);
template <typename T> bool truneCanonicallyEqual(const std::optional<T>& a, const std::optional<T>& b);
template <typename T> bool truneCanonicallyEqual(const std::vector<T>& a, const std::vector<T>& b);
inline bool truneCanonicallyEqual(const QStringList& a, const QStringList& b);
template <typename... T> bool truneCanonicallyEqual(const std::tuple<T...>& a, const std::tuple<T...>& b);

template <typename T> bool truneCanonicallyEqual(const T& a, const T& b)
{
    return a == b;
}

template <typename T> bool truneCanonicallyEqual(const std::optional<T>& a, const std::optional<T>& b)
{
    if (a.has_value() != b.has_value())
        return false;
    return !a || truneCanonicallyEqual(*a, *b);
}

template <typename T> bool truneCanonicallyEqual(const std::vector<T>& a, const std::vector<T>& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (!truneCanonicallyEqual(a[i], b[i]))
            return false;
    }
    return true;
}

inline bool truneCanonicallyEqual(const QStringList& a, const QStringList& b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i) {
        if (!truneCanonicallyEqual(a[i], b[i]))
            return false;
    }
    return true;
}

template <typename... T> bool truneCanonicallyEqual(const std::tuple<T...>& a, const std::tuple<T...>& b)
{
    return [&]<std::size_t... I>(std::index_sequence<I...>)
    {
        // Field by field in declaration order, stopping at the first difference.
        return (truneCanonicallyEqual(std::get<I>(a), std::get<I>(b)) && ...);
    }
    (std::index_sequence_for<T...>{});
}
