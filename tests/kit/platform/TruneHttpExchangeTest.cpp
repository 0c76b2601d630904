#include "kit/platform/TruneHttpExchange.h"

#include "tests/support/LoopbackHttpServer.h"

#include <QTcpServer>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

using Error = TruneHttpExchangeError;
using Response = LoopbackHttpServer::Response;

// What the sending and the receiving socket may hold between them on loopback (autotuned buffers
// grow to tens of MiB): bytes the server handed over that the client never read.
constexpr qint64 socketBuffers = 64 * 1024 * 1024;

TruneHttpRequest postTo(const LoopbackHttpServer& server, const QString& path, QByteArray body = "payload")
{
    return {.url = QUrl(server.url(path)),
        .headers = {{"Content-Type", "text/plain"}},
        .body = std::move(body),
        .idleTimeoutMs = 10'000};
}

Error::Case failureOf(const std::expected<TruneHttpReply, Error>& result)
{
    EXPECT_FALSE(result.has_value());
    return result ? Error::Case::transportFailure : result.error().errorCase;
}

} // namespace

TEST(TruneHttpExchangeTest, PostsTheBodyAndHeadersAndReturnsStatusAndBody)
{
    LoopbackHttpServer server;
    server.setResponse(u"/post"_s, Response::ok("answer"));
    server.setResponse(u"/refused"_s, Response::withStatus(500, R"({"message":"nope"})"));

    TruneHttpRequest request = postTo(server, u"/post"_s, QByteArray("line one\r\nline two\0end", 22));
    request.headers.append({"X-Trace", "räksmörgås"_ba});
    const auto reply = TruneHttpExchange::post(request);
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->status, 200);
    EXPECT_EQ(reply->body, "answer");

    const auto refused = TruneHttpExchange::post(postTo(server, u"/refused"_s));
    ASSERT_TRUE(refused.has_value()) << "an error status is a reply, not a failure";
    EXPECT_EQ(refused->status, 500);
    EXPECT_EQ(refused->body, R"({"message":"nope"})");

    const std::vector<LoopbackHttpServer::Request> seen = server.requests(u"/post"_s);
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].method, "POST");
    EXPECT_EQ(seen[0].body, QByteArray("line one\r\nline two\0end", 22));
    EXPECT_EQ(seen[0].header("X-Trace"), "räksmörgås"_ba);
    EXPECT_EQ(seen[0].header("Content-Type"), "text/plain");
}

TEST(TruneHttpExchangeTest, ARedirectIsReturnedAsItsStatusAndNotFollowed)
{
    LoopbackHttpServer server;
    server.setResponse(u"/moved"_s, Response::redirect(302, server.url(u"/target"_s).toUtf8()));
    server.setResponse(u"/target"_s, Response::ok("should not be reached"));

    const auto reply = TruneHttpExchange::post(postTo(server, u"/moved"_s));
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->status, 302);
    EXPECT_TRUE(server.requests(u"/target"_s).empty());
}

TEST(TruneHttpExchangeTest, RefusesARepliesLargerThanTheLimitAndStopsTheTransfer)
{
    constexpr qint64 limit = 4 * 1024 * 1024;
    // More than the kernels' socket buffers could take in before the client stops the transfer.
    constexpr qint64 tooMuch = 256 * 1024 * 1024;
    struct Case {
        const char* name;
        Response response;
    };
    Response declared;
    declared.fillerBytes = tooMuch;
    Response undeclared = declared;
    undeclared.framing = LoopbackHttpServer::Framing::untilClose;
    Response chunked = declared;
    chunked.framing = LoopbackHttpServer::Framing::chunked;
    Response exactlyAtLimit;
    exactlyAtLimit.fillerBytes = limit;

    LoopbackHttpServer server;
    for (const Case& c : {Case{"declared", declared}, Case{"untilClose", undeclared}, Case{"chunked", chunked}}) {
        SCOPED_TRACE(c.name);
        const QString path = u"/"_s + QString::fromLatin1(c.name);
        server.setResponse(path, c.response);
        TruneHttpRequest request = postTo(server, path);
        request.maxReplyBytes = limit;
        const auto reply = TruneHttpExchange::post(request);
        EXPECT_EQ(failureOf(reply), Error::Case::replyTooLarge);
        if (!reply) {
            EXPECT_EQ(reply.error().limit, limit);
        }
        ASSERT_TRUE(server.waitUntilSettled());
        const std::vector<LoopbackHttpServer::Request> seen = server.requests(path);
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_TRUE(seen[0].clientHungUp);
        EXPECT_LT(seen[0].bodyBytesSent, limit + socketBuffers);
    }

    server.setResponse(u"/exact"_s, exactlyAtLimit);
    TruneHttpRequest request = postTo(server, u"/exact"_s);
    request.maxReplyBytes = limit;
    const auto reply = TruneHttpExchange::post(request);
    ASSERT_TRUE(reply.has_value());
    EXPECT_EQ(reply->body.size(), limit);
}

