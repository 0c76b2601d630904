#include "app/viewmodel/UpdateStudioViewModel.h"

#include "app/viewmodel/StudioDerived.h"
#include "core/homebrew/HomebrewState.h"
#include "tests/app/BrewDeskFixture.h"
#include "tests/app/StudioTestHome.h"
#include "tests/core/homebrew/InstalledFakeBrew.h"
#include "tests/support/BundleMaker.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/TestWaits.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QSet>
#include <QTimeZone>

#include <atomic>
#include <condition_variable>
#include <memory>
#include <mutex>

using namespace Qt::StringLiterals;

namespace {

QByteArray fixture(const char* name)
{
    QFile file(QStringLiteral(TRUNE_HOMEBREW_FIXTURE_DIR "/") + QString::fromUtf8(name));
    if (!file.open(QIODevice::ReadOnly))
        ADD_FAILURE() << "missing fixture " << name;
    return file.readAll();
}

const QStringList infoArguments{u"info"_s, u"--json=v2"_s, u"--installed"_s};
const QStringList outdatedArguments{u"outdated"_s, u"--json=v2"_s};

QByteArray appcast(const QString& version, const QString& build)
{
    return u"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
           "<rss version=\"2.0\" xmlns:sparkle=\"http://www.andymatuschak.org/xml-namespaces/sparkle\"><channel>"
           "<item><title>Version %1</title>"
           "<sparkle:releaseNotesLink>https://notes.example/%1.html</sparkle:releaseNotesLink>"
           "<enclosure url=\"https://downloads.example/%1.zip\" sparkle:version=\"%2\" "
           "sparkle:shortVersionString=\"%1\" length=\"1\" type=\"application/octet-stream\"/>"
           "</item></channel></rss>\n"_s.arg(version, build)
               .toUtf8();
}

struct BundleFacts {
    QString name;
    QString bundleID;
    QString version;
    QByteArray executable = BundleMaker::thinMachO(BundleMaker::kCpuTypeArm64);
    std::optional<QString> feed = std::nullopt;
    bool appStoreReceipt = false;
};

QString makeBundle(const QString& folder, const BundleFacts& facts)
{
    QVariantMap info{{u"CFBundleIdentifier"_s, facts.bundleID}, {u"CFBundleName"_s, facts.name},
        {u"CFBundleShortVersionString"_s, facts.version}, {u"CFBundleVersion"_s, facts.version}};
    if (facts.feed)
        info.insert(u"SUFeedURL"_s, *facts.feed);
    return BundleMaker::makeAppBundle(folder + u"/"_s + facts.name + u".app"_s,
        {.info = info,
            .executableName = u"main"_s,
            .executable = facts.executable,
            .appStoreReceipt = facts.appStoreReceipt});
}

// Hands out 1 000 000 000 s, then one second later on every call.
std::function<QDateTime()> steppingClock(std::shared_ptr<int> calls)
{
    return [calls] { return QDateTime::fromSecsSinceEpoch(1'000'000'000 + (*calls)++, QTimeZone::utc()); };
}

int runsOf(const FakeBrew& fake, const QStringList& arguments)
{
    int count = 0;
    for (const FakeBrew::Run& run : fake.runs())
        count += run.arguments == arguments ? 1 : 0;
    return count;
}

class RefreshPipelineTest : public ::testing::Test {
protected:
    void answerWithFixtures()
    {
        brew->fake.respond(infoArguments, {.stdoutPieces = {fixture("info-installed.json")}});
        brew->fake.respond(outdatedArguments, {.stdoutPieces = {fixture("outdated.json")}});
    }

    static std::vector<HomebrewItem> fixtureItems()
    {
        return HomebrewService::merge(*HomebrewService::parseInstalledInfoJSON(fixture("info-installed.json")),
            *HomebrewService::parseOutdatedJSON(fixture("outdated.json")), true);
    }

    StudioTestHome home;
    std::optional<InstalledFakeBrew> brew{std::in_place};
};

TEST_F(RefreshPipelineTest, OneSeriesBringsEverySourceTogether)
{
    answerWithFixtures();
    LoopbackHttpServer server;
    server.setResponse(u"/feedy.xml"_s, LoopbackHttpServer::Response::ok(appcast(u"2.0"_s, u"200"_s)));
    server.setResponse(u"/firefox.xml"_s, LoopbackHttpServer::Response::ok(appcast(u"124.0.2"_s, u"124.0.2"_s)));

    const QString folder = home.applications();
    makeBundle(folder, {.name = u"Arm Native"_s, .bundleID = u"com.example.armnative"_s, .version = u"1.0"_s});
    makeBundle(folder,
        {.name = u"Intel Tool"_s,
            .bundleID = u"com.example.inteltool"_s,
            .version = u"3.1"_s,
            .executable = BundleMaker::thinMachO(BundleMaker::kCpuTypeX86_64)});
    makeBundle(folder,
        {.name = u"Fat App"_s,
            .bundleID = u"com.example.fat"_s,
            .version = u"5"_s,
            .executable = BundleMaker::fatMachO({BundleMaker::kCpuTypeX86_64, BundleMaker::kCpuTypeArm64})});
    makeBundle(folder,
        {.name = u"Store App"_s, .bundleID = u"com.example.store"_s, .version = u"2.2"_s, .appStoreReceipt = true});
    makeBundle(folder,
        {.name = u"Feedy"_s, .bundleID = u"net.feedy"_s, .version = u"1.0"_s, .feed = server.url(u"/feedy.xml"_s)});
    makeBundle(folder, {.name = u"Quorvane Beam"_s, .bundleID = u"com.quorvane.beam"_s, .version = u"1.4"_s});
    makeBundle(folder,
        {.name = u"Firefox"_s,
            .bundleID = u"org.mozilla.firefox"_s,
            .version = u"124.0.2"_s,
            .feed = server.url(u"/firefox.xml"_s)});

    UpdateStudioEnvironment environment = home.environment();
    const auto clockCalls = std::make_shared<int>(0);
    environment.now = steppingClock(clockCalls);
    UpdateStudioViewModel model(environment);
    ASSERT_TRUE(waitForFirstRefresh(model));
    const StudioState& state = model.state();
    // The Homebrew metadata took the first time, the feed merge the second.
    const QDateTime mergeTime = QDateTime::fromSecsSinceEpoch(1'000'000'001, QTimeZone::utc());

    struct Expected {
        QString name;
        AppOriginKind origin;
        AppArchitecture architecture;
        std::optional<QString> latestVersion;
        bool updateAvailable;
        std::optional<QString> downloadURL;
        std::optional<QString> releaseNotesURL;
        std::optional<QString> caskToken;
        std::optional<QDateTime> lastCheckedAt;
    };
    const Expected expected[] = {
        {u"Arm Native"_s, AppOriginKind::direct, AppArchitecture::appleSilicon, {}, false, {}, {}, {}, {}},
        {u"Fat App"_s, AppOriginKind::direct, AppArchitecture::universal, {}, false, {}, {}, {}, {}},
        {u"Feedy"_s, AppOriginKind::sparkle, AppArchitecture::appleSilicon, u"2.0"_s, true,
            u"https://downloads.example/2.0.zip"_s, u"https://notes.example/2.0.html"_s, {}, mergeTime},
        // Homebrew's verdict stands against a feed that offers nothing newer; the feed fills the links.
        {u"Firefox"_s, AppOriginKind::homebrewCask, AppArchitecture::appleSilicon, u"125.0.3"_s, true,
            u"https://downloads.example/124.0.2.zip"_s, u"https://notes.example/124.0.2.html"_s, u"firefox"_s,
            mergeTime},
        {u"Intel Tool"_s, AppOriginKind::direct, AppArchitecture::intel, {}, false, {}, {}, {}, {}},
        {u"Quorvane Beam"_s, AppOriginKind::quorvane, AppArchitecture::appleSilicon, {}, false, {}, {}, {}, {}},
        {u"Store App"_s, AppOriginKind::appStore, AppArchitecture::appleSilicon, {}, false, {}, {}, {}, {}},
    };
    ASSERT_EQ(state.installedApps.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        const Expected& want = expected[i];
        const InstalledAppRecord& app = state.installedApps[i];
        SCOPED_TRACE(want.name.toStdString());
        EXPECT_EQ(app.name, want.name);
        EXPECT_EQ(app.origin, want.origin);
        EXPECT_EQ(app.architecture, want.architecture);
        EXPECT_EQ(app.latestVersion, want.latestVersion);
        EXPECT_EQ(app.updateAvailable, want.updateAvailable);
        EXPECT_EQ(app.downloadURL, want.downloadURL);
        EXPECT_EQ(app.releaseNotesURL, want.releaseNotesURL);
        EXPECT_EQ(app.homebrewCaskToken, want.caskToken);
        EXPECT_EQ(app.lastCheckedAt, want.lastCheckedAt);
    }
    EXPECT_EQ(state.homebrewItems, fixtureItems());
    EXPECT_EQ(state.brewExecutablePath, brew->fake.executablePath());
    EXPECT_EQ(state.lastCheckDate, mergeTime);
    EXPECT_FALSE(state.isScanningApps);
    EXPECT_FALSE(state.isCheckingUpdates);
    EXPECT_EQ(model.menuBarBadgeCount(), 2);
    EXPECT_EQ(home.logMessages(TruneLogLevel::info, u"scan"_s),
        (QStringList{u"Starting app inventory scan and update check"_s,
            u"Scan finished: 7 app(s) (2 update(s)), 11 Homebrew item(s) (5 outdated, 0 outdated deps)"_s}));
    // Sizes arrive after the list, measured in the background.
    ASSERT_TRUE(waitUntil([&] {
        return std::all_of(state.installedApps.begin(), state.installedApps.end(),
            [](const InstalledAppRecord& app) { return app.sizeBytes > 0; });
    }));
}

// The closing line counts outdated casks and requested formulae as outdated, and outdated
// formulae that are there only as dependencies apart.
TEST_F(RefreshPipelineTest, TheClosingLineCountsOutdatedDependenciesApart)
{
    answerWithPackages(brew->fake,
        {{.name = u"alpha-app"_s, .isCask = true, .latest = u"2.0"_s, .outdated = true},
            {.name = u"bat"_s, .latest = u"2.0"_s, .outdated = true},
            {.name = u"libdep"_s, .latest = u"2.0"_s, .outdated = true, .onRequest = false},
            {.name = u"current-app"_s, .isCask = true}});
    UpdateStudioViewModel model(home.environment());
    ASSERT_TRUE(waitForFirstRefresh(model));
    EXPECT_EQ(home.logMessages(TruneLogLevel::info, u"scan"_s).last(),
        u"Scan finished: 0 app(s) (0 update(s)), 4 Homebrew item(s) (2 outdated, 1 outdated deps)"_s);
}

TEST_F(RefreshPipelineTest, RequestsDuringAPassMakeOneMorePassAndAllWaitForIt)
{
    answerWithFixtures();
    UpdateStudioViewModel model(home.environment());
    ASSERT_TRUE(waitForFirstRefresh(model));
    const int before = runsOf(brew->fake, infoArguments);

    std::vector<int> passesSeenAtCompletion;
    const auto waiter = [&] {
        passesSeenAtCompletion.push_back(runsOf(brew->fake, infoArguments) - before);
        EXPECT_FALSE(model.state().isCheckingUpdates);
    };
    model.refreshAllAndCheckUpdates(waiter);
    model.refreshAllAndCheckUpdates(waiter);
    model.refreshAllAndCheckUpdates(waiter);
    EXPECT_TRUE(passesSeenAtCompletion.empty());
    ASSERT_TRUE(waitUntil([&] { return passesSeenAtCompletion.size() == 3; }));
    EXPECT_EQ(passesSeenAtCompletion, (std::vector{2, 2, 2}));
    ASSERT_TRUE(waitForStudioWork());
    EXPECT_EQ(runsOf(brew->fake, infoArguments) - before, 2);
    EXPECT_EQ(
        home.logMessages(TruneLogLevel::info, u"scan"_s).count(u"Starting app inventory scan and update check"_s), 3);
}

TEST_F(RefreshPipelineTest, WithoutBrewThePackagesEmptyQuietly)
{
    answerWithFixtures();
    UpdateStudioViewModel model(home.environment());
    ASSERT_TRUE(waitForFirstRefresh(model));
    ASSERT_FALSE(model.state().homebrewItems.empty());

    brew.reset();
    const NoBrewAnywhere noBrew;
    ASSERT_TRUE(refreshAndWait(model));
    EXPECT_TRUE(model.state().homebrewItems.empty());
    EXPECT_EQ(model.state().brewExecutablePath, std::nullopt);
    EXPECT_TRUE(home.logMessages(TruneLogLevel::warn, u"homebrew"_s).isEmpty());
}

TEST_F(RefreshPipelineTest, BrewFailingTwiceKeepsThePreviousPackagesAndWarnsOnce)
{
    const FakeBrew::Response refused{.stderr = "Error: Permission denied @ rb_sysopen\n", .exitCode = 1};
    const FakeBrew::Response installed{.stdoutPieces = {fixture("info-installed.json")}};
    brew->fake.respond(outdatedArguments, {.stdoutPieces = {fixture("outdated.json")}});
    brew->fake.respondInTurn(infoArguments, {installed, refused, refused, refused, installed});
    UpdateStudioViewModel model(home.environment());
    ASSERT_TRUE(waitForFirstRefresh(model));
    const std::vector<HomebrewItem> first = model.state().homebrewItems;
    ASSERT_EQ(first, fixtureItems());

    ASSERT_TRUE(refreshAndWait(model));
    EXPECT_EQ(runsOf(brew->fake, infoArguments), 3);
    EXPECT_EQ(model.state().homebrewItems, first);
    EXPECT_EQ(home.logMessages(TruneLogLevel::warn, u"homebrew"_s),
        QStringList{u"Homebrew metadata fetch failed: Error: Permission denied @ rb_sysopen"_s});

    // One failure, then the retry works: no warning.
    ASSERT_TRUE(refreshAndWait(model));
    EXPECT_EQ(runsOf(brew->fake, infoArguments), 5);
    EXPECT_EQ(model.state().homebrewItems, first);
    EXPECT_EQ(home.logMessages(TruneLogLevel::warn, u"homebrew"_s).size(), 1);
}

// A measure that can hold its callers until the test lets them go, and counts them.
class GatedMeasure final {
public:
    qint64 operator()(const QString& path)
    {
        std::unique_lock lock(m_mutex);
        ++m_running;
        m_mostAtOnce = std::max(m_mostAtOnce, m_running);
        m_changed.wait(lock, [&] { return m_open; });
        lock.unlock();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
        lock.lock();
        --m_running;
        ++m_finished;
        m_changed.notify_all();
        return m_answer * 1000 + path.size();
    }

    void open(qint64 answer)
    {
        std::lock_guard lock(m_mutex);
        m_open = true;
        m_answer = answer;
        m_changed.notify_all();
    }

    void setAnswer(qint64 answer)
    {
        std::lock_guard lock(m_mutex);
        m_answer = answer;
    }

    bool waitForFinished(int count)
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(20), [&] { return m_finished >= count; });
    }

    int mostAtOnce()
    {
        std::lock_guard lock(m_mutex);
        return m_mostAtOnce;
    }

    int running()
    {
        std::lock_guard lock(m_mutex);
        return m_running;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    bool m_open = false;
    qint64 m_answer = 0;
    int m_running = 0;
    int m_mostAtOnce = 0;
    int m_finished = 0;
};

QStringList makePlainBundles(const QString& folder, int count)
{
    QStringList paths;
    for (int i = 0; i < count; ++i)
        paths.append(makeBundle(folder,
            {.name = u"App %1"_s.arg(i, 2, 10, QLatin1Char('0')),
                .bundleID = u"com.example.app%1"_s.arg(i),
                .version = u"1.0"_s}));
    return paths;
}

TEST_F(RefreshPipelineTest, SizesAreMeasuredSixAtATimeAndReachTheListInBatches)
{
    brew.reset();
    const NoBrewAnywhere noBrew;
    makePlainBundles(home.applications(), 17);
    const auto measure = std::make_shared<GatedMeasure>();
    UpdateStudioEnvironment environment = home.environment();
    environment.measureSize = [measure](const QString& path) { return (*measure)(path); };
    UpdateStudioViewModel model(environment);
    QSet<qsizetype> sizedCounts; // how many apps had a size, at each announced change
    QObject::connect(&model, &UpdateStudioViewModel::changed, [&] {
        const auto& apps = model.state().installedApps;
        sizedCounts.insert(
            std::count_if(apps.begin(), apps.end(), [](const InstalledAppRecord& app) { return app.sizeBytes > 0; }));
    });
    ASSERT_TRUE(waitForFirstRefresh(model));

    ASSERT_TRUE(waitUntil([&] { return measure->running() == 6; }));
    // Room for a seventh, were it allowed. Only a fault can make this look differ, so the
    // time it gives can make the test miss a fault but never fail a sound program.
    const QDeadlineTimer roomForASeventh(200);
    waitUntil([&] { return roomForASeventh.hasExpired(); });
    EXPECT_EQ(measure->mostAtOnce(), 6);
    measure->open(7);
    ASSERT_TRUE(waitUntil([&] {
        const auto& apps = model.state().installedApps;
        return std::all_of(apps.begin(), apps.end(), [](const InstalledAppRecord& app) { return app.sizeBytes > 0; });
    }));
    for (const InstalledAppRecord& app : model.state().installedApps)
        EXPECT_EQ(app.sizeBytes, 7000 + app.path.size());
    EXPECT_EQ(measure->mostAtOnce(), 6);
    ASSERT_TRUE(waitForStudioWork());
    // Never one by one: eight, eight, then the last one (two may land in one announcement).
    QList<qsizetype> seen = sizedCounts.values();
    std::sort(seen.begin(), seen.end());
    EXPECT_TRUE((QSet<qsizetype>{0, 8, 16, 17}).contains(sizedCounts)) << testing::PrintToString(seen.toVector());
    EXPECT_TRUE(sizedCounts.contains(17));
}

TEST_F(RefreshPipelineTest, AStalePassNeverAppliesItsSizes)
{
    brew.reset();
    const NoBrewAnywhere noBrew;
    makePlainBundles(home.applications(), 3);
    const auto measure = std::make_shared<GatedMeasure>();
    UpdateStudioEnvironment environment = home.environment();
    environment.measureSize = [measure](const QString& path) { return (*measure)(path); };
    // While the first pass merges its feeds (the second time asked), its size batch is let go and
    // reaches the main thread before the second pass starts.
    const auto clockCalls = std::make_shared<int>(0);
    environment.now = [measure, clockCalls] {
        if (++*clockCalls == 2) {
            measure->open(1);
            measure->waitForFinished(3);
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            measure->setAnswer(2);
        }
        return QDateTime::currentDateTimeUtc();
    };
    UpdateStudioViewModel model(environment);
    bool sawStaleSize = false;
    QObject::connect(&model, &UpdateStudioViewModel::changed, [&] {
        for (const InstalledAppRecord& app : model.state().installedApps)
            sawStaleSize = sawStaleSize || (app.sizeBytes > 0 && app.sizeBytes < 2000);
    });

    // This request starts the first pass; the one construction queued makes the second.
    ASSERT_TRUE(refreshAndWait(model));
    EXPECT_GE(*clockCalls, 4);
    ASSERT_TRUE(waitUntil([&] {
        const auto& apps = model.state().installedApps;
        return std::all_of(apps.begin(), apps.end(), [](const InstalledAppRecord& app) { return app.sizeBytes > 0; });
    }));
    ASSERT_TRUE(waitForStudioWork());
    EXPECT_FALSE(sawStaleSize);
    for (const InstalledAppRecord& app : model.state().installedApps)
        EXPECT_EQ(app.sizeBytes, 2000 + app.path.size());
}

TEST_F(RefreshPipelineTest, ReleasingTheViewModelMidRefreshDropsEveryLateResult)
{
    // Brew cannot end its run before the view model is gone: a release that waited for it would
    // never return.
    brew->fake.respond(infoArguments, {.stdoutPieces = {fixture("info-installed.json")}, .gate = u"info"_s});
    LoopbackHttpServer server;
    LoopbackHttpServer::Response slowFeed = LoopbackHttpServer::Response::ok(appcast(u"2.0"_s, u"200"_s));
    slowFeed.delayMs = 1500;
    server.setResponse(u"/slow.xml"_s, slowFeed);
    makePlainBundles(home.applications(), 9);
    makeBundle(home.applications(),
        {.name = u"Slow Feed"_s,
            .bundleID = u"com.example.slow"_s,
            .version = u"1.0"_s,
            .feed = server.url(u"/slow.xml"_s)});
    const auto measure = std::make_shared<GatedMeasure>();
    UpdateStudioEnvironment environment = home.environment();
    environment.measureSize = [measure](const QString& path) { return (*measure)(path); };

    auto model = std::make_unique<UpdateStudioViewModel>(environment);
    ASSERT_TRUE(
        waitUntil([&] { return !brew->fake.runs().empty() && measure->running() == 6 && !server.requests().empty(); }));
    model->showToast(u"Pending toast"_s, false);

    model.reset();

    brew->fake.release(u"info"_s);
    measure->open(1);
    ASSERT_TRUE(server.waitUntilSettled());
    ASSERT_TRUE(measure->waitForFinished(6));
    ASSERT_TRUE(waitForStudioWork());
}

TEST_F(RefreshPipelineTest, ReleasingTheViewModelHangsUpOnAFeedThatNeverAnswers)
{
    answerWithFixtures();
    LoopbackHttpServer server;
    LoopbackHttpServer::Response silent = LoopbackHttpServer::Response::ok(appcast(u"2.0"_s, u"200"_s));
    silent.delayMs = 3'600'000;
    server.setResponse(u"/silent.xml"_s, silent);
    makeBundle(home.applications(),
        {.name = u"Silent Feed"_s,
            .bundleID = u"com.example.silent"_s,
            .version = u"1.0"_s,
            .feed = server.url(u"/silent.xml"_s)});
    UpdateStudioEnvironment environment = home.environment();
    // Longer than any test runs: only the release can end the fetch while the test looks.
    environment.feedTimeoutSeconds = 3600;
    auto model = std::make_unique<UpdateStudioViewModel>(environment);
    ASSERT_TRUE(waitUntil([&] { return !server.requests(u"/silent.xml"_s).empty(); }));

    model.reset();

    // The check ended, and with it the work the application would wait for when it quits, while
    // the server still held the feed back.
    ASSERT_TRUE(waitForStudioWork());
    ASSERT_TRUE(server.waitUntilSettled());
    const std::vector<LoopbackHttpServer::Request> requests = server.requests(u"/silent.xml"_s);
    ASSERT_EQ(requests.size(), 1u);
    EXPECT_TRUE(requests[0].clientHungUp);
    EXPECT_FALSE(requests[0].completed);
    EXPECT_TRUE(home.logMessages(TruneLogLevel::info, u"scan"_s).filter(u"Scan finished"_s).isEmpty());
}

} // namespace
