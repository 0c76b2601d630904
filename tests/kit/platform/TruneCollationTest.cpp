#include "kit/platform/TruneCollation.h"

#include <gtest/gtest.h>

TEST(TruneCollationTest, NamesOrderAlikeInEveryLocaleIncludingC)
{
    struct Case {
        const char* locale;
        const char* first;
        const char* second;
    };
    const Case cases[] = {
        {"C", "apple", "Banana"},
        {"C", "Éclair", "Fig"},
        {"en_US", "apple", "Banana"},
        {"sv_SE", "Zebra", "Öl"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.locale) + ": " + c.first + " < " + c.second);
        const QLocale locale(QString::fromLatin1(c.locale));
        EXPECT_LT(TruneCollation::localizedCaseInsensitive(locale).compare(
                      QString::fromUtf8(c.first), QString::fromUtf8(c.second)),
            0);
        EXPECT_LT(
            TruneCollation::localizedStandard(locale).compare(QString::fromUtf8(c.first), QString::fromUtf8(c.second)),
            0);
    }
    EXPECT_EQ(
        TruneCollation::localizedCaseInsensitive(QLocale::c()).compare(QStringLiteral("ABC"), QStringLiteral("abc")),
        0);
    EXPECT_LT(TruneCollation::localizedStandard(QLocale::c()).compare(QStringLiteral("a9"), QStringLiteral("a10")), 0);
}
