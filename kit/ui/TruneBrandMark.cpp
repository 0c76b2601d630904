#include "kit/ui/TruneBrandMark.h"

#include "kit/emblems/TruneEmblemRenderer.h"
#include "kit/ui/TruneBrandMarkGeometry.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {

QLinearGradient bodyShading(const QRectF& canvas)
{
    QLinearGradient gradient(canvas.topLeft(), canvas.bottomRight());
    gradient.setColorAt(0, QColor(255, 255, 255));
    gradient.setColorAt(0.55, QColor(238, 241, 246));
    gradient.setColorAt(1, QColor(195, 202, 216));
    return gradient;
}

// A band of light running across the body, from the bottom-left corner to the top-right one.
QLinearGradient sheenShading(const QRectF& canvas)
{
    QLinearGradient gradient(canvas.bottomLeft(), canvas.topRight());
    gradient.setColorAt(0, QColor(255, 255, 255, 0));
    gradient.setColorAt(0.3, QColor(255, 255, 255, 0));
    gradient.setColorAt(0.5, QColor::fromRgbF(1, 1, 1, 0.55f));
    gradient.setColorAt(0.7, QColor(255, 255, 255, 0));
    gradient.setColorAt(1, QColor(255, 255, 255, 0));
    return gradient;
}

QPainterPath piecePath(const QList<QPointF>& piece, const QRectF& canvas)
{
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    if (piece.isEmpty())
        return path;
    const auto onCanvas = [&canvas](const QPointF& point) {
        return canvas.topLeft() + TruneBrandMarkGeometry::mapped(point, canvas.size());
    };
    path.moveTo(onCanvas(piece.front()));
    for (qsizetype i = 1; i < piece.size(); ++i)
        path.lineTo(onCanvas(piece[i]));
    path.closeSubpath();
    return path;
}

} // namespace

TruneBrandMark::TruneBrandMark(qreal size, TruneBrandMarkStyle style, QWidget* parent)
    : TruneBrandMark(size, style, TruneBundle::main(), parent)
{
}

// The running program never changes, so its catalogue entry is looked up once.
TruneBrandMark::TruneBrandMark(qreal size, TruneBrandMarkStyle style, const TruneBundle& runningApp, QWidget* parent)
    : QWidget(parent)
    , m_size(size)
    , m_style(style)
    , m_runningApp(style.kind() == TruneBrandMarkStyle::Kind::currentApp ? TruneAppIdentityCatalog::current(runningApp)
                                                                         : std::nullopt)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

std::optional<TruneAppIdentity> TruneBrandMark::shownApp() const
{
    switch (m_style.kind()) {
    case TruneBrandMarkStyle::Kind::app:
        return m_style.identity();
    case TruneBrandMarkStyle::Kind::currentApp:
        return m_runningApp;
    case TruneBrandMarkStyle::Kind::quorvaneSuite:
        break;
    }
    return std::nullopt;
}

void TruneBrandMark::paintSuiteMark(QPainter& painter, const QRectF& canvas)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QLinearGradient body = bodyShading(canvas);
    const QLinearGradient sheen = sheenShading(canvas);
    for (const QList<QPointF>& piece : TruneBrandMarkGeometry::allPieces()) {
        const QPainterPath path = piecePath(piece, canvas);
        painter.fillPath(path, body);
        painter.fillPath(path, sheen);
    }
    painter.restore();
}

QSize TruneBrandMark::sizeHint() const
{
    const int side = static_cast<int>(std::ceil(m_size));
    return {side, side};
}

void TruneBrandMark::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRectF frame(QRectF(rect()).center() - QPointF(m_size / 2, m_size / 2), QSizeF(m_size, m_size));
    const std::optional<TruneAppIdentity> app = shownApp();
    if (!app) {
        paintSuiteMark(painter, frame);
        return;
    }
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(frame, TruneEmblemRenderer::image(*app, m_size, devicePixelRatioF()));
}
