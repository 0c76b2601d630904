#include "app/menubar/MenuBarUpdatePopoverView.h"

#include "app/menubar/MenuBarTrayIcon.h"
#include "kit/ui/TruneElidedLabel.h"
#include "kit/ui/TruneGlassButtons.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneProductPalette.h"
#include "kit/ui/TruneSpinner.h"
#include "tests/app/views/apps/AppsTabFixture.h"
#include "tests/support/TestWaits.h"

#include <QLabel>
#include <QPainter>
#include <QTest>
#include <QUuid>

#include <array>
#include <cstdlib>

namespace {

const QColor popoverAccent = accentColor(TruneProductPalette::deepEmerald);

TrashLeftoverAlert trashAlert(const QString& appName, int leftovers)
{
    std::vector<LeftoverFileItem> items;
    for (int index = 0; index < leftovers; ++index) {
        items.emplace_back(std::nullopt, u"/home/u/Library/Caches/%1-%2"_s.arg(appName).arg(index),
            LeftoverCategory::caches, 1'500'000, true);
    }
    return TrashLeftoverAlert(QUuid::createUuid(), appName, u"com.example."_s + QString::number(leftovers),
        u"/home/u/.Trash/"_s + QString::number(leftovers) + u".app"_s, QDateTime::currentDateTimeUtc(), items);
}

} // namespace

class MenuBarUpdatePopoverViewTest : public AppsTabTest {
protected:
    MenuBarUpdatePopoverView& showPopover(UpdateStudioViewModel& model)
    {
        popover = std::make_unique<MenuBarUpdatePopoverView>(
            model, [this] { ++studioOpenings; }, popoverAccent);
        popover->setWindowFlags(Qt::FramelessWindowHint);
        popover->show();
        return *popover;
    }

    template <typename T = QWidget> T& find(const QString& name) const
    {
        T* found = popover->findChild<T*>(name);
        if (!found)
            throw std::runtime_error("no widget named " + name.toStdString());
        return *found;
    }

    QString status() const { return find<QLabel>(u"popoverStatusLabel"_s).text(); }
    bool shown(const QString& name) const { return find(name).isVisible(); }

    // Each row as "<name> | <version line> | <button>", with "(off)" for a disabled button.
    QStringList rows() const
    {
        QStringList texts;
        for (QWidget* row : popover->findChildren<QWidget*>(u"popoverAppRow"_s)) {
            const auto* button = row->findChild<TruneGlassButton*>(u"popoverAppButton"_s);
            texts.append(row->findChild<TruneElidedLabel*>(u"popoverAppName"_s)->text() + u" | "_s
                + row->findChild<QLabel*>(u"popoverAppVersion"_s)->text() + u" | "_s + button->text()
                + (button->isEnabled() ? QString() : u" (off)"_s));
        }
        return texts;
    }

    void save(const QString& name)
    {
        popover->adjustSize();
        QCoreApplication::processEvents();
        saveScreenshot(*popover, name);
    }

    std::unique_ptr<MenuBarUpdatePopoverView> popover;
    int studioOpenings = 0;
};

TEST_F(MenuBarUpdatePopoverViewTest, ShowsThePendingAppsAndTheFooterInBothLanguages)
{
    UpdateStudioViewModel& model = startStudio();
    showPopover(model);
    EXPECT_EQ(popover->width(), 340);
    EXPECT_EQ(status(), u"2 pending"_s);
    EXPECT_EQ(rows(), (QStringList{u"Feedy | 1.0 → 2.0 | Download"_s, u"Firefox | 124.0.2 → 125.0.3 | Update"_s}));
    EXPECT_FALSE(shown(u"popoverTrashAlert"_s));
    EXPECT_FALSE(shown(u"popoverAllCurrent"_s));
    EXPECT_TRUE(find<TruneGlassButton>(u"popoverCheckButton"_s).isEnabled());
    EXPECT_FALSE(shown(u"popoverStopButton"_s));
    EXPECT_EQ(find<TruneGlassButton>(u"popoverUpgradeAllButton"_s).text(), u"Upgrade All (1)"_s);
    EXPECT_TRUE(shown(u"popoverUpgradeAllButton"_s));
    save(u"popover-pending-en"_s);

    model.setLanguage(TruneLanguage::tr);
    EXPECT_EVENTUALLY_EQ(status(), u"2 bekliyor"_s);
    EXPECT_EQ(rows(), (QStringList{u"Feedy | 1.0 → 2.0 | İndir"_s, u"Firefox | 124.0.2 → 125.0.3 | Güncelle"_s}));
    EXPECT_EQ(find<TruneGlassButton>(u"popoverCheckButton"_s).accessibleName(), u"Denetle"_s);
    EXPECT_EQ(find<TrunePrimaryButton>(u"popoverOpenStudioButton"_s).text(), u"Stüdyoyu Aç"_s);
    save(u"popover-pending-tr"_s);

    // A row's button updates its app.
    model.setLanguage(TruneLanguage::en);
    EXPECT_EVENTUALLY_EQ(status(), u"2 pending"_s);
    QTest::mouseClick(popover->findChildren<TruneGlassButton*>(u"popoverAppButton"_s).front(), Qt::LeftButton);
    ASSERT_TRUE(xdgOpen.waitForCalls(1));
    EXPECT_EQ(xdgOpen.calls().front(), QStringList{u"https://downloads.example/2.0.zip"_s});

    QTest::mouseClick(&find(u"popoverOpenStudioButton"_s), Qt::LeftButton);
    EXPECT_EQ(studioOpenings, 1);
}

