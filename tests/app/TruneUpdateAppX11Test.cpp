#include "app/TruneUpdateApp.h"

#include "app/menubar/MenuBarExtra.h"
#include "app/menubar/MenuBarTrayIcon.h"
#include "app/viewmodel/UpdateStudioViewModel.h"
#include "app/views/parts/BrewConsoleDrawerView.h"
#include "app/views/shell/MainUpdateStudioView.h"
#include "app/views/shell/SegmentedStudioTab.h"
#include "app/views/shell/StudioHeaderBar.h"
#include "app/views/shell/TrashLeftoverBanner.h"
#include "kit/platform/TruneNotifier.h"
#include "kit/platform/TruneTrash.h"
#include "kit/ui/TruneAnimations.h"
#include "kit/ui/TruneAppMenuController.h"
#include "kit/ui/TruneGlassButtons.h"
#include "tests/app/StudioTestAccess.h"
#include "tests/app/StudioTestHome.h"
#include "tests/core/homebrew/InstalledFakeBrew.h"
#include "tests/support/BeforeApplication.h"
#include "tests/support/BundleMaker.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/Screenshots.h"
#include "tests/support/StandInTrayHost.h"
#include "tests/support/TestWaits.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusPendingCall>
#include <QDBusVariant>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProcess>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTest>

#include <memory>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// Qt looks for a tray host once, when the first tray icon is made: the stand-in must be on the
// private session bus before that.
const BeforeApplication startTrayHost([] {
    if (!startStandInTrayHost(QStringLiteral(TRUNE_SNI_WATCHER_PATH)))
        std::fprintf(stderr, "the stand-in tray host did not start\n");
});

QByteArray homebrewFixture(const char* name)
{
    QFile file(QStringLiteral(TRUNE_HOMEBREW_FIXTURE_DIR "/") + QString::fromUtf8(name));
    if (!file.open(QIODevice::ReadOnly))
        ADD_FAILURE() << "missing fixture " << name;
    return file.readAll();
}

QByteArray appcast(const QString& version)
{
    return u"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<rss version=\"2.0\" xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\"><channel>"
           "<item><title>Version %1</title>"
           "<enclosure url=\"https://downloads.example/%1.zip\" sparkle:version=\"%1\" "
           "sparkle:shortVersionString=\"%1\" length=\"1\" type=\"application/octet-stream\"/>"
           "</item></channel></rss>\n"_s.arg(version)
               .toUtf8();
}

// A call to this process's own bus objects from a second connection, answered while the event loop
// runs (a blocking call would wait for the thread that has to answer it).
QDBusMessage callFromOutside(const QDBusMessage& message)
{
    QDBusConnection probe = QDBusConnection::connectToBus(QDBusConnection::SessionBus, u"outsideProbe"_s);
    QDBusPendingCall pending = probe.asyncCall(message, 5000);
    waitUntil([&] { return pending.isFinished(); });
    return pending.reply();
}

// The tray item's tooltip as the tray host reads it: its title and its text.
QString trayToolTipOverTheBus(const QString& item)
{
    QDBusMessage get = QDBusMessage::createMethodCall(
        item, u"/StatusNotifierItem"_s, u"org.freedesktop.DBus.Properties"_s, u"Get"_s);
    get << u"org.kde.StatusNotifierItem"_s << u"ToolTip"_s;
    const QDBusMessage reply = callFromOutside(get);
    if (reply.type() != QDBusMessage::ReplyMessage || reply.arguments().isEmpty())
        return {};
    const QDBusArgument argument
        = reply.arguments().constFirst().value<QDBusVariant>().variant().value<QDBusArgument>();
    QString icon;
    QString title;
    QString text;
    argument.beginStructure();
    argument >> icon;
    argument.beginArray();
    while (!argument.atEnd()) {
        int width = 0;
        int height = 0;
        QByteArray pixels;
        argument.beginStructure();
        argument >> width >> height >> pixels;
        argument.endStructure();
    }
    argument.endArray();
    argument >> title >> text;
    argument.endStructure();
    return title + u'\n' + text;
}

QAction* menuAction(QMenuBar& bar, const QString& menuTitle, const QString& itemTitle)
{
    for (QAction* top : bar.actions()) {
        if (top->menu() && top->menu()->title() == menuTitle) {
            for (QAction* item : top->menu()->actions()) {
                if (item->text() == itemTitle)
                    return item;
            }
        }
    }
    return nullptr;
}

