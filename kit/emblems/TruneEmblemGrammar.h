#pragma once

#include <QPointF>
#include <QRectF>

#include <algorithm>
#include <array>
#include <initializer_list>
#include <span>
#include <variant>

// The vocabulary emblem drawings are written in: each drawing is a table of operations in a
// 100 x 100 design square (origin top left, y downward) that TruneEmblemInterpreter runs in order.
// Later operations lie above earlier ones; a cut acts only on what an earlier operation put down,
// so a drawing lays its body first and its holes and pale lines after it.
//
// Layer order, the same in every drawing: back layers (mid and faint pieces behind the body), the
// body, details on the body (cut lines, holes, on-accent marks), then at most one badge: a
// clearance cut into what lies beneath (white glass only), the badge piece, and the symbol cut into
// the badge. A clearance may also precede a front body piece that overlaps a back layer. A piece
// laid across others (a tool over a tool, a ruler over tiles) has room cut beneath it in both
// looks instead, so it keeps a pale rim in the flat look too.
namespace TruneEmblemGrammar {

inline constexpr QPointF designCentre{50, 50};
// This many design units across the body fill `bodyCoverage` of a bitmap's side.
inline constexpr qreal bodySpan = 60;
inline constexpr qreal bodyCoverage = 0.88;

// Every shape, half its stroke included, lies inside this square.
inline constexpr qreal inkMin = 20;
inline constexpr qreal inkMax = 80;

// Radii by role.
inline constexpr qreal bodyRadius = 9;           // a large body: sheet, card, screen, device
inline constexpr qreal cardRadius = 8;           // a card or sheet behind or beside the body
inline constexpr qreal tileRadius = 6.5;         // a tile of a grid
inline constexpr qreal slotRadius = 3.4;         // a small bar or clip
inline constexpr qreal capsuleRadiusRatio = 0.5; // capsules: half their height

// Text lines cut into a body: bars whose corners are half their height, longest first.
inline constexpr qreal textLineHeight = 4.2;
inline constexpr qreal textLineRadius = textLineHeight / 2;
inline constexpr qreal textLineStrong = 0.72; // the first line
inline constexpr qreal textLineSoft = 0.56;   // the lines after it

// Badges: a square or round piece over the body's corner, with a clearance this much larger on
// every side erased beneath it in white glass, and its symbol cut through it.
inline constexpr qreal badgeSide = 24;
inline constexpr qreal badgeRadius = 7;
inline constexpr qreal badgeClearance = 2;
inline constexpr qreal badgeClearanceRadius = 8.5;
inline constexpr qreal badgeSymbolWidth = 3.4;
inline constexpr qreal fullCut = 1;

// Stroke widths by role (each taken from its group's list).
inline constexpr qreal frameOutline = 3;   // the outline of a soft framed area
inline constexpr qreal discOutline = 4.2;  // the outline of a soft disc
inline constexpr qreal arrowStroke = 4.4;  // arrows and chevrons
inline constexpr qreal cycleStroke = 5.2;  // circular arrows and cycle arcs
inline constexpr qreal signalStroke = 3.6; // signal arcs
inline constexpr qreal detailStroke = 3.4; // cut lines and symbols on the body
inline constexpr qreal hairStroke = 2.6;   // fine guides and blades

// Alphas by role.
inline constexpr qreal faintBack = 0.28; // the rearmost of stacked layers
inline constexpr qreal holeCut = 0.75;   // a slot or hole that lets a little glass through
inline constexpr qreal paleCut = 0.55;   // a pale line

// Back-layer alphas: mid (0.46) and these.
inline constexpr qreal standAlpha = 0.8;

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
    // Nothing is put down: the shape belongs to the other look only.
    none,
};

struct TruneEmblemPaintRef {
    TruneEmblemPaintRole role = TruneEmblemPaintRole::primary;
    qreal alpha = 1;
};

// The paint of a shape in the white-glass look and in the flat look; usually the same role.
struct TruneEmblemPaint {
    TruneEmblemPaintRef glass;
    TruneEmblemPaintRef flat;

