#pragma once

#include "kit/emblems/TruneEmblemTone.h"
#include "kit/foundation/TruneAppIdentity.h"

#include <QColor>
#include <QImage>
#include <QPointF>

#include <functional>

class QPainter;

// Reading emblem bitmaps at design-space points, for the emblem pixel tests.
namespace EmblemProbe {

// A transparent square bitmap of `pixelSize` with the renderer's design transform set up on a
// painter that `draw` receives.
QImage drawnInDesignSpace(int pixelSize, const std::function<void(QPainter&)>& draw);

// The emblem drawn in `tone` as the renderer would, but in any tone.
QImage emblemIn(TruneAppIdentity app, const TruneEmblemTone& tone, int pixelSize);

// The unpremultiplied colour of the pixel that holds the design point (x, y) of a square bitmap.
QColor colorAt(const QImage& bitmap, QPointF designPoint);

// Whether `actual` is `expected` within `tolerance` per channel (more for faint colours); a fully
// transparent pixel matches any transparent colour.
bool near(const QColor& actual, const QColor& expected, int tolerance = 3);

// Every pixel's alpha is zero.
bool fullyTransparent(const QImage& image);

} // namespace EmblemProbe
