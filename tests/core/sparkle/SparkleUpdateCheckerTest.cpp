#include "core/sparkle/SparkleUpdateChecker.h"

#include "core/sparkle/SparkleAppcastParser.h"
#include "tests/core/sparkle/AppcastTestValues.h"
#include "tests/support/LoopbackHttpServer.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>
#include <QThread>

#include <optional>
#include <ostream>
#include <vector>

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

InstalledAppRecord app(const QString& id, std::optional<QString> feed, const QString& installed = u"1.0"_qs,
                       const QString& build = {})
{
    return InstalledAppRecord(id, id, u"com.example."_qs + id, u"/Applications/"_qs + id + u".app"_qs, installed,
                              build, std::nullopt, false, std::nullopt, std::nullopt, std::move(feed), std::nullopt,
                              AppOriginKind::sparkle, AppArchitecture::universal, 0, std::nullopt, std::nullopt);
}

// One app per path, named after it ("/a" is app "a"), installed at 1.0.
std::vector<InstalledAppRecord> appsFor(const LoopbackHttpServer& server, const QStringList& paths)
{
    std::vector<InstalledAppRecord> apps;
    for (const QString& path : paths)
        apps.push_back(app(path.mid(1), server.url(path)));
    return apps;
}

QStringList sortedKeys(const QHash<QString, SparkleUpdateCheckResult>& results)
{
    QStringList keys = results.keys();
    keys.sort();
    return keys;
}

QHash<QString, SparkleUpdateCheckResult> check(const std::vector<InstalledAppRecord>& apps,
                                               bool includePrereleases = false, int maxConcurrency = 6,
                                               double timeoutSeconds = 10)
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
    server.setResponse(u"/lumen/appcast.xml"_qs, Response::ok(fixture(u"lumen-appcast.xml"_qs)));
    const QString feed = server.url(u"/lumen/appcast.xml"_qs);
    const std::vector<InstalledAppRecord> apps{
        app(u"behind"_qs, feed, u"2.3.1"_qs, u"231"_qs),
        app(u"current"_qs, feed, u"2.4"_qs, u"240"_qs),
    };

    const SparkleAppcastItem release24{
        .title = u"Version 2.4"_qs,
        .shortVersionString = u"2.4"_qs,
        .buildVersion = u"240"_qs,
        .downloadURL = server.url(u"/lumen/downloads/Lumen-2.4.zip"_qs),
        .releaseNotesURL = server.url(u"/lumen/releases/2.4.html"_qs),
        .minimumSystemVersion = u"13.0"_qs,
        .pubDate = u"Tue, 04 Jun 2024 09:00:00 +0000"_qs,
    };
    const QHash<QString, SparkleUpdateCheckResult> results = check(apps);
    ASSERT_EQ(sortedKeys(results), QStringList({u"behind"_qs, u"current"_qs}));
    EXPECT_EQ(results[u"behind"_qs], (SparkleUpdateCheckResult{u"behind"_qs, release24, true}));
    // Up to date still gives an entry: it tells the caller the app was checked.
    EXPECT_EQ(results[u"current"_qs], (SparkleUpdateCheckResult{u"current"_qs, release24, false}));

    const QHash<QString, SparkleUpdateCheckResult> withPrereleases = check({apps[1]}, true);
    ASSERT_TRUE(withPrereleases.contains(u"current"_qs));
    EXPECT_EQ(withPrereleases[u"current"_qs].latestItem.shortVersionString, u"2.6"_qs);
    EXPECT_TRUE(withPrereleases[u"current"_qs].updateAvailable);

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
        {"https://downloads.example.com/a.zip", u"https://downloads.example.com/a.zip"_qs},
        {"HTTP://downloads.example.com/a.zip", u"HTTP://downloads.example.com/a.zip"_qs},
        {"a.zip", u"<server>/feeds/a.zip"_qs},
        {"../a.zip", u"<server>/a.zip"_qs},
        {"/files/a b.zip", u"<server>/files/a%20b.zip"_qs},
        {"//cdn.example.com/a.zip", u"http://cdn.example.com/a.zip"_qs},
        {"file:///Applications/Calculator.app", std::nullopt},
        {"smb://nas.local/share/a.zip", std::nullopt},
        {"javascript:alert(1)", std::nullopt},
        {"x-settings:open", std::nullopt},
    };
    LoopbackHttpServer server;
    std::vector<InstalledAppRecord> apps;
    for (std::size_t index = 0; index < rows.size(); ++index) {
        const QString path = u"/feeds/"_qs + QString::number(index);
        const QByteArray& link = rows[index].link;
        server.setResponse(path, Response::ok(feedWithItems(
                                     "<item><sparkle:version>2.0</sparkle:version><sparkle:releaseNotesLink>" + link
                                     + "</sparkle:releaseNotesLink><enclosure url=\"" + link + "\"/></item>")));
        apps.push_back(app(QString::number(index), server.url(path)));
    }

    const QHash<QString, SparkleUpdateCheckResult> results = check(apps);
    ASSERT_EQ(std::size_t(results.size()), rows.size());
    for (std::size_t index = 0; index < rows.size(); ++index) {
        const Row& row = rows[index];
        SCOPED_TRACE(row.link.toStdString());
        const SparkleUpdateCheckResult result = results.value(QString::number(index));
        std::optional<QString> expected = row.expected;
        if (expected)
            expected->replace(u"<server>"_qs, server.url({}));
        EXPECT_EQ(result.latestItem.downloadURL, expected);
        EXPECT_EQ(result.latestItem.releaseNotesURL, expected);
    }
}

