#include "kit/ui/TruneGlassShapes.h"

#include <QPainter>
#include <QWidget>

#include <algorithm>

namespace {

constexpr qreal focusRingWidth = 2;

QPainterPath shape(const QRectF& rect, qreal radius)
{
    return radius < 0 ? TruneGlassShapes::capsule(rect) : TruneGlassShapes::roundedRect(rect, radius);
}

// Strokes `rect`'s shape so that a line of `width` lies inside the edge: its centre line runs half
// a width in, on a radius shrunk by the same amount.
void strokeInside(QPainter& painter, const QRectF& rect, qreal radius, const QColor& color, qreal width)
{
    const qreal inset = width / 2;
    painter.save();
    painter.setPen(QPen(color, width));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(
        shape(rect.adjusted(inset, inset, -inset, -inset), radius < 0 ? radius : std::max<qreal>(0, radius - inset)));
    painter.restore();
}

} // namespace

namespace TruneGlassShapes {

QPainterPath roundedRect(const QRectF& rect, qreal radius)
{
    QPainterPath path;
    const qreal fitted = std::min({radius, rect.width() / 2, rect.height() / 2});
    path.addRoundedRect(rect, fitted, fitted);
    return path;
}

QPainterPath capsule(const QRectF& rect)
{
    return roundedRect(rect, std::min(rect.width(), rect.height()) / 2);
}

void paintGlassShape(
    QPainter& painter, const QRectF& rect, qreal radius, const QColor& fill, const QColor& border, qreal borderWidth)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(shape(rect, radius), fill);
    strokeInside(painter, rect, radius, border, borderWidth);
    painter.restore();
}

void paintFocusRing(QPainter& painter, const QRectF& rect, qreal radius, const QColor& color)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    strokeInside(painter, rect, radius, color, focusRingWidth);
    painter.restore();
}

bool showsFocusRing(const QWidget& widget)
{
    // Qt marks a window whose focus last moved by keyboard; a click or an activation clears it.
    return widget.hasFocus() && widget.window()->testAttribute(Qt::WA_KeyboardFocusChange);
}

} // namespace TruneGlassShapes
