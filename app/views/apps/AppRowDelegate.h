#pragma once

#include "app/models/AppsListModel.h"
#include "kit/localization/TruneLanguage.h"

#include <QCache>
#include <QColor>
#include <QImage>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QStyledItemDelegate>

#include <memory>
#include <optional>

class QAbstractItemView;

class TruneGlassButton;
class TrunePrimaryButton;

// The buttons of an app row, from leading to trailing.
enum class AppRowButton { update, releaseNotes, uninstall, menu };

// Paints the rows of the Apps tab's list (an AppsListModel): the icon, name, badges, identifier
// and size, the version (or installed → latest for an actionable update), Update or Download,
// release notes, uninstall, and the "..." menu button. A click released on the button it pressed
// is announced through buttonClicked, for the view to act on. With the keyboard, Left and Right
// pick a button of the current row and Return or Space presses it.
//
// Each row is painted once into a picture that later frames copy (a scrolled list paints every
// row in view on each step), until anything it was painted from changes: the row's data, the
// language, the row's width, the pixel density, the icon, the current, pressed or focused state.
// The pictures kept cover a few views' worth of rows.
class AppRowDelegate final : public QStyledItemDelegate {
    Q_OBJECT

public:
    // Installed on `view`, whose model must be an AppsListModel; `accent` tints actionable rows.
    AppRowDelegate(const QColor& accent, QAbstractItemView& view);
    ~AppRowDelegate() override;

    // What the rows show besides their own data, set by the view from its state: the language of
    // their texts, and whether a Homebrew command runs (Update of a cask then waits).
    void setLanguage(TruneLanguage language);
    void setBrewCommandRunning(bool running);

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
        const QModelIndex& index) override;

    // Where `button` of the row at `index` lies in the view's viewport; empty when the row has
    // no such button.
    QRect buttonRect(const QModelIndex& index, AppRowButton button) const;
    // Whether `button` of the row takes presses: Update waits while a Homebrew command runs.
    bool isButtonEnabled(const QModelIndex& index, AppRowButton button) const;
    // The row's texts as painted, for checks: name, identifier, size, version column.
    QStringList paintedTexts(const QModelIndex& index) const;

signals:
    void buttonClicked(AppRowButton button, int row);

protected:
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
        const QModelIndex& index) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    struct Fonts;
    struct RowLayout;
    struct RowLook;
    struct PaintedRow;
    struct RowPicture;

    const AppsListRow* rowAt(const QModelIndex& index) const;
    void repaintRowsShowing(const QString& appPath);
    bool pictureShowsCurrentIcon(const AppsListRow& row) const;
    RowLayout layout(const QRectF& rect, const AppsListRow& row) const;
    qreal placeButtons(RowLayout& out, const QRectF& content, const AppsListRow& row) const;
    void placeVersion(RowLayout& out, const QRectF& content, qreal right, const AppsListRow& row) const;
    void placeIdentity(RowLayout& out, const QRectF& content, qreal right, const AppsListRow& row) const;
    void placeNameLine(RowLayout& out, qreal centreY, const AppsListRow& row) const;
    void placeDetailLine(RowLayout& out, qreal top, const AppsListRow& row) const;
    QString text(const QString& english, const QString& turkish) const;
    QString ignoredText() const;
    QString updateTitle(const AppsListRow& row) const;
    QString updateSymbol(const AppsListRow& row) const;
    bool isEnabled(const AppsListRow& row, AppRowButton button) const;

    RowLook lookOf(const AppsListRow& row, const QModelIndex& index, QSize size, qreal devicePixelRatio) const;
    PaintedRow rowPicture(const AppsListRow& row, const QModelIndex& index, QSize size, qreal devicePixelRatio) const;
    void paintRow(QPainter& painter, const RowLook& look) const;
    void paintIdentity(QPainter& painter, const RowLayout& layout, const AppsListRow& row) const;
    void paintVersion(QPainter& painter, const RowLayout& layout, const AppsListRow& row) const;
    void paintButtons(QPainter& painter, const RowLayout& layout, const RowLook& look) const;

    void activate(const QModelIndex& index, AppRowButton button);
    bool handleKey(QKeyEvent& event);
    void setPressed(const QModelIndex& index, std::optional<AppRowButton> button);

    QColor m_accent;
    TruneLanguage m_language = TruneLanguage::en;
    bool m_brewCommandRunning = false;
    QAbstractItemView& m_view;
    QPointer<QWidget> m_viewport;
    std::unique_ptr<Fonts> m_fonts;
    // Unshown buttons that lend the rows the kit's button looks.
    std::unique_ptr<TrunePrimaryButton> m_primaryStamp;
    std::unique_ptr<TruneGlassButton> m_glassStamp;

    QPersistentModelIndex m_pressedIndex;
    std::optional<AppRowButton> m_pressedButton;
    std::optional<AppRowButton> m_focusedButton; // of the current row, picked with the keyboard

    mutable QCache<QString, RowPicture> m_pictures; // by app id
};
