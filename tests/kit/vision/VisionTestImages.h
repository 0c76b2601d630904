#pragma once

#include <QImage>
#include <QRect>
#include <QStringList>

#include <vector>

namespace VisionTestImages {

// A picture of many overlapping shapes in various shades over a gradient, the same for the
// same seed: plenty of structure to compare and to line up.
QImage scene(unsigned seed, QSize size);

// The part of `image` inside `area`.
QImage cropped(const QImage& image, QRect area);

// One colour all over.
QImage plain(QSize size, QColor colour);

// Lines of dark text in DejaVu Sans, one below the other, on `background` (transparent is
// allowed). `inkBoxes` receives, per line, the box of its dark pixels.
QImage text(const QStringList& lines, QColor background, std::vector<QRect>* inkBoxes = nullptr);

} // namespace VisionTestImages
