#pragma once

#include <QPointF>
#include <QRectF>

#include <span>
#include <variant>

// The vocabulary emblem drawings are written in: each drawing is a table of operations in a
// 100 x 100 design square (origin top left, y downward) that TruneEmblemInterpreter runs in order.
// Later operations lie above earlier ones; a cut acts only on what an earlier operation put down,
// so a drawing lays its body first and its holes and pale lines after it.
namespace TruneEmblemGrammar {

inline constexpr QPointF designCentre{50, 50};
// This many design units across the body fill `bodyCoverage` of a bitmap's side.
inline constexpr qreal bodySpan = 60;
inline constexpr qreal bodyCoverage = 0.88;

// The tile drawn for an entry whose own drawing is not built yet: a rounded body with a soft
// window cut into it, inside the same body span as every other emblem.
inline constexpr QRectF placeholderBody{24, 24, 52, 52};
inline constexpr qreal placeholderBodyRadius = 13;
inline constexpr QRectF placeholderWindow{38, 38, 24, 24};
inline constexpr qreal placeholderWindowRadius = 6;
inline constexpr qreal placeholderWindowCut = 0.55;

} // namespace TruneEmblemGrammar

// Which of the tone's paints an operation uses; `alpha` is read by the roles that take one.
enum class TruneEmblemPaintRole {
    primary,
    accent,
    onPrimaryAccent,
    cutout,
    mid,
    soft,
    stroke,
    primaryAlpha,
    accentAlpha,
    // An erasure at exactly `alpha` in either look, not deepened as the tone's cutout is.
    erase,
};

struct TruneEmblemPaintRef {
    TruneEmblemPaintRole role = TruneEmblemPaintRole::primary;
    qreal alpha = 1;
};

// A rectangle; with a radius above zero its corners are rounded by it in both directions.
struct TruneEmblemRect {
    QRectF rect;
    qreal radius = 0;
};

struct TruneEmblemEllipse {
    QRectF bounds;
};

// An arc about `centre`, its angles in degrees from the positive x axis towards the positive y
// axis (downward); the angle grows from start to end, wrapping past 360 when end lies below start.
struct TruneEmblemArc {
    QPointF centre;
    qreal radius = 0;
    qreal startDegrees = 0;
    qreal endDegrees = 0;
};

// Straight segments through the points; a closed one is a polygon.
struct TruneEmblemPolyline {
    std::span<const QPointF> points;
    bool closed = false;
};

struct TruneEmblemPathStep {
    enum class Verb { moveTo, lineTo, cubicTo, close };

    Verb verb = Verb::moveTo;
    QPointF to;
    QPointF control1;
    QPointF control2;
};

struct TruneEmblemPath {
    std::span<const TruneEmblemPathStep> steps;
};

using TruneEmblemGeometry
    = std::variant<TruneEmblemRect, TruneEmblemEllipse, TruneEmblemArc, TruneEmblemPolyline, TruneEmblemPath>;

enum class TruneEmblemPutDown { fill, stroke };

// One shape of a drawing. Fills use the non-zero winding rule; strokes are `lineWidth` wide with
// round caps and joins.
struct TruneEmblemOp {
    TruneEmblemGeometry shape;
    TruneEmblemPutDown how = TruneEmblemPutDown::fill;
    TruneEmblemPaintRef paint;
    qreal lineWidth = 0;
};

// Short forms that keep drawing tables readable.
namespace TruneEmblemGrammar {

constexpr TruneEmblemPathStep moveTo(qreal x, qreal y)
{
    return {TruneEmblemPathStep::Verb::moveTo, {x, y}, {}, {}};
}

constexpr TruneEmblemPathStep lineTo(qreal x, qreal y)
{
    return {TruneEmblemPathStep::Verb::lineTo, {x, y}, {}, {}};
}

// A cubic curve to (x, y) with the control points (c1x, c1y) and (c2x, c2y).
constexpr TruneEmblemPathStep curveTo(qreal x, qreal y, qreal c1x, qreal c1y, qreal c2x, qreal c2y)
{
    return {TruneEmblemPathStep::Verb::cubicTo, {x, y}, {c1x, c1y}, {c2x, c2y}};
}

constexpr TruneEmblemPathStep closePath()
{
    return {TruneEmblemPathStep::Verb::close, {}, {}, {}};
}

constexpr TruneEmblemPaintRef primary{TruneEmblemPaintRole::primary};
constexpr TruneEmblemPaintRef accent{TruneEmblemPaintRole::accent};
constexpr TruneEmblemPaintRef onPrimaryAccent{TruneEmblemPaintRole::onPrimaryAccent};
constexpr TruneEmblemPaintRef mid{TruneEmblemPaintRole::mid};
constexpr TruneEmblemPaintRef soft{TruneEmblemPaintRole::soft};
constexpr TruneEmblemPaintRef stroke{TruneEmblemPaintRole::stroke};

constexpr TruneEmblemPaintRef cut(qreal alpha)
{
    return {TruneEmblemPaintRole::cutout, alpha};
}

constexpr TruneEmblemPaintRef erase(qreal alpha)
{
    return {TruneEmblemPaintRole::erase, alpha};
}

constexpr TruneEmblemPaintRef primaryAt(qreal alpha)
{
    return {TruneEmblemPaintRole::primaryAlpha, alpha};
}

constexpr TruneEmblemPaintRef accentAt(qreal alpha)
{
    return {TruneEmblemPaintRole::accentAlpha, alpha};
}

constexpr TruneEmblemOp fill(TruneEmblemGeometry shape, TruneEmblemPaintRef paint)
{
    return {shape, TruneEmblemPutDown::fill, paint, 0};
}

constexpr TruneEmblemOp strokeWith(TruneEmblemGeometry shape, TruneEmblemPaintRef paint, qreal lineWidth)
{
    return {shape, TruneEmblemPutDown::stroke, paint, lineWidth};
}

} // namespace TruneEmblemGrammar