QStringList menuTitles(QMenuBar& bar)
{
    QStringList titles;
    for (QAction* top : bar.actions())
        titles.append(top->menu() ? top->menu()->title() : top->text());
    return titles;
}

class TruneUpdateAppTest : public ::testing::Test {
protected:
    TruneUpdateAppTest() { TruneAnimations::setEnabled(false); }
    ~TruneUpdateAppTest() override
    {
        app.reset();
        TruneAnimations::setEnabled(true);
    }

    void answerWithOutdatedPackages()
    {
        brew.fake.respond(
            {u"info"_s, u"--json=v2"_s, u"--installed"_s}, {.stdoutPieces = {homebrewFixture("info-installed.json")}});
        brew.fake.respond({u"outdated"_s, u"--json=v2"_s}, {.stdoutPieces = {homebrewFixture("outdated.json")}});
    }

    QString makeApp(const QString& name, const QString& bundleID, const std::optional<QString>& feed = std::nullopt)
    {
        QVariantMap info{{u"CFBundleIdentifier"_s, bundleID}, {u"CFBundleName"_s, name},
            {u"CFBundleShortVersionString"_s, u"1.0"_s}, {u"CFBundleVersion"_s, u"1.0"_s}};
        if (feed)
            info.insert(u"SUFeedURL"_s, *feed);
        return BundleMaker::makeAppBundle(
            home.applications() + u'/' + name + u".app"_s, {.info = info, .executableName = name});
    }

    void startApp()
    {
        UpdateStudioEnvironment environment = home.environment();
        // Held still, so a toast stays for as long as the test looks at it.
        environment.now = [now = QDateTime::currentDateTimeUtc()] { return now; };
        app = std::make_unique<TruneUpdateApp>(environment);
        app->viewModel().setLanguage(TruneLanguage::en);
        app->openStudio();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&app->studioWindow()));
    }

    UpdateStudioViewModel& model() const { return app->viewModel(); }
    QMainWindow& window() const { return app->studioWindow(); }
    QMenuBar& menuBar() const { return *window().menuBar(); }
    // The third menu, the studio's commands; null when the menu bar has fewer.
    QMenu* commandMenu() const
    {
        const QList<QAction*> menus = menuBar().actions();
        return menus.size() > 2 ? menus.at(2)->menu() : nullptr;
    }

    // Presses `key` with `modifiers` in the active studio window, as the user would.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers)
    {
        window().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window()));
        QTest::keyClick(&window(), key, modifiers);
        settle();
    }

    StudioTestHome home;
    InstalledFakeBrew brew;
    std::unique_ptr<TruneUpdateApp> app;
};

} // namespace

TEST_F(TruneUpdateAppTest, TheStudioWindowOpensCentredAtItsSize)
{
    startApp();
    EXPECT_EQ(window().windowTitle(), u"TruneUpdate — by Quorvane"_s);
    EXPECT_EQ(window().size(), QSize(1240, 780));
    EXPECT_EQ(app->studioView().minimumSize(), QSize(1080, 700));
    EXPECT_EQ(window().minimumSizeHint().width(), 1080);
    EXPECT_EQ(window().minimumSizeHint().height(), 700 + menuBar().sizeHint().height())
        << "the menu bar stands above the studio's 700 px on Linux";
    const QRect screen = window().screen()->availableGeometry();
    EXPECT_NEAR(window().geometry().center().x(), screen.center().x(), 2);
    EXPECT_NEAR(window().geometry().center().y(), screen.center().y(), 2);
    window().resize(900, 500);
    settle();
    EXPECT_GE(window().width(), 1080) << "the window cannot be made smaller than the studio";
    EXPECT_TRUE(QSystemTrayIcon::isSystemTrayAvailable());
    EXPECT_FALSE(QGuiApplication::quitOnLastWindowClosed()) << "the tray keeps the program";
    ASSERT_TRUE(waitForFirstRefresh(model()));
}

