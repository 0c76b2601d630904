#pragma once

#include "kit/localization/TruneLanguage.h"

#include <QColor>
#include <QPersistentModelIndex>
#include <QStyledItemDelegate>

#include <memory>
#include <optional>
#include <vector>

struct HomebrewItem;
class QAbstractButton;
class TruneGlassButton;
class TrunePrimaryButton;

// Paints one Homebrew package as a row of the Homebrew tab's list (a HomebrewPackagesListModel):
// its kind tile, names, kind and dependency tags, description, version state and buttons. The
// buttons are hit-tested here: a click that is released on the button it pressed announces it
// through buttonClicked, for the view to act on, unless the button is disabled (a Homebrew command
// runs). Their tooltips come from helpEvent.
class HomebrewPackageRowDelegate final : public QStyledItemDelegate {
    Q_OBJECT

public:
    enum class RowButton { homePage, upgrade, uninstall, install };

    struct ButtonPlace {
        RowButton button;
        QRect rect;
        bool enabled = true;
    };

    HomebrewPackageRowDelegate(const QColor& accent, QObject* parent = nullptr);
    ~HomebrewPackageRowDelegate() override;

    // What the rows show besides their own data, set by the view from its state: the language of
    // their texts, and whether a Homebrew command runs (every button but the home page's then waits).
    void setLanguage(TruneLanguage language);
    void setBrewCommandRunning(bool running);

    // The colour that marks casks wherever the studio shows Homebrew packages.
    static QColor caskOrange();

    // What the row of a package says, as it is painted.
    struct RowTexts {
        QString fullName;
        QString secondaryName; // the name, when it differs from the full name; else empty
        QString kindTag;
        QString dependencyTag; // only for a formula installed as a dependency; else empty
        QString description;   // empty: no second line
        // Nothing for a package that is not installed; the installed and the latest version
        // when it is outdated; else the one version it is at.
        QStringList version;
    };
    RowTexts rowTexts(const HomebrewItem& item) const;

    // The buttons the row of `item` shows when it fills `rowRect`, left to right.
    std::vector<ButtonPlace> buttonsOf(const HomebrewItem& item, const QRect& rowRect) const;
    // The button under `position`, when there is one.
    std::optional<ButtonPlace> buttonAt(const HomebrewItem& item, const QRect& rowRect, const QPoint& position) const;

    // Every row has the same height (see rowHeight), so the list lays out thousands of rows at once.
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override;
    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
        const QModelIndex& index) override;

signals:
    void buttonClicked(HomebrewPackageRowDelegate::RowButton button, int row);

protected:
    bool editorEvent(QEvent* event, QAbstractItemModel* model, const QStyleOptionViewItem& option,
        const QModelIndex& index) override;

private:
    QString text(const QString& english, const QString& turkish) const;
    int rowHeight() const;
    QColor kindColor(const HomebrewItem& item) const;
    QString buttonText(RowButton button) const;
    QAbstractButton& lookOf(RowButton button) const;
    void paintTextColumn(
        QPainter& painter, const HomebrewItem& item, const RowTexts& texts, const QRectF& column) const;
    // Paints the version block right-aligned against `right`; returns its left edge.
    qreal paintVersionBlock(QPainter& painter, const QStringList& version, const QRectF& row, qreal right) const;
    void paintButton(QPainter& painter, const ButtonPlace& place) const;

    QColor m_accent;
    TruneLanguage m_language = TruneLanguage::en;
    bool m_brewCommandRunning = false;
    // Never shown: they lend their size and look to the painted buttons.
    std::unique_ptr<TrunePrimaryButton> m_primaryLook;
    std::unique_ptr<TruneGlassButton> m_glassLook;
    QPersistentModelIndex m_pressedIndex;
    std::optional<RowButton> m_pressedButton;
    mutable std::optional<int> m_rowHeight;
};
