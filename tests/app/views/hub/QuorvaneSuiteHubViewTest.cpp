#include "app/views/hub/QuorvaneSuiteHubView.h"

#include "app/views/hub/SuiteHubAppCard.h"
#include "app/views/settings/PermissionsAuditSection.h"
#include "kit/ui/TruneElidedLabel.h"
#include "kit/ui/TruneGlassCard.h"
#include "kit/ui/TruneGlassTokens.h"
#include "tests/app/StudioTestHome.h"
#include "tests/app/ToastLog.h"
#include "tests/core/homebrew/InstalledFakeBrew.h"
#include "tests/support/BundleMaker.h"
#include "tests/support/FakeXdgOpen.h"
#include "tests/support/RecordBuilders.h"
#include "tests/support/Screenshots.h"
#include "tests/support/TestWaits.h"
#include "tests/support/ViewTestHarness.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QScrollArea>

using namespace Qt::StringLiterals;

namespace {

class QuorvaneSuiteHubViewTest : public ::testing::Test {
protected:
    void makeApp(const QString& name, const QString& bundleID, const QString& version = u"1.0"_s,
        const QString& build = u"1.0"_s)
    {
        BundleMaker::makeAppBundle(home.applications() + u"/"_s + name + u".app"_s,
            {.info = QVariantMap{{u"CFBundleIdentifier"_s, bundleID}, {u"CFBundleName"_s, name},
                 {u"CFBundleShortVersionString"_s, version}, {u"CFBundleVersion"_s, build}},
                .executableName = name});
    }

    std::unique_ptr<UpdateStudioViewModel> makeModel()
    {
        auto model = std::make_unique<UpdateStudioViewModel>(home.environment());
        toasts.follow(*model);
        EXPECT_TRUE(waitForFirstRefresh(*model));
        return model;
    }

    static QStringList cardTexts(const QList<SuiteHubAppCard*>& cards, const QString& labelName)
    {
        QStringList texts;
        for (const SuiteHubAppCard* card : cards) {
            const QLabel* label = card->findChild<QLabel*>(labelName);
            texts.append(label ? label->text() : u"-"_s);
        }
        return texts;
    }

    // The session's kind as the desktop announces it, for the life of the object.
    struct SessionType {
        explicit SessionType(const QByteArray& type)
        {
            for (const char* name : {"XDG_SESSION_TYPE", "DISPLAY", "WAYLAND_DISPLAY"}) {
                saved.emplace_back(name, qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt);
                qunsetenv(name);
            }
            qputenv("XDG_SESSION_TYPE", type);
        }
        ~SessionType()
        {
            for (const auto& [name, value] : saved) {
                if (value)
                    qputenv(name, *value);
                else
                    qunsetenv(name);
            }
        }
        std::vector<std::pair<const char*, std::optional<QByteArray>>> saved;
    };

    // Scrolls the page down to the permission audit.
    static void showAudit(ViewHost<QuorvaneSuiteHubView>& frame)
    {
        settle();
        frame.find<QScrollArea>(u"suiteHubScroll"_s)
            ->ensureWidgetVisible(frame.find<QWidget>(u"permissionsAuditSection"_s));
        settle();
    }

