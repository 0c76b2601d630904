#include "app/views/apps/AppsAndUpdatesView.h"

#include "app/models/AppsListModel.h"
#include "app/viewmodel/StudioThreadPools.h"
#include "app/views/apps/AppRowDelegate.h"
#include "app/views/parts/FilterChipButton.h"
#include "app/views/parts/MetricPillCard.h"
#include "app/views/parts/StudioPageParts.h"
#include "kit/ui/TruneApplicationStyle.h"
#include "kit/ui/TruneProductPalette.h"
#include "tests/app/StudioTestAccess.h"
#include "tests/app/views/apps/AppsTabFixture.h"
#include "tests/support/TestWaits.h"

#include <QAbstractButton>
#include <QApplication>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QStackedWidget>
#include <QTest>
#include <QToolTip>

namespace {

} // namespace

class AppsAndUpdatesViewTest : public AppsTabTest {
protected:
    AppsAndUpdatesView& showPage(UpdateStudioViewModel& model)
    {
        host = std::make_unique<ViewHost<AppsAndUpdatesView>>(new AppsAndUpdatesView(model, studioAccent()));
        page = host->view;
        return *page;
    }

    template <typename T = QWidget> T& find(const QString& name) const { return *findNamed<T>(*page, name); }

    QString metric(const char* name) const { return find<MetricPillCard>(QString::fromLatin1(name)).value(); }
    QString labelText(const char* name) const { return find<QLabel>(QString::fromLatin1(name)).text(); }
    FilterChipButton& chip(AppFilterKind kind) const
    {
        return find<FilterChipButton>(u"filterChip-"_s + rawValue(kind));
    }
    QListView& list() const { return find<QListView>(u"appsList"_s); }
    QString shownState() const { return find<QStackedWidget>(u"appsContent"_s).currentWidget()->objectName(); }

    QStringList listedNames() const
    {
        QStringList names;
        for (int row = 0; row < page->listModel().rowCount(); ++row)
            names.append(page->listModel().row(row).app.name);
        return names;
    }

    QModelIndex rowOf(const QString& name) const
    {
        for (int row = 0; row < page->listModel().rowCount(); ++row) {
            if (page->listModel().row(row).app.name == name)
                return page->listModel().index(row);
        }
        ADD_FAILURE() << "no row for " << name.toStdString();
        return {};
    }

    void clickButton(const QString& app, AppRowButton button)
    {
        const QModelIndex index = rowOf(app);
        list().scrollTo(index);
        const QRect rect = page->rowDelegate().buttonRect(index, button);
        ASSERT_FALSE(rect.isEmpty()) << app.toStdString() << " has no such button";
        QTest::mouseClick(list().viewport(), Qt::LeftButton, {}, rect.center());
    }

    // The entries of the row's "..." menu, opened by clicking it; the menu is closed again.
    QStringList menuEntries(const QString& app)
    {
        clickButton(app, AppRowButton::menu);
        QMenu* menu = page->rowMenu();
        if (!menu)
            return {u"(no menu)"_s};
        QStringList entries;
        for (QAction* action : menu->actions())
            entries.append(action->isSeparator() ? u"---"_s : action->text());
        menu->close();
        return entries;
    }

    void chooseMenuEntry(const QString& app, const QString& entry)
    {
        clickButton(app, AppRowButton::menu);
        QMenu* menu = page->rowMenu();
        ASSERT_TRUE(menu);
        for (QAction* action : menu->actions()) {
            if (action->text() == entry) {
                action->trigger();
                menu->close();
                return;
            }
        }
        ADD_FAILURE() << "no entry " << entry.toStdString();
    }

    QString tooltipAt(const QString& app, AppRowButton button)
    {
        const QRect rect = page->rowDelegate().buttonRect(rowOf(app), button);
        QHelpEvent help(QEvent::ToolTip, rect.center(), list().viewport()->mapToGlobal(rect.center()));
        QApplication::sendEvent(list().viewport(), &help);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    }

