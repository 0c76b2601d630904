#include "app/views/AppIconThumbnail.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

// Counts the pixels `image` holds that are not fully transparent.
static int paintedPixels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
    }
    return count;
}

TEST(AppIconThumbnailTest, AMissingBundleStillGetsAFullTileAndAZeroSizeNone)
{
    AppIconThumbnail tile(QStringLiteral("/nonexistent/Gone.app"), 32);
    EXPECT_EQ(tile.sizeHint(), QSize(32, 32));

    QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        AppIconThumbnail::paintTile(painter, QRectF(0, 0, 32, 32), tile.appPath());
    }
    EXPECT_GT(paintedPixels(image), 32 * 32 / 2);
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "the corners are rounded off";

    AppIconThumbnail empty(QStringLiteral("/nonexistent/Gone.app"), 0);
    EXPECT_EQ(empty.sizeHint(), QSize(0, 0));
}
