#include "kit/suite/TruneScreenRect.h"

#include "kit/suite/TruneSuiteRanges.h"

TruneScreenRect TruneScreenRect::make(double x, double y, double width, double height)
{
    return {x, y, TruneSuiteRanges::atLeast(width, 0.0), TruneSuiteRanges::atLeast(height, 0.0)};
}

TruneScreenRect TruneScreenRect::fromRect(const QRectF& rect)
{
    return make(rect.x(), rect.y(), rect.width(), rect.height());
}

QJsonValue TruneJsonCoding<TruneScreenRect>::encode(const TruneScreenRect& rect)
{
    TruneJsonObjectWriter out;
    out.write("x", rect.x);
    out.write("y", rect.y);
    out.write("width", rect.width);
    out.write("height", rect.height);
    return out.object();
}

TruneJsonResult<TruneScreenRect> TruneJsonCoding<TruneScreenRect>::decode(const QJsonValue& json)
{
    return TruneJsonObjectReader::read<TruneScreenRect>(json, [](TruneJsonObjectReader& in) {
        TruneScreenRect rect;
        rect.x = in.required<double>("x");
        rect.y = in.required<double>("y");
        rect.width = in.required<double>("width");
        rect.height = in.required<double>("height");
        return rect;
    });
}
