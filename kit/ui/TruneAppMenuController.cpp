#include "kit/ui/TruneAppMenuController.h"

#include "kit/feedback/TruneFeedbackService.h"
#include "kit/localization/TruneText.h"
#include "kit/platform/TruneNotifier.h"

#include <QAction>
#include <QApplication>
#include <QKeySequence>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QThreadPool>

using namespace Qt::StringLiterals;

namespace {

// Titles are plain text: an ampersand is shown, not taken as a mnemonic marker.
QString menuText(const QString& title)
{
    return QString(title).replace(u'&', u"&&"_s);
}

QKeySequence shortcutFor(const QString& key, Qt::KeyboardModifiers modifiers)
{
    if (key.isEmpty())
        return {};
    return QKeySequence(QKeyCombination(modifiers, Qt::Key(key.at(0).toUpper().unicode())));
}

// The standard Edit commands go to the focused widget's slot of the same name, as a text input
// has them; a widget without the slot ignores the command.
void sendToFocusWidget(const char* slot)
{
    const QWidget* window = QApplication::activeWindow();
    if (QWidget* focus = window ? window->focusWidget() : nullptr)
        QMetaObject::invokeMethod(focus, slot);
}

void withActiveWindow(const std::function<void(QWidget*)>& perform)
{
    if (QWidget* window = QApplication::activeWindow())
        perform(window);
}

void bringAllWindowsToFront()
{
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->isVisible() && !(window->windowType() == Qt::Popup || window->windowType() == Qt::ToolTip))
            window->raise();
    }
}

// The maker's web form for ideas about `appName`, in `language`. Reading the bundle's version and
// resolving the address touch files, and the browser starts as a process: none of that belongs on
// the GUI thread.
void openFeatureFeedbackForm(const QString& appName, TruneLanguage language)
{
    QThreadPool::globalInstance()->start([appName, language] {
        TruneFeedbackService::openInBrowser({.appName = appName,
            .version = TruneAppVersion::current(TruneBundle::main(), u"1.0.0"_s, u"100"_s),
            .kind = TruneFeedbackKind::feature,
            .language = language,
            .baseURL = std::nullopt});
    });
}

} // namespace

TruneAppMenuController::TruneAppMenuController(TruneAppMenuOptions options, QObject* parent)
    : QObject(parent)
    , m_options(std::move(options))
    , m_mainMenu(new QMenuBar)
{
    buildApplicationMenu();
    if (!m_options.fileMenuItems.empty())
        appendElements(m_options.fileMenuItems, addTopLevelMenu([this] { return text(u"File"_s, u"Dosya"_s); }));
    populateEditMenu(addTopLevelMenu([this] { return text(u"Edit"_s, u"Düzen"_s); }));
    for (const TruneCustomMenu& custom : m_options.customMenus)
        appendElements(custom.elements, addTopLevelMenu(custom.title));
    buildWindowMenu();
    // The menu bar stays in view in the window, so its titles follow a language change at once.
    // Queued: whoever changed the language finishes first, and language() answers the new one.
    connect(
        &TruneNotifier::instance(), &TruneNotifier::posted, this,
        [this](const QString& name) {
            if (name == TruneNotificationName::languageDidChange)
                refreshMenuBarTitles();
        },
        Qt::QueuedConnection);
}

void TruneAppMenuController::refreshMenuBarTitles()
{
    // Gone with the window that held it.
    if (!m_mainMenu)
        return;
    for (QAction* top : m_mainMenu->actions()) {
        QMenu* menu = top->menu();
        if (const auto updater = m_menuTitleUpdaters.constFind(menu); updater != m_menuTitleUpdaters.cend())
            menu->setTitle(menuText((*updater)()));
    }
}

TruneAppMenuController::~TruneAppMenuController()
{
    if (m_mainMenu && !m_mainMenu->parent())
        delete m_mainMenu;
}

bool TruneAppMenuController::isTextInputFocused()
{
    const QWidget* window = QApplication::activeWindow();
    const QWidget* focus = window ? window->focusWidget() : nullptr;
    return qobject_cast<const QLineEdit*>(focus) || qobject_cast<const QTextEdit*>(focus)
        || qobject_cast<const QPlainTextEdit*>(focus);
}

QString TruneAppMenuController::text(const QString& en, const QString& tr) const
{
    return truneText(en, tr, language());
}

