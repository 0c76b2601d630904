#include "kit/ui/TruneAnimations.h"

#include <QPointF>
#include <QVariantAnimation>

#include <atomic>

namespace {

std::atomic<bool> animationsEnabled{true};

// The cubic Bézier timing curve from (0, 0) to (1, 1) through the two control points, as the
// platform's named curves define them.
QEasingCurve cubicBezier(QPointF first, QPointF second)
{
    QEasingCurve curve(QEasingCurve::BezierSpline);
    curve.addCubicBezierSegment(first, second, QPointF(1, 1));
    return curve;
}

QEasingCurve easeOut()
{
    return cubicBezier(QPointF(0, 0), QPointF(0.58, 1));
}

QEasingCurve easeInOut()
{
    return cubicBezier(QPointF(0.42, 0), QPointF(0.58, 1));
}

} // namespace

namespace TruneAnimations {

bool enabled()
{
    return animationsEnabled.load();
}

void setEnabled(bool enabled)
{
    animationsEnabled.store(enabled);
}

TruneAnimation press()
{
    return {.durationMs = 120, .curve = easeOut()};
}

TruneAnimation hover()
{
    return {.durationMs = 120, .curve = easeOut()};
}

TruneAnimation layer()
{
    return {.durationMs = 200, .curve = easeInOut()};
}

TruneAnimation spinnerTurn()
{
    return {.durationMs = 1000, .curve = QEasingCurve(QEasingCurve::Linear)};
}

void run(QVariantAnimation& animation, const TruneAnimation& timing, const QVariant& end)
{
    const QVariant start = animation.currentValue().isValid() ? animation.currentValue() : end;
    animation.stop();
    animation.setStartValue(start);
    animation.setEndValue(end);
    animation.setEasingCurve(timing.curve);
    // A zero-length animation finishes inside start(), so callers see one code path either way.
    animation.setDuration(enabled() ? timing.durationMs : 0);
    animation.start();
}

} // namespace TruneAnimations
