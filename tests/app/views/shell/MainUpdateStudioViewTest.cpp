#include "tests/app/views/StudioShellFixture.h"

#include "app/views/parts/BrewConsoleDrawerView.h"
#include "app/views/shell/SegmentedStudioTab.h"
#include "app/views/shell/StudioHeaderBar.h"
#include "app/views/shell/TrashLeftoverBanner.h"
#include "kit/foundation/TruneByteFormatter.h"
#include "kit/platform/TruneTrash.h"
#include "kit/ui/TruneGlassButtons.h"
#include "kit/ui/TruneGlassShapes.h"
#include "kit/ui/TruneToastBanner.h"
#include "kit/ui/TruneVersionAndLogsView.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/Screenshots.h"
#include "tests/support/TestWaits.h"

#include <QApplication>
#include <QLabel>
#include <QTest>

#include <atomic>

using namespace Qt::StringLiterals;

namespace {

QString badgeOf(const StudioHeaderBar& header, UpdateStudioTab tab)
{
    return header.tab(tab)->badgeText();
}

} // namespace

// The header while a feed answers slowly: "Check Updates" spins and refuses clicks until the
// check ends, then the tabs count what it found.
TEST_F(StudioShellTest, TheHeaderSpinsDuringASlowCheckAndThenCountsWhatItFound)
{
    answerWithOutdatedPackages();
    LoopbackHttpServer server;
    std::atomic<bool> feedMayAnswer = false;
    LoopbackHttpServer::Response slow = LoopbackHttpServer::Response::ok(appcast(u"2.0"_s));
    slow.holdUntil = [&feedMayAnswer] { return feedMayAnswer.load(); };
    server.setResponse(u"/feedy.xml"_s, slow);
    makeApp(u"Feedy"_s, u"net.feedy"_s, server.url(u"/feedy.xml"_s));
    makeApp(u"Quiet"_s, u"net.quiet"_s);

    openStudio(false);
    StudioHeaderBar& header = *view->header();
    TrunePrimaryButton& check = *header.checkButton();
    ASSERT_TRUE(waitUntil([&] { return !server.requests(u"/feedy.xml"_s).empty(); }));
    // A feed is asked for while the scan still reads bundles, before the header hears of the check.
    settle();
    EXPECT_EQ(check.text(), u"Checking..."_s);
    EXPECT_TRUE(check.isBusy());
    EXPECT_TRUE(check.busyIndicator()->isVisible());
    EXPECT_FALSE(check.isEnabled());
    EXPECT_EQ(badgeOf(header, UpdateStudioTab::updates), QString()) << "nothing is known to be outdated yet";
    saveHeaderScreenshot(u"header-checking-en"_s);

    model->setLanguage(TruneLanguage::tr);
    settle();
    EXPECT_EQ(check.text(), u"Denetleniyor..."_s);
    EXPECT_EQ(header.tab(UpdateStudioTab::updates)->text(), u"Uygulamalar"_s);
    EXPECT_EQ(header.tab(UpdateStudioTab::homebrew)->text(), u"Homebrew"_s);
    EXPECT_EQ(header.tab(UpdateStudioTab::suiteHub)->text(), u"Quorvane Hub"_s);
    saveHeaderScreenshot(u"header-checking-tr"_s);
    model->setLanguage(TruneLanguage::en);
    settle();

    feedMayAnswer = true;
    ASSERT_TRUE(waitForFirstRefresh(*model));
    settle();
    EXPECT_EQ(check.text(), u"Check Updates"_s);
    EXPECT_FALSE(check.isBusy());
    EXPECT_TRUE(check.isEnabled());
    EXPECT_EQ(badgeOf(header, UpdateStudioTab::updates), u"1"_s);
    // Three outdated casks and two outdated formulae; openssl@3, outdated but installed only as a
    // dependency, does not count.
    EXPECT_EQ(badgeOf(header, UpdateStudioTab::homebrew), u"5"_s);
    EXPECT_EQ(badgeOf(header, UpdateStudioTab::uninstaller), QString());
    EXPECT_EQ(badgeOf(header, UpdateStudioTab::suiteHub), QString());
    EXPECT_EQ(badgeOf(header, UpdateStudioTab::settings), QString());
    saveHeaderScreenshot(u"header-counts-en"_s);
    saveScreenshot(*view, u"studio-idle-en"_s);

    // A click starts the next check at once.
    QTest::mouseClick(&check, Qt::LeftButton);
    settle();
    EXPECT_TRUE(model->state().isCheckingUpdates);
    EXPECT_FALSE(check.isEnabled());
    ASSERT_TRUE(waitForFirstRefresh(*model));
    settle();
}

