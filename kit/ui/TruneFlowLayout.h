#pragma once

#include <QLayout>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>

#include <optional>

// Lays its items out left to right at their preferred sizes, starting a new row when the next
// item would not fit. The first item of a row never wraps, however wide it is. Measuring wraps
// exactly at the available width; placing lets an item overflow the bounds by half a pixel, so
// rounding never pushes an item that was measured into a row out of it.
class TruneFlowLayout final : public QLayout {
    Q_OBJECT

public:
    explicit TruneFlowLayout(qreal spacing = 8, qreal lineSpacing = 8, QWidget* parent = nullptr);
    ~TruneFlowLayout() override;

    qreal itemSpacing() const { return m_spacing; }
    void setItemSpacing(qreal spacing);
    qreal lineSpacing() const { return m_lineSpacing; }
    void setLineSpacing(qreal lineSpacing);

    // The size the items need at `sizes`: the proposed width when there is one (else the widest
    // row) by the height of all rows. Without a proposal every item sits on one row.
    static QSizeF sizeThatFits(
        const QList<QSizeF>& sizes, qreal spacing, qreal lineSpacing, std::optional<qreal> proposedWidth);
    // The top-left corner of each item placed inside `bounds`.
    static QList<QPointF> placements(
        const QList<QSizeF>& sizes, const QRectF& bounds, qreal spacing, qreal lineSpacing);

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
    QList<QLayoutItem*> shownItems() const;
    static QList<QSizeF> idealSizes(const QList<QLayoutItem*>& items);

    QList<QLayoutItem*> m_items;
    qreal m_spacing;
    qreal m_lineSpacing;
};
