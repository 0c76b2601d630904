#include "kit/ui/TruneProductPalette.h"

#include "kit/ui/TruneGlassTokens.h"

#include <cmath>

namespace {

struct PaletteValues {
    quint32 accent;
    std::array<quint32, 3> stops; // topLeft, middle, bottomRight
};

constexpr quint32 rgb(quint32 r, quint32 g, quint32 b)
{
    return (r << 16) | (g << 8) | b;
}

// In the enum's case order.
constexpr std::array<PaletteValues, 9> values{{
    {rgb(169, 139, 255), {rgb(70, 42, 125), rgb(49, 31, 89), rgb(29, 19, 59)}},
    {rgb(255, 107, 157), {rgb(122, 34, 72), rgb(74, 22, 52), rgb(36, 13, 29)}},
    {rgb(255, 169, 92), {rgb(120, 60, 30), rgb(74, 37, 21), rgb(36, 19, 12)}},
    {rgb(71, 230, 193), {rgb(21, 98, 86), rgb(16, 63, 61), rgb(11, 33, 36)}},
    {rgb(92, 196, 255), {rgb(29, 78, 137), rgb(22, 51, 94), rgb(13, 28, 56)}},
    {rgb(124, 164, 255), {rgb(36, 52, 122), rgb(24, 35, 86), rgb(13, 20, 51)}},
    {rgb(102, 217, 239), {rgb(31, 74, 92), rgb(21, 52, 69), rgb(12, 31, 43)}},
    {rgb(244, 114, 208), {rgb(110, 31, 99), rgb(71, 22, 69), rgb(36, 11, 38)}},
    {rgb(56, 232, 255), {rgb(13, 86, 104), rgb(11, 58, 74), rgb(7, 32, 43)}},
}};

const PaletteValues& valuesOf(TruneProductPalette palette)
{
    return values[static_cast<std::size_t>(palette)];
}

double roundedComponent(quint32 hex, int shift)
{
    return std::round(((hex >> shift) & 0xFF) / 255.0 * 1000.0) / 1000.0;
}

} // namespace

QColor accentColor(TruneProductPalette palette)
{
    return truneColor(valuesOf(palette).accent);
}

TruneGroundStops groundStops(TruneProductPalette palette)
{
    const auto& stops = valuesOf(palette).stops;
    return {truneColor(stops[0]), truneColor(stops[1]), truneColor(stops[2])};
}

std::array<TruneRgbStop, 3> rgbStops(TruneProductPalette palette)
{
    std::array<TruneRgbStop, 3> result;
    const auto& stops = valuesOf(palette).stops;
    for (std::size_t index = 0; index < stops.size(); ++index)
        result[index] = {
            roundedComponent(stops[index], 16), roundedComponent(stops[index], 8), roundedComponent(stops[index], 0)};
    return result;
}
