#pragma once

#include "app/models/AppsListModel.h"

#include <QColor>
#include <QMenu>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QStyledItemDelegate>

#include <memory>
#include <optional>

class QAbstractItemView;

class TruneGlassButton;
class TrunePrimaryButton;
class UpdateStudioViewModel;

// The buttons of an app row, from leading to trailing.
enum class AppRowButton { update, releaseNotes, uninstall, menu };

// Paints the rows of the Apps tab's list (an AppsListModel) and acts on their buttons: the icon,
// name, badges, identifier and size, the version (or installed → latest for an actionable
// update), Update or Download, release notes, uninstall, and the "..." menu, which opens as a
// QMenu at its button. With the keyboard, Left and Right pick a button of the current row and
// Return or Space presses it.
class AppRowDelegate final : public QStyledItemDelegate {
    Q_OBJECT

public:
    // Installed on `view`, whose model must be an AppsListModel; `accent` tints actionable rows.
    AppRowDelegate(UpdateStudioViewModel& viewModel, const QColor& accent, QAbstractItemView& view);
    ~AppRowDelegate() override;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
        const QModelIndex& index) override;

    // Where `button` of the row at `index` lies in the view's viewport; empty when the row has
    // no such button.
    QRect buttonRect(const QModelIndex& index, AppRowButton button) const;
    // Whether `button` of the row takes presses: Update waits while a Homebrew command runs.
    bool isButtonEnabled(const QModelIndex& index, AppRowButton button) const;
    // The "..." menu while it is open.
    QMenu* openMenu() const { return m_menu; }
    // The row's texts as painted, for checks: name, identifier, size, version column.
    QStringList paintedTexts(const QModelIndex& index) const;

protected:
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
        const QModelIndex& index) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Fonts;
    struct RowLayout;

    const AppsListRow* rowAt(const QModelIndex& index) const;
    RowLayout layout(const QRectF& rect, const AppsListRow& row) const;
    QString updateTitle(const AppsListRow& row) const;
    QString updateSymbol(const AppsListRow& row) const;
    bool isEnabled(const AppsListRow& row, AppRowButton button) const;

    void paintIdentity(QPainter& painter, const RowLayout& layout, const AppsListRow& row) const;
    void paintVersion(QPainter& painter, const RowLayout& layout, const AppsListRow& row) const;
    void paintButtons(
        QPainter& painter, const RowLayout& layout, const AppsListRow& row, const QModelIndex& index) const;

    void activate(const QModelIndex& index, AppRowButton button);
    void showMenu(const InstalledAppRecord& app, bool ignored, const QPoint& globalPos);
    bool handleKey(QKeyEvent& event);
    void setPressed(const QModelIndex& index, std::optional<AppRowButton> button);

    UpdateStudioViewModel& m_viewModel;
    QColor m_accent;
    QAbstractItemView& m_view;
    QPointer<QWidget> m_viewport;
    std::unique_ptr<Fonts> m_fonts;
    // Unshown buttons that lend the rows the kit's button looks.
    std::unique_ptr<TrunePrimaryButton> m_primaryStamp;
    std::unique_ptr<TruneGlassButton> m_glassStamp;

    QPersistentModelIndex m_pressedIndex;
    std::optional<AppRowButton> m_pressedButton;
    std::optional<AppRowButton> m_focusedButton; // of the current row, picked with the keyboard
    QPointer<QMenu> m_menu;
};
