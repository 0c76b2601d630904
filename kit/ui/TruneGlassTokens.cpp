#include "kit/ui/TruneGlassTokens.h"

namespace {

QColor whiteAt(double opacity)
{
    QColor color(Qt::white);
    color.setAlphaF(static_cast<float>(opacity));
    return color;
}

} // namespace

namespace TruneGlassTokens {

const QColor& textSecondary()
{
    static const QColor color = whiteAt(0.72);
    return color;
}

const QColor& surface2()
{
    static const QColor color = whiteAt(0.10);
    return color;
}

const QColor& borderSubtle()
{
    static const QColor color = whiteAt(0.14);
    return color;
}

} // namespace TruneGlassTokens
