#pragma once

#include "kit/platform/TruneJson.h"

#include <QRectF>

#include <tuple>

// A window frame as the suite's records carry it, in the coordinates the dragged window is
// measured in. All four keys are required; decoded values are kept as written.
struct TruneScreenRect {
    double x = 0;
    double y = 0;
    double width = 0;  // not negative when built with make() or fromRect()
    double height = 0; // not negative when built with make() or fromRect()

    // A width or height below 0, or not a number, becomes 0.
    static TruneScreenRect make(double x, double y, double width, double height);
    // Origin and size as they stand in `rect` (not normalized first), sizes as make() takes them.
    static TruneScreenRect fromRect(const QRectF& rect);
    QRectF rect() const { return {x, y, width, height}; }

    auto fields() const { return std::tie(x, y, width, height); }
    bool operator==(const TruneScreenRect&) const = default;
};

template <> struct TruneJsonCoding<TruneScreenRect> {
    static QJsonValue encode(const TruneScreenRect& rect);
    static TruneJsonResult<TruneScreenRect> decode(const QJsonValue& json);
};
