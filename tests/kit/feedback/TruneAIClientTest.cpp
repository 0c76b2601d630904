#include "kit/feedback/TruneAIClient.h"

#include "kit/foundation/TruneAppLogger.h"
#include "kit/platform/TruneBuildInfo.h"

#include "FeedbackTestSupport.h"
#include "tests/support/LoopbackHttpServer.h"
#include "tests/support/TempHome.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

using Error = TruneAIClientError;
using Response = LoopbackHttpServer::Response;

QJsonObject jsonObject(const QByteArray& text)
{
    return QJsonDocument::fromJson(text).object();
}

class AIClientTest : public ::testing::Test {
protected:
    TruneAIConfig configFor(TruneAIProvider provider, const QString& path = u"/chat"_s) const
    {
        return TruneAIConfig::make(provider, server.url(path), u"test-model"_s);
    }

    std::expected<QString, Error> ask(const TruneAIConfig& config, const std::optional<QString>& key) const
    {
        return TruneAIClient().complete(u"Be brief."_s, u"Hello?"_s, config, key);
    }

    TempHome home;
    LoopbackHttpServer server;
};

} // namespace

TEST(TruneAIProviderTest, CasesDefaultsAndNamesInBothLanguages)
{
    const TempHome home;
    const QString account = QString::fromUtf8(TruneBuildInfo::accountHost);
    struct Row {
        TruneAIProvider provider;
        QString raw;
        QString model;
        QString endpoint;
        QString en;
        QString tr;
    };
    const std::vector<Row> rows{
        {TruneAIProvider::ollamaLocal, u"ollamaLocal"_s, u"llama3.2"_s, u"http://127.0.0.1:11434/api/chat"_s,
            u"Local Ollama (100% Offline)"_s, u"Yerel Ollama (%100 Çevrimdışı)"_s},
        {TruneAIProvider::openAI, u"openAI"_s, u"gpt-4o-mini"_s,
            u"https://"_s + QString::fromUtf8(TruneBuildInfo::openAIHost) + u"/v1/chat/completions"_s,
            u"OpenAI-Compatible (BYO Key)"_s, u"OpenAI Uyumlu (Kendi Anahtarın)"_s},
        {TruneAIProvider::quorvaneCredits, u"quorvaneCredits"_s, u"quorvane-doc-fast"_s,
            u"https://"_s + QString::fromUtf8(TruneBuildInfo::aiHost) + u"/v1/ai/chat"_s,
            u"Quorvane Credits ("_s + account + u')', u"Quorvane Kredisi ("_s + account + u')'},
    };
    ASSERT_EQ(allCases<TruneAIProvider>().size(), rows.size());
    for (const Row& row : rows) {
        SCOPED_TRACE(row.raw.toStdString());
        EXPECT_EQ(rawValue(row.provider), row.raw);
        EXPECT_EQ(defaultModel(row.provider), row.model);
        EXPECT_EQ(defaultEndpoint(row.provider), row.endpoint);
        {
            const ScopedInterfaceLanguage english(TruneLanguage::en);
            EXPECT_EQ(displayName(row.provider), row.en);
        }
        const ScopedInterfaceLanguage turkish(TruneLanguage::tr);
        EXPECT_EQ(displayName(row.provider), row.tr);
    }
}