    NoBrewAnywhere noBrew;
    StudioTestHome home;
    ToastLog toasts; // of every model makeModel() made
};

TEST(SuiteHubAppCardTest, TheBuildShowsOnlyWhenItSaysMoreThanTheVersion)
{
    const struct {
        QString installed;
        QString build;
        QString version;
        std::optional<QString> buildText;
    } cases[] = {
        {u"2.1"_s, u"210"_s, u"2.1"_s, u"(210)"_s},
        {u"2.1"_s, u"2.1"_s, u"2.1"_s, std::nullopt},
        {u"2.1"_s, u""_s, u"2.1"_s, std::nullopt},
        {u""_s, u"77"_s, u"77"_s, std::nullopt},
        {u""_s, u""_s, u"—"_s, std::nullopt},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE((c.installed + u"/"_s + c.build).toStdString());
        const InstalledAppRecord app
            = AppRecordBuilder(u"Lumen"_s).installedVersion(c.installed).buildVersion(c.build).build();
        EXPECT_EQ(app.displayVersion(), c.version);
        EXPECT_EQ(SuiteHubAppCard::buildText(app), c.buildText);
    }
}

TEST(SuiteHubAppCardTest, OnlyThisProgramsOwnCardLacksTheLeftoverButton)
{
    const struct {
        QString bundleID;
        bool offered;
    } cases[] = {
        {u"com.quorvane.truneupdate"_s, false},
        {u"COM.Quorvane.TruneUpdate"_s, false},
        {u"com.quorvane.truneupdate.helper"_s, true},
        {u" com.quorvane.truneupdate"_s, true},
        {u"com.quorvane.lumen"_s, true},
        {u""_s, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.bundleID.toStdString());
        EXPECT_EQ(SuiteHubAppCard::offersLeftoverInspection(c.bundleID), c.offered);
    }
}

TEST_F(QuorvaneSuiteHubViewTest, TheHubCountsTheMakersAppsAndShowsEachAsACard)
{
    makeApp(u"TruneUpdate"_s, u"COM.Quorvane.TruneUpdate"_s, u"3.4.0"_s, u"340"_s);
    makeApp(u"Lumen"_s, u"com.quorvane.lumen"_s, u"2.1"_s, u"2.1"_s);
    makeApp(u"Prism Studio with a rather long name that wraps"_s, u"com.quorvane.prism.studio.helper.extended"_s, u""_s,
        u"77"_s);
    makeApp(u"Other"_s, u"com.example.other"_s);
    auto model = makeModel();
    ViewHost frame(new QuorvaneSuiteHubView(*model, studioAccent()));

    EXPECT_EQ(frame.find<QLabel>(u"hubAppCount"_s)->text(), u"3"_s);
    EXPECT_FALSE(frame.find<TruneGlassCard>(u"hubEmptyCard"_s)->isVisibleTo(frame.view));
    const QList<SuiteHubAppCard*> cards = frame.findAll<SuiteHubAppCard>();
    ASSERT_EQ(cards.size(), 3);
    EXPECT_EQ(cardTexts(cards, u"appName"_s),
        (QStringList{u"Lumen"_s, u"Prism Studio with a rather long name that wraps"_s, u"TruneUpdate"_s}));
    EXPECT_EQ(cardTexts(cards, u"appVersion"_s), (QStringList{u"v2.1"_s, u"v77"_s, u"v3.4.0"_s}));
    EXPECT_EQ(cardTexts(cards, u"appBuild"_s), (QStringList{u"-"_s, u"-"_s, u"(340)"_s}));
    EXPECT_EQ(cardTexts(cards, u"appSize"_s).size(), 3);
    QStringList inspectable;
    for (SuiteHubAppCard* card : cards) {
        EXPECT_NE(card->findChild<QAbstractButton*>(u"launchButton"_s), nullptr);
        EXPECT_NE(card->findChild<QAbstractButton*>(u"revealButton"_s), nullptr);
        if (card->findChild<QAbstractButton*>(u"inspectLeftoversButton"_s))
            inspectable.append(card->findChild<QLabel*>(u"appName"_s)->text());
    }
    EXPECT_EQ(inspectable, (QStringList{u"Lumen"_s, u"Prism Studio with a rather long name that wraps"_s}));
    EXPECT_EQ(cards.at(0)->findChild<QAbstractButton*>(u"revealButton"_s)->accessibleName(), u"Show in File Manager"_s);
    saveScreenshot(*frame.window, u"hub-apps-en"_s);

    model->setLanguage(TruneLanguage::tr);
    ASSERT_TRUE(waitUntil([&] { return frame.shownTexts().contains(u"Kurulu Quorvane Uygulamaları"_s); }));
    settle();
    const QStringList turkish = frame.shownTexts();
    for (const QString& text : {u"Quorvane Paket Merkezi"_s, u"Kurulu Uygulama"_s, u"Aç"_s, u"Yenile"_s,
             u"Ayarları Aç"_s, u"Sistem Sesi Yakalama"_s}) {
        EXPECT_TRUE(turkish.contains(text)) << text.toStdString();
    }
    EXPECT_FALSE(turkish.contains(u"Launch"_s));
    EXPECT_EQ(frame.findAll<SuiteHubAppCard>()
                  .at(0)
                  ->findChild<QAbstractButton*>(u"inspectLeftoversButton"_s)
                  ->accessibleName(),
        u"Artıkları İncele"_s);
    saveScreenshot(*frame.window, u"hub-apps-tr"_s);
}

TEST_F(QuorvaneSuiteHubViewTest, LaunchShowsTheSystemsErrorWhileRevealAndInspectReachTheirTargets)
{
    makeApp(u"Lumen"_s, u"com.quorvane.lumen"_s);
    BundleMaker::writeFile(home.home.filePath(u"Library/Caches/com.quorvane.lumen/cache.db"_s), "cache");
    auto model = makeModel();
    ViewHost frame(new QuorvaneSuiteHubView(*model, studioAccent()));
    SuiteHubAppCard* card = frame.findAll<SuiteHubAppCard>().value(0);
    ASSERT_NE(card, nullptr);

    card->findChild<QAbstractButton*>(u"launchButton"_s)->click();
    EXPECT_EQ(toasts.lastMessage(), u"macOS applications cannot be opened on this system."_s);
    EXPECT_TRUE(toasts.lastIsError());

    FakeXdgOpen opener;
    card->findChild<QAbstractButton*>(u"revealButton"_s)->click();
    ASSERT_TRUE(opener.waitForCalls(1));
    EXPECT_EQ(opener.calls().front(), QStringList{QUrl::fromLocalFile(home.applications()).toString()});

    card->findChild<QAbstractButton*>(u"inspectLeftoversButton"_s)->click();
    EXPECT_EQ(model->state().selectedTab, UpdateStudioTab::uninstaller);
    ASSERT_TRUE(model->state().uninstallerTargetApp.has_value());
    EXPECT_EQ(model->state().uninstallerTargetApp->bundleID, u"com.quorvane.lumen"_s);
    ASSERT_TRUE(waitUntil([&] { return !model->state().leftoverItems.empty(); }));
}

TEST_F(QuorvaneSuiteHubViewTest, WithoutTheMakersAppsTheCountIsZeroAndTheEmptyCardStandsInForTheGrid)
{
    makeApp(u"Other"_s, u"com.example.other"_s);
    auto model = makeModel();
    ViewHost frame(new QuorvaneSuiteHubView(*model, studioAccent()));
    EXPECT_EQ(frame.find<QLabel>(u"hubAppCount"_s)->text(), u"0"_s);
    EXPECT_TRUE(frame.find<QLabel>(u"hubAppsHeading"_s)->isVisibleTo(frame.view));
    EXPECT_TRUE(frame.find<TruneGlassCard>(u"hubEmptyCard"_s)->isVisibleTo(frame.view));
    EXPECT_FALSE(frame.find<QWidget>(u"hubAppGrid"_s)->isVisibleTo(frame.view));
    EXPECT_EQ(frame.find<QLabel>(u"hubEmptyText"_s)->text(),
        u"No Quorvane apps (com.quorvane.*) detected in /Applications or ~/Applications yet."_s);
    saveScreenshot(*frame.window, u"hub-empty-en"_s);

    // One of the maker's apps arrives with the next refresh.
    makeApp(u"Lumen"_s, u"com.quorvane.lumen"_s);
    ASSERT_TRUE(refreshAndWait(*model));
    ASSERT_TRUE(waitUntil([&] { return frame.findAll<SuiteHubAppCard>().size() == 1; }));
    EXPECT_EQ(frame.find<QLabel>(u"hubAppCount"_s)->text(), u"1"_s);
    EXPECT_FALSE(frame.find<TruneGlassCard>(u"hubEmptyCard"_s)->isVisibleTo(frame.view));
    model->setLanguage(TruneLanguage::tr);
    ASSERT_TRUE(waitUntil([&] { return frame.shownTexts().contains(u"Kurulu Uygulama"_s); }));
    settle();
    saveScreenshot(*frame.window, u"hub-one-app-tr"_s);
}

TEST_F(QuorvaneSuiteHubViewTest, TheGridFitsAsManyCardsOf270To380AsTheWidthAllows)
{
    for (int index = 0; index < 5; ++index)
        makeApp(u"App%1"_s.arg(index), u"com.quorvane.app%1"_s.arg(index));
    auto model = makeModel();
    ViewHost frame(new QuorvaneSuiteHubView(*model, studioAccent()));
    auto* grid = frame.find<QWidget>(u"hubAppGrid"_s);
    auto* layout = qobject_cast<TruneAdaptiveGridLayout*>(grid->layout());
    ASSERT_NE(layout, nullptr);
    EXPECT_EQ(layout->grid(), QuorvaneSuiteHubView::gridColumns);

    const struct {
        int width;
        QList<int> columnStarts;
        int cardWidth;
    } cases[] = {
        {270, {0}, 270},
        {554, {0, 284}, 270},
        {800, {13, 407}, 380},
        {1200, {1, 304, 607, 910}, 289},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.width);
        layout->setGeometry(QRect(0, 0, c.width, layout->heightForWidth(c.width)));
        QList<int> starts;
        for (const SuiteHubAppCard* card : frame.findAll<SuiteHubAppCard>()) {
            if (!starts.contains(card->x()))
                starts.append(card->x());
            EXPECT_EQ(card->width(), c.cardWidth);
        }
        std::ranges::sort(starts);
        EXPECT_EQ(starts, c.columnStarts);
    }
}