    constexpr TruneEmblemPaint(TruneEmblemPaintRef both)
        : glass(both)
        , flat(both)
    {
    }
    constexpr TruneEmblemPaint(TruneEmblemPaintRef inGlass, TruneEmblemPaintRef inFlat)
        : glass(inGlass)
        , flat(inFlat)
    {
    }
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

inline constexpr int maximumPolylinePoints = 8;

// Straight segments through the first `count` points; a closed one is a polygon.
struct TruneEmblemPolyline {
    std::array<QPointF, maximumPolylinePoints> points{};
    int count = 0;
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

// What a shape is for, where the layer order gives it a rule: a clearance is erased in white glass
// only, just before the piece it makes room for; after a badge come only its symbol's shapes.
enum class TruneEmblemLayer { plain, clearance, badge, badgeSymbol };

// The shape is drawn turned by `degrees` (towards +y, as design angles grow) about `pivot`, with
// its coordinates relative to the pivot. Zero degrees: coordinates are plain design coordinates.
struct TruneEmblemTurn {
    QPointF pivot;
    qreal degrees = 0;
};

// One shape of a drawing. Fills use the non-zero winding rule; strokes are `lineWidth` wide with
// round caps and joins.
struct TruneEmblemOp {
    TruneEmblemGeometry shape;
    TruneEmblemPutDown how = TruneEmblemPutDown::fill;
    TruneEmblemPaint paint{TruneEmblemPaintRef{}};
    qreal lineWidth = 0;
    TruneEmblemLayer layer = TruneEmblemLayer::plain;
    TruneEmblemTurn turn;
};

// The stroke widths and paint alphas one group of drawings keeps to.
struct TruneEmblemVocabulary {
    std::span<const qreal> strokeWidths;
    std::span<const qreal> primaryAlphas;
    std::span<const qreal> accentAlphas;
    std::span<const qreal> erasures;
    qreal faintestCut = 0;
};

namespace TruneEmblemGrammar {

// What the shared shapes (display frame, folded sheet, shields) bring into any group.
inline constexpr std::array sharedStrokeWidths{3.0};
inline constexpr std::array sharedPrimaryAlphas{0.82};
inline constexpr std::array sharedErasures{0.55};

// With 3.2 (the framed screen's outline) and 3.8 (the timer's long hand), which those two drawings
// name themselves.
inline constexpr std::array productivityStrokeWidths{
    2.6, 3.0, 3.2, 3.4, 3.6, 3.8, 4.0, 4.2, 4.4, 4.5, 4.6, 4.8, 5.0, 5.2, 5.5, 6.5, 7.5, 7.8, 8.6, 11.0};
inline constexpr std::array productivityPrimaryAlphas{0.24, 0.26, 0.28, 0.32, 0.75, 0.8};
inline constexpr std::array<qreal, 0> productivityAccentAlphas{};
inline constexpr std::array<qreal, 0> productivityErasures{};
inline constexpr TruneEmblemVocabulary productivity{
    productivityStrokeWidths, productivityPrimaryAlphas, productivityAccentAlphas, productivityErasures, 0.55};

inline constexpr std::array mediaStrokeWidths{2.6, 4.2, 4.4, 4.6, 4.8, 5.0};
inline constexpr std::array mediaPrimaryAlphas{0.24, 0.32, 0.38, 0.8};
inline constexpr std::array<qreal, 0> mediaAccentAlphas{};
inline constexpr std::array<qreal, 0> mediaErasures{};
inline constexpr TruneEmblemVocabulary media{
    mediaStrokeWidths, mediaPrimaryAlphas, mediaAccentAlphas, mediaErasures, 0.45};

inline constexpr std::array systemNetStrokeWidths{
    1.6, 2.2, 2.5, 2.6, 2.8, 3.0, 3.2, 3.4, 3.5, 3.6, 3.8, 4.0, 4.2, 4.4, 5.0, 5.2, 5.5, 5.8, 10.5, 11.0};
inline constexpr std::array systemNetPrimaryAlphas{0.36, 0.38, 0.65, 0.72, 0.8};
inline constexpr std::array systemNetAccentAlphas{0.92, 0.95};
inline constexpr std::array systemNetErasures{0.5, 0.62};
inline constexpr TruneEmblemVocabulary systemNet{
    systemNetStrokeWidths, systemNetPrimaryAlphas, systemNetAccentAlphas, systemNetErasures, 0.42};

// Short forms that keep drawing tables readable.

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

constexpr TruneEmblemRect rect(qreal x, qreal y, qreal width, qreal height, qreal radius = 0)
{
    return {{x, y, width, height}, radius};
}

// A bar whose ends are half-circles.
constexpr TruneEmblemRect capsule(qreal x, qreal y, qreal width, qreal height)
{
    return {{x, y, width, height}, std::min(width, height) * capsuleRadiusRatio};
}

constexpr TruneEmblemEllipse disc(qreal centreX, qreal centreY, qreal diameter)
{
    return {{centreX - diameter / 2, centreY - diameter / 2, diameter, diameter}};
}

constexpr TruneEmblemEllipse oval(qreal x, qreal y, qreal width, qreal height)
{
    return {{x, y, width, height}};
}

constexpr TruneEmblemArc arc(qreal centreX, qreal centreY, qreal radius, qreal startDegrees, qreal endDegrees)
{
    return {{centreX, centreY}, radius, startDegrees, endDegrees};
}

constexpr TruneEmblemPolyline polyline(std::initializer_list<QPointF> points, bool closed = false)
{
    TruneEmblemPolyline line;
    for (const QPointF& point : points)
        line.points[std::size_t(line.count++)] = point;
    line.closed = closed;
    return line;
}

constexpr TruneEmblemPolyline polygon(std::initializer_list<QPointF> points)
{
    return polyline(points, true);
}

constexpr TruneEmblemPolyline line(qreal x1, qreal y1, qreal x2, qreal y2)
{
    return polyline({{x1, y1}, {x2, y2}});
}

constexpr TruneEmblemPaintRef primary{TruneEmblemPaintRole::primary};
constexpr TruneEmblemPaintRef accent{TruneEmblemPaintRole::accent};
constexpr TruneEmblemPaintRef onPrimaryAccent{TruneEmblemPaintRole::onPrimaryAccent};
constexpr TruneEmblemPaintRef mid{TruneEmblemPaintRole::mid};
constexpr TruneEmblemPaintRef soft{TruneEmblemPaintRole::soft};
constexpr TruneEmblemPaintRef stroke{TruneEmblemPaintRole::stroke};
constexpr TruneEmblemPaintRef nothing{TruneEmblemPaintRole::none};

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

// One paint in white glass, another in the flat look.
constexpr TruneEmblemPaint byLook(TruneEmblemPaintRef inGlass, TruneEmblemPaintRef inFlat)
{
    return {inGlass, inFlat};
}

// The usual case of a detail on a tinted area: primary in white glass, accent in the flat look.
constexpr TruneEmblemPaint glassPrimaryFlatAccent{primary, accent};

constexpr TruneEmblemOp fill(TruneEmblemGeometry shape, TruneEmblemPaint paint)
{
    return {shape, TruneEmblemPutDown::fill, paint, 0, TruneEmblemLayer::plain, {}};
}

constexpr TruneEmblemOp strokeWith(TruneEmblemGeometry shape, TruneEmblemPaint paint, qreal lineWidth)
{
    return {shape, TruneEmblemPutDown::stroke, paint, lineWidth, TruneEmblemLayer::plain, {}};
}

// Room erased for the next piece in white glass; nothing in the flat look.
constexpr TruneEmblemOp clearance(TruneEmblemGeometry shape)
{
    return {shape, TruneEmblemPutDown::fill, byLook(cut(fullCut), nothing), 0, TruneEmblemLayer::clearance, {}};
}

// Room cut for the next piece in both looks.
constexpr TruneEmblemOp clearanceInBothLooks(TruneEmblemGeometry shape)
{
    return {shape, TruneEmblemPutDown::fill, cut(fullCut), 0, TruneEmblemLayer::clearance, {}};
}

// Room cut in both looks along a stroke, `lineWidth` wide.
constexpr TruneEmblemOp strokeClearanceInBothLooks(TruneEmblemGeometry shape, qreal lineWidth)
{
    return {shape, TruneEmblemPutDown::stroke, cut(fullCut), lineWidth, TruneEmblemLayer::clearance, {}};
}

constexpr TruneEmblemOp badge(TruneEmblemOp op)
{
    op.layer = TruneEmblemLayer::badge;
    return op;
}

constexpr TruneEmblemOp badgeSymbol(TruneEmblemOp op)
{
    op.layer = TruneEmblemLayer::badgeSymbol;
    return op;
}

// The op drawn turned by `degrees` about `pivot`; its coordinates are relative to the pivot.
constexpr TruneEmblemOp turned(QPointF pivot, qreal degrees, TruneEmblemOp op)
{
    op.turn = {pivot, degrees};
    return op;
}

// One table made of several: shared shapes followed by a drawing's own operations.
template <std::size_t... Sizes> constexpr auto joined(const std::array<TruneEmblemOp, Sizes>&... parts)
{
    std::array<TruneEmblemOp, (Sizes + ...)> all{};
    std::size_t next = 0;
    ((std::copy(parts.begin(), parts.end(), all.begin() + std::ptrdiff_t(next)), next += parts.size()), ...);
    return all;
}

} // namespace TruneEmblemGrammar
