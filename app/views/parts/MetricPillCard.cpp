#include "app/views/parts/MetricPillCard.h"

#include "kit/ui/TruneFont.h"
#include "kit/ui/TruneGlassShapes.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneSymbols.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

namespace {

constexpr qreal horizontalPadding = 12;
constexpr qreal verticalPadding = 10;
constexpr qreal spacing = 10;
constexpr qreal iconTileEdge = 30;
constexpr qreal iconTileRadius = 8;
// A symbol set in a 14 px font fills about a 16 px square.
constexpr qreal symbolEdge = 16;
constexpr qreal lineSpacing = 1.5;
constexpr qreal cornerRadius = 11;
constexpr qreal borderWidth = 0.5;

QFont valueFont()
{
    return truneFont(15.5, QFont::DemiBold, TruneFontDesign::rounded);
}

QFont titleFont()
{
    return truneFont(10.5);
}

// The value wraps at word boundaries, and inside a word only where one word alone is too wide.
int valueFlags(const QString& value, qreal width)
{
    constexpr int byWords = Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap;
    const QRectF wrapped = QFontMetricsF(valueFont()).boundingRect(QRectF(0, 0, width, 1e6), byWords, value);
    return wrapped.width() <= width + 0.01 ? byWords : Qt::AlignLeft | Qt::AlignTop | Qt::TextWrapAnywhere;
}

QRectF valueBounds(const QString& value, qreal width)
{
    return QFontMetricsF(valueFont()).boundingRect(QRectF(0, 0, width, 1e6), valueFlags(value, width), value);
}

} // namespace

MetricPillCard::MetricPillCard(
    const QString& title, const QString& value, const QString& icon, const QColor& tint, QWidget* parent)
    : QWidget(parent)
    , m_title(title)
    , m_value(value)
    , m_icon(icon)
    , m_tint(tint)
{
    QSizePolicy policy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    policy.setHeightForWidth(true);
    setSizePolicy(policy);
    setAccessibleName(m_value + u' ' + m_title);
}

void MetricPillCard::setTitle(const QString& title)
{
    if (title == m_title)
        return;
    m_title = title;
    contentChanged();
}

void MetricPillCard::setValue(const QString& value)
{
    if (value == m_value)
        return;
    m_value = value;
    contentChanged();
}

void MetricPillCard::setTint(const QColor& tint)
{
    if (tint == m_tint)
        return;
    m_tint = tint;
    update();
}

void MetricPillCard::contentChanged()
{
    setAccessibleName(m_value + u' ' + m_title);
    updateGeometry();
    update();
}

MetricPillCard::Layout MetricPillCard::layoutFor(qreal width) const
{
    Layout layout;
    const qreal textLeft = horizontalPadding + iconTileEdge + spacing;
    const qreal textWidth = std::max<qreal>(1, width - textLeft - horizontalPadding);
    const qreal valueHeight = std::ceil(valueBounds(m_value, textWidth).height());
    const qreal titleHeight = std::ceil(QFontMetricsF(titleFont()).height());
    const qreal textHeight = valueHeight + lineSpacing + titleHeight;
    const qreal contentHeight = std::max(iconTileEdge, textHeight);
    layout.height = verticalPadding * 2 + contentHeight;
    const qreal centreY = layout.height / 2;
    layout.iconTile = QRectF(horizontalPadding, centreY - iconTileEdge / 2, iconTileEdge, iconTileEdge);
    const qreal textTop = centreY - textHeight / 2;
    layout.value = QRectF(textLeft, textTop, textWidth, valueHeight);
    layout.title = QRectF(textLeft, textTop + valueHeight + lineSpacing, textWidth, titleHeight);
    return layout;
}

QString MetricPillCard::displayedTitle() const
{
    return QFontMetricsF(titleFont()).elidedText(m_title, Qt::ElideRight, layoutFor(width()).title.width());
}

int MetricPillCard::valueLineCount() const
{
    const qreal lineHeight = QFontMetricsF(valueFont()).lineSpacing();
    return qRound(layoutFor(width()).value.height() / lineHeight);
}

QSize MetricPillCard::sizeHint() const
{
    constexpr int preferredWidth = 200;
    return {preferredWidth, heightForWidth(preferredWidth)};
}

int MetricPillCard::heightForWidth(int width) const
{
    return qCeil(layoutFor(width).height);
}

void MetricPillCard::paintEvent(QPaintEvent*)
{
    const Layout layout = layoutFor(width());
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    TruneGlassShapes::paintGlassShape(painter, QRectF(rect()), cornerRadius, TruneGlassTokens::surface1(),
        truneWithOpacity(TruneGlassTokens::borderSubtle(), 0.65), borderWidth);
    // A row of cards may make this one taller than it needs: its content stays centred.
    painter.translate(0, std::max<qreal>(0, (height() - layout.height) / 2));

    painter.fillPath(TruneGlassShapes::roundedRect(layout.iconTile, iconTileRadius), truneWithOpacity(m_tint, 0.12));
    const QRectF symbolRect(
        layout.iconTile.center() - QPointF(symbolEdge / 2, symbolEdge / 2), QSizeF(symbolEdge, symbolEdge));
    TruneSymbols::paint(painter, symbolRect, m_icon, truneWithOpacity(m_tint, 0.92));

    painter.setFont(valueFont());
    painter.setPen(TruneGlassTokens::textPrimary());
    painter.drawText(layout.value, valueFlags(m_value, layout.value.width()), m_value);

    painter.setFont(titleFont());
    painter.setPen(TruneGlassTokens::textMuted());
    painter.drawText(layout.title, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, displayedTitle());
}