TEST_F(QuorvaneSuiteHubViewTest, PermissionRowsFollowTheSessionAndRefreshSaysSo)
{
    auto model = makeModel();
    ViewHost frame(new QuorvaneSuiteHubView(*model, studioAccent()));
    const auto rowStatus = [&](const char* kind) {
        QWidget* row = frame.find<QWidget>(u"permissionRow_"_s + QString::fromLatin1(kind));
        auto* capsule = row->findChild<PermissionStatusCapsule*>();
        auto* dot = row->findChild<PermissionStatusDot*>();
        EXPECT_EQ(dot->color(), capsule->color()) << kind;
        return std::pair{capsule->text(), capsule->color()};
    };
    const auto systemManaged = std::pair{u"System Managed"_s, QColor::fromRgb(92, 196, 255)};

    {
        SessionType x11("x11");
        frame.find<QAbstractButton>(u"refreshPermissionsButton"_s)->click();
        ASSERT_TRUE(waitUntil([&] { return rowStatus("accessibility").first == u"Granted"_s; }));
        EXPECT_EQ(rowStatus("accessibility"), std::pair(u"Granted"_s, TruneGlassTokens::success()));
        EXPECT_EQ(rowStatus("screenRecording"), std::pair(u"Granted"_s, TruneGlassTokens::success()));
        EXPECT_EQ(rowStatus("systemAudio"), systemManaged);
        EXPECT_EQ(toasts.lastMessage(), u"Permissions refreshed."_s);
        EXPECT_FALSE(toasts.lastIsError());
        showAudit(frame);
        saveScreenshot(*frame.window, u"permissions-x11-en"_s);
    }
    {
        SessionType wayland("wayland");
        model->setLanguage(TruneLanguage::tr);
        frame.find<QAbstractButton>(u"refreshPermissionsButton"_s)->click();
        ASSERT_TRUE(waitUntil([&] { return rowStatus("accessibility").first == u"Verilmedi"_s; }));
        EXPECT_EQ(rowStatus("accessibility"), std::pair(u"Verilmedi"_s, TruneGlassTokens::warning()));
        EXPECT_EQ(rowStatus("screenRecording"), std::pair(u"Verilmedi"_s, TruneGlassTokens::warning()));
        EXPECT_EQ(rowStatus("systemAudio"), std::pair(u"Sistem Yönetimli"_s, systemManaged.second));
        EXPECT_EQ(toasts.lastMessage(), u"İzin durumu yenilendi."_s);
        // No system pane grants these here: the buttons say so instead of doing nothing.
        for (QAbstractButton* button : frame.findAll<QAbstractButton>(u"openSettingsButton"_s)) {
            EXPECT_FALSE(button->isEnabled());
            EXPECT_EQ(button->text(), u"Ayarları Aç"_s);
            EXPECT_EQ(button->toolTip(), u"Bu sistemde bu izin için bir ayar paneli yok."_s);
        }
        showAudit(frame);
        saveScreenshot(*frame.window, u"permissions-wayland-tr"_s);
    }
    model->setLanguage(TruneLanguage::en);
    ASSERT_TRUE(waitUntil([&] { return rowStatus("systemAudio") == systemManaged; }));
    EXPECT_EQ(frame.findAll<QAbstractButton>(u"openSettingsButton"_s).value(2)->toolTip(),
        u"No settings pane for this permission on this system."_s);
}

} // namespace
