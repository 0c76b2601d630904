#include "kit/ui/TruneGroundBackground.h"

#include "kit/ui/TruneGlassTokens.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>

namespace {

constexpr qreal glowStartRadius = 20;
constexpr qreal glowEndRadius = 520;
constexpr double glowOpacity = 0.09;

QLinearGradient diagonalGradient(const QRectF& rect, const TruneGroundStops& stops)
{
    QLinearGradient gradient(rect.topLeft(), rect.bottomRight());
    gradient.setColorAt(0, stops.topLeft);
    gradient.setColorAt(0.5, stops.middle);
    gradient.setColorAt(1, stops.bottomRight);
    return gradient;
}

// Full glow inside the start radius, fading to clear at the end radius.
QRadialGradient cornerGlow(const QPointF& corner)
{
    const QColor glow = QColor::fromRgbF(1, 1, 1, glowOpacity);
    QColor clear = glow;
    clear.setAlphaF(0);
    QRadialGradient gradient(corner, glowEndRadius);
    gradient.setColorAt(0, glow);
    gradient.setColorAt(glowStartRadius / glowEndRadius, glow);
    gradient.setColorAt(1, clear);
    return gradient;
}

} // namespace

TruneGroundBackground::TruneGroundBackground(TruneProductPalette palette, QWidget* parent)
    : QWidget(parent)
    , m_palette(palette)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    truneApplyGlassPalette(*this, m_palette);
}

void TruneGroundBackground::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    m_image.paint(painter, size(), [this](QPainter& ground) {
        const QRectF bounds = QRectF(rect());
        ground.fillRect(bounds, diagonalGradient(bounds, groundStops(m_palette)));
        ground.fillRect(bounds, cornerGlow(bounds.topLeft()));
    });
}