TEST_F(StudioShellTest, TabsSwitchTheScreenAndShowTheActiveLook)
{
    openStudio();
    StudioHeaderBar& header = *view->header();
    EXPECT_EQ(view->tabPage()->objectName(), u"appsAndUpdatesView"_s);
    EXPECT_TRUE(header.tab(UpdateStudioTab::updates)->isActive());

    SegmentedStudioTab& settings = *header.tab(UpdateStudioTab::settings);
    const SegmentedStudioTab::Look resting = settings.look();
    QTest::mouseClick(&settings, Qt::LeftButton);
    settle();
    EXPECT_EQ(model->state().selectedTab, UpdateStudioTab::settings);
    EXPECT_EQ(view->tabPage()->objectName(), u"updateSettingsView"_s);
    EXPECT_TRUE(settings.isActive());
    EXPECT_FALSE(header.tab(UpdateStudioTab::updates)->isActive());
    EXPECT_EQ(settings.look().title, QColor(Qt::white));
    EXPECT_EQ(settings.look().icon, accentColor(TruneProductPalette::deepEmerald));
    EXPECT_NE(settings.look().plate, resting.plate);

    // Clicking the active tab keeps it.
    QTest::mouseClick(&settings, Qt::LeftButton);
    settle();
    EXPECT_EQ(view->tabPage()->objectName(), u"updateSettingsView"_s);
}

// Bundles trashed by hand raise the banner for the newest; closing it shows the next, and
// "Review & Clean" opens its leftovers in the uninstaller.
TEST_F(StudioShellTest, TheTrashBannerWalksThroughTrashedBundles)
{
    const QString lumen = makeAppWithLeftovers(u"Lumen"_s, u"com.example.lumen"_s);
    const QString prism = makeAppWithLeftovers(u"Prism"_s, u"com.example.prism"_s);
    openStudio();
    TrashLeftoverBanner& banner = *view->trashBanner();
    EXPECT_FALSE(banner.isVisible());

    ASSERT_TRUE(TruneTrash::trashItem(lumen).has_value());
    ASSERT_TRUE(waitUntil([&] { return model->state().trashAlerts.size() == 1; }));
    settle();
    ASSERT_TRUE(TruneTrash::trashItem(prism).has_value());
    ASSERT_TRUE(waitUntil([&] { return model->state().trashAlerts.size() == 2; }));
    settle();
    EXPECT_TRUE(banner.isVisible());
    const QLabel& message = *banner.findChild<QLabel*>(u"trashBannerMessage"_s);
    const TrashLeftoverAlert newest = model->state().trashAlerts.front();
    EXPECT_EQ(newest.appName(), u"Prism"_s);
    EXPECT_EQ(message.text(),
        u"'Prism' was moved to Trash with 3 leftover files (%1) still in ~/Library."_s.arg(
            TruneByteFormatter::format(newest.totalSizeBytes())));
    EXPECT_EQ(view->header()->tab(UpdateStudioTab::uninstaller)->badgeText(), u"2"_s);
    saveScreenshot(*view, u"studio-trash-banner-en"_s);
    model->setLanguage(TruneLanguage::tr);
    settle();
    EXPECT_TRUE(message.text().startsWith(u"'Prism' Çöp Sepetine taşındı; ~/Library içinde 3 artık dosya"_s));
    EXPECT_EQ(banner.findChild<QAbstractButton*>(u"trashBannerReview"_s)->text(), u"İncele ve Temizle"_s);
    saveScreenshot(*view, u"studio-trash-banner-tr"_s);
    model->setLanguage(TruneLanguage::en);
    settle();

    QTest::mouseClick(banner.findChild<QAbstractButton*>(u"trashBannerClose"_s), Qt::LeftButton);
    settle();
    EXPECT_TRUE(message.text().startsWith(u"'Lumen' was moved"_s));
    EXPECT_EQ(model->state().trashAlerts.size(), 1u);

    QTest::mouseClick(banner.findChild<QAbstractButton*>(u"trashBannerReview"_s), Qt::LeftButton);
    settle();
    EXPECT_TRUE(model->state().trashAlerts.empty());
    EXPECT_FALSE(banner.isVisible());
    EXPECT_EQ(model->state().selectedTab, UpdateStudioTab::uninstaller);
    EXPECT_EQ(view->tabPage()->objectName(), u"appUninstallerView"_s);
    EXPECT_EQ(model->state().leftoverItems.size(), 3u);
}

