#pragma once

#include "kit/feedback/TruneAIClientError.h"
#include "kit/feedback/TruneAIConfig.h"

#include <QString>

#include <expected>
#include <optional>

class TruneAppLogger;

// Asks an AI chat service for one completion: one system prompt, one user prompt, one answer.
// Keeps nothing between calls. A key goes only over https, or plain http to this computer, and
// never into the log or an error text.
class TruneAIClient final {
public:
    // With a logger, every request leaves one line (the address without its query, the outcome).
    explicit TruneAIClient(TruneAppLogger* logger = nullptr);

    // Blocks until the answer (at most 90 s without progress): call it from a worker thread. The
    // key is sent as it stands, unless the provider is the local Ollama, which never gets it.
    std::expected<QString, TruneAIClientError> complete(const QString& systemPrompt, const QString& userPrompt,
        const TruneAIConfig& config, const std::optional<QString>& apiKey) const;

    // The most bytes of a reply body that are read.
    static constexpr qint64 maxReplyBytes = 4 * 1024 * 1024;

private:
    TruneAppLogger* m_logger;
};
