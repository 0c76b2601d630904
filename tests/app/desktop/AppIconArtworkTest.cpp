#include "app/desktop/AppIconArtwork.h"

#include <gtest/gtest.h>

#include <QColor>
#include <QImage>

namespace {

struct PixelCounts {
    qsizetype clear = 0;  // the margin and the rounded corners
    qsizetype ground = 0; // the tile's dark green
    qsizetype emblem = 0; // the emblem's white glass
};

PixelCounts countPixels(const QImage& image)
{
    PixelCounts counts;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor color = image.pixelColor(x, y);
            if (color.alpha() == 0)
                ++counts.clear;
            else if (color.alpha() == 255 && color.lightness() > 200)
                ++counts.emblem;
            else if (color.alpha() == 255 && color.green() > color.red() && color.lightness() < 80)
                ++counts.ground;
        }
    }
    return counts;
}

} // namespace

// Every bitmap the icon theme gets shows the program's emblem on its tile: a missing drawing would
// leave a plain green square.
TEST(AppIconArtworkTest, EveryThemeSizeShowsTheEmblemOnTheTile)
{
    for (const int pixelSize : AppIconArtwork::themePixelSizes) {
        SCOPED_TRACE(pixelSize);
        const QImage image = AppIconArtwork::image(pixelSize);
        ASSERT_EQ(image.size(), QSize(pixelSize, pixelSize));
        EXPECT_EQ(image.pixelColor(0, 0).alpha(), 0);
        EXPECT_EQ(image.pixelColor(pixelSize - 1, pixelSize - 1).alpha(), 0);

        const PixelCounts counts = countPixels(image);
        const qsizetype all = qsizetype(pixelSize) * pixelSize;
        EXPECT_GT(counts.ground, all * 4 / 10);
        EXPECT_GT(counts.emblem, all * 3 / 100);
        EXPECT_GT(counts.clear, 0);
    }
    EXPECT_TRUE(AppIconArtwork::image(0).isNull());
}
