#pragma once

#include <QPersistentModelIndex>
#include <QStyledItemDelegate>

#include <memory>

class TruneGlassButton;

// Paints a row of the ignored identifiers' list (IgnoredAppsListModel) and answers clicks on its
// "Restore" button: the identifier cut in the middle (the whole of it is the tooltip) and the
// button at the right, each row followed by a gap. The keyboard's current row wears a ring.
class IgnoredAppRowDelegate final : public QStyledItemDelegate {
    Q_OBJECT

public:
    static constexpr int rowGap = 6;

    explicit IgnoredAppRowDelegate(QAbstractItemView& view);
    ~IgnoredAppRowDelegate() override;

    // The button's text, in the interface language.
    void setRestoreText(const QString& text);
    // Where the button of the row with rectangle `row` (in its view) stands.
    QRectF restoreRect(const QRect& row) const;
    // The height of a row without its gap.
    int rowHeight() const;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
        const QModelIndex& index) override;

signals:
    void restoreRequested(const QString& bundleID);

protected:
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
        const QModelIndex& index) override;

private:
    QRectF identifierRect(const QRect& row) const;
    QString shownIdentifier(const QModelIndex& index, qreal width) const;

    QAbstractItemView& m_view;
    // Wears the glass button look for the painted buttons; it is held down while the row's button is.
    std::unique_ptr<TruneGlassButton> m_restoreLook;
    QPersistentModelIndex m_pressed;
};
