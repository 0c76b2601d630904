#pragma once

#include "kit/localization/TruneLanguage.h"

#include <QColor>
#include <QStyledItemDelegate>

#include <memory>

class TruneGlassButton;

// Paints the rows of the leftover inspector (LeftoverListModel) and hit-tests their two buttons:
// a category header (its title in the accent colour, its count on the right), or one leftover
// with its checkbox, name, short category tag (flat lists), full path cut in the middle, size and
// reveal button, over a hairline. A click on a button is announced through buttonClicked, for the
// view to act on; only the checkbox toggles the selection.
class LeftoverRowDelegate final : public QStyledItemDelegate {
    Q_OBJECT

public:
    enum class RowButton { checkbox, reveal };

    LeftoverRowDelegate(const QColor& accent, QObject* parent = nullptr);
    ~LeftoverRowDelegate() override;

    // Where an item row of `row` (the row's rectangle in its view) has its checkbox and its reveal
    // button.
    QRectF checkboxRect(const QRect& row) const;
    QRectF revealRect(const QRect& row) const;

    // The language of the reveal buttons' hint, set by the view from its state.
    void setLanguage(TruneLanguage language) { m_language = language; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
        const QModelIndex& index) override;

signals:
    void buttonClicked(LeftoverRowDelegate::RowButton button, int row);

protected:
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
        const QModelIndex& index) override;

private:
    void paintHeader(QPainter& painter, const QRectF& row, const QModelIndex& index) const;
    void paintItem(QPainter& painter, const QStyleOptionViewItem& option, const QModelIndex& index) const;

    QColor m_accent;
    TruneLanguage m_language = TruneLanguage::en;
    // Wears the glass button look for the reveal buttons, which are painted, not widgets.
    std::unique_ptr<TruneGlassButton> m_revealLook;
};