TEST(TruneAIConfigTest, DefaultsOnlyForMissingValuesAndStrictDecoding)
{
    EXPECT_EQ(TruneAIConfig::make(TruneAIProvider::ollamaLocal),
        (TruneAIConfig{TruneAIProvider::ollamaLocal, u"http://127.0.0.1:11434/api/chat"_s, u"llama3.2"_s}));
    EXPECT_EQ(TruneAIConfig::make(TruneAIProvider::openAI, u""_s, u""_s),
        (TruneAIConfig{TruneAIProvider::openAI, u""_s, u""_s}));

    const TruneAIConfig config = TruneAIConfig::make(TruneAIProvider::quorvaneCredits, u"https://x.test/c"_s);
    EXPECT_EQ(truneJsonSerialize(config),
        R"({"endpointURL":"https://x.test/c","model":"quorvane-doc-fast","provider":"quorvaneCredits"})");
    EXPECT_EQ(truneJsonDecode<TruneAIConfig>(truneJsonSerialize(config)), config);
    EXPECT_EQ(truneJsonDecode<TruneAIConfig>(QByteArray(R"({"provider":"openAI","endpointURL":"","model":""})")),
        (TruneAIConfig{TruneAIProvider::openAI, u""_s, u""_s}));
    for (const QByteArray& bad : {R"({"provider":"openAI","endpointURL":"https://x.test"})"_ba,
             R"({"provider":"anthropic","endpointURL":"https://x.test","model":"m"})"_ba,
             R"({"provider":"openAI","endpointURL":null,"model":"m"})"_ba})
        EXPECT_FALSE(truneJsonDecode<TruneAIConfig>(bad).has_value()) << bad.toStdString();
}

TEST_F(AIClientTest, SendsTheModelMessagesAndKeyEachProviderExpects)
{
    server.setResponse(u"/chat"_s, Response::ok(R"({"message":{"content":"hi"}})"));

    ASSERT_EQ(ask(configFor(TruneAIProvider::ollamaLocal), u"ignored-key"_s), u"hi"_s);
    ASSERT_EQ(ask(configFor(TruneAIProvider::openAI), u" sk-spaced "_s), u"hi"_s);
    ASSERT_EQ(ask(configFor(TruneAIProvider::quorvaneCredits), u"credit-token"_s), u"hi"_s);

    const std::vector<LoopbackHttpServer::Request> requests = server.requests(u"/chat"_s);
    ASSERT_EQ(requests.size(), 3u);
    const QJsonObject messages{{u"model"_s, u"test-model"_s},
        {u"messages"_s,
            QJsonArray{QJsonObject{{u"role"_s, u"system"_s}, {u"content"_s, u"Be brief."_s}},
                QJsonObject{{u"role"_s, u"user"_s}, {u"content"_s, u"Hello?"_s}}}}};
    QJsonObject withStream = messages;
    withStream.insert(u"stream"_s, false);
    EXPECT_EQ(jsonObject(requests[0].body), withStream);
    EXPECT_EQ(jsonObject(requests[1].body), messages);
    EXPECT_EQ(requests[0].header("Authorization"), std::nullopt);
    // The server drops the blanks at the ends of a header value; the one inside stays.
    EXPECT_EQ(requests[1].header("Authorization"), "Bearer  sk-spaced");
    EXPECT_EQ(requests[2].header("Authorization"), "Bearer credit-token");
    for (const auto& request : requests)
        EXPECT_EQ(request.header("Content-Type"), "application/json");
}

TEST_F(AIClientTest, TakesTheReplyFromTheFirstShapeThatFits)
{
    struct Case {
        QByteArray body;
        std::expected<QString, Error> expected;
    };
    const std::vector<Case> cases{
        {R"({"choices":[{"message":{"content":"  from choices \n"}}],"message":{"content":"no"}})", u"from choices"_s},
        {R"({"choices":[],"message":{"content":"from message"}})", u"from message"_s},
        {R"({"choices":[{"message":{"content":7}}],"response":" from response "})", u"from response"_s},
        {R"({"response":" \n\t "})", u""_s},
        {R"({"message":"flat","response":5})", std::unexpected(Error::emptyResponse())},
        {R"(["a"])", std::unexpected(Error::emptyResponse())},
        {"not json", std::unexpected(Error::unreadableReply())},
        {"", std::unexpected(Error::unreadableReply())},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.body.toStdString());
        server.setResponse(u"/chat"_s, Response::ok(c.body));
        EXPECT_EQ(ask(configFor(TruneAIProvider::ollamaLocal), std::nullopt), c.expected);
    }
}