TEST(SparkleUpdateCheckerTest, FetchesOnlyWebFeeds)
{
    LoopbackHttpServer server;
    server.setResponse(u"/feed"_qs, Response::ok(feedOffering("2.0")));
    const QString authority = u"127.0.0.1:"_qs + QString::number(server.port());
    const std::vector<InstalledAppRecord> notWeb{
        app(u"none"_qs, std::nullopt),
        app(u"empty"_qs, u""_qs),
        app(u"file"_qs, u"file:///tmp/feed.xml"_qs),
        app(u"ftp"_qs, u"ftp://"_qs + authority + u"/feed"_qs),
        app(u"schemeless"_qs, u"//"_qs + authority + u"/feed"_qs),
        app(u"bare"_qs, authority + u"/feed"_qs),
        app(u"unparsable"_qs, u"http://"_qs + authority + u"/fe ed"_qs),
    };
    EXPECT_TRUE(check({}).isEmpty());
    EXPECT_TRUE(check(notWeb).isEmpty());
    EXPECT_EQ(server.maxOpenConnections(), 0);

    std::vector<InstalledAppRecord> mixed = notWeb;
    mixed.push_back(app(u"upper"_qs, u"HTTP://"_qs + authority + u"/feed"_qs));
    mixed.push_back(app(u"mixed"_qs, u"hTTp://"_qs + authority + u"/feed"_qs));
    EXPECT_EQ(sortedKeys(check(mixed)), QStringList({u"mixed"_qs, u"upper"_qs}));
    EXPECT_EQ(server.requests().size(), 2u);
}

TEST(SparkleUpdateCheckerTest, EachFailureLeavesOutOnlyItsOwnApp)
{
    LoopbackHttpServer server;
    const QByteArray feed = feedOffering("2.0");
    server.setResponse(u"/ok"_qs, Response::ok(feed));
    server.setResponse(u"/created"_qs, Response::withStatus(201, feed));
    server.setResponse(u"/partial"_qs, Response::withStatus(203, feed));
    server.setResponse(u"/not-modified"_qs, Response::withStatus(304));
    server.setResponse(u"/missing"_qs, Response::withStatus(404, feed));
    server.setResponse(u"/gone"_qs, Response::withStatus(410, feed));
    server.setResponse(u"/broken"_qs, Response::withStatus(500, feed));
    server.setResponse(u"/not-xml"_qs, Response::ok("{\"version\": \"2.0\"}"));
    server.setResponse(u"/windows-only"_qs, Response::ok(feedWithItems(
        "<item><enclosure url=\"https://x.example/a.exe\" sparkle:version=\"2.0\" sparkle:os=\"windows\"/></item>")));
    server.setResponse(u"/moved"_qs, Response::redirect(302, "/ok"));
    server.setResponse(u"/moved-twice"_qs, Response::redirect(301, "/moved"));
    server.setResponse(u"/to-file"_qs, Response::redirect(302, "file:///etc/hostname"));
    server.setResponse(u"/loop"_qs, Response::redirect(307, "/loop"));
    std::vector<InstalledAppRecord> apps = appsFor(
        server, {u"/ok"_qs, u"/created"_qs, u"/partial"_qs, u"/not-modified"_qs, u"/missing"_qs, u"/gone"_qs,
                 u"/broken"_qs, u"/not-xml"_qs, u"/windows-only"_qs, u"/unknown"_qs, u"/moved"_qs,
                 u"/moved-twice"_qs, u"/to-file"_qs, u"/loop"_qs});
    {
        LoopbackHttpServer closed;
        apps.push_back(app(u"unreachable"_qs, closed.url(u"/feed"_qs)));
    }

    EXPECT_EQ(sortedKeys(check(apps)),
              QStringList({u"created"_qs, u"moved"_qs, u"moved-twice"_qs, u"ok"_qs, u"partial"_qs}));
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
    server.setResponse(u"/exact"_qs, framed(exact, Framing::contentLength));
    server.setResponse(u"/exact-chunked"_qs, framed(exact, Framing::chunked));
    server.setResponse(u"/exact-until-close"_qs, framed(exact, Framing::untilClose));
    server.setResponse(u"/exact-deflated"_qs, deflated(exact));
    server.setResponse(u"/over"_qs, framed(over, Framing::contentLength));
    server.setResponse(u"/over-chunked"_qs, framed(over, Framing::chunked));
    server.setResponse(u"/over-until-close"_qs, framed(over, Framing::untilClose));
    // Compressed to a few kilobytes on the wire: the limit counts what the feed inflates to.
    server.setResponse(u"/over-deflated"_qs, deflated(over));
    Response lying = framed(feedOffering("2.0"), Framing::chunked);
    lying.declaredLength = kLimit + 1;
    server.setResponse(u"/declared-over"_qs, lying);

    const QStringList paths{u"/exact"_qs, u"/exact-chunked"_qs, u"/exact-until-close"_qs, u"/exact-deflated"_qs,
                            u"/over"_qs, u"/over-chunked"_qs, u"/over-until-close"_qs, u"/over-deflated"_qs,
                            u"/declared-over"_qs};
    EXPECT_EQ(sortedKeys(check(appsFor(server, paths))),
              QStringList({u"exact"_qs, u"exact-chunked"_qs, u"exact-deflated"_qs, u"exact-until-close"_qs}));
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
    server.setResponse(u"/until-close"_qs, streaming(Framing::untilClose));
    server.setResponse(u"/chunked"_qs, streaming(Framing::chunked));
    // 64 MiB of white space inflated from about 64 KiB.
    server.setResponse(u"/bomb"_qs, deflated(feedOffering("2.0").chopped(16) + QByteArray(64 << 20, ' ')));

    EXPECT_TRUE(check(appsFor(server, {u"/until-close"_qs, u"/chunked"_qs, u"/bomb"_qs})).isEmpty());
    ASSERT_TRUE(server.waitUntilSettled());
    for (const QString& path : {u"/until-close"_qs, u"/chunked"_qs}) {
        SCOPED_TRACE(path.toStdString());
        const std::vector<LoopbackHttpServer::Request> requests = server.requests(path);
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_TRUE(requests[0].clientHungUp);
        EXPECT_LT(requests[0].bodyBytesSent, 4 * kLimit);
    }
}

