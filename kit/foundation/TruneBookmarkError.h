#pragma once

#include "kit/localization/TruneLanguage.h"

#include <QString>
#include <QUrl>

// Why no bookmark could be created for a location.
struct TruneBookmarkError {
    enum class Case { notAFileURL, unreachable };

    Case errorCase = Case::unreachable;
    QString location; // notAFileURL: the URL's text; unreachable: the standardized path
    int code = 0;     // unreachable: the errno value of looking the path up

    static TruneBookmarkError notAFileURL(const QUrl& url);
    static TruneBookmarkError unreachable(const QString& path, int errnoValue);

    // Bilingual; for unreachable followed by the system's English description of the errno value.
    QString description(TruneLanguage language) const;

    bool operator==(const TruneBookmarkError&) const = default;
};