// The count is the point of "Upgrade All": where the whole title does not fit the footer, its words
// are shortened and the count stays whole, in both languages.
TEST_F(MenuBarUpdatePopoverViewTest, TheFooterAlwaysShowsTheWholeUpgradeCount)
{
    UpdateStudioViewModel& model = startStudio();
    showPopover(model);
    for (const TruneLanguage language : {TruneLanguage::tr, TruneLanguage::en}) {
        SCOPED_TRACE(language.rawValue().toStdString());
        model.setLanguage(language);
        const QString title = model.t(u"Upgrade All (1)"_s, u"Tümünü Yükselt (1)"_s);
        EXPECT_EVENTUALLY_EQ(find<TruneGlassButton>(u"popoverUpgradeAllButton"_s).accessibleName(), title);
        popover->adjustSize();
        QCoreApplication::processEvents();
        auto& upgrade = find<TruneGlassButton>(u"popoverUpgradeAllButton"_s);
        EXPECT_TRUE(upgrade.text().endsWith(u" (1)"_s)) << upgrade.text().toStdString();
        EXPECT_EQ(upgrade.toolTip(), title);
        EXPECT_GE(upgrade.width(), upgrade.sizeHint().width()) << "nothing of the shown title is cut";
        const auto& open = find<TrunePrimaryButton>(u"popoverOpenStudioButton"_s);
        EXPECT_GE(open.width(), open.sizeHint().width());
        save(u"popover-footer-"_s + language.rawValue());
    }
}

TEST_F(MenuBarUpdatePopoverViewTest, ShowsAtMostFiveAppsInTheirOrder)
{
    server.setResponse(u"/feed.xml"_s, LoopbackHttpServer::Response::ok(appcast(u"2.0"_s)));
    for (int index = 1; index <= 6; ++index) {
        const QString name = u"App %1"_s.arg(index);
        makeBundle({name, infoOf(name, u"com.example.app%1"_s.arg(index), u"1.0"_s, server.url(u"/feed.xml"_s))});
    }
    UpdateStudioViewModel& model = startStudio();
    showPopover(model);
    EXPECT_EQ(status(), u"8 pending"_s);
    QStringList names;
    for (TruneElidedLabel* name : popover->findChildren<TruneElidedLabel*>(u"popoverAppName"_s))
        names.append(name->text());
    EXPECT_EQ(names, (QStringList{u"App 1"_s, u"App 2"_s, u"App 3"_s, u"App 4"_s, u"App 5"_s}));
    save(u"popover-five-rows-en"_s);
}

TEST_F(MenuBarUpdatePopoverViewTest, FormulaeCountAsPendingOnlyWhenTheBadgeSaysSo)
{
    makeBundle({u"Arm Native"_s, infoOf(u"Arm Native"_s, u"com.example.armnative"_s, u"1.0"_s)});
    answerWithPackages(brew.fake,
        {{.name = u"wget"_s, .installed = u"1.0"_s, .latest = u"1.1"_s, .outdated = true},
            {.name = u"jq"_s, .installed = u"1.6"_s, .latest = u"1.7"_s, .outdated = true}});
    saveSettings([](TruneUpdateConfig& config) { config.includeHomebrewFormulaeInBadge = true; });
    UpdateStudioViewModel& model = start(fixtureEnvironment());
    model.setLanguage(TruneLanguage::en);
    showPopover(model);

    EXPECT_EVENTUALLY_EQ(status(), u"2 pending"_s);
    EXPECT_EQ(find<QLabel>(u"popoverStatusLabel"_s).palette().color(QPalette::WindowText), TruneGlassTokens::warning());
    EXPECT_TRUE(shown(u"popoverAllCurrent"_s));
    EXPECT_EQ(find<QLabel>(u"popoverAllCurrentLabel"_s).text(), u"All 1 scanned apps are up to date."_s);
    EXPECT_EQ(find<TruneGlassButton>(u"popoverUpgradeAllButton"_s).text(), u"Upgrade All (2)"_s);

    model.updateConfig([](TruneUpdateConfig& config) { config.includeHomebrewFormulaeInBadge = false; });
    EXPECT_EVENTUALLY_EQ(status(), u"Up to date"_s);
    EXPECT_EQ(find<QLabel>(u"popoverStatusLabel"_s).palette().color(QPalette::WindowText), TruneGlassTokens::success());
    EXPECT_TRUE(shown(u"popoverUpgradeAllButton"_s)) << "the button counts formulae whatever the badge does";
    save(u"popover-up-to-date-en"_s);
    model.setLanguage(TruneLanguage::tr);
    EXPECT_EVENTUALLY_EQ(status(), u"Güncel"_s);
    EXPECT_EQ(find<QLabel>(u"popoverAllCurrentLabel"_s).text(), u"Taranan 1 uygulamanın tümü güncel."_s);
    save(u"popover-up-to-date-tr"_s);

    // Formulae only installed as dependencies are no reason for the button.
    answerWithPackages(brew.fake,
        {{.name = u"openssl"_s, .installed = u"3.0"_s, .latest = u"3.1"_s, .outdated = true, .onRequest = false}});
    ASSERT_TRUE(refreshAndWait(model));
    EXPECT_EVENTUALLY_EQ(shown(u"popoverUpgradeAllButton"_s), false);
    EXPECT_FALSE(shown(u"popoverStopButton"_s));
}