QMenu* TruneAppMenuController::newMenu(const TruneMenuTitle& title, QWidget* parent)
{
    auto* menu = new QMenu(menuText(title()), parent);
    m_menuTitleUpdaters.insert(menu, title);
    forgetWhenDestroyed(menu);
    watchOpening(menu);
    return menu;
}

void TruneAppMenuController::watchOpening(QMenu* menu)
{
    connect(menu, &QMenu::aboutToShow, this, [this, menu] { menuNeedsUpdate(menu); });
    connect(menu, &QMenu::aboutToHide, this, [this, menu] { enableShortcuts(menu); });
}

QMenu* TruneAppMenuController::addTopLevelMenu(const TruneMenuTitle& title)
{
    QMenu* menu = newMenu(title, m_mainMenu);
    m_mainMenu->addMenu(menu);
    return menu;
}

void TruneAppMenuController::buildApplicationMenu()
{
    // The application's name is not translated.
    auto* menu = new QMenu(menuText(m_options.appName), m_mainMenu);
    watchOpening(menu);
    m_mainMenu->addMenu(menu);

    if (m_options.onOpenSettings) {
        TruneMenuTitle title = m_options.settingsTitle;
        if (!title)
            title = [this] { return text(u"Settings…"_s, u"Ayarlar…"_s); };
        QAction* settings
            = addBoundItem(menu, u","_s, Qt::ControlModifier, {.title = title, .action = m_options.onOpenSettings});
        settings->setMenuRole(QAction::PreferencesRole);
        menu->addSeparator();
    }
    addBoundItem(menu, {}, {},
        {.title = [this] { return text(u"Send Feedback & Ideas…"_s, u"Geri Bildirim & Fikir Gönder…"_s); },
            .action =
                [this] {
                    if (m_options.sendFeedback)
                        m_options.sendFeedback();
                    else
                        openFeatureFeedbackForm(m_options.appName, language());
                }});
    menu->addSeparator();
    // Hide, Hide Others and Show All are left out: X11 and Wayland have no hiding of a whole
    // application, and on macOS Qt's own application menu already carries them.
    const QString appName = m_options.appName;
    QAction* quit = addStandardItem(
        menu, [this, appName] { return text(u"Quit "_s + appName, appName + u" Uygulamasından Çık"_s); }, u"q"_s,
        Qt::ControlModifier, [] { QCoreApplication::quit(); });
    quit->setMenuRole(QAction::QuitRole);
}

void TruneAppMenuController::buildWindowMenu()
{
    m_windowsMenu = addTopLevelMenu([this] { return text(u"Window"_s, u"Pencere"_s); });
    addStandardItem(
        m_windowsMenu, [this] { return text(u"Minimize"_s, u"Küçült"_s); }, u"m"_s, Qt::ControlModifier,
        [] { withActiveWindow([](QWidget* window) { window->showMinimized(); }); });
    addStandardItem(
        m_windowsMenu, [this] { return text(u"Close Window"_s, u"Pencereyi Kapat"_s); },
        m_options.closeWindowKeyEquivalent, m_options.closeWindowModifiers,
        [] { withActiveWindow([](QWidget* window) { window->close(); }); });
    m_windowsMenu->addSeparator();
    addStandardItem(
        m_windowsMenu, [this] { return text(u"Bring All to Front"_s, u"Tümünü Öne Getir"_s); }, {}, {},
        bringAllWindowsToFront);
}

