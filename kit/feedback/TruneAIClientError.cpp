#include "kit/feedback/TruneAIClientError.h"

#include "kit/localization/TruneText.h"
#include "kit/platform/TruneDecimal.h"

using namespace Qt::StringLiterals;

namespace {

TruneAIClientError make(TruneAIClientError::Case errorCase, int statusCode = 0, QString message = {})
{
    return {.errorCase = errorCase, .statusCode = statusCode, .message = std::move(message)};
}

} // namespace

TruneAIClientError TruneAIClientError::httpError(int statusCode, const QString& message)
{
    return make(Case::httpError, statusCode, message);
}

TruneAIClientError TruneAIClientError::invalidEndpoint()
{
    return make(Case::invalidEndpoint);
}

TruneAIClientError TruneAIClientError::missingAPIKey()
{
    return make(Case::missingAPIKey);
}

TruneAIClientError TruneAIClientError::emptyResponse()
{
    return make(Case::emptyResponse);
}

TruneAIClientError TruneAIClientError::invalidAPIKey()
{
    return make(Case::invalidAPIKey);
}

TruneAIClientError TruneAIClientError::insecureEndpoint()
{
    return make(Case::insecureEndpoint);
}

TruneAIClientError TruneAIClientError::transportFailure(const QString& detail)
{
    return make(Case::transportFailure, 0, detail);
}

TruneAIClientError TruneAIClientError::unreadableReply()
{
    return make(Case::unreadableReply);
}

QString TruneAIClientError::description(TruneLanguage language) const
{
    switch (errorCase) {
    case Case::httpError:
        return u"HTTP "_s + truneDecimal(statusCode) + u": "_s + message;
    case Case::invalidEndpoint:
        return truneText(u"Invalid AI endpoint URL."_s, u"Geçersiz AI uç noktası adresi."_s, language);
    case Case::missingAPIKey:
        return truneText(u"API key or Quorvane credit token is required for this provider."_s,
            u"Bu sağlayıcı için API anahtarı veya Quorvane kredi jetonu gereklidir."_s, language);
    case Case::emptyResponse:
        return truneText(u"Provider returned an empty response."_s, u"Sağlayıcı boş yanıt döndürdü."_s, language);
    case Case::invalidAPIKey:
        return truneText(
            u"The API key must not contain line breaks."_s, u"API anahtarı satır sonu içeremez."_s, language);
    case Case::insecureEndpoint:
        return truneText(u"The API key is sent only over https; plain http is allowed only to this computer."_s,
            u"API anahtarı yalnızca https ile gönderilir; düz http yalnızca bu bilgisayar için kullanılabilir."_s,
            language);
    case Case::transportFailure:
        return truneText(u"Could not reach the AI provider ("_s + message + u")."_s,
            u"AI sağlayıcısına ulaşılamadı ("_s + message + u")."_s, language);
    case Case::unreadableReply:
        return truneText(u"Provider returned a reply that is not valid JSON."_s,
            u"Sağlayıcı geçerli JSON olmayan bir yanıt döndürdü."_s, language);
    }
    return {};
}

QString TruneAIClientError::errorDescription() const
{
    return description(TruneLanguage::current());
}
