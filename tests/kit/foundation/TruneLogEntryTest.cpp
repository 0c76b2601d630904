#include "kit/foundation/TruneLogEntry.h"

#include <gtest/gtest.h>

namespace {

TruneLogEntry entryWithMessage(const QString& message)
{
    return {QStringLiteral("0A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D"), QStringLiteral("2025-03-01T08:30:00.123Z"),
        TruneLogLevel::info, QStringLiteral("lifecycle"), message, QStringLiteral("2.0.1"), QStringLiteral("214")};
}

QByteArray lineWithMessage(const QByteArray& escapedMessage)
{
    return R"({"build":"214","category":"lifecycle","id":"0A1B2C3D-4E5F-4A6B-8C7D-9E0F1A2B3C4D","level":"info",)"
           R"("message":")"
        + escapedMessage + R"(","timestamp":"2025-03-01T08:30:00.123Z","version":"2.0.1"})";
}

} // namespace

TEST(TruneLogLevelTest, CasesRawValuesLabelsAndOrder)
{
    struct Case {
        TruneLogLevel level;
        const char* raw;
        const char* label;
    };
    const Case cases[] = {
        {TruneLogLevel::debug, "debug", "DEBUG"},
        {TruneLogLevel::info, "info", "INFO"},
        {TruneLogLevel::warn, "warn", "WARN"},
        {TruneLogLevel::error, "error", "ERROR"},
    };
    ASSERT_EQ(allCases<TruneLogLevel>().size(), std::size(cases));
    for (size_t i = 0; i < std::size(cases); ++i) {
        SCOPED_TRACE(cases[i].raw);
        EXPECT_EQ(allCases<TruneLogLevel>()[i], cases[i].level);
        EXPECT_EQ(rawValue(cases[i].level), QLatin1String(cases[i].raw));
        EXPECT_EQ(label(cases[i].level), QLatin1String(cases[i].label));
        if (i > 0) {
            EXPECT_LT(cases[i - 1].level, cases[i].level);
        }
    }
    EXPECT_FALSE(truneJsonDecode<TruneLogLevel>(QJsonValue(QStringLiteral("warning"))));
    EXPECT_FALSE(truneJsonDecode<TruneLogLevel>(QJsonValue(QStringLiteral("INFO"))));
}

TEST(TruneLogEntryTest, LineHasSortedKeysAndStandardEscapes)
{
    struct Case {
        const char* name;
        QString message;
        QByteArray expected;
    };
    const QChar highSurrogate(char16_t(0xD83D));
    const QChar lowSurrogate(char16_t(0xDE00));
    const Case cases[] = {
        {"plain", QStringLiteral("started"), "started"},
        {"slash", QStringLiteral("/Applications/Dovel.app"), R"(\/Applications\/Dovel.app)"},
        {"quote and backslash", QStringLiteral(R"(say "hi" \ bye)"), R"(say \"hi\" \\ bye)"},
        {"short escapes", QStringLiteral("\b\f\n\r\t"), R"(\b\f\n\r\t)"},
        {"other controls", QString::fromLatin1("\x01\x1f\x00", 3), R"(\u0001\u001f\u0000)"},
        {"delete stays raw", QStringLiteral("\x7f"), "\x7f"},
        {"non-ASCII raw", QStringLiteral("Türkçe ğ €"),
            "T\xc3\xbcrk\xc3\xa7"
            "e \xc4\x9f \xe2\x82\xac"},
        {"surrogate pair", QString(highSurrogate) + lowSurrogate, "\xf0\x9f\x98\x80"},
        {"lone high surrogate", QString(highSurrogate) + QLatin1Char('x'), "\xef\xbf\xbdx"},
        {"lone low surrogate", QString(lowSurrogate) + QLatin1Char('x'), "\xef\xbf\xbdx"},
        {"high surrogate at the end", QStringLiteral("x") + highSurrogate, "x\xef\xbf\xbd"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(entryWithMessage(c.message).jsonLine(), lineWithMessage(c.expected));
    }
}

TEST(TruneLogEntryTest, LineDecodesBackToTheSameEntry)
{
    const TruneLogEntry entry = entryWithMessage(QStringLiteral("a/b \"c\" \\ \n\t\x01 Ünïcode 😀"));
    const TruneJsonResult<TruneLogEntry> decoded = truneJsonDecode<TruneLogEntry>(entry.jsonLine());
    ASSERT_TRUE(decoded) << decoded.error().description().toStdString();
    EXPECT_EQ(*decoded, entry);
}

TEST(TruneLogEntryTest, DecodingNeedsAllSevenTextKeys)
{
    struct Case {
        const char* name;
        QByteArray json;
        bool decodes;
    };
    const QByteArray valid = entryWithMessage(QStringLiteral("m")).jsonLine();
    const Case cases[] = {
        {"complete", valid, true},
        {"extra key", QByteArray(valid).replace("{", R"({"extra":1,)"), true},
        {"missing build", QByteArray(valid).replace(R"("build":"214",)", ""), false},
        {"missing version", QByteArray(valid).replace(R"(,"version":"2.0.1")", ""), false},
        {"null message", QByteArray(valid).replace(R"("message":"m")", R"("message":null)"), false},
        {"numeric build", QByteArray(valid).replace(R"("build":"214")", R"("build":214)"), false},
        {"unknown level", QByteArray(valid).replace(R"("level":"info")", R"("level":"warning")"), false},
        {"cut off", valid.left(valid.size() - 5), false},
        {"not JSON", "started at 08:30", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(truneJsonDecode<TruneLogEntry>(c.json).has_value(), c.decodes);
    }
}
