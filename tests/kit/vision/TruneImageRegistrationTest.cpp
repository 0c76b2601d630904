#include "kit/vision/TruneVisionServices.h"
#include "tests/kit/vision/VisionTestImages.h"

#include <gtest/gtest.h>

namespace {

using namespace VisionTestImages;

TEST(TruneTranslationalOffset, RecoversKnownShiftsWithYUpward)
{
    // Two views of one wide scene: `to` shows the content of `from` moved right by `right` and
    // down by `down` pixels. Moving `to` back onto `from` is (-right, +down) with y upward.
    const QImage wide = scene(3, {640, 480});
    const QRect view(160, 120, 320, 240);
    struct Row {
        int right;
        int down;
    };
    const Row rows[] = {{0, 0}, {17, 0}, {0, -23}, {-31, 12}, {45, 38}, {-60, -45}, {5, 3}};
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "right " << row.right << ", down " << row.down);
        const QImage from = cropped(wide, view);
        const QImage to = cropped(wide, view.translated(-row.right, -row.down));

        const auto offset = TruneVisionServices::translationalOffset(from, to);

        ASSERT_TRUE(offset);
        EXPECT_NEAR(offset->dx, -row.right, 0.5);
        EXPECT_NEAR(offset->dy, row.down, 0.5);
    }
}

TEST(TruneTranslationalOffset, SmallImagesAreNotScaledDown)
{
    const QImage wide = scene(5, {200, 160});
    const QImage from = cropped(wide, {50, 40, 100, 80});
    const QImage to = cropped(wide, {50 - 7, 40 + 4, 100, 80});

    const auto offset = TruneVisionServices::translationalOffset(from, to);

    ASSERT_TRUE(offset);
    EXPECT_NEAR(offset->dx, -7, 0.5);
    EXPECT_NEAR(offset->dy, -4, 0.5);
}

TEST(TruneTranslationalOffset, NothingToLineUpGivesZero)
{
    const QImage textured = scene(4, {320, 240});
    const QImage grey = plain({320, 240}, Qt::gray);
    const std::pair<QImage, QImage> rows[] = {{grey, grey}, {grey, textured}, {textured, plain({1, 1}, Qt::black)}};
    for (const auto& [from, to] : rows) {
        SCOPED_TRACE(to.width());
        const auto offset = TruneVisionServices::translationalOffset(from, to);

        ASSERT_TRUE(offset);
        EXPECT_EQ(*offset, (TruneVector{0, 0}));
    }
}

TEST(TruneTranslationalOffset, NullImageIsAnError)
{
    const QImage image = scene(4, {64, 64});
    for (const auto& [from, to] : {std::pair(QImage(), image), std::pair(image, QImage())}) {
        const auto offset = TruneVisionServices::translationalOffset(from, to);

        ASSERT_FALSE(offset);
        EXPECT_EQ(offset.error(), TruneVisionError::invalidImage());
    }
}

} // namespace
