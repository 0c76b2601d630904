#include "kit/ui/TruneAppMenuController.h"
#include "kit/ui/menus/TruneAppKitLauncher.h"

#include "kit/feedback/TruneFeedbackService.h"
#include "kit/localization/TruneLanguage.h"
#include "kit/platform/TruneNotifier.h"
#include "kit/platform/TruneUserDefaults.h"
#include "tests/support/FakeXdgOpen.h"
#include "tests/support/Screenshots.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLineEdit>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrlQuery>
#include <QVBoxLayout>

#include <memory>

using namespace Qt::StringLiterals;

namespace {

// The title as the menu shows it ("&&" is one ampersand).
QString shownText(const QAction& action)
{
    return action.isSeparator() ? u"---"_s : QString(action.text()).replace(u"&&"_s, u"&"_s);
}

QStringList textsOf(const QList<QAction*>& actions)
{
    QStringList texts;
    for (const QAction* action : actions)
        texts.append(shownText(*action));
    return texts;
}

QStringList menuBarTitles(const QMenuBar& bar)
{
    return textsOf(bar.actions());
}

QMenu* menuTitled(const QMenuBar& bar, const QString& title)
{
    for (QAction* action : bar.actions()) {
        if (shownText(*action) == title)
            return action->menu();
    }
    ADD_FAILURE() << "no menu " << title.toStdString();
    return nullptr;
}

QAction* itemTitled(const QMenu& menu, const QString& title)
{
    for (QAction* action : menu.actions()) {
        if (shownText(*action) == title)
            return action;
    }
    ADD_FAILURE() << "no item " << title.toStdString();
    return nullptr;
}

// What a menu shows when it opens: its titles, enabled and hidden states brought up to date.
void open(QMenu& menu)
{
    emit menu.aboutToShow();
}

// A window with a line edit and a button, active, so that the Edit menu has someone to talk to.
class EditingWindow final {
public:
    explicit EditingWindow(QMenuBar* menuBar = nullptr)
    {
        auto* central = new QWidget;
        auto* layout = new QVBoxLayout(central);
        layout->addWidget(lineEdit);
        layout->addWidget(button);
        window.setCentralWidget(central);
        if (menuBar)
            window.setMenuBar(menuBar);
        window.show();
        window.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }

    void focus(QWidget* widget)
    {
        widget->setFocus();
        QApplication::processEvents();
    }

    QMainWindow window;
    QLineEdit* lineEdit = new QLineEdit;
    QPushButton* button = new QPushButton(u"Other"_s);
};

class AppMenuControllerTest : public ::testing::Test {
protected:
    ~AppMenuControllerTest() override { TruneSystemLanguages::resetProvider(); }

    TruneAppMenuOptions options()
    {
        return {.appName = u"Probe"_s,
            .language = [this] { return language; },
            .closeWindowKeyEquivalent = u"w"_s,
            .closeWindowModifiers = Qt::ControlModifier};
    }

    TempHome home;
    TruneLanguage language = TruneLanguage::en;
};

} // namespace

