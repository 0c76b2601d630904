#pragma once

#include "kit/localization/TruneLanguage.h"

#include <QString>

// Why feedback could not be sent. Its texts follow the interface language of the moment, not the
// language the failed request carried.
struct TruneFeedbackError {
    enum class Case {
        tooManyScreenshots,
        screenshotTooLarge,
        serverRejected,
        networkFailure,
        invalidEndpoint,
        invalidEmail,
        messageTooShort,
        // The service's address asks for plain http to another computer; the form holds the
        // sender's e-mail address, so it is not sent that way.
        insecureEndpoint,
    };

    Case errorCase = Case::invalidEndpoint;
    int limit = 0;     // tooManyScreenshots: the most screenshots; screenshotTooLarge: the most MB each
    QString text = {}; // serverRejected: the service's words; networkFailure: the failure's detail

    // The service's words are kept on one line and to this many UTF-16 units ("…" included).
    static constexpr qsizetype maxServerTextLength = 300;

    static TruneFeedbackError tooManyScreenshots(int max);
    static TruneFeedbackError screenshotTooLarge(int maxMB);
    // `text` flattened to one line (control characters and line breaks become spaces) and cut to
    // maxServerTextLength.
    static TruneFeedbackError serverRejected(const QString& text);
    static TruneFeedbackError networkFailure(const QString& detail);
    static TruneFeedbackError invalidEndpoint();
    static TruneFeedbackError invalidEmail();
    static TruneFeedbackError messageTooShort();
    static TruneFeedbackError insecureEndpoint();

    QString description(TruneLanguage language) const;
    // The description in the current interface language.
    QString errorDescription() const;

    bool operator==(const TruneFeedbackError&) const = default;
};
