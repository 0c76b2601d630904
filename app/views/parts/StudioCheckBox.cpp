#include "app/views/parts/StudioCheckBox.h"

#include "kit/ui/TruneGlassShapes.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneSymbols.h"

#include <QFontMetricsF>
#include <QPainter>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// The same square the leftover rows tick.
constexpr qreal boxSize = 15;
constexpr qreal textSpacing = 6;
constexpr qreal ringMargin = 3;

} // namespace

StudioCheckBox::StudioCheckBox(const QColor& accent, QWidget* parent)
    : QCheckBox(parent)
    , m_accent(accent)
{
    setFocusPolicy(Qt::TabFocus);
    setCursor(Qt::PointingHandCursor);
}

QSize StudioCheckBox::sizeHint() const
{
    const QFontMetricsF metrics(font());
    const qreal width = boxSize + textSpacing + metrics.horizontalAdvance(text()) + 2 * ringMargin;
    const qreal height = std::max(boxSize, metrics.height()) + 2 * ringMargin;
    return {int(std::ceil(width)), int(std::ceil(height))};
}

QSize StudioCheckBox::minimumSizeHint() const
{
    return sizeHint();
}

bool StudioCheckBox::hitButton(const QPoint& pos) const
{
    return rect().contains(pos);
}

void StudioCheckBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    if (!isEnabled())
        painter.setOpacity(0.45);
    const QRectF inner = QRectF(rect()).adjusted(ringMargin, ringMargin, -ringMargin, -ringMargin);
    const QRectF box(inner.left(), inner.center().y() - boxSize / 2, boxSize, boxSize);
    TruneSymbols::paint(painter, box, isChecked() ? u"checkmark.square.fill"_s : u"square"_s,
        isChecked() ? m_accent : TruneGlassTokens::textMuted());
    painter.setFont(font());
    painter.setPen(TruneGlassTokens::textPrimary());
    const QRectF textArea = inner.adjusted(boxSize + textSpacing, 0, 0, 0);
    painter.drawText(textArea, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextSingleLine,
        QFontMetricsF(font()).elidedText(text(), Qt::ElideRight, textArea.width()));
    if (TruneGlassShapes::showsFocusRing(*this))
        TruneGlassShapes::paintFocusRing(painter, QRectF(rect()), 6, TruneGlassTokens::textPrimary());
}