void TruneAppMenuController::populateEditMenu(QMenu* menu)
{
    const std::optional<TruneEditMenuOverrides>& overrides = m_options.editOverrides;
    const auto given = [&](std::function<void()> TruneEditMenuOverrides::*member) {
        return overrides ? (*overrides).*member : std::function<void()>();
    };
    const auto check = [&](TruneMenuCheck TruneEditMenuOverrides::*member) {
        return overrides ? (*overrides).*member : TruneMenuCheck();
    };
    const Qt::KeyboardModifiers command = Qt::ControlModifier;
    // While a text input has the focus, Undo and Redo are its own and always offered.
    const auto textInputOr = [](TruneMenuCheck canDo) -> TruneMenuCheck {
        return [canDo] { return isTextInputFocused() || !canDo || canDo(); };
    };

    addEditItem(
        menu, [this] { return text(u"Undo"_s, u"Geri Al"_s); }, u"z"_s, command, "undo",
        given(&TruneEditMenuOverrides::undo), textInputOr(check(&TruneEditMenuOverrides::canUndo)));
    addEditItem(
        menu, [this] { return text(u"Redo"_s, u"Yinele"_s); }, u"z"_s, command | Qt::ShiftModifier, "redo",
        given(&TruneEditMenuOverrides::redo), textInputOr(check(&TruneEditMenuOverrides::canRedo)));
    menu->addSeparator();
    addEditItem(menu, [this] { return text(u"Cut"_s, u"Kes"_s); }, u"x"_s, command, "cut",
        given(&TruneEditMenuOverrides::cut), {});
    addEditItem(menu, [this] { return text(u"Copy"_s, u"Kopyala"_s); }, u"c"_s, command, "copy",
        given(&TruneEditMenuOverrides::copy), {});
    addEditItem(menu, [this] { return text(u"Paste"_s, u"Yapıştır"_s); }, u"v"_s, command, "paste",
        given(&TruneEditMenuOverrides::paste), {});
    if (const std::function<void()> duplicate = given(&TruneEditMenuOverrides::duplicate))
        addBoundItem(menu, u"d"_s, command,
            {.title = [this] { return text(u"Duplicate"_s, u"Çoğalt"_s); }, .action = duplicate});
    addEditItem(menu, [this] { return text(u"Select All"_s, u"Tümünü Seç"_s); }, u"a"_s, command, "selectAll",
        given(&TruneEditMenuOverrides::selectAll), {});
}

void TruneAppMenuController::addEditItem(QMenu* menu, const TruneMenuTitle& title, const QString& key,
    Qt::KeyboardModifiers modifiers, const char* standardSlot, const std::function<void()>& override,
    TruneMenuCheck enablement)
{
    if (!override) {
        addStandardItem(menu, title, key, modifiers, [standardSlot] { sendToFocusWidget(standardSlot); });
        return;
    }
    addBoundItem(
        menu, key, modifiers, {.title = title, .isEnabled = std::move(enablement), .action = [standardSlot, override] {
                                   if (isTextInputFocused())
                                       sendToFocusWidget(standardSlot);
                                   else
                                       override();
                               }});
}

void TruneAppMenuController::appendElements(const std::vector<TruneMenuElement>& elements, QMenu* menu)
{
    for (const TruneMenuElement& element : elements) {
        std::visit(
            [&](const auto& value) {
                using T = std::decay_t<decltype(value)>;
                if constexpr (std::is_same_v<T, TruneMenuItem>)
                    appendItem(value, menu);
                else if constexpr (std::is_same_v<T, TruneMenuDivider>)
                    appendDivider(value, menu);
                else
                    appendSubmenu(value, menu);
            },
            element.value());
    }
}

void TruneAppMenuController::appendItem(const TruneMenuItem& item, QMenu* menu)
{
    QAction* action = addBoundItem(menu, item.keyEquivalent, item.modifiers,
        {.title = item.title,
            .isEnabled = item.isEnabled,
            .isHidden = item.isHidden,
            .skipWhenEditingText = item.skipWhenEditingText,
            .action = item.action});
    if (item.isHidden)
        action->setVisible(!item.isHidden());
}

void TruneAppMenuController::appendDivider(const TruneMenuDivider& divider, QMenu* menu)
{
    QAction* separator = menu->addSeparator();
    if (!divider.isHidden)
        return;
    separator->setVisible(!divider.isHidden());
    m_hiddenChecks.insert(separator, divider.isHidden);
    forgetWhenDestroyed(separator);
}

void TruneAppMenuController::appendSubmenu(const TruneMenuSubmenu& submenu, QMenu* menu)
{
    QMenu* child = newMenu(submenu.title, menu);
    m_dynamicSubmenuBuilders.insert(child, submenu.items);
    QAction* holder = child->menuAction();
    m_titleUpdaters.insert(holder, submenu.title);
    forgetWhenDestroyed(holder);
    appendElements(submenu.items(), child);
    menu->addMenu(child);
}

QAction* TruneAppMenuController::addBoundItem(
    QMenu* menu, const QString& key, Qt::KeyboardModifiers modifiers, ItemBinding binding)
{
    auto* action = new QAction(menuText(binding.title()), menu);
    action->setMenuRole(QAction::NoRole);
    action->setShortcut(shortcutFor(key, modifiers));
    m_itemBindings.insert(action, std::move(binding));
    forgetWhenDestroyed(action);
    connect(action, &QAction::triggered, this, [this, action] { handleMenuAction(action); });
    menu->addAction(action);
    return action;
}

