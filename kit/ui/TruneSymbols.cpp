#include "kit/ui/TruneSymbols.h"

#include <QPainter>

namespace TruneSymbols {

bool contains(const QString&)
{
    return false;
}

QPixmap pixmap(const QString& name, int logicalPx, const QColor& color, qreal devicePixelRatio)
{
    QPixmap result(QSize(logicalPx, logicalPx) * devicePixelRatio);
    result.setDevicePixelRatio(devicePixelRatio);
    result.fill(Qt::transparent);
    QPainter painter(&result);
    paint(painter, QRectF(0, 0, logicalPx, logicalPx), name, color);
    return result;
}

void paint(QPainter& painter, const QRectF& rect, const QString&, const QColor& color)
{
    painter.save();
    painter.setPen(QPen(color, 1));
    painter.drawRect(rect.adjusted(1, 1, -1, -1));
    painter.restore();
}

QIcon icon(const QString& name, const QColor& color)
{
    return QIcon(pixmap(name, 16, color, 2));
}

} // namespace TruneSymbols
