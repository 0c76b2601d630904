#pragma once

#include <QColor>
#include <QStyledItemDelegate>

// Paints a row of the uninstaller's app picker (UninstallerAppListModel): the app's icon tile, its
// name, and under it its size and, in the date orders, its modification date; the target's row
// on an accent wash, every row over a hairline.
class UninstallerAppRowDelegate final : public QStyledItemDelegate {
    Q_OBJECT

public:
    UninstallerAppRowDelegate(const QColor& accent, QObject* parent = nullptr);

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    static constexpr qreal iconSize = 26;

private:
    QColor m_accent;
};
