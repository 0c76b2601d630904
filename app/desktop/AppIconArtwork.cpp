#include "app/desktop/AppIconArtwork.h"

#include "kit/emblems/TruneEmblemGrammar.h"
#include "kit/emblems/TruneEmblemRenderer.h"
#include "kit/ui/TruneProductPalette.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace AppIconArtwork {

namespace {

// The tile leaves a thin margin, as theme icons do, and rounds its corners like the maker's icons.
constexpr qreal tileMargin = 0.06;
constexpr qreal tileCornerRadius = 0.2;
// The share of the tile's side that the emblem's body spans; small icons give it more room, so its
// strokes stay wider than a pixel.
constexpr qreal emblemCoverage = 0.64;
constexpr qreal smallEmblemCoverage = 0.8;
constexpr qreal smallIconSide = 32;
// A faint light edge keeps the dark tile apart from dark panels.
constexpr qreal edgeWidth = 0.012;
constexpr qreal edgeAlpha = 0.18;

constexpr std::array windowPixelSizes{16, 22, 24, 32, 48, 64, 128, 256};

QRectF tileRect(qreal side)
{
    const qreal margin = side * tileMargin;
    return QRectF(margin, margin, side - 2 * margin, side - 2 * margin);
}

void paintTile(QPainter& painter, qreal side)
{
    const QRectF tile = tileRect(side);
    const qreal radius = tile.width() * tileCornerRadius;
    const TruneGroundStops stops = groundStops(TruneProductPalette::deepEmerald);
    QLinearGradient ground(tile.topLeft(), tile.bottomRight());
    ground.setColorAt(0, stops.topLeft);
    ground.setColorAt(0.5, stops.middle);
    ground.setColorAt(1, stops.bottomRight);

    QPainterPath shape;
    shape.addRoundedRect(tile, radius, radius);
    painter.fillPath(shape, ground);

    const qreal edge = side * edgeWidth;
    QPainterPath rim;
    rim.addRoundedRect(tile.adjusted(edge / 2, edge / 2, -edge / 2, -edge / 2), radius - edge / 2, radius - edge / 2);
    painter.strokePath(rim, QPen(QColor::fromRgbF(1, 1, 1, float(edgeAlpha)), edge));
}

void paintEmblem(QPainter& painter, qreal side)
{
    painter.save();
    const qreal coverage = side <= smallIconSide ? smallEmblemCoverage : emblemCoverage;
    const qreal scale = tileRect(side).width() * coverage / TruneEmblemGrammar::bodySpan;
    painter.translate(side / 2, side / 2);
    painter.scale(scale, scale);
    painter.translate(-TruneEmblemGrammar::designCentre);
    TruneEmblemRenderer::drawFlatEmblem(TruneAppIdentity::truneUpdate, painter, TruneEmblemTone::whiteGlass());
    painter.restore();
}

QImage transparentBitmap(int pixelSize)
{
    QImage bitmap(pixelSize, pixelSize, QImage::Format_ARGB32_Premultiplied);
    bitmap.fill(Qt::transparent);
    return bitmap;
}

void smoothen(QPainter& painter)
{
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
}

} // namespace

void paint(QPainter& painter, qreal side)
{
    paintTile(painter, side);
    paintEmblem(painter, side);
}

QImage image(int pixelSize)
{
    if (pixelSize < 1)
        return {};
    QImage emblem = transparentBitmap(pixelSize);
    {
        QPainter painter(&emblem);
        smoothen(painter);
        paintEmblem(painter, pixelSize);
    }
    QImage icon = transparentBitmap(pixelSize);
    QPainter painter(&icon);
    smoothen(painter);
    paintTile(painter, pixelSize);
    painter.drawImage(0, 0, emblem);
    return icon;
}

std::vector<QImage> windowImages()
{
    std::vector<QImage> images;
    for (const int pixelSize : windowPixelSizes)
        images.push_back(image(pixelSize));
    return images;
}

QIcon icon(const std::vector<QImage>& windowImages)
{
    QIcon icon;
    for (const QImage& image : windowImages)
        icon.addPixmap(QPixmap::fromImage(image));
    return icon;
}

} // namespace AppIconArtwork
