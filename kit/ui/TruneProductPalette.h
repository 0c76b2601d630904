#pragma once

#include "kit/platform/TruneRawValue.h"

#include <QColor>

#include <array>

// The deep colour families of the maker's products: each has a light accent and three stops for
// the full-window ground gradient, darkening from the top-left corner to the bottom-right one.
// The raw value (and the JSON form, through kit/platform/TruneJson.h) is the case name.
enum class TruneProductPalette {
    deepViolet,
    deepCrimson,
    deepAmber,
    deepEmerald,
    deepCobalt,
    deepIndigo,
    deepAbyss,
    deepCoral,
    deepCyan,
};

template <> struct TruneRawValues<TruneProductPalette> {
    static constexpr std::array cases{
        TruneRawCase{TruneProductPalette::deepViolet, "deepViolet"},
        TruneRawCase{TruneProductPalette::deepCrimson, "deepCrimson"},
        TruneRawCase{TruneProductPalette::deepAmber, "deepAmber"},
        TruneRawCase{TruneProductPalette::deepEmerald, "deepEmerald"},
        TruneRawCase{TruneProductPalette::deepCobalt, "deepCobalt"},
        TruneRawCase{TruneProductPalette::deepIndigo, "deepIndigo"},
        TruneRawCase{TruneProductPalette::deepAbyss, "deepAbyss"},
        TruneRawCase{TruneProductPalette::deepCoral, "deepCoral"},
        TruneRawCase{TruneProductPalette::deepCyan, "deepCyan"},
    };
};

struct TruneGroundStops {
    QColor topLeft;
    QColor middle;
    QColor bottomRight;

    bool operator==(const TruneGroundStops&) const = default;
};

// One stop as plain numbers in 0...1, rounded to three decimals.
struct TruneRgbStop {
    double r = 0;
    double g = 0;
    double b = 0;

    bool operator==(const TruneRgbStop&) const = default;
};

QColor accentColor(TruneProductPalette palette);
TruneGroundStops groundStops(TruneProductPalette palette);
// topLeft, middle, bottomRight
std::array<TruneRgbStop, 3> rgbStops(TruneProductPalette palette);
