#include "kit/emblems/TruneEmblemRenderer.h"

#include <algorithm>

namespace TruneEmblemRenderer {

QImage image(TruneAppIdentity, qreal pointSize, qreal scale, bool)
{
    const int px = std::max(16, qRound(pointSize * scale));
    QImage result(px, px, QImage::Format_ARGB32_Premultiplied);
    result.fill(Qt::transparent);
    result.setDevicePixelRatio(scale);
    return result;
}

} // namespace TruneEmblemRenderer