TEST_F(AppMenuControllerTest, MenusAndStandardItemsFollowTheInterfaceLanguage)
{
    TruneAppMenuOptions withMenus = options();
    withMenus.fileMenuItems = {TruneMenuElement::item({.title = [] { return u"New Probe"_s; }})};
    withMenus.customMenus = {TruneCustomMenu(
        [this] { return language == TruneLanguage::tr ? u"Araçlar"_s : u"Tools"_s; }, {TruneMenuElement::divider()})};
    TruneAppMenuController controller(withMenus);
    QMenuBar& bar = *controller.mainMenu();

    EXPECT_EQ(menuBarTitles(bar), (QStringList{u"Probe"_s, u"File"_s, u"Edit"_s, u"Tools"_s, u"Window"_s}));
    EXPECT_EQ(textsOf(bar.actions().first()->menu()->actions()),
        (QStringList{u"Send Feedback & Ideas…"_s, u"---"_s, u"Quit Probe"_s}));
    EXPECT_EQ(textsOf(controller.windowsMenu()->actions()),
        (QStringList{u"Minimize"_s, u"Close Window"_s, u"---"_s, u"Bring All to Front"_s}));
    EXPECT_EQ(textsOf(menuTitled(bar, u"Edit"_s)->actions()),
        (QStringList{u"Undo"_s, u"Redo"_s, u"---"_s, u"Cut"_s, u"Copy"_s, u"Paste"_s, u"Select All"_s}));

    // The menu bar is always in view: its titles change with the language, without any menu opening.
    language = TruneLanguage::tr;
    TruneNotifier::instance().post(TruneNotificationName::languageDidChange);
    QApplication::processEvents();
    EXPECT_EQ(menuBarTitles(bar), (QStringList{u"Probe"_s, u"Dosya"_s, u"Düzen"_s, u"Araçlar"_s, u"Pencere"_s}));

    for (QAction* top : bar.actions())
        open(*top->menu());
    EXPECT_EQ(textsOf(bar.actions().first()->menu()->actions()),
        (QStringList{u"Geri Bildirim & Fikir Gönder…"_s, u"---"_s, u"Probe Uygulamasından Çık"_s}));
    EXPECT_EQ(textsOf(controller.windowsMenu()->actions()),
        (QStringList{u"Küçült"_s, u"Pencereyi Kapat"_s, u"---"_s, u"Tümünü Öne Getir"_s}));
    EXPECT_EQ(textsOf(menuTitled(bar, u"Düzen"_s)->actions()),
        (QStringList{u"Geri Al"_s, u"Yinele"_s, u"---"_s, u"Kes"_s, u"Kopyala"_s, u"Yapıştır"_s, u"Tümünü Seç"_s}));
}

TEST_F(AppMenuControllerTest, ApplicationMenuBeginsWithSettingsOnlyWhenTheHostHasThem)
{
    int settingsOpened = 0;
    TruneAppMenuOptions withSettings = options();
    withSettings.onOpenSettings = [&] { ++settingsOpened; };
    TruneAppMenuController controller(withSettings);
    QMenu& appMenu = *controller.mainMenu()->actions().first()->menu();

    EXPECT_EQ(textsOf(appMenu.actions()),
        (QStringList{u"Settings…"_s, u"---"_s, u"Send Feedback & Ideas…"_s, u"---"_s, u"Quit Probe"_s}));
    QAction* settings = appMenu.actions().first();
    EXPECT_EQ(settings->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Comma));
    settings->trigger();
    EXPECT_EQ(settingsOpened, 1);

    TruneAppMenuController without(options());
    EXPECT_EQ(
        shownText(*without.mainMenu()->actions().first()->menu()->actions().first()), u"Send Feedback & Ideas…"_s);
}

TEST_F(AppMenuControllerTest, FeedbackOpensTheWebFormForIdeasUnlessTheHostHandlesIt)
{
    const FakeXdgOpen opener;
    // The address comes from the usual sources, so the user default reaches the form.
    TruneUserDefaults::standard().setString(TruneFeedbackService::baseURLDefaultsKey, u"https://form.test/"_s);
    TruneAppMenuController controller(options());
    QAction* feedback = controller.mainMenu()->actions().first()->menu()->actions().first();
    feedback->trigger();
    ASSERT_TRUE(opener.waitForCalls(1));
    language = TruneLanguage::tr;
    feedback->trigger();
    ASSERT_TRUE(opener.waitForCalls(2));

    const std::vector<QStringList> calls = opener.calls();
    const QUrl english(calls.at(0).value(0));
    const QUrl turkish(calls.at(1).value(0));
    EXPECT_EQ(english.toString(QUrl::RemoveQuery), u"https://form.test/en/feedback"_s);
    EXPECT_EQ(turkish.toString(QUrl::RemoveQuery), u"https://form.test/tr/geri-bildirim"_s);
    const QUrlQuery query(english);
    EXPECT_EQ(query.queryItemValue(u"type"_s), u"feature"_s);
    EXPECT_EQ(query.queryItemValue(u"app"_s), u"probe"_s);
    EXPECT_EQ(query.queryItemValue(u"version"_s), TruneAppVersion::current().shortVersion);
    EXPECT_EQ(QUrlQuery(turkish).queryItemValue(u"type"_s), u"feature"_s);

    int handled = 0;
    TruneAppMenuOptions withCallback = options();
    withCallback.sendFeedback = [&] { ++handled; };
    TruneAppMenuController hosted(withCallback);
    hosted.mainMenu()->actions().first()->menu()->actions().first()->trigger();
    EXPECT_EQ(handled, 1);
}

