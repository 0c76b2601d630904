#include "kit/ui/TruneAdaptiveGridLayout.h"

#include <QStyle>
#include <QWidget>

#include <algorithm>

namespace {

int itemHeight(const QLayoutItem& item, int width)
{
    const int height = item.hasHeightForWidth() ? item.heightForWidth(width) : item.sizeHint().height();
    return std::clamp(
        height, item.minimumSize().height(), std::max(item.minimumSize().height(), item.maximumSize().height()));
}

// A grid whose numbers can be divided by: items at least 1 wide, no negative spacing.
TruneAdaptiveGrid sane(TruneAdaptiveGrid grid)
{
    grid.minimumItemWidth = std::max(grid.minimumItemWidth, 1);
    grid.columnSpacing = std::max(grid.columnSpacing, 0);
    grid.rowSpacing = std::max(grid.rowSpacing, 0);
    return grid;
}

} // namespace

TruneAdaptiveGridColumns truneAdaptiveGridColumns(const TruneAdaptiveGrid& unchecked, int width)
{
    const TruneAdaptiveGrid grid = sane(unchecked);
    const int minimum = grid.minimumItemWidth;
    const int spacing = grid.columnSpacing;
    const int count = std::max(1, (width + spacing) / (minimum + spacing));
    int itemWidth = std::max(minimum, (width - (count - 1) * spacing) / count);
    if (grid.maximumItemWidth)
        itemWidth = std::max(minimum, std::min(itemWidth, *grid.maximumItemWidth));
    const int used = count * itemWidth + (count - 1) * spacing;
    return {.count = count, .itemWidth = itemWidth, .leadingOffset = std::max(0, (width - used) / 2)};
}

TruneAdaptiveGridLayout::TruneAdaptiveGridLayout(TruneAdaptiveGrid grid, QWidget* parent)
    : QLayout(parent)
    , m_grid(sane(grid))
{
}

TruneAdaptiveGridLayout::~TruneAdaptiveGridLayout()
{
    qDeleteAll(m_items);
}

void TruneAdaptiveGridLayout::setGrid(const TruneAdaptiveGrid& grid)
{
    if (sane(grid) == m_grid)
        return;
    m_grid = sane(grid);
    invalidate();
}

void TruneAdaptiveGridLayout::addItem(QLayoutItem* item)
{
    m_items.append(item);
    invalidate();
}

int TruneAdaptiveGridLayout::count() const
{
    return static_cast<int>(m_items.size());
}

QLayoutItem* TruneAdaptiveGridLayout::itemAt(int index) const
{
    return index >= 0 && index < m_items.size() ? m_items.at(index) : nullptr;
}

QLayoutItem* TruneAdaptiveGridLayout::takeAt(int index)
{
    if (index < 0 || index >= m_items.size())
        return nullptr;
    QLayoutItem* item = m_items.takeAt(index);
    invalidate();
    return item;
}

Qt::Orientations TruneAdaptiveGridLayout::expandingDirections() const
{
    return Qt::Horizontal;
}

bool TruneAdaptiveGridLayout::hasHeightForWidth() const
{
    return true;
}

int TruneAdaptiveGridLayout::heightForWidth(int width) const
{
    return arrange(QRect(0, 0, width, 0), false);
}

QSize TruneAdaptiveGridLayout::sizeHint() const
{
    return minimumSize().expandedTo({minimumSize().width(), heightForWidth(minimumSize().width())});
}

QSize TruneAdaptiveGridLayout::minimumSize() const
{
    int tallest = 0;
    for (const QLayoutItem* item : m_items) {
        if (!item->isEmpty())
            tallest = std::max(tallest, item->minimumSize().height());
    }
    const QMargins margins = contentsMargins();
    return QSize(m_grid.minimumItemWidth, tallest).grownBy(margins);
}

void TruneAdaptiveGridLayout::setGeometry(const QRect& rect)
{
    QLayout::setGeometry(rect);
    arrange(rect, true);
}

int TruneAdaptiveGridLayout::arrange(const QRect& rect, bool apply) const
{
    const QRect area = rect.marginsRemoved(contentsMargins());
    const TruneAdaptiveGridColumns columns = truneAdaptiveGridColumns(m_grid, area.width());
    QList<QLayoutItem*> shown;
    for (QLayoutItem* item : m_items) {
        if (!item->isEmpty())
            shown.append(item);
    }

    const bool rightToLeft = parentWidget() && parentWidget()->isRightToLeft();
    int top = area.top();
    for (qsizetype rowStart = 0; rowStart < shown.size(); rowStart += columns.count) {
        const auto row = shown.mid(rowStart, columns.count);
        int rowHeight = 0;
        for (const QLayoutItem* item : row)
            rowHeight = std::max(rowHeight, itemHeight(*item, columns.itemWidth));
        if (apply) {
            for (qsizetype column = 0; column < row.size(); ++column) {
                const int x = area.left() + columns.leadingOffset
                    + static_cast<int>(column) * (columns.itemWidth + m_grid.columnSpacing);
                const QRect cell(x, top, columns.itemWidth, rowHeight);
                row.at(column)->setGeometry(rightToLeft ? QStyle::visualRect(Qt::RightToLeft, area, cell) : cell);
            }
        }
        top += rowHeight + m_grid.rowSpacing;
    }
    const int contentHeight = shown.isEmpty() ? 0 : top - m_grid.rowSpacing - area.top();
    return contentHeight + contentsMargins().top() + contentsMargins().bottom();
}
