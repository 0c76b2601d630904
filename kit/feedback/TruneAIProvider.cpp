#include "kit/feedback/TruneAIProvider.h"

#include "kit/localization/TruneText.h"
#include "kit/platform/TruneBuildInfo.h"

using namespace Qt::StringLiterals;

QString displayName(TruneAIProvider provider)
{
    const TruneLanguage language = TruneLanguage::current();
    switch (provider) {
    case TruneAIProvider::ollamaLocal:
        return truneText(u"Local Ollama (100% Offline)"_s, u"Yerel Ollama (%100 Çevrimdışı)"_s, language);
    case TruneAIProvider::openAI:
        return truneText(u"OpenAI-Compatible (BYO Key)"_s, u"OpenAI Uyumlu (Kendi Anahtarın)"_s, language);
    case TruneAIProvider::quorvaneCredits: {
        const QString host = u" ("_s + QString::fromUtf8(TruneBuildInfo::accountHost) + u')';
        return truneText(u"Quorvane Credits"_s + host, u"Quorvane Kredisi"_s + host, language);
    }
    }
    return {};
}

QString defaultEndpoint(TruneAIProvider provider)
{
    switch (provider) {
    case TruneAIProvider::ollamaLocal:
        return u"http://127.0.0.1:11434/api/chat"_s;
    case TruneAIProvider::openAI:
        return u"https://"_s + QString::fromUtf8(TruneBuildInfo::openAIHost) + u"/v1/chat/completions"_s;
    case TruneAIProvider::quorvaneCredits:
        return u"https://"_s + QString::fromUtf8(TruneBuildInfo::aiHost) + u"/v1/ai/chat"_s;
    }
    return {};
}

QString defaultModel(TruneAIProvider provider)
{
    switch (provider) {
    case TruneAIProvider::ollamaLocal:
        return u"llama3.2"_s;
    case TruneAIProvider::openAI:
        return u"gpt-4o-mini"_s;
    case TruneAIProvider::quorvaneCredits:
        return u"quorvane-doc-fast"_s;
    }
    return {};
}
