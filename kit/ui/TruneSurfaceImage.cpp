#include "kit/ui/TruneSurfaceImage.h"

#include <QPaintEngine>
#include <QPainter>

TruneSurfaceImage::TruneSurfaceImage(Opacity opacity)
    : m_opacity(opacity)
{
}

void TruneSurfaceImage::paint(QPainter& painter, QSize size, const std::function<void(QPainter&)>& draw)
{
    // The density of the device painted on, not the widget's: a render into an image may be
    // denser than the screen.
    const qreal density = painter.paintEngine()->paintDevice()->devicePixelRatioF();
    const QSize pixels = (QSizeF(size) * density).toSize();
    if (m_image.size() != pixels || m_image.devicePixelRatio() != density) {
        m_image = QPixmap(pixels);
        m_image.setDevicePixelRatio(density);
        if (m_opacity == Opacity::translucent)
            m_image.fill(Qt::transparent);
        QPainter imagePainter(&m_image);
        draw(imagePainter);
    }
    painter.drawPixmap(QPointF(), m_image);
}
