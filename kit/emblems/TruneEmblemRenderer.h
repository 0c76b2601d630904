#pragma once

#include "kit/emblems/TruneEmblemGrammar.h"
#include "kit/emblems/TruneEmblemTone.h"
#include "kit/foundation/TruneAppIdentity.h"

#include <QByteArray>
#include <QImage>

#include <span>

class QPainter;

// Pictures of the maker's app emblems, drawn from vector artwork in the white-glass look and cached.
// May be called from any thread.
namespace TruneEmblemRenderer {

// The largest side of a bitmap, in pixels; bigger requests are drawn at this size.
inline constexpr int maximumPixelSize = 4096;

// Draws the entry's emblem; the painter's transform must already map the 100 x 100 design square
// onto the target. Cutouts erase whatever lies beneath them, so draw into a layer of its own.
// False only when no drawing exists for the entry.
bool drawFlatEmblem(TruneAppIdentity app, QPainter& painter, const TruneEmblemTone& tone);

// The table of operations that drawFlatEmblem runs for the entry; empty when it has none.
std::span<const TruneEmblemOp> drawing(TruneAppIdentity app);

// The emblem as an image of `pointSize` logical pixels at `scale` (its device pixel ratio), drawn
// at a pixel size of at least 16: a point size below 10 (or not a number) counts as 10, a scale
// counts within 1...3 (not a number: 3). A template image has the same pixels; callers tint it
// from its alpha. Empty for an infinite point size.
QImage image(TruneAppIdentity app, qreal pointSize, qreal scale, bool asTemplate = false);

// PNG data of the emblem at pixelSize x pixelSize pixels (at most maximumPixelSize); empty when
// pixelSize is below 1.
QByteArray pngData(TruneAppIdentity app, int pixelSize);

} // namespace TruneEmblemRenderer
