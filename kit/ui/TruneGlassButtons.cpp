#include "kit/ui/TruneGlassButtons.h"

#include "kit/ui/TruneAnimations.h"
#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassShapes.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneSpinner.h"
#include "kit/ui/TruneSymbols.h"

#include <QEasingCurve>
#include <QFontMetricsF>
#include <QPainter>
#include <QVariantAnimation>

#include <cmath>

namespace {

struct ButtonLook {
    qreal horizontalPadding;
    qreal verticalPadding;
    qreal cornerRadius;
};

constexpr ButtonLook primaryLook{.horizontalPadding = 14, .verticalPadding = 7, .cornerRadius = 9};
constexpr ButtonLook glassLook{.horizontalPadding = 11, .verticalPadding = 6, .cornerRadius = 8};

constexpr double primaryRestingFill = 0.96;
constexpr double primaryPressedFill = 0.82;
constexpr qreal primaryPressedScale = 0.98;
constexpr double glassPressedOpacity = 0.78;
// A button that cannot be pressed fades, as the platform's disabled controls do.
constexpr double disabledOpacity = 0.45;

constexpr qreal symbolSpacing = 5;

// A symbol is drawn as tall as the text's capitals and descenders, the way a label's icon is.
qreal symbolSize(const QFontMetricsF& metrics)
{
    return std::round(metrics.ascent());
}

qreal symbolWidth(const QAbstractButton& button, const QString& symbol)
{
    if (symbol.isEmpty())
        return 0;
    const QFontMetricsF metrics(button.font());
    return symbolSize(metrics) + (button.text().isEmpty() ? 0 : symbolSpacing);
}

QSize labelSizeHint(const QAbstractButton& button, const ButtonLook& look, const QString& symbol = {})
{
    const QFontMetricsF metrics(button.font());
    const qreal content = symbolWidth(button, symbol) + metrics.horizontalAdvance(button.text());
    return {static_cast<int>(std::ceil(content + 2 * look.horizontalPadding)),
        static_cast<int>(std::ceil(metrics.height() + 2 * look.verticalPadding))};
}

bool insideShape(const QAbstractButton& button, const ButtonLook& look, const QPoint& pos)
{
    return TruneGlassShapes::roundedRect(QRectF(button.rect()), look.cornerRadius).contains(QPointF(pos));
}

QString shownText(const QAbstractButton& button, const ButtonLook& look, const QRectF& bounds, const QString& symbol)
{
    const QFontMetricsF metrics(button.font());
    const qreal room = bounds.width() - 2 * look.horizontalPadding - symbolWidth(button, symbol);
    return metrics.elidedText(button.text(), Qt::ElideRight, std::max<qreal>(0, room));
}

// Where the symbol before the text goes: the symbol and text are centred together.
QRectF symbolRect(const QAbstractButton& button, const QRectF& bounds, const ButtonLook& look, const QString& symbol)
{
    const QFontMetricsF metrics(button.font());
    const QRectF inner = bounds.adjusted(look.horizontalPadding, 0, -look.horizontalPadding, 0);
    const qreal size = symbolSize(metrics);
    const qreal content
        = symbolWidth(button, symbol) + metrics.horizontalAdvance(shownText(button, look, bounds, symbol));
    const qreal left = inner.left() + std::max<qreal>(0, (inner.width() - content) / 2);
    return {left, inner.center().y() - size / 2, size, size};
}

// The symbol and text centred on one line inside the padding, the text elided at the end when it
// does not fit. `slot` names the symbol whose room is kept; it is drawn only when `paintSymbol`.
void paintLabel(QPainter& painter, const QAbstractButton& button, const QRectF& bounds, const ButtonLook& look,
    const QColor& color, const QString& slot = {}, bool paintSymbol = true)
{
    const QFontMetricsF metrics(button.font());
    QRectF inner = bounds.adjusted(look.horizontalPadding, 0, -look.horizontalPadding, 0);
    const QString shown = shownText(button, look, bounds, slot);
    if (!slot.isEmpty()) {
        const QRectF symbolArea = symbolRect(button, bounds, look, slot);
        if (paintSymbol)
            TruneSymbols::paint(painter, symbolArea, slot, color);
        inner.setLeft(symbolArea.left() + symbolWidth(button, slot));
        inner.setWidth(metrics.horizontalAdvance(shown) + 1);
    }
    painter.setFont(button.font());
    painter.setPen(color);
    painter.drawText(inner, Qt::AlignCenter | Qt::TextSingleLine, shown);
}

void setUpButton(QAbstractButton& button, qreal fontPx, QFont::Weight weight)
{
    button.setFont(truneFont(fontPx, weight));
    // Reached with Tab, but a click does not take the focus, so no ring lingers after a click.
    button.setFocusPolicy(Qt::TabFocus);
    button.setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
}

} // namespace

