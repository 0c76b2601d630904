#pragma once

#include <QLayout>
#include <QList>

#include <optional>

// How an adaptive grid fits its columns into a width.
struct TruneAdaptiveGrid {
    int minimumItemWidth = 0;
    std::optional<int> maximumItemWidth;
    int columnSpacing = 0;
    int rowSpacing = 0;

    bool operator==(const TruneAdaptiveGrid&) const = default;
};

// Where the columns of an adaptive grid stand within a width.
struct TruneAdaptiveGridColumns {
    int count = 1;
    int itemWidth = 0;
    // From the start of the width to the first column: half of what the columns leave over.
    int leadingOffset = 0;

    bool operator==(const TruneAdaptiveGridColumns&) const = default;
};

// As many columns as fit at the minimum item width: max(1, floor((W + s) / (min + s))). The items
// share the width, up to the maximum item width, and the columns are centred in the width. Items
// never get narrower than the minimum; a width below it is overflowed, not squeezed.
TruneAdaptiveGridColumns truneAdaptiveGridColumns(const TruneAdaptiveGrid& grid, int width);

// Lays its items out in rows of as many equal columns as the width allows (see
// truneAdaptiveGridColumns), left to right in reading order. A row is as tall as its tallest item
// at the column width; items fill their cell up to their maximum size. Hidden items take no cell.
class TruneAdaptiveGridLayout final : public QLayout {
    Q_OBJECT

public:
    explicit TruneAdaptiveGridLayout(TruneAdaptiveGrid grid, QWidget* parent = nullptr);
    ~TruneAdaptiveGridLayout() override;

    const TruneAdaptiveGrid& grid() const { return m_grid; }
    void setGrid(const TruneAdaptiveGrid& grid);

    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;

    Qt::Orientations expandingDirections() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

private:
    // Places the items in `rect` (only when `apply`) and returns the height they take.
    int arrange(const QRect& rect, bool apply) const;

    TruneAdaptiveGrid m_grid;
    QList<QLayoutItem*> m_items;
};