TEST_F(StudioShellTest, ALongAppNameWrapsTheBannerInsteadOfWideningTheWindow)
{
    openStudio();
    const QString name = QString(u"Very Long Application Name "_s).repeated(8);
    model->receiveTrashAlert(TrashLeftoverAlert(QUuid::createUuid(), name, u"com.example.long"_s,
        TruneTrash::filesDirectory() + u"/Long.app"_s, QDateTime::currentDateTimeUtc(),
        {LeftoverFileItem(
            std::nullopt, home.home.filePath(u"Library/Caches/x"_s), LeftoverCategory::caches, 0, true)}));
    settle();
    QApplication::processEvents();
    const TrashLeftoverBanner& banner = *view->trashBanner();
    EXPECT_EQ(view->width(), windowSize.width());
    const QLabel& message = *banner.findChild<QLabel*>(u"trashBannerMessage"_s);
    EXPECT_GE(message.height(), 2 * message.fontMetrics().lineSpacing()) << "the message takes several lines";
    EXPECT_LE(banner.width(), windowSize.width());
    EXPECT_TRUE(banner.message().contains(u"with 1 leftover files (0 B)"_s));
}

// The toast rests 22 px above the bottom edge, and 215 px while the console drawer is open.
TEST_F(StudioShellTest, TheToastFloatsAboveTheOpenConsoleDrawer)
{
    openStudio();
    model->showToast(u"Upgraded 2 packages."_s, false);
    settle();
    ASSERT_NE(view->toast(), nullptr);
    const auto capsuleBottom = [&] {
        const TruneToastBanner& toast = *view->toast();
        return toast.mapTo(view.get(), toast.capsuleRect().bottomLeft().toPoint()).y();
    };
    EXPECT_EQ(view->height() - capsuleBottom(), MainUpdateStudioView::toastBottomInset);
    const QRect toastRect = view->toast()->geometry();
    EXPECT_NEAR(toastRect.center().x(), view->width() / 2, 1);
    saveScreenshot(*view, u"studio-toast-en"_s);

    model->setShowBrewConsole(true);
    settle();
    ASSERT_NE(view->consoleDrawer(), nullptr);
    EXPECT_EQ(view->height() - capsuleBottom(), MainUpdateStudioView::toastBottomInsetOverDrawer);
    EXPECT_TRUE(view->consoleDrawer()->isVisible());
    EXPECT_EQ(view->consoleDrawer()->mapTo(view.get(), QPoint(0, view->consoleDrawer()->height())).y(), view->height())
        << "the drawer lies along the bottom edge";
    saveScreenshot(*view, u"studio-toast-over-drawer-en"_s);

    // Another message takes the toast's place; switching tabs leaves toast and drawer alone.
    model->showToast(u"Homebrew upgrade cancelled."_s, true);
    settle();
    EXPECT_EQ(view->toast()->message(), u"Homebrew upgrade cancelled."_s);
    EXPECT_TRUE(view->toast()->isError());
    view->header()->tab(UpdateStudioTab::homebrew)->click();
    settle();
    EXPECT_NE(view->toast(), nullptr);
    EXPECT_NE(view->consoleDrawer(), nullptr);

    model->setShowBrewConsole(false);
    settle();
    EXPECT_EQ(view->consoleDrawer(), nullptr);
    EXPECT_EQ(view->height() - capsuleBottom(), MainUpdateStudioView::toastBottomInset);
}

