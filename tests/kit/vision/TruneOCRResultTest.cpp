#include "kit/vision/TruneOCRResult.h"

#include <gtest/gtest.h>

namespace {

TruneOCRLine line(const QString& text)
{
    return {text, {0.1, 0.2, 0.3, 0.4}, 0.9f};
}

TEST(TruneOCRResult, FullTextJoinsTheLinesWithLineFeedsInTheirOrder)
{
    struct Row {
        const char* name;
        std::vector<TruneOCRLine> lines;
        QString fullText;
    };
    const std::vector<Row> rows = {
        {"no lines", {}, QString()},
        {"one line, no trailing feed", {line(QStringLiteral("Only"))}, QStringLiteral("Only")},
        {"two lines in order", {line(QStringLiteral("First")), line(QStringLiteral("Second"))},
            QStringLiteral("First\nSecond")},
        {"an empty line keeps its place", {line(QStringLiteral("a")), line(QString()), line(QStringLiteral("b"))},
            QStringLiteral("a\n\nb")},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(TruneOCRResult{row.lines}.fullText(), row.fullText);
    }
}

TEST(TruneOCRLine, EqualOnlyWhenTextBoxAndConfidenceAllMatch)
{
    const TruneOCRLine base = line(QStringLiteral("Text"));
    EXPECT_EQ(base, line(QStringLiteral("Text")));
    TruneOCRLine other = base;
    other.boundingBox.height = 0.41;
    EXPECT_NE(base, other);
    other = base;
    other.confidence = 0.5f;
    EXPECT_NE(base, other);
}

} // namespace
