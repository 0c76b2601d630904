#pragma once

// Builds a whole main menu bar (application, File, Edit, the host's own menus and Window) from
// the element model, keeps every title in the interface language, validates and hides items
// each time a menu opens and rebuilds dynamic submenus then. GUI thread only.

#include "kit/localization/TruneLanguage.h"
#include "kit/ui/TruneMenuElement.h"

#include <QHash>
#include <QMenu>
#include <QMenuBar>
#include <QObject>
#include <QPointer>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

class QAction;

struct TruneAppMenuOptions {
    QString appName = {};
    std::function<TruneLanguage()> language = {};
    // Without onOpenSettings there is no Settings item; without settingsTitle it reads "Settings…".
    TruneMenuTitle settingsTitle = {};
    std::function<void()> onOpenSettings = {};
    // What "Send Feedback & Ideas…" does; without it the item opens the maker's web feedback form
    // for ideas about appName, in the interface language.
    std::function<void()> sendFeedback = {};
    // An empty list leaves the File menu out.
    std::vector<TruneMenuElement> fileMenuItems = {};
    std::optional<TruneEditMenuOverrides> editOverrides = {};
    std::vector<TruneCustomMenu> customMenus = {};
    // Empty for a Close Window item without a shortcut.
    QString closeWindowKeyEquivalent = {};
    Qt::KeyboardModifiers closeWindowModifiers = {};
};

class TruneAppMenuController final : public QObject {
    Q_OBJECT

public:
    explicit TruneAppMenuController(TruneAppMenuOptions options, QObject* parent = nullptr);
    ~TruneAppMenuController() override;

    // Owned by the controller until a window takes it (QMainWindow::setMenuBar); none once that
    // window is gone.
    QMenuBar* mainMenu() const { return m_mainMenu; }
    QMenu* windowsMenu() const { return m_windowsMenu; }

    // True when the active window's focused widget is a text input (line edit, text edit).
    static bool isTextInputFocused();

    // Refreshes a bound item's title and hidden state and answers whether it may be chosen; an
    // item without a binding is always enabled.
    bool validateMenuItem(QAction* item);
    // What happens as a menu is about to open: its title, then either a dynamic rebuild or a
    // refresh of its direct items.
    void menuNeedsUpdate(QMenu* menu);

    bool hasBinding(const QAction* item) const { return m_itemBindings.contains(static_cast<const QObject*>(item)); }
    qsizetype bindingCount() const { return m_itemBindings.size(); }

private:
    struct ItemBinding {
        TruneMenuTitle title = {};
        TruneMenuCheck isEnabled = {};
        TruneMenuCheck isHidden = {};
        bool skipWhenEditingText = false;
        std::function<void()> action = {};
    };

    TruneLanguage language() const { return m_options.language(); }
    QString text(const QString& en, const QString& tr) const;

    QMenu* addTopLevelMenu(const TruneMenuTitle& title);
    QMenu* newMenu(const TruneMenuTitle& title, QWidget* parent);
    void watchOpening(QMenu* menu);
    void buildApplicationMenu();
    void buildWindowMenu();
    void populateEditMenu(QMenu* menu);

    void appendElements(const std::vector<TruneMenuElement>& elements, QMenu* menu);
    void appendItem(const TruneMenuItem& item, QMenu* menu);
    void appendDivider(const TruneMenuDivider& divider, QMenu* menu);
    void appendSubmenu(const TruneMenuSubmenu& submenu, QMenu* menu);

    QAction* addBoundItem(QMenu* menu, const QString& key, Qt::KeyboardModifiers modifiers, ItemBinding binding);
    QAction* addStandardItem(QMenu* menu, TruneMenuTitle title, const QString& key, Qt::KeyboardModifiers modifiers,
        std::function<void()> perform);
    void addEditItem(QMenu* menu, const TruneMenuTitle& title, const QString& key, Qt::KeyboardModifiers modifiers,
        const char* standardSlot, const std::function<void()>& override, TruneMenuCheck enablement);
    void forgetWhenDestroyed(QObject* object);

    void refreshMenuBarTitles();
    void enableShortcuts(QMenu* menu);
    void handleMenuAction(QAction* item);
    bool isItemEnabled(QAction* item, const ItemBinding& binding);
    void unregisterBindings(QMenu* menu);
    void clearMenu(QMenu* menu);

    TruneAppMenuOptions m_options;
    QPointer<QMenuBar> m_mainMenu;
    QPointer<QMenu> m_windowsMenu;

    // Keyed by object identity only; an entry goes when its object is destroyed.
    QHash<const QObject*, ItemBinding> m_itemBindings;
    QHash<const QObject*, TruneMenuCheck> m_hiddenChecks;
    QHash<const QObject*, TruneMenuTitle> m_titleUpdaters;
    QHash<const QObject*, TruneMenuTitle> m_menuTitleUpdaters;
    QHash<const QObject*, std::function<std::vector<TruneMenuElement>()>> m_dynamicSubmenuBuilders;
};
