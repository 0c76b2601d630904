#include "EmblemProbe.h"

#include "kit/emblems/TruneEmblemRenderer.h"

#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace EmblemProbe {

QImage drawnInDesignSpace(int pixelSize, const std::function<void(QPainter&)>& draw)
{
    QImage bitmap(pixelSize, pixelSize, QImage::Format_ARGB32_Premultiplied);
    bitmap.fill(Qt::transparent);
    QPainter painter(&bitmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal k = pixelSize * 0.88 / 60;
    painter.translate(pixelSize / 2.0, pixelSize / 2.0);
    painter.scale(k, k);
    painter.translate(-50, -50);
    draw(painter);
    painter.end();
    return bitmap;
}

QImage emblemIn(TruneAppIdentity app, const TruneEmblemTone& tone, int pixelSize)
{
    return drawnInDesignSpace(
        pixelSize, [&](QPainter& painter) { TruneEmblemRenderer::drawFlatEmblem(app, painter, tone); });
}

QColor colorAt(const QImage& bitmap, QPointF designPoint)
{
    const int side = bitmap.width();
    const qreal k = side * 0.88 / 60;
    const int x = int(std::floor(side / 2.0 + k * (designPoint.x() - 50)));
    const int y = int(std::floor(side / 2.0 + k * (designPoint.y() - 50)));
    return bitmap.convertToFormat(QImage::Format_ARGB32).pixelColor(x, y);
}

bool near(const QColor& actual, const QColor& expected, int tolerance)
{
    if (std::abs(actual.alpha() - expected.alpha()) > tolerance)
        return false;
    if (expected.alpha() == 0)
        return true;
    // Bitmaps store premultiplied channels; reading them back divides their rounding by the alpha.
    const int channelTolerance = std::max(tolerance, 2 * 255 / expected.alpha());
    return std::abs(actual.red() - expected.red()) <= channelTolerance
        && std::abs(actual.green() - expected.green()) <= channelTolerance
        && std::abs(actual.blue() - expected.blue()) <= channelTolerance;
}

bool fullyTransparent(const QImage& image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        for (int x = 0; x < argb.width(); ++x) {
            if (qAlpha(argb.pixel(x, y)) != 0)
                return false;
        }
    }
    return true;
}

} // namespace EmblemProbe
