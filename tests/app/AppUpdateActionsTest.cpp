#include "tests/app/BrewDeskFixture.h"

#include "kit/platform/TruneDesktopServices.h"
#include "tests/support/FakeXdgOpen.h"
#include "tests/support/RecordBuilders.h"
#include "tests/support/TestWaits.h"

#include <QTimeZone>

using namespace Qt::StringLiterals;

namespace {

const QDateTime kNow = QDateTime::fromSecsSinceEpoch(1'800'000'000, QTimeZone::utc());

} // namespace

class AppUpdateActionsTest : public BrewDeskTest {
protected:
    // The real desktop opener, reaching the fake xdg-open; `openerWorks` false makes it fail
    // as an opener that cannot start would.
    UpdateStudioViewModel& startWithOpener()
    {
        answerWithPackages(brew.fake,
            {{.name = u"firefox"_s,
                .isCask = true,
                .installed = u"124.0.2"_s,
                .latest = u"125.0.3"_s,
                .outdated = true}});
        UpdateStudioEnvironment environment = home.environment();
        environment.now = [this] { return clock; };
        environment.openUrl = [this](const QUrl& url) { return openerWorks && TruneDesktopServices::openUrl(url); };
        UpdateStudioViewModel& started = start(environment);
        started.setLanguage(TruneLanguage::en);
        return started;
    }

    std::vector<UpdateLogEntry> savedHistory() const
    {
        return UpdateConfigStore(home.configFolder(), 500).loadHistory();
    }
    TruneUpdateConfig savedConfig() const { return UpdateConfigStore(home.configFolder(), 500).loadConfig(); }

