#include "app/views/parts/StudioHairline.h"

#include <QPainter>

#include <cmath>

StudioHairline::StudioHairline(const QColor& color, qreal thickness, QWidget* parent)
    : QWidget(parent)
    , m_color(color)
    , m_thickness(thickness)
{
    setFixedHeight(static_cast<int>(std::ceil(thickness)));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
}

void StudioHairline::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(QRectF(0, 0, width(), m_thickness), m_color);
}
