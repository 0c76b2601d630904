#include "kit/ui/TruneAnimations.h"

#include <QVariantAnimation>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

struct ControlPoints {
    double x1 = 0;
    double y1 = 0;
    double x2 = 1;
    double y2 = 1;
};

constexpr ControlPoints linear{0, 0, 1, 1};
constexpr ControlPoints easeOut{0, 0, 0.58, 1};
constexpr ControlPoints easeInOut{0.42, 0, 0.58, 1};

double bezier(double a, double b, double t)
{
    const double u = 1 - t;
    return 3 * u * u * t * a + 3 * u * t * t * b + t * t * t;
}

// The progress a timing curve with these control points reaches at time fraction `x`.
double progressAt(const ControlPoints& points, double x)
{
    double low = 0;
    double high = 1;
    for (int step = 0; step < 60; ++step) {
        const double t = (low + high) / 2;
        (bezier(points.x1, points.x2, t) < x ? low : high) = t;
    }
    return bezier(points.y1, points.y2, (low + high) / 2);
}

struct TimingCase {
    const char* name;
    std::function<TruneAnimation()> timing;
    int durationMs;
    ControlPoints curve;
};

// Puts the global switch back as it was, whatever a test does with it.
class AnimationSwitch : public ::testing::Test {
protected:
    void TearDown() override { TruneAnimations::setEnabled(m_wasEnabled); }

private:
    bool m_wasEnabled = TruneAnimations::enabled();
};

} // namespace

TEST(TruneAnimationsTest, NamedTimingsHaveTheirDurationsAndCurves)
{
    const TimingCase cases[] = {
        {"press", TruneAnimations::press, 120, easeOut},
        {"hover", TruneAnimations::hover, 120, easeOut},
        {"layer", TruneAnimations::layer, 200, easeInOut},
        {"spinnerTurn", TruneAnimations::spinnerTurn, 1000, linear},
    };
    for (const TimingCase& timing : cases) {
        SCOPED_TRACE(timing.name);
        const TruneAnimation animation = timing.timing();
        EXPECT_EQ(animation.durationMs, timing.durationMs);
        for (const double x : {0.0, 0.1, 0.25, 0.5, 0.75, 0.9, 1.0})
            EXPECT_NEAR(animation.curve.valueForProgress(x), progressAt(timing.curve, x), 0.005) << "at " << x;
    }
}

TEST_F(AnimationSwitch, WithAnimationsOffRunReachesTheEndValueAtOnce)
{
    TruneAnimations::setEnabled(false);
    QVariantAnimation animation;
    QVariantList values;
    int finished = 0;
    QObject::connect(&animation, &QVariantAnimation::valueChanged, [&](const QVariant& value) { values << value; });
    QObject::connect(&animation, &QAbstractAnimation::finished, [&] { ++finished; });

    TruneAnimations::run(animation, TruneAnimations::press(), 0.98);
    EXPECT_EQ(animation.currentValue().toDouble(), 0.98);
    EXPECT_EQ(animation.state(), QAbstractAnimation::Stopped);
    ASSERT_FALSE(values.isEmpty());
    EXPECT_EQ(values.last().toDouble(), 0.98);
    EXPECT_EQ(finished, 1);

    TruneAnimations::run(animation, TruneAnimations::press(), 1.0);
    EXPECT_EQ(animation.currentValue().toDouble(), 1.0);
    EXPECT_EQ(values.last().toDouble(), 1.0);
    EXPECT_EQ(finished, 2);
}

TEST_F(AnimationSwitch, WithAnimationsOnRunEasesFromTheCurrentValue)
{
    TruneAnimations::setEnabled(true);
    QVariantAnimation animation;
    TruneAnimations::run(animation, TruneAnimations::layer(), 22.0);
    // The first run has nothing to come from, so it starts where it ends.
    EXPECT_EQ(animation.startValue().toDouble(), 22.0);

    TruneAnimations::run(animation, TruneAnimations::layer(), 215.0);
    EXPECT_EQ(animation.state(), QAbstractAnimation::Running);
    EXPECT_EQ(animation.duration(), 200);
    EXPECT_EQ(animation.startValue().toDouble(), 22.0);
    EXPECT_EQ(animation.endValue().toDouble(), 215.0);
    EXPECT_EQ(animation.easingCurve(), TruneAnimations::layer().curve);

    // Half-way through, the value follows the ease-in-out curve.
    animation.setCurrentTime(100);
    EXPECT_NEAR(animation.currentValue().toDouble(), 22 + (215 - 22) * progressAt(easeInOut, 0.5), 0.5);

    // Turning back mid-way starts from where the value is now, not from the old start.
    const double midway = animation.currentValue().toDouble();
    TruneAnimations::run(animation, TruneAnimations::layer(), 22.0);
    EXPECT_EQ(animation.startValue().toDouble(), midway);
    EXPECT_EQ(animation.endValue().toDouble(), 22.0);
}
