// A new user's first visit to the Settings and suite-hub tabs, over the real view model.
#include "app/views/hub/QuorvaneSuiteHubView.h"
#include "app/views/hub/SuiteHubAppCard.h"
#include "app/views/settings/UpdateSettingsView.h"

#include "kit/ui/TruneLanguagePicker.h"
#include "tests/app/StudioTestHome.h"
#include "tests/app/ToastLog.h"
#include "tests/app/views/settings/IgnoredRestoreClick.h"
#include "tests/core/homebrew/InstalledFakeBrew.h"
#include "tests/support/BundleMaker.h"
#include "tests/support/Screenshots.h"
#include "tests/support/TestWaits.h"
#include "tests/support/ViewTestHarness.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QListView>
#include <QMessageBox>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace {

void makeApp(const StudioTestHome& home, const QString& name, const QString& bundleID)
{
    BundleMaker::makeAppBundle(home.applications() + u"/"_s + name + u".app"_s,
        {.info = QVariantMap{{u"CFBundleIdentifier"_s, bundleID}, {u"CFBundleName"_s, name},
             {u"CFBundleShortVersionString"_s, u"1.4"_s}},
            .executableName = name});
}

void choose(QComboBox* picker, int index)
{
    ASSERT_GE(index, 0);
    picker->setCurrentIndex(index);
    emit picker->activated(index);
}

TEST(SettingsNewUserWalkTest, FromAnUninstallToLaunchingAMakersApp)
{
    NoBrewAnywhere noBrew;
    StudioTestHome home;
    makeApp(home, u"Lumen"_s, u"com.example.lumen"_s);
    makeApp(home, u"Prism"_s, u"com.quorvane.prism"_s);
    BundleMaker::writeFile(home.home.filePath(u"Library/Caches/com.example.lumen/cache.db"_s), "cache");
    {
        TruneUpdateConfig config;
        config.ignoredBundleIDs = {u"com.example.noisy"_s};
        UpdateConfigStore(home.configFolder(), 500).saveConfig(config);
    }
    UpdateStudioViewModel model(home.environment());
    const ToastLog toasts(model);
    ASSERT_TRUE(waitForFirstRefresh(model));
    model.setLanguage(TruneLanguage::en);
    ViewHost settings(new UpdateSettingsView(model, studioAccent()));
    ViewHost hub(new QuorvaneSuiteHubView(model, studioAccent()));

    // The user uninstalls Lumen and finds it at the top of the history.
    const auto lumen = std::ranges::find(model.state().installedApps, u"Lumen"_s, &InstalledAppRecord::name);
    ASSERT_NE(lumen, model.state().installedApps.end());
    model.inspectAppForUninstall(*lumen, true);
    ASSERT_TRUE(waitUntil([&] { return !model.state().leftoverItems.empty() && !model.state().isScanningLeftovers; }));
    model.trashSelectedLeftovers();
    ASSERT_TRUE(waitUntil([&] { return settings.findAll<QWidget>(u"historyRow"_s).size() == 1; }));
    EXPECT_EQ(settings.find<QLabel>(u"historyAppName"_s)->text(), u"Lumen"_s);

    // Restores the app ignored long ago.
    auto* ignored = settings.find<QListView>(u"ignoredList"_s);
    ASSERT_NE(ignored, nullptr);
    clickIgnoredRestore(*ignored, 0);
    ASSERT_TRUE(waitUntil([&] { return settings.find<QLabel>(u"ignoredHint"_s)->isVisibleTo(settings.view); }));
    EXPECT_TRUE(model.state().config.ignoredBundleIDs.isEmpty());

    // Checks twice a day.
    auto* interval = settings.find<QComboBox>(u"intervalPicker"_s);
    choose(interval, interval->findText(u"Every 12 hours"_s));
    EXPECT_EQ(model.state().config.autoCheckIntervalHours, 12);

    // Switches to Turkish: both tabs follow at once.
    auto* language = settings.find<TruneLanguagePicker>(u"languagePicker"_s);
    choose(language, language->findData(u"tr"_s));
    ASSERT_TRUE(waitUntil([&] {
        return settings.shownTexts().contains(u"Tercihler ve Otomasyon"_s)
            && hub.shownTexts().contains(u"Quorvane Paket Merkezi"_s);
    }));
    EXPECT_EQ(interval->currentText(), u"12 saatte bir"_s);

    // Lets the program start at login.
    settings.find<QCheckBox>(u"launchAtLoginToggle"_s)->click();
    EXPECT_TRUE(QFileInfo(home.home.configHome() + u"/autostart/com.quorvane.truneupdate.desktop"_s).isFile());
    EXPECT_TRUE(model.state().launchAtLogin);

    // Clears the history, after the question in Turkish.
    settings.find<QAbstractButton>(u"clearHistoryButton"_s)->click();
    auto* confirmation = settings.view->findChild<QMessageBox*>(u"clearHistoryConfirmation"_s);
    ASSERT_NE(confirmation, nullptr);
    EXPECT_EQ(confirmation->text(), u"Tüm güncelleme geçmişi temizlensin mi?"_s);
    EXPECT_EQ(confirmation->informativeText(), u"1 kayıt silinecek. Bu işlem geri alınamaz."_s);
    EXPECT_EQ(confirmation->defaultButton()->text(), u"İptal"_s);
    saveScreenshot(*confirmation, u"settings-clear-confirmation-tr"_s);
    auto* clear = confirmation->findChild<QPushButton*>(u"confirmClearHistory"_s);
    EXPECT_EQ(clear->text(), u"Geçmişi Temizle"_s);
    clear->click();
    ASSERT_TRUE(waitUntil([&] { return settings.find<QLabel>(u"historyEmptyText"_s)->isVisibleTo(settings.view); }));
    EXPECT_EQ(
        settings.find<QLabel>(u"historyEmptyText"_s)->text(), u"Henüz kayıtlı güncelleme veya kaldırma işlemi yok."_s);
    EXPECT_EQ(toasts.lastMessage(), u"Güncelleme geçmişi temizlendi."_s);

    // Launches Prism from the hub; this system says in Turkish why it cannot.
    const QList<SuiteHubAppCard*> cards = hub.findAll<SuiteHubAppCard>();
    ASSERT_EQ(cards.size(), 1);
    auto* launch = cards.front()->findChild<QAbstractButton*>(u"launchButton"_s);
    EXPECT_EQ(launch->text(), u"Aç"_s);
    launch->click();
    EXPECT_EQ(toasts.lastMessage(), u"macOS uygulamaları bu sistemde açılamaz."_s);
    EXPECT_TRUE(toasts.lastIsError());
}

} // namespace