TEST(TruneHttpExchangeTest, AFastEndlessStreamIsHeldToTheLimitWhateverItsFraming)
{
    // Large pieces written as fast as the client reads: without a bound on the network thread's
    // buffer the whole stream is read into memory before the limit is ever looked at.
    constexpr qint64 limit = 1024 * 1024;
    constexpr qint64 endless = qint64(1) << 30;
    LoopbackHttpServer server;
    for (const LoopbackHttpServer::Framing framing :
        {LoopbackHttpServer::Framing::chunked, LoopbackHttpServer::Framing::untilClose}) {
        const QString path = u"/stream%1"_s.arg(int(framing));
        Response stream;
        stream.framing = framing;
        stream.fillerBytes = endless;
        stream.pieceBytes = 1024 * 1024;
        server.setResponse(path, stream);
        TruneHttpRequest request = postTo(server, path);
        request.maxReplyBytes = limit;
        EXPECT_EQ(failureOf(TruneHttpExchange::post(request)), Error::Case::replyTooLarge);
        ASSERT_TRUE(server.waitUntilSettled());
        const std::vector<LoopbackHttpServer::Request> seen = server.requests(path);
        ASSERT_EQ(seen.size(), 1u);
        EXPECT_TRUE(seen[0].clientHungUp);
        EXPECT_LT(seen[0].bodyBytesSent, limit + socketBuffers);
    }
}

TEST(TruneHttpExchangeTest, ASmallReplyCostsMemoryInProportionToItsSize)
{
    using Framing = LoopbackHttpServer::Framing;
    for (const Framing framing : {Framing::contentLength, Framing::chunked, Framing::untilClose}) {
        SCOPED_TRACE(int(framing));
        LoopbackHttpServer server;
        Response small = Response::ok(QByteArray(500, 'x'));
        small.framing = framing;
        server.setResponse(u"/small"_s, small);
        TruneHttpRequest request = postTo(server, u"/small"_s);
        request.maxReplyBytes = 5 * 1024 * 1024;
        const auto reply = TruneHttpExchange::post(request);
        ASSERT_TRUE(reply.has_value());
        EXPECT_EQ(reply->body, QByteArray(500, 'x'));
        EXPECT_LT(reply->body.capacity(), 64 * 1024) << "the body was read with a buffer the size of the limit";
    }
}

TEST(TruneHttpExchangeTest, AnExchangeEndsAtItsDeadlineHoweverSteadilyBytesArrive)
{
    LoopbackHttpServer server;
    Response drip;
    drip.fillerBytes = 1'000'000;
    drip.pieceBytes = 1;
    drip.pieceIntervalMs = 20; // never idle long enough for the idle time-out
    server.setResponse(u"/drip"_s, drip);
    TruneHttpRequest request = postTo(server, u"/drip"_s);
    request.deadlineMs = 300;
    EXPECT_EQ(failureOf(TruneHttpExchange::post(request)), Error::Case::timedOut);
    ASSERT_TRUE(server.waitUntilSettled());
    EXPECT_TRUE(server.requests(u"/drip"_s).at(0).clientHungUp);
}

TEST(TruneHttpExchangeTest, TheTimeOutCountsIdleTimeNotTheWholeExchange)
{
    LoopbackHttpServer server;
    Response stalled = Response::ok("late");
    stalled.delayMs = 3000;
    server.setResponse(u"/stalled"_s, stalled);
    Response trickle = Response::ok(QByteArray(12, 'x'));
    trickle.pieceBytes = 1;
    trickle.pieceIntervalMs = 100; // 1.2 s in all, never 400 ms without a byte
    server.setResponse(u"/trickle"_s, trickle);

    TruneHttpRequest request = postTo(server, u"/stalled"_s);
    request.idleTimeoutMs = 400;
    EXPECT_EQ(failureOf(TruneHttpExchange::post(request)), Error::Case::timedOut);

    request.url = QUrl(server.url(u"/trickle"_s));
    const auto reply = TruneHttpExchange::post(request);
    ASSERT_TRUE(reply.has_value()) << qPrintable(reply.error().detail);
    EXPECT_EQ(reply->body, QByteArray(12, 'x'));
}

