#include "kit/ui/TruneBrandMarkGeometry.h"

namespace TruneBrandMarkGeometry {

// Function-local statics: built once, thread-safely, on first use.
const QList<QPointF>& topRightPiece()
{
    static const QList<QPointF> points{{31.95, 3.93}, {46.21, 12.7}, {46.21, 28.72}, {60.73, 37.39}, {49.34, 43.59},
        {34.02, 34.57}, {34.07, 18.85}, {20.96, 10.63}};
    return points;
}

const QList<QPointF>& leftPiece()
{
    static const QList<QPointF> points{{17.69, 12.39}, {29.83, 19.8}, {29.83, 34.67}, {13.65, 44.25}, {13.71, 59.01},
        {1.81, 51.66}, {1.86, 38.05}, {17.69, 28.47}};
    return points;
}

const QList<QPointF>& bottomRightPiece()
{
    static const QList<QPointF> points{{31.95, 38.1}, {48.48, 47.98}, {62.19, 40.27}, {62.19, 51.66}, {48.08, 60.07},
        {31.9, 50.8}, {16.28, 59.62}, {16.33, 47.27}};
    return points;
}

const QList<QList<QPointF>>& allPieces()
{
    static const QList<QList<QPointF>> pieces{topRightPiece(), leftPiece(), bottomRightPiece()};
    return pieces;
}

QPointF mapped(const QPointF& point, const QSizeF& canvas)
{
    return {point.x() * canvas.width() / viewBoxSize, point.y() * canvas.height() / viewBoxSize};
}

} // namespace TruneBrandMarkGeometry