    FakeXdgOpen xdgOpen;
    QDateTime clock = kNow;
    bool openerWorks = true;
};

TEST_F(AppUpdateActionsTest, UpdateTakesTheFirstRouteThatApplies)
{
    UpdateStudioViewModel& model = startWithOpener();
    enum class Route { homebrew, download, appStore, releaseNotes, none };
    struct Case {
        QString label;
        InstalledAppRecord app;
        Route route;
        QString opened = {};
        QString logLine = {};
        std::optional<BrewDeskTest::Toast> toast = std::nullopt;
    };
    const QString download = u"https://downloads.example/Feedy-2.0.zip"_s;
    const QString notes = u"https://notes.example/feedy/2.0.html"_s;
    const Case cases[] = {
        {u"an outdated cask goes through Homebrew although it has a download"_s,
            AppRecordBuilder(u"Firefox"_s)
                .installedVersion(u"124.0.2"_s)
                .latestVersion(u"125.0.3"_s)
                .homebrewCaskToken(u"firefox"_s)
                .downloadURL(download)
                .build(),
            Route::homebrew},
        {u"an App Store app with a download link opens the download"_s,
            AppRecordBuilder(u"Feedy"_s)
                .installedVersion(u"1.0"_s)
                .latestVersion(u"2.0"_s)
                .downloadURL(download)
                .releaseNotesURL(notes)
                .origin(AppOriginKind::appStore)
                .build(),
            Route::download, download, u"Opened Sparkle update download for Feedy (1.0 -> 2.0)"_s,
            BrewDeskTest::Toast{u"Opened update download for Feedy."_s, false}},
        {u"without a known latest version the log says latest"_s,
            AppRecordBuilder(u"Nightly"_s).buildVersion(u"77"_s).downloadURL(download).build(), Route::download,
            download, u"Opened Sparkle update download for Nightly (77 -> latest)"_s,
            BrewDeskTest::Toast{u"Opened update download for Nightly."_s, false}},
        {u"an App Store app without a download cannot reach the store here"_s,
            AppRecordBuilder(u"Pages"_s).origin(AppOriginKind::appStore).releaseNotesURL(notes).build(),
            Route::appStore, {}, {}, BrewDeskTest::Toast{u"The App Store is not available on this system."_s, true}},
        {u"release notes alone open silently"_s, AppRecordBuilder(u"Notey"_s).releaseNotesURL(notes).build(),
            Route::releaseNotes, notes},
        {u"a download that is no web link falls through to the release notes"_s,
            AppRecordBuilder(u"Sneaky"_s).downloadURL(u"file:///etc/passwd"_s).releaseNotesURL(notes).build(),
            Route::releaseNotes, notes},
        {u"nothing to go by"_s,
            AppRecordBuilder(u"Plain"_s).downloadURL(u"javascript:alert(1)"_s).releaseNotesURL(u"https://"_s).build(),
            Route::none, {}, {}, BrewDeskTest::Toast{u"No automatic updater available for Plain."_s, true}},
    };

    for (const Case& c : cases) {
        SCOPED_TRACE(c.label.toStdString());
        clock = clock.addSecs(60);
        const std::optional<QDateTime> watchBefore = model.externalUpdateWatchUntil();
        const size_t historyBefore = state().history.size();
        const size_t callsBefore = xdgOpen.calls().size();
        const qsizetype infoLinesBefore = home.logMessages(TruneLogLevel::info, u"upgrade"_s).size();
        toasts.clear();

        model.updateApp(c.app);
        if (c.route == Route::homebrew) {
            EXPECT_EQ(state().activeBrewCommandTitle, u"brew upgrade --cask firefox"_s);
            ASSERT_TRUE(waitUntilIdle());
            ASSERT_TRUE(waitForHistory(historyBefore + 1));
            const UpdateLogEntry& entry = state().history.front();
            EXPECT_EQ(entry.appName, u"Firefox"_s);
            EXPECT_EQ(entry.fromVersion, u"124.0.2"_s);
            EXPECT_EQ(entry.toVersion, u"125.0.3"_s);
            EXPECT_EQ(commandRuns().back().arguments, (QStringList{u"upgrade"_s, u"--cask"_s, u"firefox"_s}));
            EXPECT_EQ(model.externalUpdateWatchUntil(), watchBefore);
            EXPECT_EQ(xdgOpen.calls().size(), callsBefore);
            continue;
        }

        const bool opensSomething = !c.opened.isEmpty();
        if (opensSomething) {
            ASSERT_TRUE(xdgOpen.waitForCalls(qsizetype(callsBefore + 1)));
            EXPECT_EQ(xdgOpen.calls().back(), QStringList{c.opened});
            EXPECT_EQ(model.externalUpdateWatchUntil(), clock.addSecs(600));
        } else {
            EXPECT_EQ(model.externalUpdateWatchUntil(), watchBefore);
        }
        if (c.route == Route::download) {
            ASSERT_TRUE(waitForHistory(historyBefore + 1));
            const UpdateLogEntry& entry = state().history.front();
            EXPECT_EQ(entry.appName, c.app.name);
            EXPECT_EQ(entry.action, UpdateLogAction::sparkleDownload);
            EXPECT_EQ(entry.fromVersion, c.app.displayVersion());
            EXPECT_EQ(entry.toVersion, c.app.latestVersion);
            EXPECT_EQ(entry.status, UpdateLogStatus::success);
            EXPECT_EQ(entry.details, download);
            EXPECT_EQ(entry.timestamp, clock);
            EXPECT_EQ(savedHistory().front().id(), entry.id());
        } else {
            ASSERT_TRUE(waitForStudioWork());
            EXPECT_EQ(state().history.size(), historyBefore);
        }
        const QStringList infoLines = home.logMessages(TruneLogLevel::info, u"upgrade"_s);
        EXPECT_EQ(infoLines.mid(infoLinesBefore), c.logLine.isEmpty() ? QStringList() : QStringList{c.logLine});
        // A silent route is read once the work it started has ended, never by waiting out the deadline.
        if (c.toast)
            ASSERT_TRUE(waitUntil([&] { return !toasts.shown().empty(); }));
        else
            ASSERT_TRUE(waitForStudioWork());
        EXPECT_EQ(lastToast(), c.toast);
    }
    ASSERT_TRUE(waitForStudioWork());
    EXPECT_EQ(xdgOpen.calls().size(), 4u); // nothing was opened behind the table's back
}

TEST_F(AppUpdateActionsTest, ADownloadThatCannotBeOpenedIsReportedAndNotRecorded)
{
    UpdateStudioViewModel& model = startWithOpener();
    openerWorks = false;
    model.updateApp(AppRecordBuilder(u"Feedy"_s)
                        .latestVersion(u"2.0"_s)
                        .downloadURL(u"https://d.example/f.zip"_s)
                        .releaseNotesURL(u"https://notes.example/"_s)
                        .build());

    EXPECT_EQ(toasts.lastMessage(), u"Could not open the update download for Feedy."_s);
    EXPECT_TRUE(toasts.lastIsError());
    EXPECT_FALSE(model.externalUpdateWatchUntil());
    ASSERT_TRUE(waitForStudioWork());
    EXPECT_TRUE(state().history.empty());
    EXPECT_TRUE(home.logMessages(TruneLogLevel::info, u"upgrade"_s).isEmpty());

    model.setLanguage(TruneLanguage::tr);
    model.updateApp(AppRecordBuilder(u"Feedy"_s).downloadURL(u"https://d.example/f.zip"_s).build());
    EXPECT_EQ(toasts.lastMessage(), u"Feedy güncelleme bağlantısı açılamadı."_s);
}

TEST_F(AppUpdateActionsTest, ReleaseNotesOpenTheNotesElseTheDownloadAndArmNothing)
{
    UpdateStudioViewModel& model = startWithOpener();
    model.openReleaseNotes(AppRecordBuilder(u"A"_s)
                               .releaseNotesURL(u"https://notes.example/a"_s)
                               .downloadURL(u"https://d.example/a.zip"_s)
                               .build());
    model.openReleaseNotes(AppRecordBuilder(u"B"_s).downloadURL(u"https://d.example/b.zip"_s).build());
    model.openReleaseNotes(AppRecordBuilder(u"C"_s).releaseNotesURL(u"ftp://notes.example/c"_s).build());
    model.openReleaseNotes(AppRecordBuilder(u"D"_s).build());

    ASSERT_TRUE(xdgOpen.waitForCalls(2));
    ASSERT_TRUE(waitForStudioWork());
    std::vector<QStringList> calls = xdgOpen.calls();
    std::sort(calls.begin(), calls.end());
    EXPECT_EQ(calls, (std::vector<QStringList>{{u"https://d.example/b.zip"_s}, {u"https://notes.example/a"_s}}));
    EXPECT_FALSE(model.externalUpdateWatchUntil());
    EXPECT_TRUE(toasts.shown().empty());
}

TEST_F(AppUpdateActionsTest, LaunchingAMacAppSaysItCannotBeDoneHere)
{
    UpdateStudioViewModel& model = startWithOpener();
    const InstalledAppRecord app = AppRecordBuilder(u"Feedy"_s).path(home.applications() + u"/Feedy.app"_s).build();
    model.launchApp(app);
    EXPECT_EQ(toasts.lastMessage(), u"macOS applications cannot be opened on this system."_s);
    EXPECT_TRUE(toasts.lastIsError());

    model.setLanguage(TruneLanguage::tr);
    model.launchApp(app);
    EXPECT_EQ(toasts.lastMessage(), u"macOS uygulamaları bu sistemde açılamaz."_s);
    model.updateApp(AppRecordBuilder(u"Pages"_s).origin(AppOriginKind::appStore).build());
    EXPECT_EQ(toasts.lastMessage(), u"Bu sistemde App Store kullanılamıyor."_s);
    ASSERT_TRUE(waitForStudioWork());
    EXPECT_TRUE(xdgOpen.calls().empty());
}

TEST_F(AppUpdateActionsTest, IgnoringAndRestoringIgnoresLetterCaseAndIsSaved)
{
    UpdateStudioViewModel& model = startWithOpener();
    const auto savedIgnoreList = [&] { return savedConfig().ignoredBundleIDs; };

    model.toggleIgnoreApp(AppRecordBuilder(u"Feedy"_s).bundleID(u"net.Feedy.App"_s).build());
    EXPECT_EQ(toasts.lastMessage(), u"Ignored updates for Feedy."_s);
    EXPECT_FALSE(toasts.lastIsError());
    EXPECT_EQ(state().config.ignoredBundleIDs, QStringList{u"net.Feedy.App"_s});
    ASSERT_TRUE(waitUntil([&] { return savedIgnoreList() == QStringList{u"net.Feedy.App"_s}; }));

    // No bundle identifier: nothing happens.
    model.showToast(QString(), false);
    model.toggleIgnoreApp(AppRecordBuilder(u"Nameless"_s).build());
    EXPECT_EQ(toasts.lastMessage(), QString());
    EXPECT_EQ(state().config.ignoredBundleIDs, QStringList{u"net.Feedy.App"_s});

    model.toggleIgnoreApp(AppRecordBuilder(u"Feedy"_s).bundleID(u"net.feedy.app"_s).build());
    EXPECT_EQ(toasts.lastMessage(), u"Restored Feedy to update checks."_s);
    EXPECT_TRUE(state().config.ignoredBundleIDs.isEmpty());
    ASSERT_TRUE(waitUntil([&] { return savedIgnoreList().isEmpty(); }));

    saveSettings([](TruneUpdateConfig& config) {
        config.ignoredBundleIDs = {u"com.A.one"_s, u"org.keep"_s, u"com.a.ONE"_s, u"Com.A.One"_s};
    });
    this->model.reset();
    UpdateStudioViewModel& reopened = startWithOpener();
    // Restoring takes out only the first entry of the app's identifier in any letter case;
    // removing an identifier takes out every one.
    reopened.toggleIgnoreApp(AppRecordBuilder(u"One"_s).bundleID(u"COM.A.ONE"_s).build());
    EXPECT_EQ(toasts.lastMessage(), u"Restored One to update checks."_s);
    const QStringList restored{u"org.keep"_s, u"com.a.ONE"_s, u"Com.A.One"_s};
    EXPECT_EQ(state().config.ignoredBundleIDs, restored);
    ASSERT_TRUE(waitUntil([&] { return savedIgnoreList() == restored; }));
    reopened.removeIgnoredBundleID(u"COM.a.one"_s);
    EXPECT_EQ(state().config.ignoredBundleIDs, QStringList{u"org.keep"_s});
    ASSERT_TRUE(waitUntil([&] { return savedIgnoreList() == QStringList{u"org.keep"_s}; }));
}
