#include "kit/foundation/TruneByteFormatter.h"

#include <QLocale>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {

constexpr qint64 int64Max = std::numeric_limits<qint64>::max();
constexpr qint64 int64Min = std::numeric_limits<qint64>::min();

} // namespace

TEST(TruneByteFormatterTest, FormatPicksTheUnitFromTheCountAndRoundsLikeFixedPrintf)
{
    struct Case {
        qint64 bytes;
        const char* expected;
    };
    const Case cases[] = {
        {-5, "0 B"},
        {int64Min, "0 B"},
        {0, "0 B"},
        {999, "999 B"},
        {1'000, "1.0 KB"},
        {999'999, "1000.0 KB"}, // rounding never carries into the next unit
        {1'050, "1.1 KB"},      // 1.05 is stored a little above 1.05
        {1'450, "1.4 KB"},      // 1.45 is stored a little below 1.45
        {1'250, "1.2 KB"},      // an exact tie rounds to even
        {1'500'000, "1.5 MB"},
        {999'999'999, "1000.0 MB"},
        {1'000'000'000, "1.00 GB"},
        {2'345'678'901, "2.35 GB"},
        {1'005'000'000, "1.00 GB"}, // 1.005 is stored a little below 1.005
        {1'125'000'000, "1.12 GB"}, // exact tie
        {999'999'999'999, "1000.00 GB"},
        {1'000'000'000'000, "1.00 TB"},
        {int64Max, "9223372.04 TB"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bytes);
        EXPECT_EQ(TruneByteFormatter::format(c.bytes), QString::fromLatin1(c.expected));
    }
}

TEST(TruneByteFormatterTest, FormatDurationRoundsHalfAwayAndSwitchesToHoursAtOneHour)
{
    struct Case {
        double seconds;
        const char* expected;
    };
    const Case cases[] = {
        {0, "00:00"},
        {59.4, "00:59"},
        {59.5, "01:00"},
        {0.5, "00:01"},
        {-0.5, "00:00"},
        {-3, "00:00"},
        {307, "05:07"},
        {3599, "59:59"},
        {3599.5, "1:00:00"},
        {3600, "1:00:00"},
        {3723, "1:02:03"},
        {90'061, "25:01:01"},
        {std::nan(""), "00:00"},
        {-std::numeric_limits<double>::infinity(), "00:00"},
        // Beyond the 64-bit range the largest whole second count is shown.
        {std::numeric_limits<double>::infinity(), "2562047788015215:30:07"},
        {1e300, "2562047788015215:30:07"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.seconds);
        EXPECT_EQ(TruneByteFormatter::formatDuration(c.seconds), QString::fromLatin1(c.expected));
    }
}

TEST(TruneByteFormatterTest, FormatRate)
{
    struct Case {
        double rate;
        const char* expected;
    };
    const Case cases[] = {
        {0, "0 B/s"}, {-1, "0 B/s"}, {std::nan(""), "0 B/s"}, {0.5, "1 B/s"}, {999.4, "999 B/s"}, {999.5, "1000 B/s"},
        {999.6, "1000 B/s"}, {1'000, "1.0 KB/s"}, {1'500, "1.5 KB/s"}, {1'050, "1.1 KB/s"}, {999'999, "1000.0 KB/s"},
        {1'000'000, "1.0 MB/s"}, {12'345'678, "12.3 MB/s"}, {2.5e9, "2.50 GB/s"},
        {1e15, "1000000.00 GB/s"}, // no larger unit
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.rate);
        EXPECT_EQ(TruneByteFormatter::formatRate(c.rate), QString::fromLatin1(c.expected));
    }
}

TEST(TruneByteFormatterTest, TextsIgnoreTheUserLocale)
{
    const QLocale previous;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const QString size = TruneByteFormatter::format(1'500'000);
    const QString rate = TruneByteFormatter::formatRate(2.5e9);
    const QString big = TruneByteFormatter::format(999'999'999'999);
    QLocale::setDefault(previous);

    EXPECT_EQ(size, QStringLiteral("1.5 MB"));
    EXPECT_EQ(rate, QStringLiteral("2.50 GB/s"));
    EXPECT_EQ(big, QStringLiteral("1000.00 GB"));
}

TEST(TruneByteFormatterTest, SavingsPercent)
{
    struct Case {
        qint64 original;
        qint64 optimized;
        double expected;
    };
    const Case cases[] = {
        {0, 10, 0},
        {-5, 0, 0},
        {200, 50, 75},
        {100, 150, -50},
        {100, 100, 0},
        {100, 0, 100},
        // The difference leaves the 64-bit range: still a sensible, finite value.
        {int64Max, int64Min, 200},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.original << " -> " << c.optimized);
        EXPECT_DOUBLE_EQ(TruneByteFormatter::savingsPercent(c.original, c.optimized), c.expected);
    }
}

TEST(TruneByteFormatterTest, CsvSafeFieldQuotesAndDefusesFormulas)
{
    struct Case {
        QString field;
        QString expected;
    };
    const Case cases[] = {
        {QStringLiteral("=SUM(A1)"), QStringLiteral("\"'=SUM(A1)\"")},
        {QStringLiteral("+1"), QStringLiteral("\"'+1\"")},
        {QStringLiteral("-1"), QStringLiteral("\"'-1\"")},
        {QStringLiteral("@cmd"), QStringLiteral("\"'@cmd\"")},
        {QStringLiteral("\tx"), QStringLiteral("\"'\tx\"")},
        {QStringLiteral("\rx"), QStringLiteral("\"'\rx\"")},
        {QStringLiteral("-"), QStringLiteral("\"'-\"")},
        {QStringLiteral("say \"hi\""), QStringLiteral("\"say \"\"hi\"\"\"")},
        {QStringLiteral("=\"x\""), QStringLiteral("\"'=\"\"x\"\"\"")},
        {QStringLiteral("\"=x"), QStringLiteral("\"\"\"=x\"")},
        {QStringLiteral(" =x"), QStringLiteral("\" =x\"")},
        {QStringLiteral("a=b"), QStringLiteral("\"a=b\"")},
        {QString(), QStringLiteral("\"\"")},
        // The first character is compared whole: CR LF and "=" with a combining accent are
        // single characters outside the set.
        {QStringLiteral("\r\nx"), QStringLiteral("\"\r\nx\"")},
        {QStringLiteral("=\u0301x"), QStringLiteral("\"=\u0301x\"")},
        // A quote followed by a combining mark is still a quote for the spreadsheet.
        {QStringLiteral("a\"\u0301"), QStringLiteral("\"a\"\"\u0301\"")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.field.toStdString());
        EXPECT_EQ(TruneByteFormatter::csvSafeField(c.field), c.expected);
    }
}
