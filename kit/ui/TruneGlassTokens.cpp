#include "kit/ui/TruneGlassTokens.h"

#include <cmath>

namespace {

QColor whiteAt(double opacity)
{
    return truneColor(0xFFFFFF, opacity);
}

} // namespace

QColor truneColor(quint32 hex, double opacity)
{
    QColor color = QColor::fromRgb((hex >> 16) & 0xFF, (hex >> 8) & 0xFF, hex & 0xFF);
    // fmin/fmax also turn a NaN opacity into a real one, which QColor could not round.
    color.setAlphaF(static_cast<float>(std::fmax(0.0, std::fmin(opacity, 1.0))));
    return color;
}

QColor truneWithOpacity(QColor color, double opacity)
{
    color.setAlphaF(static_cast<float>(color.alphaF() * std::fmax(0.0, std::fmin(opacity, 1.0))));
    return color;
}

namespace TruneGlassTokens {

#define TRUNE_GLASS_TOKEN(name, value) \
    const QColor& name() \
    { \
        static const QColor color = value; \
        return color; \
    }

TRUNE_GLASS_TOKEN(surface1, whiteAt(0.06))
TRUNE_GLASS_TOKEN(surface2, whiteAt(0.10))
TRUNE_GLASS_TOKEN(surface3, whiteAt(0.16))
TRUNE_GLASS_TOKEN(borderSubtle, whiteAt(0.14))
TRUNE_GLASS_TOKEN(borderStrong, whiteAt(0.28))
TRUNE_GLASS_TOKEN(textPrimary, whiteAt(0.96))
TRUNE_GLASS_TOKEN(textSecondary, whiteAt(0.72))
TRUNE_GLASS_TOKEN(textMuted, whiteAt(0.50))
TRUNE_GLASS_TOKEN(success, truneColor(0x3EE6A8))
TRUNE_GLASS_TOKEN(warning, truneColor(0xFFB84D))
TRUNE_GLASS_TOKEN(danger, truneColor(0xFF647C))

#undef TRUNE_GLASS_TOKEN

} // namespace TruneGlassTokens
