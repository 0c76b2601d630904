#pragma once

#include "kit/localization/TruneLanguage.h"

#include <QString>

// Why an AI completion failed. Its texts follow the interface language of the moment.
struct TruneAIClientError {
    enum class Case {
        httpError,
        invalidEndpoint,
        missingAPIKey,
        emptyResponse,
        invalidAPIKey,    // the key holds a line break or NUL, which would split the request header
        insecureEndpoint, // the key would travel as plain http to another computer
        transportFailure, // no answer: refused, timed out, too large ...
        unreadableReply,  // a successful status with a body that is not JSON
    };

    Case errorCase = Case::emptyResponse;
    int statusCode = 0;   // httpError
    QString message = {}; // httpError: the start of the reply body; transportFailure: the detail

    static TruneAIClientError httpError(int statusCode, const QString& message);
    static TruneAIClientError invalidEndpoint();
    static TruneAIClientError missingAPIKey();
    static TruneAIClientError emptyResponse();
    static TruneAIClientError invalidAPIKey();
    static TruneAIClientError insecureEndpoint();
    static TruneAIClientError transportFailure(const QString& detail);
    static TruneAIClientError unreadableReply();

    QString description(TruneLanguage language) const;
    // The description in the current interface language.
    QString errorDescription() const;

    bool operator==(const TruneAIClientError&) const = default;
};
