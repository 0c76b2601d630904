#include "kit/emblems/TruneEmblemTone.h"

#include <algorithm>

namespace {

constexpr qreal whiteGlassPrimaryAlpha = 0.98;
constexpr qreal whiteGlassAccentAlpha = 0.72;
constexpr qreal onPrimaryAccentErasure = 0.86;
// A white-glass cut is deepened a little and never fainter than this, so it stays visible.
constexpr qreal cutoutDeepening = 1.15;
constexpr qreal faintestGlassCutout = 0.55;
constexpr qreal midAlpha = 0.46;

QColor withAlpha(QColor color, qreal alpha)
{
    color.setAlphaF(float(std::clamp(alpha, 0.0, 1.0)));
    return color;
}

QColor paleLine(qreal alpha)
{
    return QColor::fromRgbF(238 / 255.0F, 241 / 255.0F, 247 / 255.0F, float(std::clamp(alpha, 0.0, 1.0)));
}

} // namespace

const TruneEmblemTone& TruneEmblemTone::whiteGlass()
{
    static const TruneEmblemTone tone{
        QColor::fromRgbF(1, 1, 1, float(whiteGlassPrimaryAlpha)),
        QColor::fromRgbF(1, 1, 1, float(whiteGlassAccentAlpha)),
        true,
    };
    return tone;
}

TruneEmblemTone TruneEmblemTone::flatLight(const QColor& primary, const QColor& accent)
{
    return {primary, accent, false};
}

TruneFlatPaint TruneEmblemTone::primary() const
{
    return TruneFlatPaint::ofColor(primaryColor);
}

TruneFlatPaint TruneEmblemTone::accent() const
{
    return TruneFlatPaint::ofColor(accentColor);
}

TruneFlatPaint TruneEmblemTone::onPrimaryAccent() const
{
    return isWhiteGlass ? TruneFlatPaint::ofCutout(onPrimaryAccentErasure) : accent();
}

TruneFlatPaint TruneEmblemTone::cutout(qreal alpha) const
{
    if (isWhiteGlass)
        return TruneFlatPaint::ofCutout(std::min(std::max(alpha * cutoutDeepening, faintestGlassCutout), 1.0));
    return TruneFlatPaint::ofColor(paleLine(alpha));
}

TruneFlatPaint TruneEmblemTone::mid() const
{
    return primaryAlpha(midAlpha);
}

TruneFlatPaint TruneEmblemTone::soft() const
{
    return primaryAlpha(isWhiteGlass ? 0.16 : 0.11);
}

TruneFlatPaint TruneEmblemTone::stroke() const
{
    return primaryAlpha(isWhiteGlass ? 0.42 : 0.28);
}

TruneFlatPaint TruneEmblemTone::primaryAlpha(qreal alpha) const
{
    return TruneFlatPaint::ofColor(withAlpha(primaryColor, alpha));
}

TruneFlatPaint TruneEmblemTone::accentAlpha(qreal alpha) const
{
    return TruneFlatPaint::ofColor(withAlpha(accentColor, alpha));
}