TEST_F(AppMenuControllerTest, CloseWindowHasAShortcutOnlyWhenAKeyIsGiven)
{
    TruneAppMenuController withKey(options());
    EXPECT_EQ(itemTitled(*withKey.windowsMenu(), u"Close Window"_s)->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_W));

    TruneAppMenuOptions withoutKey = options();
    withoutKey.closeWindowKeyEquivalent.clear();
    withoutKey.closeWindowModifiers = Qt::ControlModifier | Qt::ShiftModifier;
    TruneAppMenuController controller(withoutKey);
    EXPECT_TRUE(itemTitled(*controller.windowsMenu(), u"Close Window"_s)->shortcut().isEmpty());
}

TEST_F(AppMenuControllerTest, AnOverrideReplacesOnlyItsOwnEditCommand)
{
    int copies = 0;
    TruneAppMenuOptions onlyCopy = options();
    onlyCopy.editOverrides = TruneEditMenuOverrides{.copy = [&] { ++copies; }};
    TruneAppMenuController controller(onlyCopy);
    QMenu& edit = *menuTitled(*controller.mainMenu(), u"Edit"_s);

    EXPECT_EQ(textsOf(edit.actions()),
        (QStringList{u"Undo"_s, u"Redo"_s, u"---"_s, u"Cut"_s, u"Copy"_s, u"Paste"_s, u"Select All"_s}));
    for (const QString& standard : {u"Undo"_s, u"Redo"_s, u"Cut"_s, u"Paste"_s, u"Select All"_s})
        EXPECT_FALSE(controller.hasBinding(itemTitled(edit, standard))) << standard.toStdString();
    EXPECT_TRUE(controller.hasBinding(itemTitled(edit, u"Copy"_s)));

    EditingWindow window;
    window.focus(window.button);
    itemTitled(edit, u"Copy"_s)->trigger();
    EXPECT_EQ(copies, 1);

    // A standard command goes to the focused text input.
    window.focus(window.lineEdit);
    QTest::keyClicks(window.lineEdit, u"abc"_s);
    itemTitled(edit, u"Select All"_s)->trigger();
    EXPECT_EQ(window.lineEdit->selectedText(), u"abc"_s);
    itemTitled(edit, u"Undo"_s)->trigger();
    EXPECT_EQ(window.lineEdit->text(), QString());
}

TEST_F(AppMenuControllerTest, UndoOfAFocusedTextInputWinsOverTheHostsUndo)
{
    int hostUndos = 0;
    TruneAppMenuOptions withUndo = options();
    withUndo.editOverrides = TruneEditMenuOverrides{.undo = [&] { ++hostUndos; }, .canUndo = [] { return false; }};
    TruneAppMenuController controller(withUndo);
    QMenu& edit = *menuTitled(*controller.mainMenu(), u"Edit"_s);
    QAction& undo = *itemTitled(edit, u"Undo"_s);
    EditingWindow window;

    window.focus(window.lineEdit);
    QTest::keyClicks(window.lineEdit, u"typed"_s);
    open(edit);
    EXPECT_TRUE(undo.isEnabled());
    undo.trigger();
    EXPECT_EQ(window.lineEdit->text(), QString());
    EXPECT_EQ(hostUndos, 0);

    // Elsewhere the host decides, and a disabled Undo does nothing even through its shortcut.
    window.focus(window.button);
    open(edit);
    EXPECT_FALSE(undo.isEnabled());
    undo.setEnabled(true);
    undo.trigger();
    EXPECT_EQ(hostUndos, 0);
}

