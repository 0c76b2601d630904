#include "kit/feedback/TruneAIClient.h"

#include "kit/feedback/TruneHttpFailureText.h"
#include "kit/foundation/TruneAppLogger.h"
#include "kit/localization/TruneGraphemeText.h"
#include "kit/platform/TruneHttpExchange.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

using Error = TruneAIClientError;

constexpr int requestIdleTimeoutMs = 90'000;
constexpr qsizetype errorExcerptCharacters = 300;
const QString logCategory = u"ai"_s;

std::optional<QUrl> endpointOf(const TruneAIConfig& config)
{
    const QUrl url(config.endpointURL, QUrl::StrictMode);
    if (!TruneHttpExchange::checkAddress(url, TruneCleartextPolicy::anyHost))
        return std::nullopt;
    return url;
}

bool hasLineBreakOrNul(const QString& key)
{
    return key.contains(u'\r') || key.contains(u'\n') || key.contains(QChar(0));
}

// The key to send, when the provider takes one.
std::expected<std::optional<QString>, Error> keyToSend(
    const TruneAIConfig& config, const std::optional<QString>& apiKey)
{
    if (config.provider == TruneAIProvider::ollamaLocal)
        return std::nullopt;
    if (!apiKey || apiKey->trimmed().isEmpty())
        return std::unexpected(Error::missingAPIKey());
    if (hasLineBreakOrNul(*apiKey))
        return std::unexpected(Error::invalidAPIKey());
    return apiKey;
}

QByteArray requestBody(const QString& systemPrompt, const QString& userPrompt, const TruneAIConfig& config)
{
    QJsonObject body{
        {u"model"_s, config.model},
        {u"messages"_s,
            QJsonArray{QJsonObject{{u"role"_s, u"system"_s}, {u"content"_s, systemPrompt}},
                QJsonObject{{u"role"_s, u"user"_s}, {u"content"_s, userPrompt}}}},
    };
    if (config.provider == TruneAIProvider::ollamaLocal)
        body.insert(u"stream"_s, false);
    return QJsonDocument(body).toJson(QJsonDocument::Compact);
}

// Services often echo a rejected key in their error text; it is cut out before the text goes
// anywhere.
QString withoutKey(QString text, const std::optional<QString>& key)
{
    if (key) {
        for (const QString& form : {*key, key->trimmed()})
            text.replace(form, u"[redacted]"_s);
    }
    return text;
}

// The first characters of a body that is valid UTF-8; empty for any other body.
QString excerpt(const QByteArray& body, const std::optional<QString>& key)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder.decode(body);
    if (decoder.hasError())
        return {};
    return TruneGraphemeText(withoutKey(text, key)).prefix(errorExcerptCharacters);
}

std::optional<QString> stringAt(const QJsonValue& value)
{
    return value.isString() ? std::optional(value.toString()) : std::nullopt;
}

// The chat-completions shape, then Ollama's chat shape, then a bare "response".
std::optional<QString> replyText(const QJsonObject& reply)
{
    const QJsonArray choices = reply.value(u"choices"_s).toArray();
    if (!choices.isEmpty()) {
        if (auto content = stringAt(choices.first().toObject().value(u"message"_s).toObject().value(u"content"_s)))
            return content;
    }
    if (auto content = stringAt(reply.value(u"message"_s).toObject().value(u"content"_s)))
        return content;
    return stringAt(reply.value(u"response"_s));
}

std::expected<QString, Error> answerOf(const TruneHttpReply& reply, const std::optional<QString>& key)
{
    if (reply.status < 200 || reply.status > 299)
        return std::unexpected(Error::httpError(reply.status, excerpt(reply.body, key)));
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(reply.body, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return std::unexpected(Error::unreadableReply());
    if (!document.isObject())
        return std::unexpected(Error::emptyResponse());
    const std::optional<QString> text = replyText(document.object());
    if (!text)
        return std::unexpected(Error::emptyResponse());
    return text->trimmed();
}

Error failureOf(const TruneHttpExchangeError& failure)
{
    switch (failure.errorCase) {
    case TruneHttpExchangeError::Case::unsupportedAddress:
        return Error::invalidEndpoint();
    case TruneHttpExchangeError::Case::cleartextToRemoteHost:
        return Error::insecureEndpoint();
    case TruneHttpExchangeError::Case::unsafeHeader:
        return Error::invalidAPIKey();
    case TruneHttpExchangeError::Case::noHttpStatus:
        return Error::emptyResponse();
    case TruneHttpExchangeError::Case::timedOut:
    case TruneHttpExchangeError::Case::replyTooLarge:
    case TruneHttpExchangeError::Case::transportFailure:
        break;
    }
    return Error::transportFailure(truneHttpFailureText(failure, TruneLanguage::current()));
}

} // namespace

TruneAIClient::TruneAIClient(TruneAppLogger* logger)
    : m_logger(logger)
{
}

std::expected<QString, TruneAIClientError> TruneAIClient::complete(const QString& systemPrompt,
    const QString& userPrompt, const TruneAIConfig& config, const std::optional<QString>& apiKey) const
{
    const std::optional<QUrl> endpoint = endpointOf(config);
    if (!endpoint)
        return std::unexpected(Error::invalidEndpoint());
    const auto key = keyToSend(config, apiKey);
    if (!key)
        return std::unexpected(key.error());

    TruneHttpRequest request{
        .url = *endpoint,
        .headers = {{"Content-Type", "application/json"}},
        .body = requestBody(systemPrompt, userPrompt, config),
        .idleTimeoutMs = requestIdleTimeoutMs,
        .maxReplyBytes = maxReplyBytes,
        .cleartext = *key ? TruneCleartextPolicy::loopbackOnly : TruneCleartextPolicy::anyHost,
    };
    if (*key)
        request.headers.append({"Authorization", "Bearer " + (*key)->toUtf8()});

    const auto reply = TruneHttpExchange::post(request);
    std::expected<QString, Error> answer = reply ? answerOf(*reply, *key) : std::unexpected(failureOf(reply.error()));

    if (m_logger) {
        const QString address = endpoint->toString(QUrl::RemoveUserInfo | QUrl::RemoveQuery | QUrl::RemoveFragment);
        if (answer)
            m_logger->info(u"POST "_s + address + u": answered"_s, logCategory);
        else
            m_logger->warn(u"POST "_s + address + u": "_s + answer.error().description(TruneLanguage::en), logCategory);
    }
    return answer;
}