TrunePrimaryButton::TrunePrimaryButton(const QString& text, QWidget* parent)
    : QAbstractButton(parent)
    , m_pressAnimation(new QVariantAnimation(this))
{
    setText(text);
    setUpButton(*this, 13, QFont::DemiBold);
    connect(m_pressAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_pressProgress = value.toReal();
        update();
    });
}

void TrunePrimaryButton::setSymbol(const QString& symbolName)
{
    if (symbolName == m_symbol)
        return;
    m_symbol = symbolName;
    updateGeometry();
    update();
}

void TrunePrimaryButton::setBusy(bool busy)
{
    if (busy == m_busy)
        return;
    m_busy = busy;
    if (busy && !m_spinner) {
        m_spinner = new TruneSpinner(TruneSpinnerSize::small, this);
        m_spinner->setAttribute(Qt::WA_TransparentForMouseEvents);
        QPalette palette = m_spinner->palette();
        palette.setColor(QPalette::WindowText, truneColor(0x000000, 0.9));
        m_spinner->setPalette(palette);
    }
    if (m_spinner) {
        placeBusyIndicator();
        m_spinner->setVisible(busy);
    }
    updateGeometry();
    update();
}

QWidget* TrunePrimaryButton::busyIndicator() const
{
    return m_spinner;
}

// Busy, the symbol's room holds the spinner; one is kept even without a symbol.
QString TrunePrimaryButton::leadingSlot() const
{
    if (m_busy && m_symbol.isEmpty())
        return QStringLiteral("progress.indicator");
    return m_symbol;
}

void TrunePrimaryButton::placeBusyIndicator()
{
    if (!m_spinner)
        return;
    const QRectF slot = symbolRect(*this, QRectF(rect()), primaryLook, leadingSlot());
    QRect area(QPoint(0, 0), m_spinner->sizeHint());
    area.moveCenter(slot.center().toPoint());
    if (m_spinner->geometry() != area)
        m_spinner->setGeometry(area);
}

QSize TrunePrimaryButton::sizeHint() const
{
    return TrunePrimaryButtonLook::sizeHint(*this, leadingSlot());
}

QSize TrunePrimaryButton::minimumSizeHint() const
{
    return {
        static_cast<int>(2 * primaryLook.horizontalPadding + symbolWidth(*this, leadingSlot())), sizeHint().height()};
}

bool TrunePrimaryButton::hitButton(const QPoint& pos) const
{
    return TrunePrimaryButtonLook::hitButton(*this, pos);
}

// Every change of the down state (mouse, keyboard or setDown) repaints, so painting is where the
// press is noticed and its animation started.
void TrunePrimaryButton::followDownState()
{
    if (isDown() == m_shownDown)
        return;
    m_shownDown = isDown();
    const qreal target = m_shownDown ? 1 : 0;
    m_pressAnimation->stop();
    if (!TruneAnimations::enabled()) {
        m_pressProgress = target;
        return;
    }
    const TruneAnimation timing = TruneAnimations::press();
    m_pressAnimation->setDuration(timing.durationMs);
    m_pressAnimation->setEasingCurve(timing.curve);
    m_pressAnimation->setStartValue(m_pressProgress);
    m_pressAnimation->setEndValue(target);
    m_pressAnimation->start();
}

