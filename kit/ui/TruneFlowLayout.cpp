#include "kit/ui/TruneFlowLayout.h"

#include <QWidget>

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

constexpr qreal placementOverflow = 0.5;

int roundedUp(qreal value)
{
    return static_cast<int>(std::ceil(value));
}

} // namespace

TruneFlowLayout::TruneFlowLayout(qreal spacing, qreal lineSpacing, QWidget* parent)
    : QLayout(parent)
    , m_spacing(spacing)
    , m_lineSpacing(lineSpacing)
{
}

TruneFlowLayout::~TruneFlowLayout()
{
    qDeleteAll(m_items);
}

void TruneFlowLayout::setItemSpacing(qreal spacing)
{
    m_spacing = spacing;
    invalidate();
}

void TruneFlowLayout::setLineSpacing(qreal lineSpacing)
{
    m_lineSpacing = lineSpacing;
    invalidate();
}

QSizeF TruneFlowLayout::sizeThatFits(
    const QList<QSizeF>& sizes, qreal spacing, qreal lineSpacing, std::optional<qreal> proposedWidth)
{
    const qreal available = proposedWidth.value_or(std::numeric_limits<qreal>::infinity());
    qreal x = 0;
    qreal rowHeight = 0;
    qreal finishedRows = 0;
    qreal widestRow = 0;
    for (const QSizeF& size : sizes) {
        if (x > 0 && x + size.width() > available) {
            finishedRows += rowHeight + lineSpacing;
            rowHeight = 0;
            x = 0;
        }
        widestRow = std::max(widestRow, x + size.width());
        x += size.width() + spacing;
        rowHeight = std::max(rowHeight, size.height());
    }
    const qreal width = std::isfinite(available) ? available : widestRow;
    return {width, finishedRows + rowHeight};
}

QList<QPointF> TruneFlowLayout::placements(
    const QList<QSizeF>& sizes, const QRectF& bounds, qreal spacing, qreal lineSpacing)
{
    QList<QPointF> corners;
    corners.reserve(sizes.size());
    qreal x = bounds.left();
    qreal y = bounds.top();
    qreal rowHeight = 0;
    for (const QSizeF& size : sizes) {
        if (x > bounds.left() && x + size.width() > bounds.right() + placementOverflow) {
            y += rowHeight + lineSpacing;
            x = bounds.left();
            rowHeight = 0;
        }
        corners.append({x, y});
        x += size.width() + spacing;
        rowHeight = std::max(rowHeight, size.height());
    }
    return corners;
}

void TruneFlowLayout::addItem(QLayoutItem* item)
{
    m_items.append(item);
    invalidate();
}

int TruneFlowLayout::count() const
{
    return static_cast<int>(m_items.size());
}

QLayoutItem* TruneFlowLayout::itemAt(int index) const
{
    return m_items.value(index);
}

QLayoutItem* TruneFlowLayout::takeAt(int index)
{
    if (index < 0 || index >= m_items.size())
        return nullptr;
    QLayoutItem* item = m_items.takeAt(index);
    invalidate();
    return item;
}

Qt::Orientations TruneFlowLayout::expandingDirections() const
{
    return {};
}

bool TruneFlowLayout::hasHeightForWidth() const
{
    return true;
}

int TruneFlowLayout::heightForWidth(int width) const
{
    const QMargins margins = contentsMargins();
    const qreal inner = std::max(0, width - margins.left() - margins.right());
    const QSizeF needed = sizeThatFits(idealSizes(shownItems()), m_spacing, m_lineSpacing, inner);
    return roundedUp(needed.height()) + margins.top() + margins.bottom();
}

QSize TruneFlowLayout::sizeHint() const
{
    const QMargins margins = contentsMargins();
    const QSizeF oneRow = sizeThatFits(idealSizes(shownItems()), m_spacing, m_lineSpacing, std::nullopt);
    return QSize(roundedUp(oneRow.width()), roundedUp(oneRow.height())).grownBy(margins);
}

// Room for the largest item; the height at a given width comes from heightForWidth.
QSize TruneFlowLayout::minimumSize() const
{
    QSizeF largest;
    for (const QSizeF& size : idealSizes(shownItems()))
        largest = largest.expandedTo(size);
    return QSize(roundedUp(largest.width()), roundedUp(largest.height())).grownBy(contentsMargins());
}

void TruneFlowLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    const QList<QLayoutItem*> items = shownItems();
    const QList<QSizeF> sizes = idealSizes(items);
    const QList<QPointF> corners = placements(sizes, QRectF(contentsRect()), m_spacing, m_lineSpacing);
    for (qsizetype i = 0; i < items.size(); ++i)
        items[i]->setGeometry(QRectF(corners[i], sizes[i]).toRect());
}

QList<QLayoutItem*> TruneFlowLayout::shownItems() const
{
    QList<QLayoutItem*> shown;
    std::copy_if(m_items.begin(), m_items.end(), std::back_inserter(shown),
        [](const QLayoutItem* item) { return !item->isEmpty(); });
    return shown;
}

QList<QSizeF> TruneFlowLayout::idealSizes(const QList<QLayoutItem*>& items)
{
    QList<QSizeF> sizes;
    sizes.reserve(items.size());
    for (const QLayoutItem* item : items)
        sizes.append(QSizeF(item->sizeHint()));
    return sizes;
}