TEST_F(MenuBarUpdatePopoverViewTest, WhileACommandRunsOnlyStopAndDownloadsStayAtHand)
{
    UpdateStudioViewModel& model = startStudio();
    brew.fake.setDefaultResponse({.sleepBeforeExit = 20});
    showPopover(model);

    QTest::mouseClick(&find(u"popoverUpgradeAllButton"_s), Qt::LeftButton);
    EXPECT_EQ(studioOpenings, 1) << "the studio comes forward for the batch";
    EXPECT_EVENTUALLY_TRUE(shown(u"popoverStopButton"_s));
    EXPECT_TRUE(shown(u"popoverSpinner"_s));
    EXPECT_FALSE(shown(u"popoverStatusLabel"_s));
    EXPECT_FALSE(find<TruneGlassButton>(u"popoverCheckButton"_s).isEnabled());
    EXPECT_FALSE(shown(u"popoverUpgradeAllButton"_s));
    EXPECT_EQ(
        rows(), (QStringList{u"Feedy | 1.0 → 2.0 | Download"_s, u"Firefox | 124.0.2 → 125.0.3 | Update (off)"_s}));
    save(u"popover-running-en"_s);

    QTest::mouseClick(&find(u"popoverStopButton"_s), Qt::LeftButton);
    EXPECT_TRUE(state().brewConsoleLog.contains(u"\n[TruneUpdate] Cancelling command...\n"_s));
    ASSERT_TRUE(waitUntil([&] { return !state().isBrewCommandRunning; }));
    EXPECT_EVENTUALLY_TRUE(shown(u"popoverUpgradeAllButton"_s));
    EXPECT_FALSE(shown(u"popoverStopButton"_s));
}

TEST_F(MenuBarUpdatePopoverViewTest, CheckShowsTheSpinnerUntilTheCheckEnds)
{
    UpdateStudioViewModel& model = startStudio();
    showPopover(model);
    QTest::mouseClick(&find(u"popoverCheckButton"_s), Qt::LeftButton);
    EXPECT_TRUE(state().isCheckingUpdates);
    EXPECT_EVENTUALLY_TRUE(shown(u"popoverSpinner"_s));
    EXPECT_FALSE(find<TruneGlassButton>(u"popoverCheckButton"_s).isEnabled());
    EXPECT_TRUE(shown(u"popoverUpgradeAllButton"_s)) << "a check alone leaves the upgrade at hand";
    ASSERT_TRUE(waitUntil([&] { return !state().isCheckingUpdates; }));
    EXPECT_EVENTUALLY_TRUE(shown(u"popoverStatusLabel"_s));
    EXPECT_TRUE(find<TruneGlassButton>(u"popoverCheckButton"_s).isEnabled());
}

