#include "kit/vision/TruneVisionServices.h"
#include "tests/kit/vision/VisionTestImages.h"

#include <QBuffer>
#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>

namespace {

using namespace VisionTestImages;

TruneImageFeaturePrint printOf(const QImage& image)
{
    // A failure throws, which fails the test.
    return TruneVisionServices::featurePrint(image).value();
}

QImage jpegCopy(const QImage& image, int quality)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, "JPG", quality));
    return QImage::fromData(bytes, "JPG");
}

QImage brightened(const QImage& image, int amount)
{
    QImage copy = image.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < copy.height(); ++y)
        for (int x = 0; x < copy.width(); ++x) {
            const QColor colour = copy.pixelColor(x, y);
            copy.setPixelColor(x, y,
                QColor(std::min(255, colour.red() + amount), std::min(255, colour.green() + amount),
                    std::min(255, colour.blue() + amount)));
        }
    return copy;
}

QImage withCaption(const QImage& image)
{
    QImage copy = image;
    QPainter painter(&copy);
    painter.fillRect(QRect(10, 10, 40, 12), Qt::white);
    return copy;
}

TEST(TruneImageFeaturePrint, SamePictureGivesTheSamePrint)
{
    const QImage image = scene(1, {320, 240});

    EXPECT_EQ(printOf(image), printOf(image.copy()));
    EXPECT_EQ(printOf(image).distance(printOf(image)), 0.0f);
}

TEST(TruneImageFeaturePrint, AlteredCopiesAreCloserThanOtherPictures)
{
    const QImage wide = scene(7, {360, 260});
    const QImage original = cropped(wide, {20, 10, 320, 240});
    const QImage copies[] = {
        original.scaled(160, 120, Qt::IgnoreAspectRatio, Qt::SmoothTransformation),
        original.scaled(640, 480, Qt::IgnoreAspectRatio, Qt::SmoothTransformation),
        brightened(original, 40),
        jpegCopy(original, 30),
        cropped(wide, {23, 12, 320, 240}),
        withCaption(original),
        original.convertToFormat(QImage::Format_Grayscale8),
    };
    const QImage others[] = {
        scene(8, {320, 240}),
        scene(9, {320, 240}),
        original.mirrored(true, false),
        original.mirrored(false, true),
        text({QStringLiteral("Some words")}, Qt::white),
    };

    const TruneImageFeaturePrint print = printOf(original);
    float farthestCopy = 0;
    for (const QImage& copy : copies)
        farthestCopy = std::max(farthestCopy, print.distance(printOf(copy)));
    float nearestOther = 2;
    for (const QImage& other : others)
        nearestOther = std::min(nearestOther, print.distance(printOf(other)));

    EXPECT_LT(farthestCopy, nearestOther);
    // The distance is symmetric and bounded.
    EXPECT_EQ(print.distance(printOf(others[0])), printOf(others[0]).distance(print));
    EXPECT_LE(nearestOther, 2.0f);
}

TEST(TruneImageFeaturePrint, NullImageHasNoPrint)
{
    const auto print = TruneVisionServices::featurePrint(QImage());

    ASSERT_FALSE(print);
    EXPECT_EQ(print.error(), TruneVisionError::featurePrintUnavailable());
    EXPECT_EQ(print.error().code(), 1);
    EXPECT_EQ(print.error().description(TruneLanguage::en), QStringLiteral("Could not compute image feature print."));
}

} // namespace