TEST_F(AppMenuControllerTest, ItemsSkippedWhileEditingAndHiddenItemsAreDisabled)
{
    bool hidden = true;
    int chosen = 0;
    TruneAppMenuOptions withItems = options();
    withItems.customMenus = {TruneCustomMenu(u"Tools"_s,
        {TruneMenuElement::item(
             {.title = [] { return u"Rename"_s; }, .skipWhenEditingText = true, .action = [&] { ++chosen; }}),
            TruneMenuElement::divider([&] { return hidden; }),
            TruneMenuElement::item({.title = [] { return u"Secret"_s; },
                .isHidden = [&] { return hidden; },
                .action = [&] { ++chosen; }})})};
    TruneAppMenuController controller(withItems);
    QMenu& tools = *menuTitled(*controller.mainMenu(), u"Tools"_s);
    QAction& rename = *itemTitled(tools, u"Rename"_s);
    QAction& secret = *itemTitled(tools, u"Secret"_s);
    QAction& divider = *tools.actions().at(1);
    EXPECT_FALSE(secret.isVisible());
    EXPECT_FALSE(divider.isVisible());

    EditingWindow window;
    window.focus(window.lineEdit);
    open(tools);
    EXPECT_FALSE(rename.isEnabled());
    EXPECT_FALSE(secret.isEnabled());
    EXPECT_FALSE(secret.isVisible());

    window.focus(window.button);
    open(tools);
    EXPECT_TRUE(rename.isEnabled());
    rename.trigger();
    EXPECT_EQ(chosen, 1);

    hidden = false;
    open(tools);
    EXPECT_TRUE(secret.isVisible());
    EXPECT_TRUE(secret.isEnabled());
    EXPECT_TRUE(divider.isVisible());
}