void TrunePrimaryButton::paintEvent(QPaintEvent*)
{
    followDownState();
    QPainter painter(this);
    placeBusyIndicator();
    TrunePrimaryButtonLook::paint(painter, *this, m_pressProgress, leadingSlot(), !m_busy);
}

TruneGlassButton::TruneGlassButton(const QString& text, bool isActive, QWidget* parent)
    : QAbstractButton(parent)
    , m_isActive(isActive)
{
    setText(text);
    setUpButton(*this, 12.5, QFont::Medium);
}

void TruneGlassButton::setActive(bool isActive)
{
    if (isActive == m_isActive)
        return;
    m_isActive = isActive;
    update();
}

void TruneGlassButton::setSymbol(const QString& symbolName)
{
    if (symbolName == m_symbol)
        return;
    m_symbol = symbolName;
    updateGeometry();
    update();
}

QSize TruneGlassButton::sizeHint() const
{
    return TruneGlassButtonLook::sizeHint(*this, m_symbol);
}

QSize TruneGlassButton::minimumSizeHint() const
{
    return {static_cast<int>(2 * glassLook.horizontalPadding + symbolWidth(*this, m_symbol)), sizeHint().height()};
}

bool TruneGlassButton::hitButton(const QPoint& pos) const
{
    return TruneGlassButtonLook::hitButton(*this, pos);
}

void TruneGlassButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    TruneGlassButtonLook::paint(painter, *this, m_isActive, m_symbol);
}

namespace TruneGlassButtonLook {

QSize sizeHint(const QAbstractButton& button, const QString& symbol)
{
    return labelSizeHint(button, glassLook, symbol);
}

bool hitButton(const QAbstractButton& button, const QPoint& pos)
{
    return insideShape(button, glassLook, pos);
}

void paint(QPainter& painter, const QAbstractButton& button, bool isActive, const QString& symbol)
{
    painter.setRenderHint(QPainter::Antialiasing);
    if (!button.isEnabled())
        painter.setOpacity(disabledOpacity);
    else if (button.isDown())
        painter.setOpacity(glassPressedOpacity);
    const QRectF bounds = QRectF(button.rect());
    TruneGlassShapes::paintGlassShape(painter, bounds, glassLook.cornerRadius,
        isActive ? TruneGlassTokens::surface3() : TruneGlassTokens::surface2(),
        isActive ? TruneGlassTokens::borderStrong() : TruneGlassTokens::borderSubtle());
    paintLabel(painter, button, bounds, glassLook, TruneGlassTokens::textPrimary(), symbol);
    if (TruneGlassShapes::showsFocusRing(button))
        TruneGlassShapes::paintFocusRing(painter, bounds, glassLook.cornerRadius, TruneGlassTokens::textPrimary());
}

} // namespace TruneGlassButtonLook

namespace TrunePrimaryButtonLook {

QSize sizeHint(const QAbstractButton& button, const QString& symbol)
{
    return labelSizeHint(button, primaryLook, symbol);
}

bool hitButton(const QAbstractButton& button, const QPoint& pos)
{
    return insideShape(button, primaryLook, pos);
}

void paint(
    QPainter& painter, const QAbstractButton& button, qreal pressProgress, const QString& symbol, bool paintsSymbol)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (!button.isEnabled())
        painter.setOpacity(disabledOpacity);
    const QRectF bounds = QRectF(button.rect());

    const qreal scale = 1 - (1 - primaryPressedScale) * pressProgress;
    painter.translate(bounds.center());
    painter.scale(scale, scale);
    painter.translate(-bounds.center());

    const double fill = primaryRestingFill - (primaryRestingFill - primaryPressedFill) * pressProgress;
    painter.fillPath(TruneGlassShapes::roundedRect(bounds, primaryLook.cornerRadius), truneColor(0xFFFFFF, fill));
    paintLabel(painter, button, bounds, primaryLook, truneColor(0x000000, 0.9), symbol, paintsSymbol);
    if (TruneGlassShapes::showsFocusRing(button))
        TruneGlassShapes::paintFocusRing(painter, bounds, primaryLook.cornerRadius, truneColor(0x000000, 0.5));
    painter.restore();
}

} // namespace TrunePrimaryButtonLook