TEST(TruneHttpExchangeTest, RefusesHeadersThatWouldSplitTheHeaderBlockBeforeSending)
{
    LoopbackHttpServer server;
    server.setResponse(u"/post"_s, Response::ok("ok"));
    const std::vector<std::pair<QByteArray, QByteArray>> unsafe{
        {"User-Agent", "App\r\nX-Injected: 1"},
        {"User-Agent", "App\nX-Injected: 1"},
        {"User-Agent", "App\rX"},
        {"Authorization", QByteArray("Bearer key\0tail", 15)},
        {"Bad Name", "value"},
        {"Bad:Name", "value"},
        {"", "value"},
    };
    for (const auto& header : unsafe) {
        SCOPED_TRACE(header.first.toStdString() + " = " + header.second.toStdString());
        TruneHttpRequest request = postTo(server, u"/post"_s);
        request.headers.append(header);
        EXPECT_EQ(failureOf(TruneHttpExchange::post(request)), Error::Case::unsafeHeader);
    }
    EXPECT_TRUE(server.requests().empty());
}

TEST(TruneHttpExchangeTest, GoesOnlyToHttpsOrToThisComputerOverPlainHttp)
{
    using Policy = TruneCleartextPolicy;
    struct Case {
        QString url;
        Policy policy;
        std::optional<Error::Case> failure;
    };
    const std::vector<Case> cases{
        {u"https://feedback.example.org/api"_s, Policy::loopbackOnly, {}},
        {u"http://127.0.0.1:8080/api"_s, Policy::loopbackOnly, {}},
        {u"http://127.8.9.10/api"_s, Policy::loopbackOnly, {}},
        {u"http://[::1]:11434/api/chat"_s, Policy::loopbackOnly, {}},
        {u"http://LOCALHOST:11434/api/chat"_s, Policy::loopbackOnly, {}},
        {u"http://feedback.example.org/api"_s, Policy::loopbackOnly, Error::Case::cleartextToRemoteHost},
        {u"http://192.168.1.20/api"_s, Policy::loopbackOnly, Error::Case::cleartextToRemoteHost},
        {u"http://localhost.example.org/api"_s, Policy::loopbackOnly, Error::Case::cleartextToRemoteHost},
        {u"http://192.168.1.20:11434/api/chat"_s, Policy::anyHost, {}},
        {u"ftp://127.0.0.1/file"_s, Policy::anyHost, Error::Case::unsupportedAddress},
        {u"file:///etc/passwd"_s, Policy::anyHost, Error::Case::unsupportedAddress},
        {u"https:///no-host"_s, Policy::anyHost, Error::Case::unsupportedAddress},
        {u"/api/v1/feedback"_s, Policy::anyHost, Error::Case::unsupportedAddress},
        {u""_s, Policy::anyHost, Error::Case::unsupportedAddress},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.url.toStdString());
        const auto checked = TruneHttpExchange::checkAddress(QUrl(c.url), c.policy);
        if (c.failure) {
            ASSERT_FALSE(checked.has_value());
            EXPECT_EQ(checked.error().errorCase, *c.failure);
        } else {
            EXPECT_TRUE(checked.has_value());
        }
    }
    EXPECT_EQ(failureOf(TruneHttpExchange::post({.url = QUrl(u"http://192.0.2.1/api"_s)})),
        Error::Case::cleartextToRemoteHost);
}

TEST(TruneHttpExchangeTest, AConnectionThatFailsIsATransportFailureWithTheSystemsText)
{
    // A port that was free a moment ago: nothing listens there now.
    quint16 port = 0;
    {
        QTcpServer probe;
        ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
        port = probe.serverPort();
    }
    const auto reply = TruneHttpExchange::post({.url = QUrl(u"http://127.0.0.1:%1/api"_s.arg(port))});
    EXPECT_EQ(failureOf(reply), Error::Case::transportFailure);
    if (!reply) {
        EXPECT_FALSE(reply.error().detail.isEmpty());
    }
}
