#pragma once

#include <QColor>
#include <QImage>
#include <QSize>

class QWidget;

// Helpers for probing what the glass components paint.
namespace GlassPixels {

// `widget` resized to `size` and painted with its children onto a fully transparent image at the
// given device pixel ratio.
QImage rendered(QWidget& widget, QSize size, qreal devicePixelRatio = 1);

// Opacity of a colour at `top` opacity painted over one at `bottom` (source-over), as 0...255.
int alphaOver(double top, double bottom = 0);

// Expects `pixel` to be `color` at `alpha` (colour channels checked only where something is
// painted), each channel within `tolerance`.
void expectPixel(QRgb pixel, const QColor& color, int alpha, const char* where, int tolerance = 2);

} // namespace GlassPixels