namespace {

// The lightness of the darkest pixel of `area` in `shot`.
double darkestIn(const QImage& shot, const QRect& area)
{
    double darkest = 1;
    const QRect inside = area.intersected(shot.rect());
    for (int y = inside.top(); y <= inside.bottom(); ++y) {
        for (int x = inside.left(); x <= inside.right(); ++x)
            darkest = std::min<double>(darkest, shot.pixelColor(x, y).lightnessF());
    }
    return darkest;
}

} // namespace

// The white primary buttons carry dark ink wherever they stand, their own text and any label or
// glyph placed on them: a white label on white would leave the button blank.
TEST_F(StudioShellTest, EveryPrimaryButtonOfTheStudioHasDarkInkOnItsLightFill)
{
    answerWithOutdatedPackages();
    makeAppWithLeftovers(u"Lumen"_s, u"com.example.lumen"_s);
    openStudio();
    model->setHomebrewSubTab(HomebrewSubTab::search);
    int checked = 0;
    for (const TruneLanguage language : {TruneLanguage::en, TruneLanguage::tr}) {
        model->setLanguage(language);
        for (const UpdateStudioTab tab : allCases<UpdateStudioTab>()) {
            model->setSelectedTab(tab);
            settle();
            for (TrunePrimaryButton* button : view->findChildren<TrunePrimaryButton*>()) {
                if (!button->isVisible())
                    continue;
                SCOPED_TRACE((rawValue(tab) + u" "_s + button->objectName()).toStdString());
                // The button's own text on its fill, and each label placed on it, where it lies.
                const QImage shot = button->grab().toImage();
                EXPECT_LT(darkestIn(shot, shot.rect()), 0.35) << "dark ink on the light fill";
                for (QLabel* label : button->findChildren<QLabel*>()) {
                    if (label->isVisible() && !label->text().isEmpty()) {
                        const QRect area(label->mapTo(button, QPoint()), label->size());
                        EXPECT_LT(darkestIn(shot, area), 0.35) << label->text().toStdString();
                    }
                }
                ++checked;
            }
        }
    }
    EXPECT_GE(checked, 6) << "the check button and the tabs' own primary buttons were seen";

    // The search field and its button, as the Homebrew tab shows them, in both languages.
    model->setSelectedTab(UpdateStudioTab::homebrew);
    for (const TruneLanguage language : {TruneLanguage::en, TruneLanguage::tr}) {
        model->setLanguage(language);
        settle();
        const QWidget* controls = view->findChild<QWidget*>(u"homebrewSearchButton"_s)->parentWidget();
        const QRect area = QRect(controls->mapTo(view.get(), QPoint()), controls->size()).adjusted(-14, -10, 14, 10);
        QLabel shot;
        shot.setPixmap(view->grab(area));
        shot.resize(area.size());
        saveScreenshot(shot, u"homebrew-search-button-"_s + language.rawValue());
    }
}

