#pragma once

// One pattern for enumerations with text raw values: an enum declares its cases and raw values
// once, in a specialization of TruneRawValues, and gets raw value <-> case, the case list and
// (through kit/platform/TruneJson.h) its JSON coding from here.
//
//   enum class TruneLogLevel { debug, info, warn, error };
//   template <> struct TruneRawValues<TruneLogLevel> {
//       static constexpr std::array cases{
//           TruneRawCase{TruneLogLevel::debug, "debug"}, TruneRawCase{TruneLogLevel::info, "info"}, ...};
//   };
//
// The order of `cases` is the enum's case order (allCases).

#include <QString>
#include <QStringView>

#include <array>
#include <concepts>
#include <optional>
#include <string_view>
#include <vector>

template <typename E> struct TruneRawCase {
    E value;
    std::string_view raw; // UTF-8
};

template <typename E> struct TruneRawValues; // specialize with `static constexpr std::array cases{...}`

template <typename E>
concept TruneRawValueEnum = std::is_enum_v<E> && requires
{
    TruneRawValues<E>::cases;
};

template <TruneRawValueEnum E> QString rawValue(E value)
{
    for (const auto& c : TruneRawValues<E>::cases) {
        if (c.value == value)
            return QString::fromUtf8(c.raw.data(), static_cast<qsizetype>(c.raw.size()));
    }
    return {};
}

// Exact, case-sensitive match; nullopt for any other text.
template <TruneRawValueEnum E> std::optional<E> fromRawValue(QStringView raw)
{
    const QByteArray utf8 = raw.toUtf8();
    const std::string_view wanted(utf8.constData(), static_cast<size_t>(utf8.size()));
    for (const auto& c : TruneRawValues<E>::cases) {
        if (c.raw == wanted)
            return c.value;
    }
    return std::nullopt;
}

template <TruneRawValueEnum E> std::vector<E> allCases()
{
    std::vector<E> values;
    values.reserve(TruneRawValues<E>::cases.size());
    for (const auto& c : TruneRawValues<E>::cases)
        values.push_back(c.value);
    return values;
}

// Position of the case in the declared order; lets enums order "by case order".
template <TruneRawValueEnum E> int caseIndex(E value)
{
    int index = 0;
    for (const auto& c : TruneRawValues<E>::cases) {
        if (c.value == value)
            return index;
        ++index;
    }
    return -1;
}
