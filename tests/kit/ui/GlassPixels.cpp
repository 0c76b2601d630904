#include "tests/kit/ui/GlassPixels.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <cmath>

namespace GlassPixels {

QImage rendered(QWidget& widget, QSize size, qreal devicePixelRatio)
{
    widget.resize(size);
    QImage image(size * devicePixelRatio, QImage::Format_ARGB32);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    widget.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

int alphaOver(double top, double bottom)
{
    return static_cast<int>(std::lround((top + bottom * (1 - top)) * 255));
}

void expectPixel(QRgb pixel, const QColor& color, int alpha, const char* where, int tolerance)
{
    SCOPED_TRACE(where);
    EXPECT_NEAR(qAlpha(pixel), alpha, tolerance);
    if (qAlpha(pixel) > 0) {
        EXPECT_NEAR(qRed(pixel), color.red(), tolerance);
        EXPECT_NEAR(qGreen(pixel), color.green(), tolerance);
        EXPECT_NEAR(qBlue(pixel), color.blue(), tolerance);
    }
}

} // namespace GlassPixels