// One rule for every control: Tab reaches it and rings it; a new window's first control and a
// clicked chip or sub-tab show no ring (a click does not even take the focus).
TEST_F(StudioShellTest, OnlyTheKeyboardLeavesAFocusRing)
{
    answerWithOutdatedPackages();
    openStudio();
    view->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(view.get()));
    settle();
    const auto ringed = [] {
        const QWidget* focused = QApplication::focusWidget();
        return focused && TruneGlassShapes::showsFocusRing(*focused) ? focused->objectName() : QString();
    };
    EXPECT_EQ(ringed(), QString()) << "no ring at rest";
    saveHeaderScreenshot(u"header-at-rest-en"_s);

    for (const QString& name : {u"filterChip-all"_s, u"filterChip-homebrew"_s}) {
        QWidget* chip = view->findChild<QWidget*>(name);
        ASSERT_NE(chip, nullptr) << name.toStdString();
        QTest::mouseClick(chip, Qt::LeftButton, {}, chip->rect().center());
        settle();
        EXPECT_NE(QApplication::focusWidget(), chip) << name.toStdString();
        EXPECT_EQ(ringed(), QString());
    }
    model->setSelectedTab(UpdateStudioTab::homebrew);
    settle();
    QWidget* casks = view->findChild<QWidget*>(u"homebrewSubTab.casks"_s);
    ASSERT_NE(casks, nullptr);
    QTest::mouseClick(casks, Qt::LeftButton, {}, casks->rect().center());
    settle();
    EXPECT_NE(QApplication::focusWidget(), casks);
    EXPECT_EQ(ringed(), QString());

    QWidget* start = QApplication::focusWidget() ? QApplication::focusWidget() : view.get();
    QTest::keyClick(start, Qt::Key_Tab);
    settle();
    ASSERT_NE(QApplication::focusWidget(), nullptr);
    EXPECT_TRUE(TruneGlassShapes::showsFocusRing(*QApplication::focusWidget())) << "Tab rings what it reached";
}

TEST_F(StudioShellTest, TheVersionBadgeOpensTheSheetAndEscapeClosesIt)
{
    openStudio();
    QAbstractButton& badge = *view->header()->versionBadgeButton();
    EXPECT_EQ(badge.toolTip(), u"Version &amp; Runtime Logs"_s);
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        QTest::mouseClick(&badge, Qt::LeftButton);
        settle();
        EXPECT_TRUE(model->state().isVersionLogsSheetPresented);
        TruneVersionAndLogsView* sheet = view->versionSheet();
        ASSERT_NE(sheet, nullptr);
        ASSERT_TRUE(waitUntil([&] { return sheet->isVisible(); }));
        EXPECT_EQ(sheet->size(), MainUpdateStudioView::versionSheetSize);
        if (round == 0) {
            sheet->waitForWork();
            saveScreenshot(*sheet, u"studio-version-sheet-en"_s);
        }
        QTest::keyClick(sheet, Qt::Key_Escape);
        settle();
        EXPECT_FALSE(model->state().isVersionLogsSheetPresented);
        ASSERT_TRUE(waitUntil([&] { return view->versionSheet() == nullptr; }));
    }
}

TEST_F(StudioShellTest, TheConsoleToggleShowsTheDrawerAndItsLook)
{
    openStudio();
    StudioHeaderBar& header = *view->header();
    EXPECT_FALSE(header.consoleToggle()->isActive());
    EXPECT_FALSE(header.runningDot()->isVisible());
    EXPECT_TRUE(header.consoleToggle()->toolTip().startsWith(u"Toggle Homebrew Console ("_s));
    QTest::mouseClick(header.consoleToggle(), Qt::LeftButton);
    settle();
    EXPECT_TRUE(model->state().showBrewConsole);
    EXPECT_TRUE(header.consoleToggle()->isActive());
    EXPECT_NE(view->consoleDrawer(), nullptr);
    QTest::mouseClick(header.consoleToggle(), Qt::LeftButton);
    settle();
    EXPECT_FALSE(model->state().showBrewConsole);
    EXPECT_EQ(view->consoleDrawer(), nullptr);
}
