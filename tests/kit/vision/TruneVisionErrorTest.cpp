#include "kit/vision/TruneVisionError.h"

#include <gtest/gtest.h>

namespace {

TEST(TruneVisionError, DescribesItselfInEveryLanguageWithItsDomainAndCode)
{
    struct Row {
        const char* name;
        TruneVisionError error;
        int code;
        QString english;
        QString turkish;
    };
    const Row rows[] = {
        // The feature-print failure has one fixed text.
        {"featurePrintUnavailable", TruneVisionError::featurePrintUnavailable(), 1,
            QStringLiteral("Could not compute image feature print."),
            QStringLiteral("Could not compute image feature print.")},
        {"invalidImage", TruneVisionError::invalidImage(), 2, QStringLiteral("The image is empty."),
            QStringLiteral("Görüntü boş.")},
        {"recognizerUnavailable",
            TruneVisionError::recognizerUnavailable(QStringLiteral("eng"), QStringLiteral("/data")), 3,
            QStringLiteral("The text recognition data for 'eng' could not be loaded from /data."),
            QStringLiteral("'eng' için metin tanıma verisi /data klasöründen yüklenemedi.")},
        {"recognitionFailed", TruneVisionError::recognitionFailed(), 4, QStringLiteral("Text recognition failed."),
            QStringLiteral("Metin tanıma başarısız oldu.")},
    };
    EXPECT_EQ(QString(TruneVisionError::domain), QStringLiteral("TruneVisionServices"));
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.error.code(), row.code);
        EXPECT_EQ(row.error.description(TruneLanguage::en), row.english);
        EXPECT_EQ(row.error.description(TruneLanguage::tr), row.turkish);
    }
}

} // namespace
