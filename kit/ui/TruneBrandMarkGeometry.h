#pragma once

#include <QList>
#include <QPointF>
#include <QSizeF>

// The maker's three-piece mark in a 64 x 64 design box, y growing downward. Each piece is a
// closed polygon of eight points.
namespace TruneBrandMarkGeometry {

inline constexpr double viewBoxSize = 64;

const QList<QPointF>& topRightPiece();
const QList<QPointF>& leftPiece();
const QList<QPointF>& bottomRightPiece();
// The three pieces in drawing order: top right, left, bottom right.
const QList<QList<QPointF>>& allPieces();

// A design-box point on a canvas of `canvas` size: (x * W / 64, y * H / 64).
QPointF mapped(const QPointF& point, const QSizeF& canvas);

} // namespace TruneBrandMarkGeometry
