#include "kit/ui/TruneProgressTrack.h"

#include "kit/ui/TruneGlassShapes.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace TruneProgressTrack {

qreal fillWidth(double fraction, qreal trackWidth, qreal minimumFill)
{
    if (!(fraction > 0) || trackWidth <= 0)
        return 0;
    // Compared before multiplying, so a huge fraction never makes an infinite width.
    const qreal proportional = fraction >= 1 ? trackWidth : fraction * trackWidth;
    return std::min(std::max(minimumFill, proportional), trackWidth);
}

void paint(QPainter& painter, const QRectF& track, double fraction, const TruneProgressTrackLook& look)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(TruneGlassShapes::capsule(track), look.track);
    const qreal width = fillWidth(fraction, track.width(), look.minimumFill);
    if (width > 0) {
        const QRectF fill(track.left(), track.top(), width, track.height());
        QLinearGradient gradient(fill.topLeft(), fill.topRight());
        gradient.setColorAt(0, look.fillLeading);
        gradient.setColorAt(1, look.fillTrailing);
        painter.fillPath(TruneGlassShapes::capsule(fill), gradient);
    }
    painter.restore();
}

} // namespace TruneProgressTrack
