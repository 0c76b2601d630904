#pragma once

#include <QImage>

#include <optional>

// A displacement in pixels, x to the right and y upward.
struct TruneVector {
    double dx = 0;
    double dy = 0;

    bool operator==(const TruneVector&) const = default;
};

namespace TruneImageRegistration {

// The translation that moves the content of `floating` onto the same content in `reference`,
// in pixels of `reference` (x to the right, y upward): when `floating` shows the picture moved
// 10 pixels to the right, dx is -10. None when either image is plain (or null) and so has
// nothing to line up. Both images are analysed at a reduced size, so the result is accurate to
// about a pixel of that size.
std::optional<TruneVector> translation(const QImage& reference, const QImage& floating);

} // namespace TruneImageRegistration
