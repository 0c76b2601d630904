#pragma once

#include <QColor>
#include <QRectF>

class QPainter;

// A thin progress bar of the suite widgets: a capsule track with a capsule fill on it whose
// colour runs from `fillLeading` to `fillTrailing`.
struct TruneProgressTrackLook {
    QColor track;
    QColor fillLeading;
    QColor fillTrailing;
    qreal minimumFill = 0; // how wide the fill is at least once the fraction is above 0
};

namespace TruneProgressTrack {

// max(minimumFill when fraction > 0, fraction × trackWidth), never wider than the track: a
// fraction above 1 fills the track, and one at or below 0, or not a number, fills nothing.
qreal fillWidth(double fraction, qreal trackWidth, qreal minimumFill);

void paint(QPainter& painter, const QRectF& track, double fraction, const TruneProgressTrackLook& look);

} // namespace TruneProgressTrack
