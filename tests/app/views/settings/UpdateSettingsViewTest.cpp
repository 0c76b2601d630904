#include "app/views/settings/UpdateSettingsView.h"

#include "app/viewmodel/StudioThreadPools.h"
#include "app/views/parts/StudioPageParts.h"
#include "app/views/settings/HistoryLogCard.h"
#include "app/views/settings/IgnoredAppRowDelegate.h"
#include "app/views/settings/IgnoredAppsCard.h"
#include "app/views/settings/SettingsPreferencesCard.h"
#include "kit/platform/TruneTrash.h"
#include "kit/ui/TruneElidedLabel.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneLanguagePicker.h"
#include "tests/app/StudioTestAccess.h"
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
#include <QScrollBar>
#include <QTest>
#include <QTimeZone>
#include <QTimer>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

class UpdateSettingsViewTest : public ::testing::Test {
protected:
    std::unique_ptr<UpdateStudioViewModel> makeModel()
    {
        UpdateStudioEnvironment environment = home.environment();
        environment.now = [clock = clock] { return *clock; };
        auto model = std::make_unique<UpdateStudioViewModel>(std::move(environment));
        toasts.follow(*model);
        EXPECT_TRUE(waitForFirstRefresh(*model));
        return model;
    }

    UpdateConfigStore store() const { return UpdateConfigStore(home.configFolder(), 500); }

    // The settings as the file holds them once every pending write has landed.
    TruneUpdateConfig storedConfig() const
    {
        StudioThreadPools::records().waitForDone();
        return store().loadConfig();
    }

    void writeConfig(const std::function<void(TruneUpdateConfig&)>& change) const
    {
        TruneUpdateConfig config;
        change(config);
        store().saveConfig(config);
    }

    UpdateLogEntry entry(const QString& appName, qint64 minutesAfterStart, UpdateLogStatus status,
        std::optional<QString> from = std::nullopt, std::optional<QString> to = std::nullopt,
        const QString& details = {}) const
    {
        return UpdateLogEntry(QUuid::createUuid(), clock->addSecs(60 * minutesAfterStart), appName,
            UpdateLogAction::brewUpgrade, std::move(from), std::move(to), status, details);
    }

    // An app of `name` with a leftover, moved to the Trash as the user would.
    void trashAppWithLeftover(const QString& name)
    {
        const QString bundleID = u"com.example."_s + name.toLower();
        BundleMaker::writeFile(home.home.filePath(u"Library/Caches/"_s + bundleID + u"/c"_s), "cache");
        const QString app = BundleMaker::makeAppBundle(home.applications() + u"/"_s + name + u".app"_s,
            {.info = QVariantMap{{u"CFBundleIdentifier"_s, bundleID}, {u"CFBundleName"_s, name}},
                .executableName = name});
        ASSERT_TRUE(TruneTrash::trashItem(app).has_value());
    }

    static void chooseInPicker(QComboBox* picker, int index)
    {
        ASSERT_GE(index, 0);
        picker->setCurrentIndex(index);
        emit picker->activated(index);
    }

    static QString textOf(const QLabel* label) { return label ? label->text() : u"<missing>"_s; }

    static QStringList ignoredRows(const QListView& list)
    {
        QStringList ids;
        for (int row = 0; row < list.model()->rowCount(); ++row)
            ids.append(list.model()->index(row, 0).data().toString());
        return ids;
    }

