#include "app/views/parts/FilterChipButton.h"

#include "app/views/parts/UpdateHoverState.h"
#include "kit/ui/TruneAnimations.h"
#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassShapes.h"
#include "kit/ui/TruneGlassTokens.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QVariantAnimation>

#include <cmath>

namespace {

constexpr qreal horizontalPadding = 10;
constexpr qreal verticalPadding = 5;
constexpr qreal fontPx = 11.5;
constexpr qreal borderWidth = 0.5;

QColor mixed(const QColor& from, const QColor& to, qreal progress)
{
    const auto mix = [&](float a, float b) { return a + (b - a) * static_cast<float>(progress); };
    return QColor::fromRgbF(mix(from.redF(), to.redF()), mix(from.greenF(), to.greenF()), mix(from.blueF(), to.blueF()),
        mix(from.alphaF(), to.alphaF()));
}

} // namespace

FilterChipButton::FilterChipButton(const QString& title, const QColor& accent, QWidget* parent)
    : QAbstractButton(parent)
    , m_accent(accent)
    , m_hover(new UpdateHoverState(this))
    , m_hoverAnimation(new QVariantAnimation(this))
{
    setText(title);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    applyFont();
    connect(m_hoverAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_hoverProgress = value.toReal();
        update();
    });
    connect(m_hover, &UpdateHoverState::hoveredChanged, this, [this](bool hovered) {
        TruneAnimations::run(*m_hoverAnimation, TruneAnimations::hover(), hovered ? 1.0 : 0.0);
    });
}

void FilterChipButton::setActive(bool isActive)
{
    if (isActive == m_isActive)
        return;
    m_isActive = isActive;
    applyFont();
    update();
}

void FilterChipButton::setTitle(const QString& title)
{
    if (title == text())
        return;
    setText(title);
    updateGeometry();
}

// The active chip's semibold title is a little wider: the chip grows with it, as the text does.
void FilterChipButton::applyFont()
{
    setFont(truneFont(fontPx, m_isActive ? QFont::DemiBold : QFont::Medium));
    updateGeometry();
}

QSize FilterChipButton::sizeHint() const
{
    const QFontMetricsF metrics(font());
    return {static_cast<int>(std::ceil(metrics.horizontalAdvance(text()) + 2 * horizontalPadding)),
        static_cast<int>(std::ceil(metrics.height() + 2 * verticalPadding))};
}

void FilterChipButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF bounds = QRectF(rect());
    const QPainterPath capsule = TruneGlassShapes::capsule(bounds);
    QColor textColor;
    if (m_isActive) {
        painter.fillPath(capsule, truneColor(m_accent.rgb(), 0.22));
        QPen border(truneColor(m_accent.rgb(), 0.5), borderWidth);
        painter.strokePath(TruneGlassShapes::capsule(
                               bounds.adjusted(borderWidth / 2, borderWidth / 2, -borderWidth / 2, -borderWidth / 2)),
            border);
        textColor = Qt::white;
    } else {
        painter.fillPath(capsule, truneColor(0xFFFFFF, 0.07 * m_hoverProgress));
        textColor = mixed(TruneGlassTokens::textSecondary(), TruneGlassTokens::textPrimary(), m_hoverProgress);
    }
    painter.setFont(font());
    painter.setPen(textColor);
    painter.drawText(bounds, Qt::AlignCenter | Qt::TextSingleLine, text());
    if (TruneGlassShapes::showsFocusRing(*this))
        TruneGlassShapes::paintFocusRing(painter, bounds, bounds.height() / 2, TruneGlassTokens::textPrimary());
}
