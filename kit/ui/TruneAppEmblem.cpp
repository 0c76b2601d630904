#include "kit/ui/TruneAppEmblem.h"

#include "kit/emblems/TruneEmblemRenderer.h"

#include <QPainter>

#include <cmath>

namespace {

// The image's alpha in one colour.
QImage tinted(const QImage& image, const QColor& color)
{
    QImage result = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&result);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(QRectF(QPointF(0, 0), result.deviceIndependentSize()), color);
    return result;
}

} // namespace

TruneAppEmblem::TruneAppEmblem(TruneAppIdentity app, qreal size, bool asTemplate, QWidget* parent)
    : QWidget(parent)
    , m_app(app)
    , m_size(size)
    , m_asTemplate(asTemplate)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(rawValue(app));
}

QSize TruneAppEmblem::sizeHint() const
{
    const int side = int(std::ceil(m_size));
    return {side, side};
}

QSize TruneAppEmblem::minimumSizeHint() const
{
    return sizeHint();
}

QImage TruneAppEmblem::emblemImage() const
{
    const QImage image = TruneEmblemRenderer::image(m_app, m_size, devicePixelRatioF(), m_asTemplate);
    return m_asTemplate ? tinted(image, palette().color(foregroundRole())) : image;
}

void TruneAppEmblem::paintEvent(QPaintEvent*)
{
    const QImage image = emblemImage();
    if (image.isNull())
        return;
    // Fitted into a centred square of the emblem's size, as large as the widget allows.
    const qreal side = std::min({m_size, qreal(width()), qreal(height())});
    const QRectF target((width() - side) / 2, (height() - side) / 2, side, side);
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing | QPainter::SmoothPixmapTransform);
    painter.drawImage(target, image);
}
