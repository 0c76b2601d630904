#include "app/views/parts/AppIconThumbnail.h"

#include "kit/platform/TruneWorkspaceIcon.h"
#include "kit/ui/TruneGlassShapes.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneSymbols.h"

#include <QPainter>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr qreal cornerRatio = 0.22;

// The device pixels one logical pixel of `painter` covers, so the icon is read at the size it is
// shown and stays crisp at a ratio of 2 and under a scaling transform.
qreal deviceScale(const QPainter& painter)
{
    const qreal deviceRatio = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const QTransform& transform = painter.worldTransform();
    const qreal transformScale
        = std::max(std::hypot(transform.m11(), transform.m12()), std::hypot(transform.m21(), transform.m22()));
    return deviceRatio * (transformScale > 0 ? transformScale : 1.0);
}

// Our stand-in for a bundle without a readable icon: the app symbol on a glass tile.
void paintGenericGlyph(QPainter& painter, const QPainterPath& shape, const QRectF& tile)
{
    painter.fillPath(shape, TruneGlassTokens::surface2());
    const qreal inset = tile.width() * 0.2;
    TruneSymbols::paint(
        painter, tile.adjusted(inset, inset, -inset, -inset), u"app"_s, TruneGlassTokens::textSecondary());
}

} // namespace

AppIconThumbnail::AppIconThumbnail(const QString& appPath, qreal size, QWidget* parent)
    : QWidget(parent)
    , m_appPath(appPath)
    , m_size(size)
{
    setFixedSize(sizeHint());
    connect(&AppIconLoads::instance(), &AppIconLoads::loaded, this, [this](const QString& loadedPath) {
        if (loadedPath == m_appPath)
            update();
    });
}

void AppIconThumbnail::setAppPath(const QString& appPath)
{
    if (appPath == m_appPath)
        return;
    m_appPath = appPath;
    update();
}

QSize AppIconThumbnail::sizeHint() const
{
    const int edge = qCeil(m_size);
    return {edge, edge};
}

void AppIconThumbnail::paintTile(QPainter& painter, const QRectF& rect, const QString& appPath)
{
    const qreal edge = std::min(rect.width(), rect.height());
    if (edge <= 0)
        return;
    const QRectF tile(rect.center() - QPointF(edge / 2, edge / 2), QSizeF(edge, edge));
    const QImage icon = tileIcon(appPath, edge, deviceScale(painter));

    // Filling the rounded shape with the icon (rather than clipping a drawn image) keeps the
    // corners antialiased.
    const QPainterPath shape = TruneGlassShapes::roundedRect(tile, edge * cornerRatio);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (icon.isNull()) {
        paintGenericGlyph(painter, shape, tile);
    } else {
        QBrush brush(icon);
        brush.setTransform(
            QTransform::fromTranslate(tile.left(), tile.top()).scale(edge / icon.width(), edge / icon.height()));
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.fillPath(shape, brush);
    }
    painter.restore();
}

QImage AppIconThumbnail::tileIcon(const QString& appPath, qreal edge, qreal scale)
{
    return TruneWorkspaceIconCache::shared().icon(appPath, qCeil(edge * scale));
}

void AppIconThumbnail::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paintTile(painter, QRectF(0, 0, m_size, m_size), m_appPath);
}

AppIconLoads& AppIconLoads::instance()
{
    static AppIconLoads* loads = [] {
        auto* created = new AppIconLoads;
        connect(&TruneWorkspaceIconCache::shared(), &TruneWorkspaceIconCache::loaded, created, &AppIconLoads::loaded);
        return created;
    }();
    return *loads;
}
