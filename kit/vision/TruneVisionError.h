#pragma once

#include "kit/localization/TruneLanguage.h"

#include <QLatin1String>
#include <QString>

// The failures of text recognition and image comparison. Every case belongs to one error
// domain; the case's value is its code there.
struct TruneVisionError {
    enum class Case : int {
        featurePrintUnavailable = 1, // the image yielded no feature print
        invalidImage,                // the image has no pixels to analyse
        recognizerUnavailable,       // the recognizer's language data could not be loaded
        recognitionFailed,           // the recognizer gave up on the image
    };

    static constexpr QLatin1String domain{"TruneVisionServices"};

    Case errorCase = Case::featurePrintUnavailable;
    QString language;   // recognizerUnavailable: the requested language
    QString dataFolder; // recognizerUnavailable: where its data was looked for

    static TruneVisionError featurePrintUnavailable();
    static TruneVisionError invalidImage();
    static TruneVisionError recognizerUnavailable(const QString& language, const QString& dataFolder);
    static TruneVisionError recognitionFailed();

    int code() const { return static_cast<int>(errorCase); }

    // The feature-print failure reads the same in every language; the others are bilingual.
    QString description(TruneLanguage language) const;

    bool operator==(const TruneVisionError&) const = default;
};