TEST_F(MenuBarUpdatePopoverViewTest, TheNewestTrashAlertOpensInTheUninstaller)
{
    UpdateStudioViewModel& model = startStudio();
    showPopover(model);
    model.receiveTrashAlert(trashAlert(u"Older"_s, 1));
    model.receiveTrashAlert(trashAlert(u"<i>Evil</i>"_s, 3));
    EXPECT_EVENTUALLY_TRUE(shown(u"popoverTrashAlert"_s));
    const QLabel& title = find<QLabel>(u"popoverTrashAlertTitle"_s);
    EXPECT_EQ(title.text(), u"Leftovers for <i>Evil</i>"_s);
    EXPECT_EQ(title.textFormat(), Qt::PlainText);
    const QLabel& detail = find<QLabel>(u"popoverTrashAlertDetail"_s);
    EXPECT_EQ(detail.text(), u"3 items · 4.5 MB"_s);
    // Inside a button a label paints with the button-text colour.
    EXPECT_EQ(detail.palette().color(detail.foregroundRole()), TruneGlassTokens::textSecondary());
    save(u"popover-trash-alert-en"_s);
    model.setLanguage(TruneLanguage::tr);
    EXPECT_EVENTUALLY_EQ(title.text(), u"<i>Evil</i> artıkları bulundu"_s);
    save(u"popover-trash-alert-tr"_s);

    QTest::mouseClick(&find(u"popoverTrashAlert"_s), Qt::LeftButton);
    EXPECT_EQ(studioOpenings, 1);
    EXPECT_EQ(state().selectedTab, UpdateStudioTab::uninstaller);
    ASSERT_TRUE(state().uninstallerTargetApp);
    EXPECT_EQ(state().uninstallerTargetApp->name, u"<i>Evil</i>"_s);
    EXPECT_EVENTUALLY_EQ(title.text(), u"Older artıkları bulundu"_s);
}

TEST(MenuBarTrayIconTest, TheCountIsPaintedIntoEverySize)
{
    const QIcon empty = menuBarTrayIcon(0);
    const QIcon three = menuBarTrayIcon(3);
    for (const QIcon& icon : {empty, three}) {
        EXPECT_EQ(icon.availableSizes(),
            (QList<QSize>{QSize(16, 16), QSize(22, 22), QSize(24, 24), QSize(32, 32), QSize(48, 48)}));
    }

    for (const int px : {16, 48}) {
        SCOPED_TRACE(px);
        const QImage plain = menuBarTrayImage(0, px);
        const QImage badged = menuBarTrayImage(3, px);
        // Inside the badge, beside its figure: the badge's warm colour, where the plain icon has the
        // glyph's white or nothing.
        const qreal badge = px * 0.62;
        const QPoint besideFigure(qRound(px - badge * 0.12), qRound(px - badge / 2));
        const QColor warm = badged.pixelColor(besideFigure);
        EXPECT_GT(warm.red(), 200);
        EXPECT_LT(warm.blue(), 140);
        EXPECT_NE(plain.pixelColor(besideFigure), warm);
        // The figure itself is dark on the badge.
        const QPoint centre(qRound(px - badge / 2), qRound(px - badge / 2));
        bool darkFigure = false;
        for (int dx = -2; dx <= 2 && !darkFigure; ++dx)
            darkFigure = badged.pixelColor(centre + QPoint(dx, 0)).lightness() < 90
                && badged.pixelColor(centre + QPoint(dx, 0)).alpha() > 200;
        EXPECT_TRUE(darkFigure);
        // Away from the badge the two are the same glyph.
        EXPECT_EQ(plain.pixelColor(px / 4, px / 4), badged.pixelColor(px / 4, px / 4));
    }

    // Big counts stay readable as "99+" rather than being cut.
    EXPECT_NE(menuBarTrayImage(100, 32), menuBarTrayImage(3, 32));
    EXPECT_EQ(menuBarTrayImage(100, 32), menuBarTrayImage(250, 32));
}

// The tray's panel may be light or dark: the glyph, white with a dark outline, stands out from both.
TEST(MenuBarTrayIconTest, TheGlyphReadsOnALightAndADarkPanel)
{
    const std::array panels{QColor(0xF2, 0xF2, 0xF2), QColor(0x1E, 0x1E, 0x22)};
    QImage strip(2 * 4 * 40, 44, QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&strip);
    int left = 0;
    for (const QColor& panel : panels) {
        for (const int count : {0, 3}) {
            for (const int px : {22, 32}) {
                SCOPED_TRACE(u"panel %1, count %2, %3 px"_s.arg(panel.name()).arg(count).arg(px).toStdString());
                QImage shown(px, px, QImage::Format_ARGB32_Premultiplied);
                shown.fill(panel);
                {
                    QPainter over(&shown);
                    over.drawImage(0, 0, menuBarTrayImage(count, px));
                }
                int standingOut = 0;
                for (int y = 0; y < px; ++y) {
                    for (int x = 0; x < px; ++x)
                        standingOut += std::abs(shown.pixelColor(x, y).lightness() - panel.lightness()) > 110 ? 1 : 0;
                }
                EXPECT_GT(standingOut, px * px / 16) << "the glyph stands out from the panel";
                painter.fillRect(left, 0, 40, 44, panel);
                painter.drawImage(left + (40 - px) / 2, (44 - px) / 2, shown);
                left += 40;
            }
        }
    }
    painter.end();
    QLabel shot;
    shot.setPixmap(QPixmap::fromImage(strip));
    shot.resize(strip.size());
    saveScreenshot(shot, u"tray-icon-light-panel"_s);
}
