#include "kit/feedback/TruneAIConfig.h"

TruneAIConfig TruneAIConfig::make(
    TruneAIProvider provider, const std::optional<QString>& endpointURL, const std::optional<QString>& model)
{
    return {.provider = provider,
        .endpointURL = endpointURL.value_or(defaultEndpoint(provider)),
        .model = model.value_or(defaultModel(provider))};
}

QJsonValue TruneJsonCoding<TruneAIConfig>::encode(const TruneAIConfig& config)
{
    TruneJsonObjectWriter out;
    out.write("provider", config.provider);
    out.write("endpointURL", config.endpointURL);
    out.write("model", config.model);
    return out.object();
}

TruneJsonResult<TruneAIConfig> TruneJsonCoding<TruneAIConfig>::decode(const QJsonValue& json)
{
    return TruneJsonObjectReader::read<TruneAIConfig>(json, [](TruneJsonObjectReader& in) {
        TruneAIConfig config;
        config.provider = in.required<TruneAIProvider>("provider");
        config.endpointURL = in.required<QString>("endpointURL");
        config.model = in.required<QString>("model");
        return config;
    });
}
