#pragma once

#include "kit/emblems/TruneEmblemGrammar.h"
#include "kit/emblems/TruneEmblemTone.h"

#include <QPainterPath>

#include <optional>
#include <span>

class QPainter;

namespace TruneEmblemInterpreter {

// The outline of one shape in design units.
QPainterPath pathOf(const TruneEmblemGeometry& shape);

// The paint the tone gives for a role; for `none`, an erasure that changes nothing.
TruneFlatPaint paintFor(const TruneEmblemTone& tone, TruneEmblemPaintRef ref);

// Fills `path` (non-zero winding), or strokes it `strokeWidth` wide with round caps and joins, in
// its own save/restore bracket so nothing of it leaks to the next shape. A cutout erases what lies
// beneath with black at the paint's alpha.
void putDown(QPainter& painter, const TruneFlatPaint& paint, const QPainterPath& path,
    std::optional<qreal> strokeWidth = std::nullopt);

// The outline of an operation's shape in design units, turned where the operation says so.
QPainterPath outlineOf(const TruneEmblemOp& op);

// The paint an operation asks for in the white-glass look or in the flat look.
TruneEmblemPaintRef paintIn(const TruneEmblemOp& op, bool whiteGlass);

// Runs a drawing's operations in order.
void run(QPainter& painter, const TruneEmblemTone& tone, std::span<const TruneEmblemOp> ops);

} // namespace TruneEmblemInterpreter
