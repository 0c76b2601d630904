#pragma once

#include "kit/feedback/TruneAIProvider.h"
#include "kit/platform/TruneJson.h"

#include <QString>

#include <optional>

// Which AI service to ask, where and with which model; stored by apps as JSON.
struct TruneAIConfig {
    TruneAIProvider provider = TruneAIProvider::ollamaLocal;
    QString endpointURL = defaultEndpoint(TruneAIProvider::ollamaLocal);
    QString model = defaultModel(TruneAIProvider::ollamaLocal);

    // A missing endpoint or model takes the provider's default; an empty text stays empty.
    static TruneAIConfig make(TruneAIProvider provider, const std::optional<QString>& endpointURL = std::nullopt,
        const std::optional<QString>& model = std::nullopt);

    bool operator==(const TruneAIConfig&) const = default;
};

// All three keys are required and taken as they stand.
template <> struct TruneJsonCoding<TruneAIConfig> {
    static QJsonValue encode(const TruneAIConfig& config);
    static TruneJsonResult<TruneAIConfig> decode(const QJsonValue& json);
};
