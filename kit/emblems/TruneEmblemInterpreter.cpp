#include "kit/emblems/TruneEmblemInterpreter.h"

#include <QPainter>
#include <QTransform>

#include <algorithm>

#include <cmath>

namespace TruneEmblemInterpreter {

namespace {

// How far the angle grows from start to end, wrapping once round the circle when end lies below
// start.
qreal growingSweep(qreal startDegrees, qreal endDegrees)
{
    const qreal sweep = endDegrees - startDegrees;
    if (sweep >= 0)
        return std::min(sweep, 360.0);
    return std::fmod(sweep, 360.0) + 360.0;
}

QPainterPath roundedOrPlain(const TruneEmblemRect& shape)
{
    QPainterPath path;
    if (shape.radius > 0)
        path.addRoundedRect(shape.rect, shape.radius, shape.radius);
    else
        path.addRect(shape.rect);
    return path;
}

QPainterPath ellipse(const TruneEmblemEllipse& shape)
{
    QPainterPath path;
    path.addEllipse(shape.bounds);
    return path;
}

// Design angles grow towards +y (downward); Qt's grow towards -y, so both angle and sweep turn sign.
QPainterPath arc(const TruneEmblemArc& shape)
{
    const QRectF bounds(
        shape.centre.x() - shape.radius, shape.centre.y() - shape.radius, 2 * shape.radius, 2 * shape.radius);
    QPainterPath path;
    path.arcMoveTo(bounds, -shape.startDegrees);
    path.arcTo(bounds, -shape.startDegrees, -growingSweep(shape.startDegrees, shape.endDegrees));
    return path;
}

QPainterPath polyline(const TruneEmblemPolyline& shape)
{
    QPainterPath path;
    const std::span points
        = std::span(shape.points).first(std::size_t(std::clamp(shape.count, 0, maximumPolylinePoints)));
    if (points.empty())
        return path;
    path.moveTo(points.front());
    for (const QPointF& point : points.subspan(1))
        path.lineTo(point);
    if (shape.closed)
        path.closeSubpath();
    return path;
}

QPainterPath steps(const TruneEmblemPath& shape)
{
    using Verb = TruneEmblemPathStep::Verb;
    QPainterPath path;
    for (const TruneEmblemPathStep& step : shape.steps) {
        switch (step.verb) {
        case Verb::moveTo:
            path.moveTo(step.to);
            break;
        case Verb::lineTo:
            path.lineTo(step.to);
            break;
        case Verb::cubicTo:
            path.cubicTo(step.control1, step.control2, step.to);
            break;
        case Verb::close:
            path.closeSubpath();
            break;
        }
    }
    return path;
}

template <typename... Handlers> struct Overloaded : Handlers... {
    using Handlers::operator()...;
};

} // namespace

QPainterPath pathOf(const TruneEmblemGeometry& shape)
{
    QPainterPath path = std::visit(Overloaded{
                                       [](const TruneEmblemRect& s) { return roundedOrPlain(s); },
                                       [](const TruneEmblemEllipse& s) { return ellipse(s); },
                                       [](const TruneEmblemArc& s) { return arc(s); },
                                       [](const TruneEmblemPolyline& s) { return polyline(s); },
                                       [](const TruneEmblemPath& s) { return steps(s); },
                                   },
        shape);
    path.setFillRule(Qt::WindingFill);
    return path;
}

TruneFlatPaint paintFor(const TruneEmblemTone& tone, TruneEmblemPaintRef ref)
{
    switch (ref.role) {
    case TruneEmblemPaintRole::primary:
        return tone.primary();
    case TruneEmblemPaintRole::accent:
        return tone.accent();
    case TruneEmblemPaintRole::onPrimaryAccent:
        return tone.onPrimaryAccent();
    case TruneEmblemPaintRole::cutout:
        return tone.cutout(ref.alpha);
    case TruneEmblemPaintRole::mid:
        return tone.mid();
    case TruneEmblemPaintRole::soft:
        return tone.soft();
    case TruneEmblemPaintRole::stroke:
        return tone.stroke();
    case TruneEmblemPaintRole::primaryAlpha:
        return tone.primaryAlpha(ref.alpha);
    case TruneEmblemPaintRole::accentAlpha:
        return tone.accentAlpha(ref.alpha);
    case TruneEmblemPaintRole::erase:
        return TruneFlatPaint::ofCutout(ref.alpha);
    case TruneEmblemPaintRole::none:
        // An erasure of nothing: leaves every pixel as it was.
        return TruneFlatPaint::ofCutout(0);
    }
    return tone.primary();
}

void putDown(QPainter& painter, const TruneFlatPaint& paint, const QPainterPath& path, std::optional<qreal> strokeWidth)
{
    painter.save();
    QColor color = paint.color;
    if (paint.kind == TruneFlatPaint::Kind::cutout) {
        painter.setCompositionMode(QPainter::CompositionMode_DestinationOut);
        color = QColor::fromRgbF(0, 0, 0, float(std::clamp(paint.cutoutAlpha, 0.0, 1.0)));
    }
    if (strokeWidth) {
        painter.strokePath(path, QPen(color, *strokeWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    } else {
        QPainterPath winding = path;
        winding.setFillRule(Qt::WindingFill);
        painter.fillPath(winding, color);
    }
    painter.restore();
}

QPainterPath outlineOf(const TruneEmblemOp& op)
{
    const QPainterPath path = pathOf(op.shape);
    if (op.turn.degrees == 0)
        return path;
    // Turning and moving keep lengths, so a stroke along the moved path is the moved stroke.
    QTransform turn;
    turn.translate(op.turn.pivot.x(), op.turn.pivot.y());
    turn.rotate(op.turn.degrees);
    QPainterPath moved = turn.map(path);
    moved.setFillRule(Qt::WindingFill);
    return moved;
}

TruneEmblemPaintRef paintIn(const TruneEmblemOp& op, bool whiteGlass)
{
    return whiteGlass ? op.paint.glass : op.paint.flat;
}

void run(QPainter& painter, const TruneEmblemTone& tone, std::span<const TruneEmblemOp> ops)
{
    for (const TruneEmblemOp& op : ops) {
        const TruneEmblemPaintRef paint = paintIn(op, tone.isWhiteGlass);
        if (paint.role == TruneEmblemPaintRole::none)
            continue;
        const std::optional<qreal> strokeWidth
            = op.how == TruneEmblemPutDown::stroke ? std::optional(op.lineWidth) : std::nullopt;
        putDown(painter, paintFor(tone, paint), outlineOf(op), strokeWidth);
    }
}

} // namespace TruneEmblemInterpreter