TEST_F(TruneUpdateAppTest, TheMenusFollowTheLanguageAndTheCommandMenuKeepsItsTitle)
{
    startApp();
    ASSERT_TRUE(waitForFirstRefresh(model()));
    EXPECT_EQ(menuTitles(menuBar()), (QStringList{u"TruneUpdate"_s, u"Edit"_s, u"TruneUpdate"_s, u"Window"_s}));
    QAction* quit = menuAction(menuBar(), u"TruneUpdate"_s, u"Quit TruneUpdate"_s);
    ASSERT_NE(quit, nullptr);
    EXPECT_EQ(quit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));

    model().setLanguage(TruneLanguage::tr);
    settle();
    EXPECT_EQ(menuTitles(menuBar()), (QStringList{u"TruneUpdate"_s, u"Düzen"_s, u"TruneUpdate"_s, u"Pencere"_s}));
    QMenu* commands = commandMenu();
    ASSERT_NE(commands, nullptr);
    emit commands->aboutToShow();
    QStringList items;
    for (QAction* item : commands->actions())
        items.append(item->isSeparator() ? u"—"_s : item->text());
    EXPECT_EQ(items,
        (QStringList{u"Tüm Güncellemeleri Denetle"_s, u"Tüm Homebrew Paketlerini Yükselt"_s, u"—"_s,
            u"Homebrew Konsolunu Aç/Kapat"_s}));
    emit commands->aboutToHide();
    QMenu* application = menuBar().actions().at(0)->menu();
    ASSERT_NE(application, nullptr);
    emit application->aboutToShow();
    EXPECT_NE(menuAction(menuBar(), u"TruneUpdate"_s, u"TruneUpdate Uygulamasından Çık"_s), nullptr);
    emit application->aboutToHide();
}

