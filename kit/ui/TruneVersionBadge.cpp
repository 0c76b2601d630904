#include "kit/ui/TruneVersionBadge.h"

#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassTokens.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

namespace {

constexpr qreal horizontalPadding = 7;
constexpr qreal verticalPadding = 2.5;
constexpr qreal strokeWidth = 1;

// A rectangle whose short sides are half circles.
QPainterPath capsule(const QRectF& rect)
{
    const qreal radius = std::min(rect.width(), rect.height()) / 2;
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

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

    painter.fillPath(capsule(bounds), TruneGlassTokens::surface2());

    // The stroke lies along the inside of the edge: its centre line is half a width inside.
    const qreal inset = strokeWidth / 2;
    painter.setPen(QPen(TruneGlassTokens::borderSubtle(), strokeWidth));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(capsule(bounds.adjusted(inset, inset, -inset, -inset)));

    painter.setPen(TruneGlassTokens::textSecondary());
    painter.drawText(bounds.adjusted(horizontalPadding, verticalPadding, -horizontalPadding, -verticalPadding),
                     Qt::AlignCenter, text());
}