    void typeSearch(const QString& text)
    {
        QLineEdit& field = find<QLineEdit>(u"appSearchField"_s);
        field.setFocus();
        field.selectAll();
        QTest::keyClick(&field, Qt::Key_Backspace);
        QTest::keyClicks(&field, text);
    }

    // The view model's changes and the layouts they start, done (layouts settle a level per turn).
    static void settleLayouts()
    {
        for (int turn = 0; turn < 4; ++turn) {
            QCoreApplication::sendPostedEvents();
            QCoreApplication::processEvents();
        }
    }

    std::unique_ptr<ViewHost<AppsAndUpdatesView>> host;
    AppsAndUpdatesView* page = nullptr;
};

TEST_F(AppsAndUpdatesViewTest, CardsChipsSearchAndHeaderFollowTheHomeInBothLanguages)
{
    holdSizes->store(true);
    UpdateStudioViewModel& model = startStudio();
    showPage(model);

    EXPECT_EQ(metric("installedAppsCard"), u"7"_s);
    EXPECT_EQ(metric("updatesAvailableCard"), u"2"_s) << "the ignored update does not count";
    EXPECT_EQ(metric("nativeShareCard"), u"86%"_s);
    EXPECT_EQ(metric("footprintCard"), u"0 B"_s) << "no size has come in yet";
    EXPECT_EQ(find<MetricPillCard>(u"installedAppsCard"_s).title(), u"Installed Apps"_s);
    holdSizes->store(false);
    EXPECT_EVENTUALLY_EQ(metric("footprintCard"), u"8.0 MB"_s);

    EXPECT_EQ(chip(AppFilterKind::updatesAvailable).text(), u"Updates (2)"_s);
    EXPECT_TRUE(chip(AppFilterKind::all).isActive());
    EXPECT_EQ(labelText("appsSummaryLabel"), u"Showing 7 of 7 applications"_s);
    EXPECT_TRUE(find<QLabel>(u"lastCheckLabel"_s).isVisible());
    EXPECT_TRUE(labelText("lastCheckLabel").startsWith(u"Last check: "_s));
    EXPECT_EQ(shownState(), u"appsList"_s);
    EXPECT_EQ(listedNames().mid(0, 2), (QStringList{u"Feedy"_s, u"Firefox"_s})) << "actionable updates first";
    saveScreenshot(*host->window, u"apps-all-en"_s);

    QTest::mouseClick(&chip(AppFilterKind::updatesAvailable), Qt::LeftButton);
    EXPECT_EQ(state().selectedFilter, AppFilterKind::updatesAvailable);
    EXPECT_EVENTUALLY_EQ(listedNames(), (QStringList{u"Feedy"_s, u"Firefox"_s}));
    EXPECT_TRUE(chip(AppFilterKind::updatesAvailable).isActive());
    EXPECT_FALSE(chip(AppFilterKind::all).isActive());
    EXPECT_EQ(labelText("appsSummaryLabel"), u"Showing 2 of 7 applications"_s);
    saveScreenshot(*host->window, u"apps-updates-en"_s);

    QWidget& clearButton = find(u"clearSearchButton"_s);
    EXPECT_FALSE(clearButton.isVisible());
    typeSearch(u"   "_s);
    EXPECT_EVENTUALLY_EQ(state().appSearchQuery, u"   "_s);
    EXPECT_EVENTUALLY_TRUE(clearButton.isVisible()) << "spaces count as a search text";
    EXPECT_EQ(listedNames().size(), 2) << "while the list trims them away";

    typeSearch(u"FIRE"_s);
    EXPECT_EVENTUALLY_EQ(listedNames(), QStringList{u"Firefox"_s});
    saveScreenshot(*host->window, u"apps-search-en"_s);
    QTest::mouseClick(&clearButton, Qt::LeftButton);
    EXPECT_EQ(state().appSearchQuery, QString());
    EXPECT_EVENTUALLY_EQ(find<QLineEdit>(u"appSearchField"_s).text(), QString());
    EXPECT_EVENTUALLY_TRUE(!clearButton.isVisible());
    EXPECT_EVENTUALLY_EQ(listedNames().size(), 2);

    typeSearch(u"zzz"_s);
    EXPECT_EVENTUALLY_EQ(shownState(), u"appsEmptyState"_s);
    EXPECT_EQ(labelText("appsEmptyLabel"), u"No matching applications found."_s);
    EXPECT_EQ(labelText("appsSummaryLabel"), u"Showing 0 of 7 applications"_s);
    saveScreenshot(*host->window, u"apps-empty-en"_s);

    model.setLanguage(TruneLanguage::tr);
    EXPECT_EVENTUALLY_EQ(labelText("appsSummaryLabel"), u"7 uygulamadan 0 tanesi gösteriliyor"_s);
    EXPECT_EQ(labelText("appsEmptyLabel"), u"Eşleşen uygulama bulunamadı."_s);
    EXPECT_EQ(chip(AppFilterKind::updatesAvailable).text(), u"Güncellemeler (2)"_s);
    EXPECT_EQ(chip(AppFilterKind::all).text(), u"Tümü"_s);
    EXPECT_EQ(find<QLineEdit>(u"appSearchField"_s).placeholderText(), u"Uygulama veya bundle ID ara..."_s);
    EXPECT_EQ(find<MetricPillCard>(u"footprintCard"_s).title(), u"Toplam Disk Alanı"_s);
    EXPECT_TRUE(labelText("lastCheckLabel").startsWith(u"Son kontrol: "_s));
    saveScreenshot(*host->window, u"apps-empty-tr"_s);

    model.setAppSearchQuery(QString());
    model.setSelectedFilter(AppFilterKind::all);
    EXPECT_EVENTUALLY_EQ(labelText("appsSummaryLabel"), u"7 uygulamadan 7 tanesi gösteriliyor"_s);
    saveScreenshot(*host->window, u"apps-all-tr"_s);
    model.setSelectedFilter(AppFilterKind::updatesAvailable);
    EXPECT_EVENTUALLY_EQ(labelText("appsSummaryLabel"), u"7 uygulamadan 2 tanesi gösteriliyor"_s);
    saveScreenshot(*host->window, u"apps-updates-tr"_s);
}

