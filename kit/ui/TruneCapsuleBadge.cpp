#include "kit/ui/TruneCapsuleBadge.h"

#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassShapes.h"
#include "kit/ui/TruneSymbols.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace {

// A symbol stands as tall as its font's capitals and descenders, as the glass buttons draw it.
qreal symbolSide(const TruneCapsuleStyle& style)
{
    const QFont font = style.symbolPointSize > 0 ? truneFont(style.symbolPointSize, style.font.weight()) : style.font;
    return std::round(QFontMetricsF(font).ascent());
}

qreal symbolWidth(const TruneCapsuleStyle& style, const QString& symbol, const QString& text)
{
    if (symbol.isEmpty())
        return 0;
    return symbolSide(style) + (text.isEmpty() ? 0 : style.spacing);
}

qreal contentHeight(const TruneCapsuleStyle& style, const QString& symbol)
{
    const qreal textHeight = QFontMetricsF(style.font).height();
    return symbol.isEmpty() ? textHeight : std::max(textHeight, symbolSide(style));
}

} // namespace

namespace TruneCapsuleLook {

QSizeF sizeHint(const TruneCapsuleStyle& style, const QString& symbol, const QString& text)
{
    const qreal content = symbolWidth(style, symbol, text) + QFontMetricsF(style.font).horizontalAdvance(text);
    return {content + 2 * style.horizontalPadding, contentHeight(style, symbol) + 2 * style.verticalPadding};
}

void paint(
    QPainter& painter, const QRectF& rect, const TruneCapsuleStyle& style, const QString& symbol, const QString& text)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    if (style.fill.alpha() > 0 || style.border.alpha() > 0)
        TruneGlassShapes::paintGlassShape(painter, rect, TruneGlassShapes::capsuleRadius, style.fill, style.border);

    const QFontMetricsF metrics(style.font);
    const QRectF inner = rect.adjusted(style.horizontalPadding, 0, -style.horizontalPadding, 0);
    const qreal symbolRoom = symbolWidth(style, symbol, text);
    const QString shown = metrics.elidedText(text, Qt::ElideRight, std::max<qreal>(0, inner.width() - symbolRoom));
    const qreal contentWidth = symbolRoom + metrics.horizontalAdvance(shown);
    qreal left = inner.left() + std::max<qreal>(0, (inner.width() - contentWidth) / 2);
    if (!symbol.isEmpty()) {
        const qreal side = symbolSide(style);
        TruneSymbols::paint(painter, QRectF(left, inner.center().y() - side / 2, side, side), symbol,
            style.symbolColor.isValid() ? style.symbolColor : style.content);
        left += symbolRoom;
    }
    if (!shown.isEmpty()) {
        painter.setFont(style.font);
        painter.setPen(style.content);
        painter.drawText(QRectF(left, inner.top(), metrics.horizontalAdvance(shown) + 1, inner.height()),
            Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
    }
    painter.restore();
}

} // namespace TruneCapsuleLook

TruneCapsuleBadge::TruneCapsuleBadge(
    const TruneCapsuleStyle& style, const QString& symbol, const QString& text, QWidget* parent)
    : QWidget(parent)
    , m_style(style)
    , m_symbol(symbol)
    , m_text(text)
{
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    setAccessibleName(text);
}

void TruneCapsuleBadge::setCapsuleStyle(const TruneCapsuleStyle& style)
{
    if (style == m_style)
        return;
    m_style = style;
    updateGeometry();
    update();
}

void TruneCapsuleBadge::setSymbol(const QString& symbol)
{
    if (symbol == m_symbol)
        return;
    m_symbol = symbol;
    updateGeometry();
    update();
}

void TruneCapsuleBadge::setText(const QString& text)
{
    if (text == m_text)
        return;
    m_text = text;
    setAccessibleName(text);
    updateGeometry();
    update();
}

QSize TruneCapsuleBadge::sizeHint() const
{
    const QSizeF size = TruneCapsuleLook::sizeHint(m_style, m_symbol, m_text);
    return {static_cast<int>(std::ceil(size.width())), static_cast<int>(std::ceil(size.height()))};
}

QSize TruneCapsuleBadge::minimumSizeHint() const
{
    if (sizePolicy().horizontalPolicy() == QSizePolicy::Fixed)
        return sizeHint();
    const QSizeF bare = TruneCapsuleLook::sizeHint(m_style, m_symbol, QString());
    return {static_cast<int>(std::ceil(bare.width())), sizeHint().height()};
}

void TruneCapsuleBadge::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    TruneCapsuleLook::paint(painter, QRectF(rect()), m_style, m_symbol, m_text);
}
