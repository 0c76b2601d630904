#pragma once

#include "kit/platform/TruneRawValue.h"

#include <QString>

// The kinds of AI chat service the kit can ask. The raw value is the case name; JSON codes a
// provider as its raw value (kit/platform/TruneJson.h).
enum class TruneAIProvider { ollamaLocal, openAI, quorvaneCredits };

template <> struct TruneRawValues<TruneAIProvider> {
    static constexpr std::array cases{
        TruneRawCase{TruneAIProvider::ollamaLocal, "ollamaLocal"},
        TruneRawCase{TruneAIProvider::openAI, "openAI"},
        TruneRawCase{TruneAIProvider::quorvaneCredits, "quorvaneCredits"},
    };
};

// In the current interface language.
QString displayName(TruneAIProvider provider);
// A complete address: scheme, host, port where needed, path.
QString defaultEndpoint(TruneAIProvider provider);
QString defaultModel(TruneAIProvider provider);