TEST_F(AppsAndUpdatesViewTest, WithoutAnyUpdateTheChipHasNoCount)
{
    UpdateStudioViewModel& model = startStudio();
    showPage(model);
    model.updateConfig([](TruneUpdateConfig& config) {
        config.ignoredBundleIDs = {u"net.feedy"_s, u"ORG.MOZILLA.FIREFOX"_s, u"com.example.noisy"_s};
    });
    EXPECT_EVENTUALLY_EQ(chip(AppFilterKind::updatesAvailable).text(), u"Updates"_s);
    EXPECT_EQ(metric("updatesAvailableCard"), u"0"_s);
    model.setLanguage(TruneLanguage::tr);
    EXPECT_EVENTUALLY_EQ(chip(AppFilterKind::updatesAvailable).text(), u"Güncellemeler"_s);
}

TEST_F(AppsAndUpdatesViewTest, TheSpinnerShowsOnlyWhileTheFirstScanHasNoApps)
{
    makeFixtureHome();
    // A busy refresh pool keeps the scan waiting, so the page meets it half way.
    QThreadPool& pool = StudioThreadPools::refresh();
    auto release = std::make_shared<std::atomic<bool>>(false);
    const auto occupyPool = [&] {
        for (int slot = 0; slot < pool.maxThreadCount(); ++slot) {
            pool.start([release] {
                while (!release->load())
                    std::this_thread::sleep_for(std::chrono::milliseconds(5));
            });
        }
    };
    occupyPool();
    model = std::make_unique<UpdateStudioViewModel>(fixtureEnvironment());
    model->setLanguage(TruneLanguage::en);
    showPage(*model);
    EXPECT_EVENTUALLY_TRUE(state().isScanningApps);
    EXPECT_EVENTUALLY_EQ(shownState(), u"appsScanningState"_s);
    EXPECT_EQ(labelText("appsScanningLabel"), u"Scanning /Applications and Mach-O headers..."_s);
    EXPECT_EQ(labelText("appsSummaryLabel"), u"Showing 0 of 0 applications"_s);
    EXPECT_FALSE(find<QLabel>(u"lastCheckLabel"_s).isVisible()) << "no check has ended yet";
    EXPECT_EQ(metric("nativeShareCard"), u"0%"_s);
    saveScreenshot(*host->window, u"apps-scanning-en"_s);
    model->setLanguage(TruneLanguage::tr);
    EXPECT_EVENTUALLY_EQ(labelText("appsScanningLabel"), u"/Applications ve Mach-O ikili başlıkları taranıyor..."_s);
    saveScreenshot(*host->window, u"apps-scanning-tr"_s);

    release->store(true);
    ASSERT_TRUE(waitForFirstRefresh(*model));
    EXPECT_EVENTUALLY_EQ(shownState(), u"appsList"_s);

    release->store(false);
    occupyPool();
    model->refreshAllAndCheckUpdates();
    EXPECT_EVENTUALLY_TRUE(state().isScanningApps);
    settle();
    EXPECT_EQ(shownState(), u"appsList"_s) << "a later scan keeps the list";
    release->store(true);
    ASSERT_TRUE(refreshAndWait(*model));
}