QAction* TruneAppMenuController::addStandardItem(QMenu* menu, TruneMenuTitle title, const QString& key,
    Qt::KeyboardModifiers modifiers, std::function<void()> perform)
{
    auto* action = new QAction(menuText(title()), menu);
    action->setMenuRole(QAction::NoRole);
    action->setShortcut(shortcutFor(key, modifiers));
    m_titleUpdaters.insert(action, std::move(title));
    forgetWhenDestroyed(action);
    connect(action, &QAction::triggered, this, std::move(perform));
    menu->addAction(action);
    return action;
}

void TruneAppMenuController::forgetWhenDestroyed(QObject* object)
{
    connect(object, &QObject::destroyed, this, [this](QObject* gone) {
        m_itemBindings.remove(gone);
        m_hiddenChecks.remove(gone);
        m_titleUpdaters.remove(gone);
        m_menuTitleUpdaters.remove(gone);
        m_dynamicSubmenuBuilders.remove(gone);
    });
}

void TruneAppMenuController::handleMenuAction(QAction* item)
{
    // A shortcut reaches here without the menu having opened, so the checks run again first.
    const auto binding = m_itemBindings.constFind(item);
    if (binding == m_itemBindings.cend() || !validateMenuItem(item))
        return;
    // The action may rebuild the menus; it runs from a copy.
    const std::function<void()> action = binding->action;
    if (action)
        action();
}

bool TruneAppMenuController::isItemEnabled(QAction* item, const ItemBinding& binding)
{
    item->setText(menuText(binding.title()));
    const bool hidden = binding.isHidden && binding.isHidden();
    item->setVisible(!hidden);
    if (hidden)
        return false;
    if (binding.skipWhenEditingText && isTextInputFocused())
        return false;
    return !binding.isEnabled || binding.isEnabled();
}

bool TruneAppMenuController::validateMenuItem(QAction* item)
{
    const auto binding = m_itemBindings.constFind(item);
    if (binding == m_itemBindings.cend())
        return true;
    const ItemBinding current = *binding;
    return isItemEnabled(item, current);
}

void TruneAppMenuController::menuNeedsUpdate(QMenu* menu)
{
    if (const auto updater = m_menuTitleUpdaters.constFind(menu); updater != m_menuTitleUpdaters.cend())
        menu->setTitle(menuText((*updater)()));

    if (const auto builder = m_dynamicSubmenuBuilders.constFind(menu); builder != m_dynamicSubmenuBuilders.cend()) {
        const auto items = *builder;
        clearMenu(menu);
        appendElements(items(), menu);
        return;
    }

    for (QAction* item : menu->actions()) {
        if (m_itemBindings.contains(item)) {
            item->setEnabled(validateMenuItem(item));
            continue;
        }
        if (const auto updater = m_titleUpdaters.constFind(item); updater != m_titleUpdaters.cend())
            item->setText(menuText((*updater)()));
        if (const auto hidden = m_hiddenChecks.constFind(item); hidden != m_hiddenChecks.cend())
            item->setVisible(!(*hidden)());
    }
}

void TruneAppMenuController::enableShortcuts(QMenu* menu)
{
    // A disabled action's shortcut never fires, and the state shown in the open menu may be
    // stale by the time the shortcut is pressed; handleMenuAction checks again instead.
    for (QAction* item : menu->actions()) {
        if (m_itemBindings.contains(item))
            item->setEnabled(true);
    }
}

void TruneAppMenuController::unregisterBindings(QMenu* menu)
{
    for (QAction* item : menu->actions()) {
        if (QMenu* submenu = item->menu()) {
            unregisterBindings(submenu);
            m_menuTitleUpdaters.remove(submenu);
            m_dynamicSubmenuBuilders.remove(submenu);
        }
        m_itemBindings.remove(item);
        m_hiddenChecks.remove(item);
        m_titleUpdaters.remove(item);
    }
}

void TruneAppMenuController::clearMenu(QMenu* menu)
{
    unregisterBindings(menu);
    // clear() deletes the menu's own actions but not the submenus they hold.
    QList<QMenu*> submenus;
    for (QAction* item : menu->actions()) {
        if (QMenu* submenu = item->menu())
            submenus.append(submenu);
    }
    menu->clear();
    qDeleteAll(submenus);
}