    NoBrewAnywhere noBrew;
    StudioTestHome home;
    ToastLog toasts; // of every model makeModel() made
    std::shared_ptr<QDateTime> clock
        = std::make_shared<QDateTime>(QDateTime::fromSecsSinceEpoch(1'900'000'000, QTimeZone::utc()));
};

TEST_F(UpdateSettingsViewTest, EachSettingToggleIsSavedAndShownWhileTheCheckKeepsItsPeriod)
{
    auto model = makeModel();
    ViewHost frame(new UpdateSettingsView(*model, studioAccent()));

    const struct {
        const char* toggle;
        bool TruneUpdateConfig::*field;
    } toggles[] = {
        {"watchTrashToggle", &TruneUpdateConfig::watchTrashForLeftovers},
        {"prereleaseToggle", &TruneUpdateConfig::includePrereleases},
        {"formulaeInBadgeToggle", &TruneUpdateConfig::includeHomebrewFormulaeInBadge},
        {"autoCleanupToggle", &TruneUpdateConfig::autoCleanupAfterBrewUpgrade},
    };
    for (const auto& toggle : toggles) {
        SCOPED_TRACE(toggle.toggle);
        auto* box = frame.find<QCheckBox>(QString::fromLatin1(toggle.toggle));
        ASSERT_NE(box, nullptr);
        const bool before = model->state().config.*toggle.field;
        EXPECT_EQ(box->isChecked(), before);
        for (const bool expected : {!before, before}) {
            box->click();
            EXPECT_EQ(model->state().config.*toggle.field, expected);
            EXPECT_EQ(storedConfig().*toggle.field, expected);
            EXPECT_EQ(box->isChecked(), expected);
            EXPECT_TRUE(model->autoCheckTimer().isActive());
            EXPECT_EQ(model->autoCheckTimer().intervalAsDuration(), std::chrono::hours(6));
        }
    }
}

TEST_F(UpdateSettingsViewTest, TheTrashToggleStopsAndStartsTheWatcherForARealTrashedBundle)
{
    auto model = makeModel();
    ViewHost frame(new UpdateSettingsView(*model, studioAccent()));
    auto* watch = frame.find<QCheckBox>(u"watchTrashToggle"_s);
    ASSERT_TRUE(watch->isChecked());

    watch->click();
    trashAppWithLeftover(u"Early"_s);
    ASSERT_TRUE(waitForStudioWork());
    EXPECT_TRUE(model->state().trashAlerts.empty());

    watch->click();
    trashAppWithLeftover(u"Late"_s);
    // Had the stopped watcher seen Early, its alert would have come first.
    ASSERT_TRUE(waitUntil([&] { return !model->state().trashAlerts.empty(); }));
    EXPECT_EQ(model->state().trashAlerts.front().appName(), u"Late"_s);
}

TEST_F(UpdateSettingsViewTest, TheIntervalPickerWritesHoursAndAStoredStrangePeriodSelectsNothing)
{
    writeConfig([](TruneUpdateConfig& config) { config.autoCheckIntervalHours = 48; });
    auto model = makeModel();
    ViewHost frame(new UpdateSettingsView(*model, studioAccent()));
    auto* picker = frame.find<QComboBox>(u"intervalPicker"_s);
    ASSERT_NE(picker, nullptr);
    EXPECT_EQ(picker->width(), 150);
    EXPECT_EQ(picker->currentIndex(), -1);
    EXPECT_EQ(model->autoCheckTimer().intervalAsDuration(), std::chrono::hours(48));

    QStringList entries;
    for (int index = 0; index < picker->count(); ++index)
        entries.append(picker->itemText(index));
    EXPECT_EQ(
        entries, (QStringList{u"Manual"_s, u"Every 3 hours"_s, u"Every 6 hours"_s, u"Every 12 hours"_s, u"Daily"_s}));

    chooseInPicker(picker, picker->findText(u"Daily"_s));
    EXPECT_EQ(model->state().config.autoCheckIntervalHours, 24);
    EXPECT_EQ(storedConfig().autoCheckIntervalHours, 24);
    EXPECT_EQ(model->autoCheckTimer().intervalAsDuration(), std::chrono::hours(24));

    chooseInPicker(picker, picker->findText(u"Manual"_s));
    EXPECT_EQ(storedConfig().autoCheckIntervalHours, 0);
    EXPECT_FALSE(model->autoCheckTimer().isActive());
    EXPECT_EQ(picker->currentText(), u"Manual"_s);
}

TEST_F(UpdateSettingsViewTest, TheLoginToggleWritesTheAutostartEntryAndARefusalSnapsBackWithItsToast)
{
    auto model = makeModel();
    ViewHost frame(new UpdateSettingsView(*model, studioAccent()));
    auto* login = frame.find<QCheckBox>(u"launchAtLoginToggle"_s);
    const QString entry = home.home.configHome() + u"/autostart/com.quorvane.truneupdate.desktop"_s;
    ASSERT_FALSE(login->isChecked());

    login->click();
    EXPECT_TRUE(QFileInfo(entry).isFile());
    EXPECT_TRUE(login->isChecked());
    login->click();
    EXPECT_FALSE(QFileInfo::exists(entry));
    EXPECT_FALSE(login->isChecked());

    // A file where the autostart folder belongs: the desktop cannot take the entry.
    QDir(home.home.configHome()).rmdir(u"autostart"_s);
    BundleMaker::writeFile(home.home.configHome() + u"/autostart"_s, "not a folder");
    login->click();
    EXPECT_FALSE(login->isChecked());
    EXPECT_EQ(toasts.lastMessage(), u"Could not update Login Item registration."_s);
    EXPECT_TRUE(toasts.lastIsError());
    EXPECT_EQ(storedConfig(), model->state().config) << "the login item is not a setting of the file";
}

TEST_F(UpdateSettingsViewTest, ChoosingTurkishTurnsEveryTextTurkishAtOnceAndStoresTheChoice)
{
    auto model = makeModel();
    model->setLanguage(TruneLanguage::en);
    ViewHost frame(new UpdateSettingsView(*model, studioAccent()));
    saveScreenshot(*frame.window, u"settings-empty-en"_s);
    const QStringList english = frame.shownTexts();
    EXPECT_TRUE(english.contains(u"Preferences & Automation"_s));
    EXPECT_TRUE(english.contains(u"Watch the Trash for deleted .app leftovers"_s));

    auto* picker = frame.find<TruneLanguagePicker>(u"languagePicker"_s);
    chooseInPicker(picker, picker->findData(u"tr"_s));
    EXPECT_EQ(model->state().language, TruneLanguage::tr);
    EXPECT_EQ(TruneLanguage::storedPreferenceCode(), u"tr"_s);
    ASSERT_TRUE(waitUntil([&] { return frame.shownTexts().contains(u"Tercihler ve Otomasyon"_s); }));
    settle();

    const QStringList turkish = frame.shownTexts();
    for (const QString& text : {u"Dil"_s, u"Oturum Açıldığında Başlat"_s,
             u"Silinen .app artıkları için Çöp Sepetini izle"_s, u"Beta / ön sürüm Sparkle güncellemelerini dahil et"_s,
             u"Menü çubuğu sayacına Homebrew CLI araçlarını ekle"_s,
             u"Yükseltme sonrası otomatik brew cleanup çalıştır"_s, u"Otomatik denetim aralığı"_s,
             u"Global Hızlı Kısayol"_s, u"Her ekrandan TruneUpdate stüdyosunu öne getirir"_s,
             u"Yoksayılan Uygulamalar"_s, u"Güncelleme ve Temizlik Geçmişi"_s, u"Geçmişi Temizle"_s,
             u"Henüz kayıtlı güncelleme veya kaldırma işlemi yok."_s}) {
        EXPECT_TRUE(turkish.contains(text)) << text.toStdString();
    }
    // Only the texts without words (the count, the keys) read the same in both languages.
    QStringList unchanged;
    for (const QString& text : english) {
        if (turkish.contains(text))
            unchanged.append(text);
    }
    EXPECT_EQ(
        unchanged, (QStringList{SettingsPreferencesCard::studioHotkey().toString(QKeySequence::NativeText), u"0"_s}));
    EXPECT_EQ(frame.find<QComboBox>(u"intervalPicker"_s)->itemText(4), u"Günlük"_s);
    saveScreenshot(*frame.window, u"settings-empty-tr"_s);

    // Following the system shows the system's language and keeps "system" as the stored choice.
    chooseInPicker(picker, 0);
    EXPECT_EQ(model->state().language, TruneLanguage::systemResolved());
    EXPECT_EQ(TruneLanguage::storedPreferenceCode(), u"system"_s);
}

// The badge toggle stands before the clean-up toggle, unlike the order of the settings' fields.
TEST_F(UpdateSettingsViewTest, ThePreferenceTogglesShowInTheirDisplayOrder)
{
    auto model = makeModel();
    model->setLanguage(TruneLanguage::en);
    ViewHost frame(new UpdateSettingsView(*model, studioAccent()));
    QList<QCheckBox*> toggles = frame.window->findChildren<QCheckBox*>();
    std::ranges::sort(toggles, {}, [&](const QCheckBox* box) { return box->mapTo(frame.window.get(), QPoint()).y(); });
    QStringList shown;
    for (const QCheckBox* box : toggles)
        shown.append(box->objectName() + u": "_s + box->text());
    EXPECT_EQ(shown,
        (QStringList{u"launchAtLoginToggle: Launch TruneUpdate at Login"_s,
            u"watchTrashToggle: Watch the Trash for deleted .app leftovers"_s,
            u"prereleaseToggle: Include prerelease/beta Sparkle builds"_s,
            u"formulaeInBadgeToggle: Include Homebrew CLI formulae in menu bar badge"_s,
            u"autoCleanupToggle: Auto-run brew cleanup after upgrades"_s}));
}

// The language can change elsewhere (the command menu, the kit's language menu) while Settings is
// open: the picker then shows the stored choice, never "System Language" over a chosen language.
TEST_F(UpdateSettingsViewTest, TheLanguagePickerFollowsAChoiceMadeElsewhere)
{
    auto model = makeModel();
    model->setLanguage(TruneLanguage::en);
    ViewHost frame(new UpdateSettingsView(*model, studioAccent()));
    auto* picker = frame.find<TruneLanguagePicker>(u"languagePicker"_s);
    chooseInPicker(picker, 0);
    ASSERT_EQ(TruneLanguage::storedPreferenceCode(), u"system"_s);
    ASSERT_EQ(picker->currentIndex(), 0);

    model->setLanguage(TruneLanguage::tr);
    settle();
    EXPECT_EQ(TruneLanguage::storedPreferenceCode(), u"tr"_s);
    EXPECT_EQ(picker->currentData().toString(), u"tr"_s);

    model->setLanguage(TruneLanguage::en);
    settle();
    EXPECT_EQ(picker->currentData().toString(), u"en"_s);
}

TEST_F(UpdateSettingsViewTest, TheHotkeyCapsShowTheNativeKeysInAColourThatFollowsRegistration)
{
    auto model = makeModel();
    ViewHost frame(new UpdateSettingsView(*model, studioAccent()));
    auto* caps = frame.find<QLabel>(u"hotkeyCaps"_s);
    EXPECT_EQ(caps->text(), QKeySequence(Qt::ALT | Qt::CTRL | Qt::Key_U).toString(QKeySequence::NativeText));

    StudioTestAccess::setGlobalHotkeyRegistered(*model, false);
    ASSERT_TRUE(
        waitUntil([&] { return caps->palette().color(QPalette::WindowText) == TruneGlassTokens::textMuted(); }));
    StudioTestAccess::setGlobalHotkeyRegistered(*model, true);
    ASSERT_TRUE(waitUntil([&] { return caps->palette().color(QPalette::WindowText) == studioAccent(); }));
    EXPECT_EQ(caps->text(), QKeySequence(Qt::ALT | Qt::CTRL | Qt::Key_U).toString(QKeySequence::NativeText));
}

TEST_F(UpdateSettingsViewTest, IgnoredIdentifiersShowInStoredOrderAndRestoreTakesEveryCaseOfOne)
{
    writeConfig([](TruneUpdateConfig& config) {
        config.ignoredBundleIDs = {u"com.Example.Lumen"_s, u"org.other.Prism"_s, u"com.example.lumen"_s};
    });
    auto model = makeModel();
    ViewHost frame(new UpdateSettingsView(*model, studioAccent()));
    auto* list = frame.find<QListView>(u"ignoredList"_s);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(ignoredRows(*list), (QStringList{u"com.Example.Lumen"_s, u"org.other.Prism"_s, u"com.example.lumen"_s}));
    EXPECT_EQ(textOf(frame.find<QLabel>(u"ignoredCount"_s)), u"3"_s);
    EXPECT_FALSE(frame.find<QLabel>(u"ignoredHint"_s)->isVisibleTo(frame.view));
    EXPECT_EQ(list->verticalScrollBar()->maximum(), 0) << "a short list shows every row";
    saveScreenshot(*frame.window, u"settings-ignored-en"_s);
    model->setLanguage(TruneLanguage::tr);
    ASSERT_TRUE(waitUntil([&] { return frame.shownTexts().contains(u"Yoksayılan Uygulamalar"_s); }));
    saveScreenshot(*frame.window, u"settings-ignored-tr"_s);
    model->setLanguage(TruneLanguage::en);

    clickIgnoredRestore(*list, 2);
    ASSERT_TRUE(waitUntil([&] { return ignoredRows(*list) == QStringList{u"org.other.Prism"_s}; }));
    EXPECT_EQ(textOf(frame.find<QLabel>(u"ignoredCount"_s)), u"1"_s);
    EXPECT_EQ(storedConfig().ignoredBundleIDs, QStringList{u"org.other.Prism"_s});

    list->setFocus();
    list->setCurrentIndex(list->model()->index(0, 0));
    QTest::keyClick(list, Qt::Key_Space);
    ASSERT_TRUE(waitUntil([&] { return ignoredRows(*list).isEmpty(); }));
    EXPECT_EQ(textOf(frame.find<QLabel>(u"ignoredCount"_s)), u"0"_s);
    EXPECT_TRUE(frame.find<QLabel>(u"ignoredHint"_s)->isVisibleTo(frame.view));
    EXPECT_FALSE(list->isVisibleTo(frame.view));
    EXPECT_TRUE(toasts.shown().empty()) << "restoring says nothing";
}

// A hand-edited settings file may ignore tens of thousands of identifiers: the card shows them
// all in one list of bounded height, and a restore deep in it leaves the list where it was.
TEST_F(UpdateSettingsViewTest, ManyIgnoredIdentifiersShowInOrderAndOneDeepInTheListCanBeRestored)
{
    constexpr int count = 20'000;
    QStringList ids;
    for (int index = 0; index < count; ++index)
        ids.append(u"com.example.app%1"_s.arg(index));
    writeConfig([&](TruneUpdateConfig& config) { config.ignoredBundleIDs = ids; });
    auto model = makeModel();
    ViewHost frame(new UpdateSettingsView(*model, studioAccent()));
    auto* list = frame.find<QListView>(u"ignoredList"_s);
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(ignoredRows(*list), ids);
    EXPECT_EQ(textOf(frame.find<QLabel>(u"ignoredCount"_s)), u"20000"_s);
    const auto* delegate = qobject_cast<IgnoredAppRowDelegate*>(list->itemDelegate());
    ASSERT_NE(delegate, nullptr);
    EXPECT_EQ(
        list->height(), IgnoredAppsCard::maximumVisibleRows * (delegate->rowHeight() + IgnoredAppRowDelegate::rowGap))
        << "the list scrolls within the card";
    EXPECT_GT(list->verticalScrollBar()->maximum(), 0);

    const int deep = 12'345;
    list->scrollTo(list->model()->index(deep, 0), QAbstractItemView::PositionAtCenter);
    const int scrolled = list->verticalScrollBar()->value();
    clickIgnoredRestore(*list, deep);
    ids.removeAt(deep);
    ASSERT_TRUE(waitUntil([&] { return list->model()->rowCount() == count - 1; }));
    EXPECT_EQ(ignoredRows(*list), ids);
    EXPECT_EQ(model->state().config.ignoredBundleIDs, ids);
    EXPECT_EQ(storedConfig().ignoredBundleIDs, ids);
    EXPECT_EQ(textOf(frame.find<QLabel>(u"ignoredCount"_s)), u"19999"_s);
    EXPECT_EQ(list->verticalScrollBar()->value(), scrolled);
}

TEST_F(UpdateSettingsViewTest, TheCardsShareTheirRowUpToTheIgnoredCardsLimitWithTopsAligned)
{
    writeConfig([](TruneUpdateConfig& config) {
        for (int index = 0; index < 14; ++index)
            config.ignoredBundleIDs.append(u"com.example.app%1"_s.arg(index));
    });
    auto model = makeModel();
    for (const int width : {900, 1240, 1700}) {
        SCOPED_TRACE(width);
        ViewHost frame(new UpdateSettingsView(*model, studioAccent()), ViewPlace::fill, {width, 700});
        const QWidget* preferences = frame.find<QWidget>(u"preferencesCard"_s);
        const QWidget* ignored = frame.find<QWidget>(u"ignoredAppsCard"_s);
        const QWidget* history = frame.find<QWidget>(u"historyLogCard"_s);
        EXPECT_LE(ignored->width(), 420);
        EXPECT_EQ(preferences->geometry().right() + 1 + 16, ignored->geometry().left());
        EXPECT_EQ(preferences->y(), ignored->y());
        EXPECT_EQ(history->x(), preferences->x());
        EXPECT_EQ(history->geometry().right(), ignored->geometry().right());
        if (width >= 1240) {
            EXPECT_EQ(ignored->width(), 420);
        }
    }
}

TEST_F(UpdateSettingsViewTest, HistoryShowsTheNewestThirtyWithTransitionsDetailsAndStatusColours)
{
    {
        UpdateConfigStore writer = store();
        for (int minute = 0; minute < 27; ++minute)
            writer.appendHistory(entry(u"Old %1"_s.arg(minute), minute, UpdateLogStatus::success));
        writer.appendHistory(
            entry(u"Empty"_s, 27, UpdateLogStatus::success, u""_s, u""_s, u"brew upgrade --cask empty"_s));
        writer.appendHistory(entry(u"OnlyFrom"_s, 28, UpdateLogStatus::cancelled, u"1.0"_s));
        writer.appendHistory(entry(u"Lumen"_s, 29, UpdateLogStatus::failed, u"1.0"_s, u"2.0"_s,
            u"Error: Download failed on Cask 'lumen' with message: "_s + QString(u'x').repeated(300)));
        writer.appendHistory(entry(u"Prism"_s, 30, UpdateLogStatus::success, u"3.1"_s, u"3.2"_s));
    }
    auto model = makeModel();
    ASSERT_EQ(model->state().history.size(), 31u);
    ViewHost frame(new UpdateSettingsView(*model, studioAccent()));

    const QList<QWidget*> rows = frame.findAll<QWidget>(u"historyRow"_s);
    ASSERT_EQ(rows.size(), 30);
    const auto rowText = [](QWidget* row, const QString& name) {
        const QLabel* label = row->findChild<QLabel*>(name);
        return label ? std::optional(label->text()) : std::nullopt;
    };
    EXPECT_EQ(rowText(rows.first(), u"historyAppName"_s), u"Prism"_s);
    EXPECT_EQ(rowText(rows.last(), u"historyAppName"_s), u"Old 1"_s) << "the oldest entry drops off";

    const struct {
        int row;
        std::optional<QString> transition;
        bool details;
        QString symbol;
        QColor color;
    } cases[] = {
        {0, u"3.1 → 3.2"_s, false, u"checkmark.circle.fill"_s, TruneGlassTokens::success()},
        {1, u"1.0 → 2.0"_s, true, u"exclamationmark.triangle.fill"_s, TruneGlassTokens::danger()},
        {2, std::nullopt, false, u"slash.circle.fill"_s, TruneGlassTokens::warning()},
        {3, u" → "_s, true, u"checkmark.circle.fill"_s, TruneGlassTokens::success()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.row);
        QWidget* row = rows.at(c.row);
        EXPECT_EQ(rowText(row, u"historyVersionTransition"_s), c.transition);
        auto* details = row->findChild<TruneElidedLabel*>(u"historyDetails"_s);
        EXPECT_EQ(details != nullptr, c.details);
        auto* status = row->findChild<StudioSymbolGlyph*>(u"historyStatus"_s);
        EXPECT_EQ(status->symbol(), c.symbol);
        EXPECT_EQ(status->color(), c.color);
    }
    auto* longDetails = rows.at(1)->findChild<TruneElidedLabel*>(u"historyDetails"_s);
    EXPECT_TRUE(longDetails->isElided());
    EXPECT_EQ(rows.at(1)->findChild<QLabel*>(u"historyVersionTransition"_s)->palette().color(QPalette::WindowText),
        studioAccent());
    EXPECT_EQ(rowText(rows.first(), u"historyTimestamp"_s),
        HistoryLogCard::timestampText(clock->addSecs(30 * 60), QLocale(QLocale::English, QLocale::UnitedStates)));
    saveScreenshot(*frame.window, u"settings-history-en"_s);
    model->setLanguage(TruneLanguage::tr);
    ASSERT_TRUE(waitUntil([&] { return frame.shownTexts().contains(u"Geçmişi Temizle"_s); }));
    saveScreenshot(*frame.window, u"settings-history-tr"_s);
}

TEST_F(UpdateSettingsViewTest, TimestampsFollowTheLocaleNotTheInterfaceLanguage)
{
    const QDateTime local(QDate(2026, 3, 7), QTime(14, 5));
    const struct {
        QLocale locale;
        QString text;
    } cases[] = {
        {QLocale(QLocale::English, QLocale::UnitedStates), u"Mar 7, 2026 2:05 PM"_s},
        {QLocale(QLocale::Turkish, QLocale::Turkey), u"7 Mar 2026 14:05"_s},
        {QLocale(QLocale::German, QLocale::Germany), u"7. März 2026 14:05"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.locale.name().toStdString());
        EXPECT_EQ(HistoryLogCard::timestampText(local, c.locale), c.text);
    }
}

TEST_F(UpdateSettingsViewTest, ClearHistoryAsksFirstWithCancelAsTheDefault)
{
    {
        UpdateConfigStore writer = store();
        writer.appendHistory(entry(u"Lumen"_s, 1, UpdateLogStatus::success, u"1.0"_s, u"2.0"_s));
        writer.appendHistory(entry(u"Prism"_s, 2, UpdateLogStatus::success));
    }
    auto model = makeModel();
    ViewHost frame(new UpdateSettingsView(*model, studioAccent()));
    auto* clear = frame.find<QAbstractButton>(u"clearHistoryButton"_s);
    ASSERT_TRUE(clear->isEnabled());

    const auto confirmation = [&] { return frame.view->findChild<QMessageBox*>(u"clearHistoryConfirmation"_s); };
    clear->click();
    ASSERT_NE(confirmation(), nullptr);
    QMessageBox* box = confirmation();
    EXPECT_TRUE(box->isVisible());
    EXPECT_EQ(box->text(), u"Clear all update history?"_s);
    EXPECT_EQ(box->informativeText(), u"2 records will be removed. This cannot be undone."_s);
    EXPECT_EQ(box->defaultButton()->text(), u"Cancel"_s);
    EXPECT_EQ(box->escapeButton(), box->defaultButton());
    saveScreenshot(*box, u"settings-clear-confirmation-en"_s);

    box->defaultButton()->click();
    settle();
    EXPECT_EQ(confirmation(), nullptr);
    EXPECT_EQ(model->state().history.size(), 2u);
    EXPECT_EQ(frame.findAll<QWidget>(u"historyRow"_s).size(), 2);

    clear->click();
    ASSERT_NE(confirmation(), nullptr);
    confirmation()->findChild<QPushButton*>(u"confirmClearHistory"_s)->click();
    EXPECT_TRUE(model->state().history.empty());
    ASSERT_TRUE(waitUntil([&] { return !clear->isEnabled(); }));
    EXPECT_TRUE(frame.findAll<QWidget>(u"historyRow"_s).isEmpty());
    EXPECT_TRUE(frame.find<QLabel>(u"historyEmptyText"_s)->isVisibleTo(frame.view));
    StudioThreadPools::records().waitForDone();
    EXPECT_TRUE(store().loadHistory().empty());
    EXPECT_EQ(toasts.lastMessage(), u"Update history cleared."_s);
}

} // namespace