// A first run on a computer without any .app bundle is no "all up to date": the empty state names
// the folders that were scanned, with a neutral symbol; a filter that empties the list keeps the seal.
TEST_F(AppsAndUpdatesViewTest, AFirstRunWithoutBundlesSaysWhereItLooked)
{
    answerWithPackages(brew.fake, {});
    UpdateStudioViewModel& model = start(fixtureEnvironment());
    model.setLanguage(TruneLanguage::en);
    ASSERT_TRUE(waitForFirstRefresh(model));
    showPage(model);
    EXPECT_EVENTUALLY_EQ(shownState(), u"appsEmptyState"_s);
    EXPECT_EQ(labelText("appsEmptyLabel"), u"No .app bundles found."_s);
    EXPECT_EQ(labelText("appsEmptyDetail"),
        u"TruneUpdate looks for application bundles (.app) in:\n~/Applications\nNone were found there on this "
        u"computer."_s);
    EXPECT_EQ(find<StudioSymbolGlyph>(u"appsEmptySymbol"_s).symbol(), u"folder"_s);
    settleLayouts();
    saveScreenshot(*host->window, u"apps-first-run-en"_s);
    model.setLanguage(TruneLanguage::tr);
    EXPECT_EVENTUALLY_EQ(labelText("appsEmptyLabel"), u"Hiç .app paketi bulunamadı."_s);
    EXPECT_EQ(labelText("appsEmptyDetail"),
        u"TruneUpdate uygulama paketlerini (.app) şu klasörlerde arar:\n~/Applications\nBu bilgisayarda orada hiç "
        u"paket bulunamadı."_s);
    settleLayouts();
    saveScreenshot(*host->window, u"apps-first-run-tr"_s);

    makeBundle({u"Arm Native"_s, infoOf(u"Arm Native"_s, u"com.example.armnative"_s, u"1.0"_s)});
    ASSERT_TRUE(refreshAndWait(model));
    model.setSelectedFilter(AppFilterKind::intel);
    EXPECT_EVENTUALLY_EQ(labelText("appsEmptyLabel"), u"Eşleşen uygulama bulunamadı."_s);
    EXPECT_FALSE(find<QLabel>(u"appsEmptyDetail"_s).isVisible());
    EXPECT_EQ(find<StudioSymbolGlyph>(u"appsEmptySymbol"_s).symbol(), u"checkmark.seal.fill"_s);
}