// Each shortcut does its work only while its item's rule allows it, checked when it is pressed.
TEST_F(TruneUpdateAppTest, TheCommandShortcutsFollowTheirEnabledRules)
{
    answerWithOutdatedPackages();
    startApp();
    ASSERT_TRUE(waitForFirstRefresh(model()));
    ASSERT_TRUE(waitForStudioWork());
    const StudioState& state = model().state();

    press(Qt::Key_L, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_TRUE(state.showBrewConsole);
    press(Qt::Key_L, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_FALSE(state.showBrewConsole);

    // Ctrl+R starts a check; pressed again during it, nothing more happens.
    press(Qt::Key_R, Qt::ControlModifier);
    EXPECT_TRUE(waitUntil([&] { return state.isCheckingUpdates; }));
    const int outdatedQueries = static_cast<int>(brew.fake.runs().size());
    press(Qt::Key_R, Qt::ControlModifier);
    ASSERT_TRUE(waitForFirstRefresh(model()));
    ASSERT_TRUE(waitForStudioWork());
    EXPECT_LE(static_cast<int>(brew.fake.runs().size()), outdatedQueries + 2) << "one pass, not two";

    // While a Homebrew command runs, neither a check nor a batch upgrade starts; the console
    // still toggles.
    StudioTestAccess::setBrewCommandRunning(model(), true);
    const size_t runsBefore = brew.fake.runs().size();
    press(Qt::Key_R, Qt::ControlModifier);
    press(Qt::Key_U, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_FALSE(state.isCheckingUpdates);
    EXPECT_EQ(brew.fake.runs().size(), runsBefore);
    press(Qt::Key_L, Qt::ControlModifier | Qt::AltModifier);
    EXPECT_TRUE(state.showBrewConsole);
    StudioTestAccess::setBrewCommandRunning(model(), false);

    // With packages outdated and nothing running, Ctrl+Shift+U starts the batch.
    ASSERT_FALSE(state.homebrewItems.empty());
    press(Qt::Key_U, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_TRUE(waitUntil([&] { return state.isBrewCommandRunning || brew.fake.runs().size() > runsBefore; }));
    EXPECT_TRUE(waitUntil([&] { return !state.isBrewCommandRunning; }));
}

TEST_F(TruneUpdateAppTest, UpgradeAllIsOffWhenNothingIsOutdated)
{
    startApp();
    ASSERT_TRUE(waitForFirstRefresh(model()));
    ASSERT_TRUE(waitForStudioWork());
    const size_t runsBefore = brew.fake.runs().size();
    press(Qt::Key_U, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_FALSE(model().state().isBrewCommandRunning);
    EXPECT_EQ(brew.fake.runs().size(), runsBefore);
    QMenu* commands = commandMenu();
    ASSERT_NE(commands, nullptr);
    emit commands->aboutToShow();
    ASSERT_EQ(commands->actions().size(), 4);
    EXPECT_TRUE(commands->actions().at(0)->isEnabled());
    EXPECT_FALSE(commands->actions().at(1)->isEnabled());
    EXPECT_TRUE(commands->actions().at(3)->isEnabled());
    emit commands->aboutToHide();
}

// The tray item registers with the desktop's tray host, says how many updates wait and opens
// the popup when activated; showing the popup binds the studio's opener.
TEST_F(TruneUpdateAppTest, TheTrayItemRegistersCountsAndOpensThePopup)
{
    LoopbackHttpServer server;
    server.setResponse(u"/feedy.xml"_s, LoopbackHttpServer::Response::ok(appcast(u"2.0"_s)));
    makeApp(u"Feedy"_s, u"net.feedy"_s, server.url(u"/feedy.xml"_s));
    const QStringList before = standInTrayItems();
    startApp();
    ASSERT_NE(app->menuBarExtra(), nullptr);
    ASSERT_TRUE(waitUntil([&] { return standInTrayItems().size() > before.size(); }));
    // Qt names the item by the unique name of the bus connection it keeps for it.
    const QString item = standInTrayItems().constLast();
    EXPECT_TRUE(item.startsWith(u':')) << item.toStdString();

    ASSERT_TRUE(waitForFirstRefresh(model()));
    settle();
    EXPECT_EQ(model().menuBarBadgeCount(), 1);
    MenuBarExtra& extra = *app->menuBarExtra();
    EXPECT_EQ(extra.trayIcon().toolTip(), u"TruneUpdate — 1 updates"_s);
    EXPECT_TRUE(waitUntil([&] { return trayToolTipOverTheBus(item).contains(u"1 updates"_s); }))
        << trayToolTipOverTheBus(item).toStdString();
    model().setLanguage(TruneLanguage::tr);
    settle();
    EXPECT_EQ(extra.trayIcon().toolTip(), u"TruneUpdate — 1 güncelleme"_s);
    emit extra.contextMenu().aboutToShow();
    EXPECT_EQ(extra.contextMenu().actions().constFirst()->text(), u"Stüdyoyu Aç"_s);
    EXPECT_EQ(extra.contextMenu().actions().constLast()->text(), u"Çık"_s);
    model().setLanguage(TruneLanguage::en);
    settle();

    // The studio closed, the tray host activates the item: the popup opens at the pointer (the
    // tray does not say where its icon is) and from then on a reopen request opens the studio.
    window().close();
    settle();
    EXPECT_FALSE(window().isVisible());
    QDBusMessage activate = QDBusMessage::createMethodCall(
        item, u"/StatusNotifierItem"_s, u"org.kde.StatusNotifierItem"_s, u"Activate"_s);
    activate << 200 << 10;
    callFromOutside(activate);
    ASSERT_TRUE(waitUntil([&] { return extra.popup() && extra.popup()->isVisible(); }));
    EXPECT_EQ(extra.popup()->width(), MenuBarExtra::popupWidth);
    EXPECT_TRUE(extra.popup()->windowFlags().testFlag(Qt::Popup));
    const QRect screen = extra.popup()->screen()->availableGeometry();
    EXPECT_TRUE(screen.contains(extra.popup()->geometry())) << "kept inside the screen";
    extra.popup()->close();
    settle();

    TruneNotifier::instance().post(TruneNotificationName::reopenStudioWindow);
    EXPECT_TRUE(waitUntil([&] { return window().isVisible(); }));
}

TEST_F(TruneUpdateAppTest, TrayIconScreenshots)
{
    std::vector<QImage> shown;
    for (const int count : {0, 3, 128}) {
        QLabel icon;
        icon.setPixmap(menuBarTrayIcon(count).pixmap(QSize(44, 44)));
        icon.resize(44, 44);
        saveScreenshot(icon, u"tray-icon-%1-en"_s.arg(count));
        EXPECT_EQ(icon.pixmap().deviceIndependentSize(), QSizeF(44, 44)) << count;
        shown.push_back(icon.pixmap().toImage());
    }
    // No badge, a badge with its figure, and the badge of a count too big to spell out.
    EXPECT_NE(shown[0], shown[1]);
    EXPECT_NE(shown[1], shown[2]);
}

// A new user's first minutes with the real application object: the window fills after the first
// refresh, "Check Updates" spins and returns, Ctrl+Shift+U streams an upgrade into the console,
// Cancel ends it, a bundle trashed meanwhile raises the banner, and Ctrl+Q quits with no brew
// process left behind.
TEST_F(TruneUpdateAppTest, ANewUsersWalk)
{
    answerWithOutdatedPackages();
    LoopbackHttpServer server;
    server.setResponse(u"/feedy.xml"_s, LoopbackHttpServer::Response::ok(appcast(u"2.0"_s)));
    makeApp(u"Feedy"_s, u"net.feedy"_s, server.url(u"/feedy.xml"_s));
    const QString library = home.home.filePath(u"Library"_s);
    BundleMaker::writeFile(library + u"/Application Support/com.example.lumen/store.bin"_s, QByteArray(30000, 's'));
    BundleMaker::writeFile(library + u"/Preferences/com.example.lumen.plist"_s, QByteArray(300, 'p'));
    const QString lumen = makeApp(u"Lumen"_s, u"com.example.lumen"_s);

    startApp();
    const StudioState& state = model().state();
    StudioHeaderBar& header = *app->studioView().header();
    ASSERT_TRUE(waitForFirstRefresh(model()));
    ASSERT_TRUE(waitForStudioWork());
    settle();
    EXPECT_EQ(header.tab(UpdateStudioTab::updates)->badgeText(), u"1"_s);
    EXPECT_FALSE(header.tab(UpdateStudioTab::homebrew)->badgeText().isEmpty());
    saveScreenshot(window(), u"studio-walk-filled-en"_s);

    QTest::mouseClick(header.checkButton(), Qt::LeftButton);
    settle();
    EXPECT_EQ(header.checkButton()->text(), u"Checking..."_s);
    EXPECT_FALSE(header.checkButton()->isEnabled());
    ASSERT_TRUE(waitForFirstRefresh(model()));
    settle();
    EXPECT_EQ(header.checkButton()->text(), u"Check Updates"_s);
    EXPECT_TRUE(header.checkButton()->isEnabled());

    // Every upgrade streams slowly and takes long, so it is still running when cancelled.
    brew.fake.setDefaultResponse(
        {.stdoutPieces = {"==> Upgrading\n", "==> Pouring bottle\n"}, .pauseAfterPiece = 0.2, .sleepBeforeExit = 60});
    press(Qt::Key_U, Qt::ControlModifier | Qt::ShiftModifier);
    ASSERT_TRUE(waitUntil([&] { return state.isBrewCommandRunning; }));
    ASSERT_TRUE(waitUntil([&] { return state.brewConsoleLog.contains(u"==> Pouring bottle"_s); }));
    settle();
    EXPECT_TRUE(state.showBrewConsole);
    ASSERT_NE(app->studioView().consoleDrawer(), nullptr);
    EXPECT_TRUE(state.batchUpgradeProgress.has_value());
    EXPECT_TRUE(header.runningDot()->isVisible());
    EXPECT_FALSE(header.checkButton()->isEnabled());

    ASSERT_TRUE(TruneTrash::trashItem(lumen).has_value());
    ASSERT_TRUE(waitUntil([&] { return !state.trashAlerts.empty(); }));
    settle();
    EXPECT_TRUE(app->studioView().trashBanner()->isVisible());
    saveScreenshot(window(), u"studio-walk-upgrading-en"_s);

    model().cancelBrewCommand();
    ASSERT_TRUE(waitUntil([&] { return !state.isBrewCommandRunning; }));
    settle();
    EXPECT_TRUE(state.brewConsoleLog.contains(u"cancelled"_s)) << state.brewConsoleLog.toStdString();
    EXPECT_TRUE(state.toastIsError);
    ASSERT_NE(app->studioView().toast(), nullptr);
    saveScreenshot(window(), u"studio-walk-cancelled-en"_s);

    // Ctrl+Q is the application menu's Quit.
    QAction* quit = menuAction(menuBar(), u"TruneUpdate"_s, u"Quit TruneUpdate"_s);
    ASSERT_NE(quit, nullptr);
    bool quitChosen = false;
    QObject::connect(quit, &QAction::triggered, [&] { quitChosen = true; });
    press(Qt::Key_Q, Qt::ControlModifier);
    EXPECT_TRUE(quitChosen);
    app.reset();
    for (const FakeBrew::Run& run : brew.fake.runs())
        SCOPED_TRACE(run.arguments.join(u' ').toStdString());
    EXPECT_TRUE(waitUntil([&] {
        QProcess pgrep;
        pgrep.start(u"pgrep"_s, {u"-f"_s, brew.fake.folder()});
        pgrep.waitForFinished();
        return pgrep.exitCode() == 1;
    })) << "no brew process is left";
}
