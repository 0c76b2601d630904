#pragma once

#include <QColor>
#include <QPainterPath>
#include <QRectF>

class QPainter;
class QWidget;

// The shapes the glass components share. Qt has no continuous (squircle) corner, so a rounded
// rectangle stands in for it.
namespace TruneGlassShapes {

QPainterPath roundedRect(const QRectF& rect, qreal radius);
// A rounded rectangle whose short sides are half circles.
QPainterPath capsule(const QRectF& rect);

// The radius that asks paintGlassShape for a capsule.
inline constexpr qreal capsuleRadius = -1;

// Fills `rect` with `fill`, then strokes the same shape with a `borderWidth` line of `border`
// lying wholly inside the edge. A negative radius (capsuleRadius) draws a capsule.
void paintGlassShape(QPainter& painter, const QRectF& rect, qreal radius, const QColor& fill, const QColor& border,
    qreal borderWidth = 1);

// A 2 px ring in `color` just inside `rect`, showing where the keyboard focus is.
void paintFocusRing(QPainter& painter, const QRectF& rect, qreal radius, const QColor& color);

// Whether `widget` shows its focus ring: only while it holds a focus the keyboard moved to it
// (Tab, Backtab, a shortcut). The focus a new window hands its first control, or a click, shows none.
bool showsFocusRing(const QWidget& widget);

} // namespace TruneGlassShapes