TEST_F(AppsAndUpdatesViewTest, RowsShowWhatCanBeDoneWithEachApp)
{
    UpdateStudioViewModel& model = startStudio();
    ASSERT_TRUE(waitForSizes());
    showPage(model);
    AppRowDelegate& rows = page->rowDelegate();
    struct Expected {
        QString app;
        QStringList texts; // name, identifier, size, version column, then the tag and the update title
        bool update, releaseNotes;
        bool actionable, ignored;
    };
    const QString namelessPath = home.applications() + u"/Nameless.app"_s;
    const Expected expected[] = {
        {u"Feedy"_s, {u"Feedy"_s, u"net.feedy"_s, u"1.3 MB"_s, u"1.0 → 2.0"_s, u"Download"_s}, true, true, true, false},
        {u"Firefox"_s, {u"Firefox"_s, u"org.mozilla.firefox"_s, u"1.3 MB"_s, u"124.0.2 → 125.0.3"_s, u"Update"_s}, true,
            false, true, false},
        {u"Noisy"_s, {u"Noisy"_s, u"com.example.noisy"_s, u"1.3 MB"_s, u"1.0"_s, u"Ignored"_s}, false, true, false,
            true},
        {u"Nameless"_s, {u"Nameless"_s, namelessPath, u"—"_s, u"—"_s}, false, false, false, false},
        {u"<b>x</b>"_s, {u"<b>x</b>"_s, u"com.example.bold"_s, u"1.3 MB"_s, u"1.0"_s}, false, false, false, false},
    };
    for (const Expected& want : expected) {
        SCOPED_TRACE(want.app.toStdString());
        const QModelIndex index = rowOf(want.app);
        const AppsListRow& row = page->listModel().row(index.row());
        EXPECT_EQ(row.actionable, want.actionable);
        EXPECT_EQ(row.ignored, want.ignored);
        EXPECT_EQ(rows.paintedTexts(index), want.texts);
        EXPECT_EQ(!rows.buttonRect(index, AppRowButton::update).isEmpty(), want.update);
        EXPECT_EQ(!rows.buttonRect(index, AppRowButton::releaseNotes).isEmpty(), want.releaseNotes);
        EXPECT_FALSE(rows.buttonRect(index, AppRowButton::uninstall).isEmpty());
        EXPECT_FALSE(rows.buttonRect(index, AppRowButton::menu).isEmpty());
    }

    EXPECT_EQ(menuEntries(u"Feedy"_s),
        (QStringList{u"Launch App"_s, u"Show in File Manager"_s, u"---"_s, u"Ignore Updates"_s}));
    EXPECT_EQ(menuEntries(u"Noisy"_s),
        (QStringList{u"Launch App"_s, u"Show in File Manager"_s, u"---"_s, u"Stop Ignoring Updates"_s}));
    EXPECT_EQ(menuEntries(u"Nameless"_s), (QStringList{u"Launch App"_s, u"Show in File Manager"_s}));
    EXPECT_EQ(tooltipAt(u"Feedy"_s, AppRowButton::update), QString()) << "the update button has no tooltip";
    EXPECT_EQ(tooltipAt(u"Feedy"_s, AppRowButton::releaseNotes), u"<p>Open Release Notes</p>"_s);
    EXPECT_EQ(tooltipAt(u"Feedy"_s, AppRowButton::uninstall), u"<p>Inspect Leftovers &amp; Uninstall</p>"_s);
    saveScreenshot(*host->window, u"apps-rows-en"_s);

    // While a Homebrew command runs, Update waits and Download does not.
    StudioTestAccess::setBrewCommandRunning(model, true);
    settle();
    EXPECT_FALSE(rows.isButtonEnabled(rowOf(u"Firefox"_s), AppRowButton::update));
    EXPECT_TRUE(rows.isButtonEnabled(rowOf(u"Feedy"_s), AppRowButton::update));
    const size_t runsBefore = commandRuns().size();
    clickButton(u"Firefox"_s, AppRowButton::update);
    ASSERT_TRUE(waitForStudioWork());
    EXPECT_EQ(commandRuns().size(), runsBefore) << "a disabled button does nothing";
    list().viewport()->repaint();
    saveScreenshot(*host->window, u"apps-rows-brew-running-en"_s);
    StudioTestAccess::setBrewCommandRunning(model, false);

    model.setLanguage(TruneLanguage::tr);
    EXPECT_EVENTUALLY_EQ(rows.paintedTexts(rowOf(u"Noisy"_s)).last(), u"Yoksayıldı"_s);
    EXPECT_EQ(rows.paintedTexts(rowOf(u"Firefox"_s)).last(), u"Güncelle"_s);
    EXPECT_EQ(rows.paintedTexts(rowOf(u"Feedy"_s)).last(), u"İndir"_s);
    EXPECT_EQ(menuEntries(u"Noisy"_s),
        (QStringList{
            u"Uygulamayı Aç"_s, u"Dosya Yöneticisinde Göster"_s, u"---"_s, u"Güncellemeleri Tekrar Takip Et"_s}));
    EXPECT_EQ(tooltipAt(u"Feedy"_s, AppRowButton::uninstall), u"<p>Artıkları İncele ve Kaldır</p>"_s);
    saveScreenshot(*host->window, u"apps-rows-tr"_s);
}

