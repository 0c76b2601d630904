#include "kit/ui/TruneVersionBadge.h"

#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassShapes.h"
#include "kit/ui/TruneGlassTokens.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

constexpr qreal horizontalPadding = 7;
constexpr qreal verticalPadding = 2.5;

} // namespace

TruneVersionBadge::TruneVersionBadge(TruneAppVersion version, bool showBuild, QWidget* parent)
    : QWidget(parent)
    , m_version(std::move(version))
    , m_showBuild(showBuild)
{
    setFont(truneFont(10, QFont::DemiBold, TruneFontDesign::monospaced));
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

QString TruneVersionBadge::text() const
{
    return m_showBuild ? m_version.detailedDisplay() : m_version.tag();
}

QSize TruneVersionBadge::sizeHint() const
{
    const QFontMetricsF metrics(font());
    return {static_cast<int>(std::ceil(metrics.horizontalAdvance(text()) + 2 * horizontalPadding)),
        static_cast<int>(std::ceil(metrics.height() + 2 * verticalPadding))};
}

QSize TruneVersionBadge::minimumSizeHint() const
{
    return sizeHint();
}

void TruneVersionBadge::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = QRectF(rect());

    TruneGlassShapes::paintGlassShape(painter, bounds, TruneGlassShapes::capsuleRadius, TruneGlassTokens::surface2(),
        TruneGlassTokens::borderSubtle());

    painter.setPen(TruneGlassTokens::textSecondary());
    painter.drawText(bounds.adjusted(horizontalPadding, verticalPadding, -horizontalPadding, -verticalPadding),
        Qt::AlignCenter, text());
}
