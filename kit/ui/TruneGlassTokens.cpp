#include "kit/ui/TruneGlassTokens.h"

#include <QPalette>
#include <QWidget>

#include <cmath>

using namespace Qt::StringLiterals;

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

QString truneCssColor(const QColor& color)
{
    return u"rgba(%1, %2, %3, %4)"_s.arg(color.red()).arg(color.green()).arg(color.blue()).arg(color.alphaF());
}

namespace TruneGlassTokens {

#define TRUNE_GLASS_TOKEN(name, value)                                                                                 \
    const QColor& name()                                                                                               \
    {                                                                                                                  \
        static const QColor color = value;                                                                             \
        return color;                                                                                                  \
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

void truneApplyGlassPalette(QWidget& root, TruneProductPalette ground)
{
    QPalette palette = root.palette();
    // A field sits on the ground's middle stretch; the controls darken or lighten it from there.
    const QColor field = groundStops(ground).middle;
    for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::WindowText, TruneGlassTokens::textPrimary());
        palette.setColor(group, QPalette::Text, TruneGlassTokens::textPrimary());
        palette.setColor(group, QPalette::ButtonText, TruneGlassTokens::textPrimary());
        palette.setColor(group, QPalette::PlaceholderText, TruneGlassTokens::textMuted());
        palette.setColor(group, QPalette::Base, field);
        palette.setColor(group, QPalette::AlternateBase, field.lighter(115));
        palette.setColor(group, QPalette::Button, field.lighter(120));
        palette.setColor(group, QPalette::Window, field.darker(130));
        palette.setColor(group, QPalette::Highlight, accentColor(ground));
        palette.setColor(group, QPalette::HighlightedText, truneColor(0x000000, 0.9));
        palette.setColor(group, QPalette::Light, field.lighter(160));
        palette.setColor(group, QPalette::Mid, field.lighter(130));
        palette.setColor(group, QPalette::Dark, field.darker(160));
        palette.setColor(group, QPalette::Shadow, truneColor(0x000000, 0.6));
    }
    palette.setColor(QPalette::Disabled, QPalette::WindowText, TruneGlassTokens::textMuted());
    palette.setColor(QPalette::Disabled, QPalette::Text, TruneGlassTokens::textMuted());
    palette.setColor(QPalette::Disabled, QPalette::ButtonText, TruneGlassTokens::textMuted());
    palette.setColor(QPalette::Disabled, QPalette::Base, field.darker(120));
    palette.setColor(QPalette::Disabled, QPalette::Button, field);
    root.setPalette(palette);
}