TEST_F(AppsAndUpdatesViewTest, RowButtonsDownloadUpgradeIgnoreAndInspect)
{
    UpdateStudioViewModel& model = startStudio();
    showPage(model);

    // Download: the browser gets the feed's link and the history says so.
    clickButton(u"Feedy"_s, AppRowButton::update);
    ASSERT_TRUE(xdgOpen.waitForCalls(1));
    EXPECT_EQ(xdgOpen.calls().front(), QStringList{u"https://downloads.example/2.0.zip"_s});
    ASSERT_TRUE(waitForHistory(1));
    EXPECT_EQ(state().history.front().action, UpdateLogAction::sparkleDownload);
    EXPECT_EQ(state().history.front().appName, u"Feedy"_s);
    EXPECT_EVENTUALLY_EQ(lastToast(), std::optional<Toast>(Toast{u"Opened update download for Feedy."_s, false}));

    // Release notes open the feed's notes page.
    clickButton(u"Feedy"_s, AppRowButton::releaseNotes);
    ASSERT_TRUE(xdgOpen.waitForCalls(2));
    EXPECT_EQ(xdgOpen.calls().back(), QStringList{u"https://notes.example/2.0.html"_s});

    // Update: the cask is upgraded by brew.
    clickButton(u"Firefox"_s, AppRowButton::update);
    ASSERT_TRUE(waitUntilIdle());
    ASSERT_FALSE(commandRuns().empty());
    EXPECT_EQ(commandRuns().front().arguments, (QStringList{u"upgrade"_s, u"--cask"_s, u"firefox"_s}));

    // Ignore: saved, announced, and the counts drop.
    chooseMenuEntry(u"Feedy"_s, u"Ignore Updates"_s);
    EXPECT_EVENTUALLY_EQ(lastToast(), std::optional<Toast>(Toast{u"Ignored updates for Feedy."_s, false}));
    EXPECT_EVENTUALLY_EQ(find<MetricPillCard>(u"updatesAvailableCard"_s).value(), u"1"_s);
    EXPECT_EVENTUALLY_EQ(chip(AppFilterKind::updatesAvailable).text(), u"Updates (1)"_s);
    ASSERT_TRUE(waitUntil([&] {
        return UpdateConfigStore(home.configFolder(), 500).loadConfig().ignoredBundleIDs.contains(u"net.feedy"_s);
    }));
    EXPECT_TRUE(page->listModel().row(rowOf(u"Feedy"_s).row()).ignored);

    // Inspect: the uninstaller takes the app.
    clickButton(u"Nameless"_s, AppRowButton::uninstall);
    EXPECT_EQ(state().selectedTab, UpdateStudioTab::uninstaller);
    ASSERT_TRUE(state().uninstallerTargetApp);
    EXPECT_EQ(state().uninstallerTargetApp->name, u"Nameless"_s);
}