TEST(SparkleUpdateCheckerTest, KeepsAtMostTheGivenNumberOfFetchesInFlight)
{
    struct Row {
        int maxConcurrency;
        int inFlight;
    };
    const QStringList paths{u"/a"_qs, u"/b"_qs, u"/c"_qs, u"/d"_qs, u"/e"_qs, u"/f"_qs, u"/g"_qs, u"/h"_qs};
    for (const Row row : {Row{6, 6}, Row{3, 3}, Row{1, 1}, Row{0, 1}, Row{-4, 1}}) {
        SCOPED_TRACE(row.maxConcurrency);
        LoopbackHttpServer server;
        for (const QString& path : paths) {
            Response slow = Response::ok(feedOffering("2.0"));
            slow.delayMs = 150;
            server.setResponse(path, slow);
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
    Response slow = Response::ok(feedOffering("2.0"));
    slow.delayMs = 400;
    server.setResponse(u"/slow"_qs, slow);
    server.setResponse(u"/fast"_qs, Response::ok(feedOffering("3.0")));
    const std::vector<InstalledAppRecord> apps{app(u"same"_qs, server.url(u"/slow"_qs)),
                                               app(u"same"_qs, server.url(u"/fast"_qs))};

    const QHash<QString, SparkleUpdateCheckResult> results = check(apps, false, 2);
    ASSERT_EQ(results.size(), 1);
    EXPECT_EQ(results[u"same"_qs].latestItem.shortVersionString, u"2.0"_qs);
    EXPECT_EQ(check(apps, false, 1)[u"same"_qs].latestItem.shortVersionString, u"3.0"_qs);
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
    server.setResponse(u"/silent"_qs, silent);
    server.setResponse(u"/stalled"_qs, stalled);
    server.setResponse(u"/trickling"_qs, trickling);
    server.setResponse(u"/prompt"_qs, Response::ok(feed));

    const auto results = check(appsFor(server, {u"/silent"_qs, u"/stalled"_qs, u"/trickling"_qs, u"/prompt"_qs}),
                               false, 6, 0.3);
    EXPECT_EQ(sortedKeys(results), QStringList({u"prompt"_qs}));
    ASSERT_TRUE(server.waitUntilSettled());
    for (const QString& path : {u"/silent"_qs, u"/stalled"_qs, u"/trickling"_qs}) {
        SCOPED_TRACE(path.toStdString());
        const std::vector<LoopbackHttpServer::Request> requests = server.requests(path);
        ASSERT_EQ(requests.size(), 1u);
        EXPECT_TRUE(requests[0].clientHungUp);
    }
}

TEST(SparkleUpdateCheckerTest, RunsOnAWorkerThread)
{
    LoopbackHttpServer server;
    server.setResponse(u"/feed"_qs, Response::ok(feedOffering("2.0")));
    QHash<QString, SparkleUpdateCheckResult> results;
    std::unique_ptr<QThread> worker(QThread::create([&] { results = check(appsFor(server, {u"/feed"_qs})); }));
    worker->start();
    ASSERT_TRUE(worker->wait(30'000));
    EXPECT_EQ(sortedKeys(results), QStringList({u"feed"_qs}));
}

} // namespace
