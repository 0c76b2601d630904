#include "app/menubar/MenuBarTrayIcon.h"

#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneSymbols.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPixmap>

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

using namespace Qt::StringLiterals;

namespace {

constexpr std::array trayPixelSizes{16, 22, 24, 32, 48};
// The badge covers this share of the icon's edge, with a clear ring around it so it stands off
// the glyph.
constexpr qreal badgeShare = 0.62;
constexpr qreal ringShare = 0.08;
constexpr qreal outlineShare = 1.0 / 16;
const QColor outlineColor(0x10, 0x24, 0x22, 0xD0);

QString countText(int count)
{
    return count > 99 ? u"99+"_s : QString::number(count);
}

// The largest bold font whose text fits `width` and `height`.
QFont fittingFont(const QString& text, qreal width, qreal height)
{
    QFont font;
    font.setBold(true);
    for (qreal px = height; px > 4; px -= 0.5) {
        font.setPixelSize(static_cast<int>(px));
        const QFontMetricsF metrics(font);
        if (metrics.horizontalAdvance(text) <= width && metrics.capHeight() <= height * 0.62)
            break;
    }
    return font;
}

// The white glyph inside a dark outline, so it reads on a dark panel and on a light one alike:
// the outline is the glyph drawn dark a little to every side of it.
void paintOutlinedGlyph(QPainter& painter, int px)
{
    const QString glyph = u"arrow.triangle.2.circlepath.circle.fill"_s;
    const qreal outline = std::max(1.0, px * outlineShare);
    const QRectF area(outline, outline, px - 2 * outline, px - 2 * outline);
    for (int step = 0; step < 8; ++step) {
        const qreal angle = step * std::numbers::pi / 4;
        TruneSymbols::paint(
            painter, area.translated(outline * std::cos(angle), outline * std::sin(angle)), glyph, outlineColor);
    }
    TruneSymbols::paint(painter, area, glyph, TruneGlassTokens::textPrimary());
}

} // namespace

QImage menuBarTrayImage(int badgeCount, int px)
{
    QImage image(px, px, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    paintOutlinedGlyph(painter, px);
    if (badgeCount < 1)
        return image;

    const qreal badge = px * badgeShare;
    const QRectF badgeRect(px - badge, px - badge, badge, badge);
    const qreal ring = px * ringShare;
    painter.setCompositionMode(QPainter::CompositionMode_Clear);
    painter.setBrush(Qt::black);
    painter.setPen(Qt::NoPen);
    painter.drawEllipse(badgeRect.adjusted(-ring, -ring, ring, ring));
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.setBrush(TruneGlassTokens::warning());
    painter.drawEllipse(badgeRect);

    const QString text = countText(badgeCount);
    painter.setFont(fittingFont(text, badge * 0.86, badge));
    painter.setPen(QColor(0x1A, 0x14, 0x08));
    painter.drawText(badgeRect, Qt::AlignCenter, text);
    return image;
}

QIcon menuBarTrayIcon(int badgeCount)
{
    QIcon icon;
    for (const int px : trayPixelSizes)
        icon.addPixmap(QPixmap::fromImage(menuBarTrayImage(badgeCount, px)));
    return icon;
}
