#include "app/views/AppIconThumbnail.h"

#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneSymbols.h"

#include <QPainter>
#include <QPainterPath>

using namespace Qt::StringLiterals;

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
    Q_UNUSED(appPath);
    if (rect.isEmpty())
        return;
    const qreal radius = rect.width() * 0.22;
    QPainterPath tile;
    tile.addRoundedRect(rect, radius, radius);
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setClipPath(tile);
    painter.fillPath(tile, TruneGlassTokens::surface2());
    TruneSymbols::paint(painter, rect.adjusted(rect.width() * 0.2, rect.height() * 0.2, -rect.width() * 0.2,
                                     -rect.height() * 0.2),
        u"app"_s, TruneGlassTokens::textSecondary());
    painter.restore();
}

void AppIconThumbnail::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paintTile(painter, QRectF(0, 0, m_size, m_size), m_appPath);
}

AppIconLoads& AppIconLoads::instance()
{
    static AppIconLoads* loads = new AppIconLoads;
    return *loads;
}