TEST_F(AIClientTest, RefusesBadSettingsBeforeSendingAnything)
{
    struct Case {
        const char* name;
        TruneAIConfig config;
        std::optional<QString> key;
        Error expected;
    };
    const std::vector<Case> cases{
        {"empty endpoint", TruneAIConfig::make(TruneAIProvider::ollamaLocal, u""_s, u""_s), {},
            Error::invalidEndpoint()},
        {"not an address", TruneAIConfig::make(TruneAIProvider::openAI, u"local ollama"_s), u"k"_s,
            Error::invalidEndpoint()},
        {"not http", TruneAIConfig::make(TruneAIProvider::openAI, u"ftp://127.0.0.1/chat"_s), u"k"_s,
            Error::invalidEndpoint()},
        {"no key", configFor(TruneAIProvider::openAI), std::nullopt, Error::missingAPIKey()},
        {"blank key", configFor(TruneAIProvider::quorvaneCredits), u" \n\t"_s, Error::missingAPIKey()},
        {"key with CR LF", configFor(TruneAIProvider::openAI), u"sk-abc\r\nX-Injected: 1"_s, Error::invalidAPIKey()},
        {"key with LF at the end", configFor(TruneAIProvider::openAI), u"sk-abc\n"_s, Error::invalidAPIKey()},
        {"key with NUL", configFor(TruneAIProvider::openAI), u"sk-abc"_s + QChar(0) + u"def"_s, Error::invalidAPIKey()},
        {"key over plain http to another computer",
            TruneAIConfig::make(TruneAIProvider::openAI, u"http://192.0.2.5/v1/chat/completions"_s), u"sk-abc"_s,
            Error::insecureEndpoint()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(ask(c.config, c.key), std::unexpected(c.expected));
    }
    EXPECT_TRUE(server.requests().empty());
}

TEST_F(AIClientTest, ErrorStatusesCarryTheStartOfTheBodyAndRedirectsAreNotFollowed)
{
    const QString longBody = QString(280, u'a') + u"ğüşiöç"_s + QString(214, u'b');
    server.setResponse(u"/chat"_s, Response::withStatus(401, longBody.toUtf8()));
    const auto refused = ask(configFor(TruneAIProvider::openAI), u"k"_s);
    const QString first300 = longBody.left(300);
    ASSERT_EQ(refused, std::unexpected(Error::httpError(401, first300)));
    EXPECT_EQ(refused.error().errorDescription(), u"HTTP 401: "_s + first300);

    server.setResponse(u"/chat"_s, Response::withStatus(500, "\xff\xfe broken"));
    EXPECT_EQ(ask(configFor(TruneAIProvider::openAI), u"k"_s), std::unexpected(Error::httpError(500, u""_s)));
    server.setResponse(u"/chat"_s, Response::withStatus(503));
    EXPECT_EQ(ask(configFor(TruneAIProvider::openAI), u"k"_s).error().errorDescription(), u"HTTP 503: "_s);

    server.setResponse(u"/chat"_s, Response::redirect(302, server.url(u"/elsewhere"_s).toUtf8()));
    server.setResponse(u"/elsewhere"_s, Response::ok(R"({"response":"followed"})"));
    EXPECT_EQ(ask(configFor(TruneAIProvider::openAI), u"k"_s), std::unexpected(Error::httpError(302, u""_s)));
    EXPECT_TRUE(server.requests(u"/elsewhere"_s).empty());
}

TEST_F(AIClientTest, AHugeReplyIsAbortedAsATransportFailure)
{
    // Far more than the kernel's socket buffers hold, so the server is still writing when the
    // client gives up, however fast either side runs.
    Response huge = Response::ok(R"({"response":")");
    huge.fillerBytes = qint64(256) * 1024 * 1024;
    server.setResponse(u"/chat"_s, huge);
    const ScopedInterfaceLanguage english(TruneLanguage::en);
    const auto result = ask(configFor(TruneAIProvider::ollamaLocal), std::nullopt);
    ASSERT_FALSE(result.has_value());
    EXPECT_EQ(result.error().errorCase, Error::Case::transportFailure);
    EXPECT_EQ(result.error().errorDescription(),
        u"Could not reach the AI provider (the reply passed the limit of 4.2 MB)."_s);
    ASSERT_TRUE(server.waitUntilSettled());
    const LoopbackHttpServer::Request request = server.requests(u"/chat"_s).back();
    EXPECT_TRUE(request.clientHungUp) << "the client read on past its limit";
    EXPECT_FALSE(request.completed);
}

TEST_F(AIClientTest, TheKeyNeverReachesTheLogOrAnErrorText)
{
    const QString key = u"qv-live-7f3a9c2e51d04b8a"_s;
    TruneAppLogger logger(u"AIClientTest"_s, home.filePath(u"logs"_s), 1024 * 1024, 2, {});
    const TruneAIClient client(&logger);
    const TruneAIConfig config = configFor(TruneAIProvider::quorvaneCredits);

    server.setResponse(u"/chat"_s,
        Response::withStatus(401, (u"{\"error\":\"invalid token "_s + key + u" for account\"}"_s).toUtf8()));
    const auto refused = client.complete(u"s"_s, u"u"_s, config, key);
    ASSERT_FALSE(refused.has_value());
    EXPECT_EQ(refused.error().statusCode, 401);
    EXPECT_FALSE(refused.error().errorDescription().contains(key));
    EXPECT_TRUE(refused.error().message.contains(u"[redacted]"_s));

    server.setResponse(u"/chat"_s, Response::ok(R"({"response":"fine"})"));
    EXPECT_EQ(
        client.complete(u"s"_s, u"u"_s, configFor(TruneAIProvider::quorvaneCredits, u"/chat?token="_s + key), key),
        std::unexpected(Error::httpError(404, u""_s)));
    EXPECT_EQ(client.complete(u"s"_s, u"u"_s, config, key), u"fine"_s);

    QFile logFile(logger.currentLogFileURL());
    ASSERT_TRUE(logFile.open(QIODevice::ReadOnly));
    const QByteArray log = logFile.readAll();
    EXPECT_EQ(log.count('\n'), 3) << log.toStdString();
    EXPECT_FALSE(log.contains(key.toUtf8())) << log.toStdString();
    EXPECT_TRUE(log.contains("401")) << log.toStdString();
}

TEST(TruneAIClientErrorTest, EveryTextInBothLanguages)
{
    const TempHome home;
    struct Row {
        Error error;
        QString en;
        QString tr;
    };
    const std::vector<Row> rows{
        {Error::httpError(429, u"slow down"_s), u"HTTP 429: slow down"_s, u"HTTP 429: slow down"_s},
        {Error::invalidEndpoint(), u"Invalid AI endpoint URL."_s, u"Geçersiz AI uç noktası adresi."_s},
        {Error::missingAPIKey(), u"API key or Quorvane credit token is required for this provider."_s,
            u"Bu sağlayıcı için API anahtarı veya Quorvane kredi jetonu gereklidir."_s},
        {Error::emptyResponse(), u"Provider returned an empty response."_s, u"Sağlayıcı boş yanıt döndürdü."_s},
        {Error::invalidAPIKey(), u"The API key must not contain line breaks."_s,
            u"API anahtarı satır sonu içeremez."_s},
        {Error::insecureEndpoint(),
            u"The API key is sent only over https; plain http is allowed only to this computer."_s,
            u"API anahtarı yalnızca https ile gönderilir; düz http yalnızca bu bilgisayar için kullanılabilir."_s},
        {Error::transportFailure(u"Connection refused"_s), u"Could not reach the AI provider (Connection refused)."_s,
            u"AI sağlayıcısına ulaşılamadı (Connection refused)."_s},
        {Error::unreadableReply(), u"Provider returned a reply that is not valid JSON."_s,
            u"Sağlayıcı geçerli JSON olmayan bir yanıt döndürdü."_s},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.en.toStdString());
        {
            const ScopedInterfaceLanguage english(TruneLanguage::en);
            EXPECT_EQ(row.error.errorDescription(), row.en);
        }
        const ScopedInterfaceLanguage turkish(TruneLanguage::tr);
        EXPECT_EQ(row.error.errorDescription(), row.tr);
    }
}