TEST_F(AppsAndUpdatesViewTest, TheKeyboardReachesEveryRowButton)
{
    UpdateStudioViewModel& model = startStudio();
    showPage(model);
    list().setFocus();
    list().setCurrentIndex(rowOf(u"Feedy"_s));
    settleLayouts();
    saveScreenshot(*host->window, u"apps-keyboard-focus-row-en"_s);
    // Download, release notes, uninstall, menu: Right reaches the white primary button first.
    QTest::keyClick(&list(), Qt::Key_Right);
    saveScreenshot(*host->window, u"apps-keyboard-focus-en"_s);
    model.setLanguage(TruneLanguage::tr);
    settleLayouts();
    saveScreenshot(*host->window, u"apps-keyboard-focus-tr"_s);
    model.setLanguage(TruneLanguage::en);
    for (int step = 0; step < 2; ++step)
        QTest::keyClick(&list(), Qt::Key_Right);
    QTest::keyClick(&list(), Qt::Key_Return);
    EXPECT_EQ(state().selectedTab, UpdateStudioTab::uninstaller);
    EXPECT_EQ(state().uninstallerTargetApp->name, u"Feedy"_s);

    QTest::keyClick(&list(), Qt::Key_Right);
    QTest::keyClick(&list(), Qt::Key_Space);
    QMenu* menu = page->rowMenu();
    ASSERT_TRUE(menu);
    menu->close();
}

// The row's "..." menu in the studio's dark look rather than the platform's light one.
TEST_F(AppsAndUpdatesViewTest, TheRowMenuIsDark)
{
    truneApplyStudioApplicationStyle();
    UpdateStudioViewModel& model = startStudio();
    showPage(model);
    for (const TruneLanguage language : {TruneLanguage::en, TruneLanguage::tr}) {
        model.setLanguage(language);
        settleLayouts();
        clickButton(u"Firefox"_s, AppRowButton::menu);
        QMenu* menu = page->rowMenu();
        ASSERT_TRUE(menu);
        EXPECT_LT(menu->palette().color(QPalette::Window).lightnessF(), 0.25);
        EXPECT_GT(menu->palette().color(QPalette::WindowText).lightnessF(), 0.85);
        const QImage shot = menu->grab().toImage();
        EXPECT_LT(shot.pixelColor(shot.width() / 2, 2).lightnessF(), 0.3) << "a dark ground";
        saveScreenshotWithPopup(*host->window, *menu, u"menus-dark-row-"_s + languageTag(language));
        menu->close();
    }
}

TEST_F(AppsAndUpdatesViewTest, FeedLinksThatAreNoWebPagesAreNeverOpened)
{
    const QByteArray hostileFeed
        = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
          "<rss version=\"2.0\" xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\"><channel>"
          "<item><title>Version 9.0</title>"
          "<sparkle:releaseNotesLink>javascript:alert(1)</sparkle:releaseNotesLink>"
          "<enclosure url=\"file:///etc/passwd\" sparkle:version=\"9.0\" sparkle:shortVersionString=\"9.0\" "
          "length=\"1\" type=\"application/octet-stream\"/>"
          "</item></channel></rss>\n";
    server.setResponse(u"/sneaky.xml"_s, LoopbackHttpServer::Response::ok(hostileFeed));
    makeBundle({u"Sneaky"_s, infoOf(u"Sneaky"_s, u"com.example.sneaky"_s, u"1.0"_s, server.url(u"/sneaky.xml"_s))});
    UpdateStudioViewModel& model = startStudio();
    showPage(model);
    const AppsListRow& sneaky = page->listModel().row(rowOf(u"Sneaky"_s).row());
    ASSERT_TRUE(sneaky.actionable) << "the feed offers 9.0";

    if (sneaky.app.releaseNotesURL)
        clickButton(u"Sneaky"_s, AppRowButton::releaseNotes);
    clickButton(u"Sneaky"_s, AppRowButton::update);
    EXPECT_EVENTUALLY_EQ(
        lastToast(), std::optional<Toast>(Toast{u"No automatic updater available for Sneaky."_s, true}));
    ASSERT_TRUE(waitForStudioWork());
    EXPECT_TRUE(xdgOpen.calls().empty());
    EXPECT_TRUE(state().history.empty());
}