TEST_F(AppMenuControllerTest, AShortcutChecksTheItemWhenPressedNotWhenTheMenuLastOpened)
{
    int renames = 0;
    TruneAppMenuOptions withItem = options();
    withItem.customMenus = {TruneCustomMenu(u"Tools"_s,
        {TruneMenuElement::item({.title = [] { return u"Rename"_s; },
            .keyEquivalent = u"r"_s,
            .skipWhenEditingText = true,
            .action = [&] { ++renames; }})})};
    TruneAppMenuController controller(withItem);
    QMenu& tools = *menuTitled(*controller.mainMenu(), u"Tools"_s);
    EditingWindow window(controller.mainMenu());

    window.focus(window.lineEdit);
    open(tools);
    EXPECT_FALSE(itemTitled(tools, u"Rename"_s)->isEnabled());
    emit tools.aboutToHide();
    QTest::keyClick(window.lineEdit, Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(renames, 0);

    window.focus(window.button);
    QTest::keyClick(window.button, Qt::Key_R, Qt::ControlModifier);
    EXPECT_EQ(renames, 1);
}

TEST_F(AppMenuControllerTest, ADynamicSubmenuOpenedAgainHoldsOneSetOfBindings)
{
    int builds = 0;
    const auto recent = TruneMenuElement::submenu([] { return u"Open Recent"_s; },
        [&] {
            ++builds;
            return std::vector<TruneMenuElement>{
                TruneMenuElement::item({.title = [&] { return u"Build %1"_s.arg(builds); }}),
                TruneMenuElement::divider([] { return false; }),
                TruneMenuElement::submenu([] { return u"More"_s; },
                    [] { return std::vector{TruneMenuElement::item({.title = [] { return u"Deep"_s; }})}; })};
        });
    TruneAppMenuOptions withRecent = options();
    withRecent.fileMenuItems = {recent};
    TruneAppMenuController controller(withRecent);
    QMenu& file = *menuTitled(*controller.mainMenu(), u"File"_s);
    QMenu& submenu = *file.actions().first()->menu();
    const qsizetype bindingsAfterBuild = controller.bindingCount();
    const QPointer<QAction> firstItem = submenu.actions().first();

    open(submenu);
    open(submenu);

    EXPECT_EQ(builds, 3);
    EXPECT_EQ(controller.bindingCount(), bindingsAfterBuild);
    EXPECT_TRUE(firstItem.isNull());
    EXPECT_EQ(textsOf(submenu.actions()), (QStringList{u"Build 3"_s, u"---"_s, u"More"_s}));
    EXPECT_EQ(submenu.findChildren<QMenu*>().size(), 1);
}

TEST_F(AppMenuControllerTest, TheLanguageSubmenuMarksExactlyTheChoiceInForce)
{
    struct Case {
        const char* name;
        QString stored;
        QStringList preferred;
        QString markedEntry;
    };
    const Case cases[] = {
        {"following the system", u"SYSTEM"_s, {u"de-DE"_s}, u"✓ System Language (Deutsch)"_s},
        {"a fixed language", u"tr"_s, {u"de-DE"_s}, u"✓ Türkçe (Turkish)"_s},
        {"no system language recognised", u"system"_s, {u"xx-YY"_s}, u"✓ System Language (English)"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TruneUserDefaults::standard().setString(TruneLanguage::defaultsKey, c.stored);
        TruneSystemLanguages::setProvider([preferred = c.preferred] { return preferred; });
        TruneAppMenuOptions withLanguages = options();
        withLanguages.customMenus = {TruneCustomMenu(u"View"_s,
            {TruneMenuElement::languageSubmenu([] { return TruneLanguage::current(); }, [](TruneLanguage) {})})};
        TruneAppMenuController controller(withLanguages);
        QMenu& languages = *menuTitled(*controller.mainMenu(), u"View"_s)->actions().first()->menu();
        open(languages);

        const QStringList marked = textsOf(languages.actions()).filter(u"✓"_s);
        EXPECT_EQ(marked, QStringList{c.markedEntry});
    }
}

TEST_F(AppMenuControllerTest, ChoosingFromTheLanguageSubmenuStoresAndReportsTheChoice)
{
    TruneSystemLanguages::setProvider([] { return QStringList{u"de-DE"_s}; });
    TruneUserDefaults::standard().setString(TruneLanguage::defaultsKey, u"en"_s);
    QList<TruneLanguage> selected;
    TruneAppMenuOptions withLanguages = options();
    withLanguages.customMenus = {TruneCustomMenu(u"View"_s,
        {TruneMenuElement::languageSubmenu(
            [] { return TruneLanguage::current(); }, [&](TruneLanguage language) { selected.append(language); })})};
    TruneAppMenuController controller(withLanguages);
    QMenu& languages = *menuTitled(*controller.mainMenu(), u"View"_s)->actions().first()->menu();

    open(languages);
    itemTitled(languages, u"Türkçe (Turkish)"_s)->trigger();
    EXPECT_EQ(TruneLanguage::storedPreferenceCode(), u"tr"_s);
    open(languages);
    EXPECT_EQ(languages.title(), u"Dil"_s);
    itemTitled(languages, u"Sistem Dili (Deutsch)"_s)->trigger();

    EXPECT_EQ(TruneLanguage::storedPreferenceCode(), u"system"_s);
    EXPECT_EQ(selected, (QList<TruneLanguage>{TruneLanguage::tr, TruneLanguage::de}));
}

TEST_F(AppMenuControllerTest, TheLauncherPutsTheMenuBarIntoTheHostWindowAndKeepsBothObjects)
{
    QMainWindow host;
    QPointer<QObject> delegate = new QObject;
    QTimer::singleShot(0, qApp, [] { QCoreApplication::quit(); });

    EXPECT_EQ(TruneAppKitLauncher::run(delegate, &host, options()), 0);

    ASSERT_NE(TruneAppKitLauncher::strongMenuController(), nullptr);
    EXPECT_EQ(host.menuBar(), TruneAppKitLauncher::strongMenuController()->mainMenu());
    EXPECT_EQ(TruneAppKitLauncher::strongDelegate(), delegate.data());
}

TEST_F(AppMenuControllerTest, AMenuBarGoneWithItsWindowIsLeftAlone)
{
    TruneAppMenuController controller(options());
    auto window = std::make_unique<QMainWindow>();
    window->setMenuBar(controller.mainMenu());
    window.reset();

    language = TruneLanguage::tr;
    TruneNotifier::instance().post(TruneNotificationName::languageDidChange);
    QApplication::processEvents();

    EXPECT_EQ(controller.mainMenu(), nullptr);
    EXPECT_EQ(controller.windowsMenu(), nullptr);
    EXPECT_EQ(controller.bindingCount(), 0);
}

TEST_F(AppMenuControllerTest, Screenshots)
{
    for (const TruneLanguage shown : {TruneLanguage::en, TruneLanguage::tr}) {
        language = shown;
        TruneAppMenuOptions full = options();
        full.onOpenSettings = [] {};
        full.fileMenuItems
            = {TruneMenuElement::item({.title = [this] { return language == TruneLanguage::tr ? u"Yeni"_s : u"New"_s; },
                .keyEquivalent = u"n"_s})};
        full.editOverrides = TruneEditMenuOverrides{.duplicate = [] {}};
        full.customMenus = {TruneCustomMenu(
            u"View"_s, {TruneMenuElement::languageSubmenu([this] { return language; }, [](TruneLanguage) {})})};
        auto controller = std::make_unique<TruneAppMenuController>(full);
        QMainWindow window;
        window.setMenuBar(controller->mainMenu());
        window.setCentralWidget(new QWidget);
        window.resize(520, 120);
        window.show();
        const bool turkish = shown == TruneLanguage::tr;
        const QString lang = turkish ? u"tr"_s : u"en"_s;
        saveScreenshot(window, u"menus-menubar-"_s + lang);
        EXPECT_EQ(menuBarTitles(*window.menuBar()),
            turkish ? (QStringList{u"Probe"_s, u"Dosya"_s, u"Düzen"_s, u"View"_s, u"Pencere"_s})
                    : (QStringList{u"Probe"_s, u"File"_s, u"Edit"_s, u"View"_s, u"Window"_s}));

        for (QAction* top : window.menuBar()->actions()) {
            QMenu& menu = *top->menu();
            open(menu);
            menu.ensurePolished();
            menu.adjustSize();
            saveScreenshot(menu, u"menus-%1-%2"_s.arg(window.menuBar()->actions().indexOf(top)).arg(lang));
            // Each picture shows a menu with items, wide enough for its longest one.
            EXPECT_FALSE(menu.actions().isEmpty()) << shownText(*top).toStdString();
            EXPECT_GE(menu.width(), menu.sizeHint().width()) << shownText(*top).toStdString();
        }
        const QMenu* file = menuTitled(*window.menuBar(), turkish ? u"Dosya"_s : u"File"_s);
        ASSERT_NE(file, nullptr);
        ASSERT_FALSE(file->actions().isEmpty());
        EXPECT_EQ(shownText(*file->actions().first()), turkish ? u"Yeni"_s : u"New"_s);
        QMenu& languages = *menuTitled(*window.menuBar(), u"View"_s)->actions().first()->menu();
        open(languages);
        languages.adjustSize();
        saveScreenshot(languages, u"menus-language-"_s + lang);
        EXPECT_FALSE(languages.actions().isEmpty());
        EXPECT_GE(languages.width(), languages.sizeHint().width());
    }
}
