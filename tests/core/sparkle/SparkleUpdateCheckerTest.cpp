#include "core/sparkle/SparkleUpdateChecker.h"

#include "core/sparkle/SparkleAppcastParser.h"
#include "tests/core/sparkle/AppcastTestValues.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/RecordBuilders.h"
#include "tests/support/TestWaits.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QNetworkRequest>
#include <QString>
#include <QThread>
#include <QUrl>

#include <memory>
#include <optional>
#include <ostream>
#include <stop_token>
#include <vector>

using namespace Qt::StringLiterals;

inline void PrintTo(const SparkleUpdateCheckResult& result, std::ostream* os)
{
    *os << "{app \"" << result.appID.toStdString() << "\", ";
    PrintTo(result.latestItem, os);
    *os << (result.updateAvailable ? ", newer}" : ", not newer}");
}

namespace {

using namespace AppcastTestValues;
using Framing = LoopbackHttpServer::Framing;
using Response = LoopbackHttpServer::Response;

constexpr qint64 kLimit = SparkleAppcastParser::maxFeedBytes;
// What the sending and the receiving socket may hold between them on loopback (autotuned buffers
// grow to tens of MiB): bytes the server handed over that the client never read.
constexpr qint64 kSocketBuffers = 64 * 1024 * 1024;

// Results are keyed by app id: here the app's name. Installed at 1.0 unless a test says otherwise.
AppRecordBuilder app(const QString& id, std::optional<QString> feed)
{
    return AppRecordBuilder(id)
        .id(id)
        .sparkleFeedURL(std::move(feed))
        .installedVersion(u"1.0"_s)
        .origin(AppOriginKind::sparkle);
}

// One app per path, named after it ("/a" is app "a"), installed at 1.0.
std::vector<InstalledAppRecord> appsFor(const LoopbackHttpServer& server, const QStringList& paths)
{
    std::vector<InstalledAppRecord> apps;
    for (const QString& path : paths)
        apps.push_back(app(path.mid(1), server.url(path)).build());
    return apps;
}

QStringList sortedKeys(const QHash<QString, SparkleUpdateCheckResult>& results)
{
    QStringList keys = results.keys();
    keys.sort();
    return keys;
}

QHash<QString, SparkleUpdateCheckResult> check(const std::vector<InstalledAppRecord>& apps,
    bool includePrereleases = false, int maxConcurrency = 6, double timeoutSeconds = 10)
{
    return SparkleUpdateChecker(timeoutSeconds).checkUpdates(apps, includePrereleases, maxConcurrency);
}

// `body` compressed for "Content-Encoding: deflate" (a zlib stream).
Response deflated(const QByteArray& body)
{
    Response response = Response::ok(qCompress(body, 9).mid(4));
    response.headers.append(std::pair<QByteArray, QByteArray>("Content-Encoding", "deflate"));
    return response;
}

TEST(SparkleUpdateCheckerTest, ReportsTheNewestCompatibleReleaseOfARealFeed)
{
    LoopbackHttpServer server;
    server.setResponse(u"/lumen/appcast.xml"_s, Response::ok(fixture(u"lumen-appcast.xml"_s)));
    const QString feed = server.url(u"/lumen/appcast.xml"_s);
    const std::vector<InstalledAppRecord> apps{
        app(u"behind"_s, feed).installedVersion(u"2.3.1"_s).buildVersion(u"231"_s).build(),
        app(u"current"_s, feed).installedVersion(u"2.4"_s).buildVersion(u"240"_s).build(),
    };

    const SparkleAppcastItem release24{
        .title = u"Version 2.4"_s,
        .shortVersionString = u"2.4"_s,
        .buildVersion = u"240"_s,
        .downloadURL = server.url(u"/lumen/downloads/Lumen-2.4.zip"_s),
        .releaseNotesURL = server.url(u"/lumen/releases/2.4.html"_s),
        .minimumSystemVersion = u"13.0"_s,
        .pubDate = u"Tue, 04 Jun 2024 09:00:00 +0000"_s,
    };
    const QHash<QString, SparkleUpdateCheckResult> results = check(apps);
    ASSERT_EQ(sortedKeys(results), QStringList({u"behind"_s, u"current"_s}));
    EXPECT_EQ(results[u"behind"_s], (SparkleUpdateCheckResult{u"behind"_s, release24, true}));
    // Up to date still gives an entry: it tells the caller the app was checked.
    EXPECT_EQ(results[u"current"_s], (SparkleUpdateCheckResult{u"current"_s, release24, false}));

    const QHash<QString, SparkleUpdateCheckResult> withPrereleases = check({apps[1]}, true);
    ASSERT_TRUE(withPrereleases.contains(u"current"_s));
    EXPECT_EQ(withPrereleases[u"current"_s].latestItem.shortVersionString, u"2.6"_s);
    EXPECT_TRUE(withPrereleases[u"current"_s].updateAvailable);

    const std::vector<LoopbackHttpServer::Request> requests = server.requests();
    ASSERT_EQ(requests.size(), 3u);
    for (const LoopbackHttpServer::Request& request : requests) {
        EXPECT_EQ(request.method, "GET");
        EXPECT_EQ(request.path, "/lumen/appcast.xml");
        EXPECT_EQ(request.header("User-Agent"), "TruneUpdate/1.0 (macOS; Quorvane Sparkle Inspector)");
        EXPECT_EQ(request.header("Accept"), "application/rss+xml, application/xml, text/xml;q=0.9, */*;q=0.1");
        EXPECT_EQ(request.header("Cookie"), std::nullopt);
    }
}

TEST(SparkleUpdateCheckerTest, ResolvesLinksAgainstTheFeedAndKeepsOnlyWebAddresses)
{
    struct Row {
        QByteArray link;
        std::optional<QString> expected; // "<server>" stands for the server's own address
    };
    const std::vector<Row> rows{
        {"https://downloads.example.com/a.zip", u"https://downloads.example.com/a.zip"_s},
        {"HTTP://downloads.example.com/a.zip", u"HTTP://downloads.example.com/a.zip"_s},
        {"a.zip", u"<server>/feeds/a.zip"_s},
        {"../a.zip", u"<server>/a.zip"_s},
        {"/files/a b.zip", u"<server>/files/a%20b.zip"_s},
        {"//cdn.example.com/a.zip", u"http://cdn.example.com/a.zip"_s},
        {"file:///Applications/Calculator.app", std::nullopt},
        {"smb://nas.local/share/a.zip", std::nullopt},
        {"javascript:alert(1)", std::nullopt},
        {"x-settings:open", std::nullopt},
    };
    LoopbackHttpServer server;
    std::vector<InstalledAppRecord> apps;
    for (std::size_t index = 0; index < rows.size(); ++index) {
        const QString path = u"/feeds/"_s + QString::number(index);
        const QByteArray& link = rows[index].link;
        server.setResponse(path,
            Response::ok(feedWithItems("<item><sparkle:version>2.0</sparkle:version><sparkle:releaseNotesLink>" + link
                + "</sparkle:releaseNotesLink><enclosure url=\"" + link + "\"/></item>")));
        apps.push_back(app(QString::number(index), server.url(path)).build());
    }

    const QHash<QString, SparkleUpdateCheckResult> results = check(apps);
    ASSERT_EQ(std::size_t(results.size()), rows.size());
    for (std::size_t index = 0; index < rows.size(); ++index) {
        const Row& row = rows[index];
        SCOPED_TRACE(row.link.toStdString());
        const SparkleUpdateCheckResult result = results.value(QString::number(index));
        std::optional<QString> expected = row.expected;
        if (expected)
            expected->replace(u"<server>"_s, server.url({}));
        EXPECT_EQ(result.latestItem.downloadURL, expected);
        EXPECT_EQ(result.latestItem.releaseNotesURL, expected);
    }
}

TEST(SparkleUpdateCheckerTest, FetchesOnlyWebFeeds)
{
    LoopbackHttpServer server;
    server.setResponse(u"/feed"_s, Response::ok(feedOffering("2.0")));
    const QString authority = u"127.0.0.1:"_s + QString::number(server.port());
    const std::vector<InstalledAppRecord> notWeb{
        app(u"none"_s, std::nullopt).build(),
        app(u"empty"_s, u""_s).build(),
        app(u"file"_s, u"file:///tmp/feed.xml"_s).build(),
        app(u"ftp"_s, u"ftp://"_s + authority + u"/feed"_s).build(),
        app(u"schemeless"_s, u"//"_s + authority + u"/feed"_s).build(),
        app(u"bare"_s, authority + u"/feed"_s).build(),
        app(u"unparsable"_s, u"http://"_s + authority + u"/fe ed"_s).build(),
    };
    EXPECT_TRUE(check({}).isEmpty());
    EXPECT_TRUE(check(notWeb).isEmpty());
    EXPECT_EQ(server.maxOpenConnections(), 0);

    std::vector<InstalledAppRecord> mixed = notWeb;
    mixed.push_back(app(u"upper"_s, u"HTTP://"_s + authority + u"/feed"_s).build());
    mixed.push_back(app(u"mixed"_s, u"hTTp://"_s + authority + u"/feed"_s).build());
    EXPECT_EQ(sortedKeys(check(mixed)), QStringList({u"mixed"_s, u"upper"_s}));
    EXPECT_EQ(server.requests().size(), 2u);
}

TEST(SparkleUpdateCheckerTest, EachFailureLeavesOutOnlyItsOwnApp)
{
    LoopbackHttpServer server;
    const QByteArray feed = feedOffering("2.0");
    server.setResponse(u"/ok"_s, Response::ok(feed));
    server.setResponse(u"/created"_s, Response::withStatus(201, feed));
    server.setResponse(u"/partial"_s, Response::withStatus(203, feed));
    server.setResponse(u"/not-modified"_s, Response::withStatus(304));
    server.setResponse(u"/missing"_s, Response::withStatus(404, feed));
    server.setResponse(u"/gone"_s, Response::withStatus(410, feed));
    server.setResponse(u"/broken"_s, Response::withStatus(500, feed));
    server.setResponse(u"/not-xml"_s, Response::ok("{\"version\": \"2.0\"}"));
    server.setResponse(u"/windows-only"_s,
        Response::ok(feedWithItems("<item><enclosure url=\"https://x.example/a.exe\" sparkle:version=\"2.0\" "
                                   "sparkle:os=\"windows\"/></item>")));
    server.setResponse(u"/moved"_s, Response::redirect(302, "/ok"));
    server.setResponse(u"/moved-twice"_s, Response::redirect(301, "/moved"));
    server.setResponse(u"/to-file"_s, Response::redirect(302, "file:///etc/hostname"));
    server.setResponse(u"/loop"_s, Response::redirect(307, "/loop"));
    std::vector<InstalledAppRecord> apps = appsFor(server,
        {u"/ok"_s, u"/created"_s, u"/partial"_s, u"/not-modified"_s, u"/missing"_s, u"/gone"_s, u"/broken"_s,
            u"/not-xml"_s, u"/windows-only"_s, u"/unknown"_s, u"/moved"_s, u"/moved-twice"_s, u"/to-file"_s,
            u"/loop"_s});
    {
        LoopbackHttpServer closed;
        apps.push_back(app(u"unreachable"_s, closed.url(u"/feed"_s)).build());
    }

    EXPECT_EQ(
        sortedKeys(check(apps)), QStringList({u"created"_s, u"moved"_s, u"moved-twice"_s, u"ok"_s, u"partial"_s}));
}

TEST(SparkleUpdateCheckerTest, FollowsRedirectsOnlyToWebAddresses)
{
    LoopbackHttpServer server;
    server.setResponse(u"/feed"_s, Response::ok(feedOffering("2.0")));
    const QByteArray authority = "127.0.0.1:" + QByteArray::number(server.port());
    const struct {
        const char* id;
        QByteArray location;
        bool followed;
    } rows[] = {
        {"path", "/feed", true},
        {"http", "http://" + authority + "/feed", true},
        {"http-in-capitals", "HTTP://" + authority + "/feed", true},
        {"ftp", "ftp://" + authority + "/feed", false},
        {"file", "file:///etc/hostname", false},
        {"data", "data:text/xml," + feedOffering("2.0").toPercentEncoding(), false},
    };
    std::vector<InstalledAppRecord> apps;
    QStringList followed;
    for (const auto& row : rows) {
        const QString id = QString::fromLatin1(row.id);
        server.setResponse(u"/"_s + id, Response::redirect(302, row.location));
        apps.push_back(app(id, server.url(u"/"_s + id)).build());
        if (row.followed)
            followed.append(id);
    }
    followed.sort();

    EXPECT_EQ(sortedKeys(check(apps)), followed);
    EXPECT_EQ(server.requests(u"/feed"_s).size(), std::size_t(followed.size()));
}

// A redirect from https to http cannot be staged on loopback without a TLS server; what can be
// checked is that every fetch asks for the policy that refuses it.
TEST(SparkleUpdateCheckerTest, FeedRequestRefusesRedirectsThatLowerSecurity)
{
    const QNetworkRequest request = SparkleUpdateChecker(2.5).feedRequest(QUrl(u"https://feeds.example.com/a.xml"_s));
    EXPECT_EQ(request.url(), QUrl(u"https://feeds.example.com/a.xml"_s));
    EXPECT_EQ(request.attribute(QNetworkRequest::RedirectPolicyAttribute).toInt(),
        int(QNetworkRequest::NoLessSafeRedirectPolicy));
    EXPECT_EQ(request.transferTimeout(), 2500);
}

TEST(SparkleUpdateCheckerTest, ParsesAtMostFiveMebibytesOfBody)
{
    LoopbackHttpServer server;
    const QByteArray exact = paddedFeedOffering("2.0", kLimit);
    const QByteArray over = paddedFeedOffering("2.0", kLimit + 1);
    const auto framed = [](QByteArray body, Framing framing) {
        Response response = Response::ok(std::move(body));
        response.framing = framing;
        return response;
    };
    server.setResponse(u"/exact"_s, framed(exact, Framing::contentLength));
    server.setResponse(u"/exact-chunked"_s, framed(exact, Framing::chunked));
    server.setResponse(u"/exact-until-close"_s, framed(exact, Framing::untilClose));
    server.setResponse(u"/exact-deflated"_s, deflated(exact));
    server.setResponse(u"/over"_s, framed(over, Framing::contentLength));
    server.setResponse(u"/over-chunked"_s, framed(over, Framing::chunked));
    server.setResponse(u"/over-until-close"_s, framed(over, Framing::untilClose));
    // Compressed to a few kilobytes on the wire: the limit counts what the feed inflates to.
    server.setResponse(u"/over-deflated"_s, deflated(over));
    Response lying = framed(feedOffering("2.0"), Framing::chunked);
    lying.declaredLength = kLimit + 1;
    server.setResponse(u"/declared-over"_s, lying);

    const QStringList paths{u"/exact"_s, u"/exact-chunked"_s, u"/exact-until-close"_s, u"/exact-deflated"_s, u"/over"_s,
        u"/over-chunked"_s, u"/over-until-close"_s, u"/over-deflated"_s, u"/declared-over"_s};
    EXPECT_EQ(sortedKeys(check(appsFor(server, paths))),
        QStringList({u"exact"_s, u"exact-chunked"_s, u"exact-deflated"_s, u"exact-until-close"_s}));
}

TEST(SparkleUpdateCheckerTest, StopsReadingAnEndlessBodyAtTheLimit)
{
    LoopbackHttpServer server;
    constexpr qint64 endless = qint64(1) << 30;
    const auto streaming = [&](Framing framing) {
        Response response = Response::ok(feedOffering("2.0").chopped(16));
        response.fillerBytes = endless;
        response.framing = framing;
        return response;
    };
    server.setResponse(u"/until-close"_s, streaming(Framing::untilClose));
    server.setResponse(u"/chunked"_s, streaming(Framing::chunked));
    // 64 MiB of white space inflated from about 64 KiB.
    server.setResponse(u"/bomb"_s, deflated(feedOffering("2.0").chopped(16) + QByteArray(64 << 20, ' ')));

    EXPECT_TRUE(check(appsFor(server, {u"/until-close"_s, u"/chunked"_s, u"/bomb"_s})).isEmpty());
    ASSERT_TRUE(server.waitUntilSettled());
    for (const QString& path : {u"/until-close"_s, u"/chunked"_s}) {
        SCOPED_TRACE(path.toStdString());
        const std::vector<LoopbackHttpServer::Request> requests = server.requests(path);
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_TRUE(requests[0].clientHungUp);
        EXPECT_LT(requests[0].bodyBytesSent, kLimit + kSocketBuffers);
    }
}

TEST(SparkleUpdateCheckerTest, FastEndlessFeedsAreHeldToTheLimitAndLetGoWhenTheCheckEnds)
{
    // Six feeds streaming large chunks as fast as the client reads: without a bound on what the
    // network thread buffers, each is read far past the limit, and on after the check has ended.
    LoopbackHttpServer server;
    QStringList paths;
    for (int index = 0; index < 6; ++index) {
        Response stream = Response::ok(feedOffering("2.0").chopped(16));
        stream.framing = Framing::chunked;
        stream.fillerBytes = qint64(1) << 30;
        stream.pieceBytes = 1024 * 1024;
        paths.append(u"/stream%1"_s.arg(index));
        server.setResponse(paths.back(), stream);
    }
    EXPECT_TRUE(check(appsFor(server, paths)).isEmpty());
    ASSERT_TRUE(server.waitUntilSettled());
    for (const QString& path : paths) {
        SCOPED_TRACE(path.toStdString());
        const std::vector<LoopbackHttpServer::Request> requests = server.requests(path);
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_TRUE(requests[0].clientHungUp);
        EXPECT_LT(requests[0].bodyBytesSent, kLimit + kSocketBuffers);
    }
}

TEST(SparkleUpdateCheckerTest, KeepsAtMostTheGivenNumberOfFetchesInFlight)
{
    struct Row {
        int maxConcurrency;
        int inFlight;
    };
    const QStringList paths{u"/a"_s, u"/b"_s, u"/c"_s, u"/d"_s, u"/e"_s, u"/f"_s, u"/g"_s, u"/h"_s};
    for (const Row row : {Row{6, 6}, Row{3, 3}, Row{1, 1}, Row{0, 1}, Row{-4, 1}}) {
        SCOPED_TRACE(row.maxConcurrency);
        LoopbackHttpServer server;
        for (const QString& path : paths) {
            // Every answer waits until the full width is in flight, however slowly the fetches
            // start; a checker that never gets there runs into its time-out and reports nothing.
            Response held = Response::ok(feedOffering("2.0"));
            held.holdUntil = [&server, row] { return server.maxRequestsInFlight() >= row.inFlight; };
            server.setResponse(path, held);
        }
        EXPECT_EQ(check(appsFor(server, paths), false, row.maxConcurrency).size(), paths.size());
        EXPECT_EQ(server.maxRequestsInFlight(), row.inFlight);
        EXPECT_LE(server.maxOpenConnections(), row.inFlight);
        const std::vector<LoopbackHttpServer::Request> requests = server.requests();
        ASSERT_EQ(requests.size(), std::size_t(paths.size()));
        if (row.inFlight == 1) {
            for (qsizetype index = 0; index < paths.size(); ++index)
                EXPECT_EQ(requests[std::size_t(index)].path, paths[index].toUtf8());
        }
    }
}

TEST(SparkleUpdateCheckerTest, KeepsTheFetchThatFinishedLastForAnID)
{
    LoopbackHttpServer server;
    // Two at a time: "/next" is fetched only after one of the first two has finished, so holding
    // "/slow" until "/next" was asked for makes "/fast" finish first.
    Response slow = Response::ok(feedOffering("2.0"));
    slow.holdUntil = [&server] { return !server.requests(u"/next"_s).empty(); };
    server.setResponse(u"/slow"_s, slow);
    server.setResponse(u"/fast"_s, Response::ok(feedOffering("3.0")));
    server.setResponse(u"/next"_s, Response::ok(feedOffering("3.0")));
    const std::vector<InstalledAppRecord> apps{app(u"same"_s, server.url(u"/slow"_s)).build(),
        app(u"same"_s, server.url(u"/fast"_s)).build(), app(u"next"_s, server.url(u"/next"_s)).build()};

    const QHash<QString, SparkleUpdateCheckResult> results = check(apps, false, 2);
    ASSERT_EQ(sortedKeys(results), QStringList({u"next"_s, u"same"_s}));
    EXPECT_EQ(results[u"same"_s].latestItem.shortVersionString, u"2.0"_s);
    EXPECT_EQ(check(apps, false, 1)[u"same"_s].latestItem.shortVersionString, u"3.0"_s);
}

TEST(SparkleUpdateCheckerTest, GivesUpOnSilentStalledAndEndlesslySlowFeeds)
{
    LoopbackHttpServer server;
    const QByteArray feed = feedOffering("2.0");
    Response silent = Response::ok(feed);
    silent.delayMs = 60'000;
    Response stalled = Response::ok(feed);
    stalled.stallMs = 60'000;
    // One byte every 100 ms never trips the wait for the next bytes, only the bound on the fetch.
    Response trickling = Response::ok(feed);
    trickling.pieceBytes = 1;
    trickling.pieceIntervalMs = 100;
    server.setResponse(u"/silent"_s, silent);
    server.setResponse(u"/stalled"_s, stalled);
    server.setResponse(u"/trickling"_s, trickling);
    server.setResponse(u"/prompt"_s, Response::ok(feed));

    const auto results
        = check(appsFor(server, {u"/silent"_s, u"/stalled"_s, u"/trickling"_s, u"/prompt"_s}), false, 6, 0.3);
    EXPECT_EQ(sortedKeys(results), QStringList({u"prompt"_s}));
    ASSERT_TRUE(server.waitUntilSettled());
    for (const QString& path : {u"/silent"_s, u"/stalled"_s, u"/trickling"_s}) {
        SCOPED_TRACE(path.toStdString());
        const std::vector<LoopbackHttpServer::Request> requests = server.requests(path);
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_TRUE(requests[0].clientHungUp);
    }
}

TEST(SparkleUpdateCheckerTest, RunsOnAWorkerThread)
{
    LoopbackHttpServer server;
    server.setResponse(u"/feed"_s, Response::ok(feedOffering("2.0")));
    QHash<QString, SparkleUpdateCheckResult> results;
    std::unique_ptr<QThread> worker(QThread::create([&] { results = check(appsFor(server, {u"/feed"_s})); }));
    worker->start();
    ASSERT_TRUE(worker->wait(30'000));
    EXPECT_EQ(sortedKeys(results), QStringList({u"feed"_s}));
}

TEST(SparkleUpdateCheckerTest, FetchesAppsAsTheyArriveUntilTheQueueIsClosed)
{
    LoopbackHttpServer server;
    server.setResponse(u"/early"_s, Response::ok(feedOffering("2.0")));
    server.setResponse(u"/late"_s, Response::ok(feedOffering("3.0")));
    SparkleFeedAppQueue queue;
    QHash<QString, SparkleUpdateCheckResult> results;
    std::unique_ptr<QThread> worker(
        QThread::create([&] { results = SparkleUpdateChecker(10).checkUpdates(queue, false, 6); }));
    worker->start();

    queue.add(app(u"early"_s, server.url(u"/early"_s)).build());
    // Fetched while the queue is still open: a check that waited for the whole list never asks.
    ASSERT_TRUE(waitUntil([&] { return !server.requests(u"/early"_s).empty(); }));
    ASSERT_TRUE(server.waitUntilSettled());
    // The first fetch has ended, and the check goes on taking apps.
    queue.add(app(u"late"_s, server.url(u"/late"_s)).build());
    queue.add(app(u"local"_s, u"file:///etc/passwd"_s).build());
    queue.close();

    ASSERT_TRUE(worker->wait(30'000));
    ASSERT_EQ(sortedKeys(results), QStringList({u"early"_s, u"late"_s}));
    EXPECT_EQ(results[u"late"_s].latestItem.shortVersionString, u"3.0"_s);
    EXPECT_EQ(server.requests().size(), 2u);
}

TEST(SparkleUpdateCheckerTest, AQueueClosedEmptyEndsTheCheckWithNothing)
{
    SparkleFeedAppQueue queue;
    queue.close();
    EXPECT_TRUE(SparkleUpdateChecker(10).checkUpdates(queue, false, 6).isEmpty());
}

// A check runs on a worker thread while the test's thread asks it to stop, as the view model does.
class StoppableCheck final {
public:
    StoppableCheck(std::vector<InstalledAppRecord> apps, int maxConcurrency)
        : m_apps(std::move(apps))
        , m_worker(QThread::create([this, maxConcurrency] {
            // Longer than any test runs: only the stop can end a fetch that is never answered.
            m_results = SparkleUpdateChecker(3600).checkUpdates(m_apps, false, maxConcurrency, m_stop.get_token());
        }))
    {
        m_worker->start();
    }

    ~StoppableCheck()
    {
        m_stop.request_stop();
        m_worker->wait();
    }

    void requestStop() { m_stop.request_stop(); }
    bool waitForEnd() const
    {
        return waitUntil([&] { return m_worker->isFinished(); });
    }
    const QHash<QString, SparkleUpdateCheckResult>& results() const { return m_results; }

private:
    const std::vector<InstalledAppRecord> m_apps;
    std::stop_source m_stop;
    QHash<QString, SparkleUpdateCheckResult> m_results;
    std::unique_ptr<QThread> m_worker;
};

TEST(SparkleUpdateCheckerTest, AStopMidFetchHangsUpStartsNoMoreFeedsAndReportsNothing)
{
    LoopbackHttpServer server;
    Response silent = Response::ok(feedOffering("2.0"));
    silent.delayMs = 3'600'000;
    server.setResponse(u"/answered"_s, Response::ok(feedOffering("2.0")));
    server.setResponse(u"/silent"_s, silent);
    server.setResponse(u"/later"_s, Response::ok(feedOffering("2.0")));

    // One fetch at a time: the answered feed has come in and the check waits on the silent one.
    StoppableCheck check(appsFor(server, {u"/answered"_s, u"/silent"_s, u"/later"_s}), 1);
    ASSERT_TRUE(waitUntil([&] { return !server.requests(u"/silent"_s).empty(); }));
    check.requestStop();

    ASSERT_TRUE(check.waitForEnd());
    EXPECT_EQ(sortedKeys(check.results()), QStringList()) << "what came in before the stop is not reported";
    ASSERT_TRUE(server.waitUntilSettled());
    const std::vector<LoopbackHttpServer::Request> silentRequests = server.requests(u"/silent"_s);
    ASSERT_EQ(silentRequests.size(), 1u);
    EXPECT_TRUE(silentRequests[0].clientHungUp);
    EXPECT_FALSE(silentRequests[0].completed);
    EXPECT_TRUE(server.requests(u"/later"_s).empty());
}

TEST(SparkleUpdateCheckerTest, AStopBeforeTheCheckFetchesNothing)
{
    LoopbackHttpServer server;
    server.setResponse(u"/feed"_s, Response::ok(feedOffering("2.0")));
    std::stop_source stop;
    stop.request_stop();

    const auto results
        = SparkleUpdateChecker(10).checkUpdates(appsFor(server, {u"/feed"_s}), false, 6, stop.get_token());
    EXPECT_TRUE(results.isEmpty());
    EXPECT_TRUE(server.requests().empty());
}

} // namespace
