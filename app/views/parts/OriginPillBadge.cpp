#include "app/views/parts/OriginPillBadge.h"

#include "kit/localization/TruneText.h"
#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassShapes.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneProductPalette.h"
#include "kit/ui/TruneSymbols.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr qreal horizontalPadding = 6.5;
constexpr qreal verticalPadding = 2.5;
constexpr qreal spacing = 3.5;
// A symbol set in an 8.5 px font fills about a 10 px square.
constexpr qreal symbolEdge = 10;

QFont labelFont()
{
    return truneFont(10, QFont::Medium);
}

} // namespace

OriginPillBadge::OriginPillBadge(AppOriginKind origin, TruneLanguage language, QWidget* parent)
    : QWidget(parent)
    , m_origin(origin)
    , m_language(language)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(look(origin, language).label);
}

void OriginPillBadge::setOrigin(AppOriginKind origin, TruneLanguage language)
{
    if (origin == m_origin && language == m_language)
        return;
    m_origin = origin;
    m_language = language;
    setAccessibleName(look(origin, language).label);
    updateGeometry();
    update();
}

OriginPillBadge::Look OriginPillBadge::look(AppOriginKind origin, TruneLanguage language)
{
    switch (origin) {
    case AppOriginKind::quorvane:
        return {u"Quorvane"_s, u"sparkles"_s, accentColor(TruneProductPalette::deepEmerald)};
    case AppOriginKind::homebrewCask:
        return {u"Homebrew"_s, u"shippingbox"_s, QColor(255, 169, 92)};
    case AppOriginKind::appStore:
        return {u"App Store"_s, u"bag"_s, QColor(92, 196, 255)};
    case AppOriginKind::sparkle:
        return {u"Sparkle"_s, u"wand.and.stars"_s, QColor(169, 139, 255)};
    case AppOriginKind::direct:
        break;
    }
    return {truneText(u"Direct"_s, u"Doğrudan"_s, language), u"app"_s, TruneGlassTokens::textSecondary()};
}

QSizeF OriginPillBadge::badgeSize(AppOriginKind origin, TruneLanguage language)
{
    const QFontMetricsF metrics(labelFont());
    const qreal textWidth = std::ceil(metrics.horizontalAdvance(look(origin, language).label));
    const qreal contentHeight = std::max(std::ceil(metrics.height()), symbolEdge);
    return {horizontalPadding * 2 + symbolEdge + spacing + textWidth, verticalPadding * 2 + contentHeight};
}

void OriginPillBadge::paint(QPainter& painter, const QPointF& topLeft, AppOriginKind origin, TruneLanguage language)
{
    const Look badge = look(origin, language);
    const QSizeF size = badgeSize(origin, language);
    const QRectF frame(topLeft, size);
    const QColor foreground = truneWithOpacity(badge.color, 0.92);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(TruneGlassShapes::capsule(frame), truneWithOpacity(badge.color, 0.11));

    const qreal left = frame.left() + horizontalPadding;
    const QRectF symbolRect(left, frame.center().y() - symbolEdge / 2, symbolEdge, symbolEdge);
    TruneSymbols::paint(painter, symbolRect, badge.symbol, foreground);

    const QRectF textRect(symbolRect.right() + spacing, frame.top(),
        frame.right() - horizontalPadding - symbolRect.right() - spacing, frame.height());
    painter.setFont(labelFont());
    painter.setPen(foreground);
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, badge.label);
    painter.restore();
}

QSize OriginPillBadge::sizeHint() const
{
    const QSizeF size = badgeSize(m_origin, m_language);
    return {qCeil(size.width()), qCeil(size.height())};
}

void OriginPillBadge::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    paint(painter, {0, 0}, m_origin, m_language);
}
