#include "app/views/shell/SegmentedStudioTab.h"

#include "app/views/parts/UpdateHoverState.h"
#include "kit/ui/TruneAnimations.h"
#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassShapes.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneSymbols.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QVariantAnimation>

#include <cmath>

namespace {

constexpr qreal horizontalPadding = 10;
constexpr qreal verticalPadding = 5.5;
constexpr qreal spacing = 5.5;
constexpr qreal plateRadius = 7.5;
constexpr qreal badgeHorizontalPadding = 5;
constexpr qreal badgeVerticalPadding = 1;
constexpr qreal iconPx = 11;

QFont iconFont(bool active)
{
    return truneFont(iconPx, active ? QFont::DemiBold : QFont::Medium);
}

QFont titleFont(bool active)
{
    return truneFont(11.5, active ? QFont::DemiBold : QFont::Medium);
}

QFont badgeFont()
{
    return truneFont(9.5, QFont::Bold, TruneFontDesign::monospaced);
}

// A symbol of a font's size is as tall as its capitals and descenders.
qreal symbolSize(bool active)
{
    return std::round(QFontMetricsF(iconFont(active)).ascent());
}

QColor blend(const QColor& from, const QColor& to, qreal progress)
{
    const auto mix = [progress](float a, float b) { return a + (b - a) * static_cast<float>(progress); };
    return QColor::fromRgbF(mix(from.redF(), to.redF()), mix(from.greenF(), to.greenF()), mix(from.blueF(), to.blueF()),
        mix(from.alphaF(), to.alphaF()));
}

} // namespace

SegmentedStudioTab::SegmentedStudioTab(const QString& icon, const QString& title, const QColor& accent, QWidget* parent)
    : QAbstractButton(parent)
    , m_icon(icon)
    , m_accent(accent)
    , m_hover(new UpdateHoverState(this))
    , m_hoverAnimation(new QVariantAnimation(this))
{
    setText(title);
    setAccessibleName(title);
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    connect(m_hoverAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_hoverProgress = value.toReal();
        update();
    });
    connect(m_hover, &UpdateHoverState::hoveredChanged, this, [this](bool hovered) {
        TruneAnimations::run(*m_hoverAnimation, TruneAnimations::hover(), hovered ? 1.0 : 0.0);
    });
}

QString SegmentedStudioTab::badgeText() const
{
    return m_badgeCount >= 1 ? QString::number(m_badgeCount) : QString();
}

void SegmentedStudioTab::setTitle(const QString& title)
{
    if (title == text())
        return;
    setText(title);
    setAccessibleName(title);
    changed();
}

void SegmentedStudioTab::setBadgeCount(int count)
{
    if (count == m_badgeCount)
        return;
    m_badgeCount = count;
    changed();
}

void SegmentedStudioTab::setActive(bool active)
{
    if (active == m_isActive)
        return;
    m_isActive = active;
    changed();
}

void SegmentedStudioTab::changed()
{
    updateGeometry();
    update();
}

QSize SegmentedStudioTab::sizeHint() const
{
    const QFontMetricsF title(titleFont(m_isActive));
    qreal width = symbolSize(m_isActive) + spacing + title.horizontalAdvance(text());
    qreal height = std::max(symbolSize(m_isActive), title.height());
    if (!badgeText().isEmpty()) {
        const QFontMetricsF badge(badgeFont());
        width += spacing + badge.horizontalAdvance(badgeText()) + 2 * badgeHorizontalPadding;
        height = std::max(height, badge.height() + 2 * badgeVerticalPadding);
    }
    return {static_cast<int>(std::ceil(width + 2 * horizontalPadding)),
        static_cast<int>(std::ceil(height + 2 * verticalPadding))};
}

QSize SegmentedStudioTab::minimumSizeHint() const
{
    return sizeHint();
}

SegmentedStudioTab::Look SegmentedStudioTab::look() const
{
    if (m_isActive) {
        return {.icon = m_accent,
            .title = Qt::white,
            .plate = truneColor(0xFFFFFF, 0.12),
            .badgeText = truneColor(0x000000, 0.88),
            .badgeFill = m_accent};
    }
    return {.icon = blend(TruneGlassTokens::textSecondary(), TruneGlassTokens::textPrimary(), m_hoverProgress),
        .title = blend(TruneGlassTokens::textSecondary(), TruneGlassTokens::textPrimary(), m_hoverProgress),
        .plate = truneColor(0xFFFFFF, 0.05 * m_hoverProgress),
        .badgeText = m_accent,
        .badgeFill = truneWithOpacity(m_accent, 0.16)};
}

void SegmentedStudioTab::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const Look colours = look();
    const QRectF bounds(rect());
    if (colours.plate.alpha() > 0)
        painter.fillPath(TruneGlassShapes::roundedRect(bounds, plateRadius), colours.plate);

    const qreal centreY = bounds.center().y();
    qreal x = horizontalPadding;
    const qreal iconSize = symbolSize(m_isActive);
    TruneSymbols::paint(painter, QRectF(x, centreY - iconSize / 2, iconSize, iconSize), m_icon, colours.icon);
    x += iconSize + spacing;

    const QFont title = titleFont(m_isActive);
    const qreal titleWidth = QFontMetricsF(title).horizontalAdvance(text());
    painter.setFont(title);
    painter.setPen(colours.title);
    painter.drawText(QRectF(x, 0, titleWidth + 1, bounds.height()), Qt::AlignVCenter | Qt::AlignLeft, text());
    x += titleWidth + spacing;

    if (!badgeText().isEmpty()) {
        const QFontMetricsF badge(badgeFont());
        const QRectF capsule(x, centreY - badge.height() / 2 - badgeVerticalPadding,
            badge.horizontalAdvance(badgeText()) + 2 * badgeHorizontalPadding,
            badge.height() + 2 * badgeVerticalPadding);
        painter.fillPath(TruneGlassShapes::capsule(capsule), colours.badgeFill);
        painter.setFont(badgeFont());
        painter.setPen(colours.badgeText);
        painter.drawText(capsule, Qt::AlignCenter, badgeText());
    }
    if (TruneGlassShapes::showsFocusRing(*this))
        TruneGlassShapes::paintFocusRing(painter, bounds, plateRadius, TruneGlassTokens::textPrimary());
}
