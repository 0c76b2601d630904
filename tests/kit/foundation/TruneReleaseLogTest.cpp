#include "kit/foundation/TruneReleaseLogReader.h"
#include "tests/support/TempHome.h"
#include "tests/support/TextsOf.h"

#include <gtest/gtest.h>

#include <QFile>

using namespace Qt::StringLiterals;

namespace {

QString writeLog(const TempHome& home, const QByteArray& text)
{
    const QString path = home.filePath(QStringLiteral("release-log.jsonl"));
    QFile file(path);
    file.open(QIODevice::WriteOnly);
    file.write(text);
    return path;
}

QStringList summaries(const std::vector<TruneReleaseLogRecord>& records)
{
    return textsOf(records, &TruneReleaseLogRecord::summary);
}

} // namespace

TEST(TruneReleaseLogTest, EmptyObjectTakesEveryDefault)
{
    const auto record = truneJsonDecode<TruneReleaseLogRecord>(QByteArray("{}"));
    ASSERT_TRUE(record.has_value());
    EXPECT_EQ(*record, TruneReleaseLogRecord{});
    EXPECT_EQ(record->fromVersion, QStringLiteral("0.0.0"));
    EXPECT_EQ(record->toVersion, QStringLiteral("1.0.0"));
    EXPECT_EQ(record->fromBuild, 0);
    EXPECT_EQ(record->toBuild, 100);
    EXPECT_EQ(record->bumpKind, QStringLiteral("patch"));
    EXPECT_EQ(record->section, QStringLiteral("Changed"));
    const auto nulls = truneJsonDecode<TruneReleaseLogRecord>(QByteArray(R"({"toBuild":null,"details":null})"));
    ASSERT_TRUE(nulls.has_value());
    EXPECT_EQ(nulls->toBuild, 100);
}

TEST(TruneReleaseLogTest, RoundTripUsesTheSnakeCaseTranslationKeys)
{
    TruneReleaseLogRecord record;
    record.timestamp = QStringLiteral("2025-03-02T10:00:00Z");
    record.app = QStringLiteral("Cleaner");
    record.toVersion = QStringLiteral("1.4.0");
    record.toBuild = 57;
    record.summaryI18n = {{QStringLiteral("de"), QStringLiteral("Neu")}};
    record.detailsI18n = {{QStringLiteral("de"), {QStringLiteral("Zeile")}}};
    const QByteArray json = truneJsonSerialize(record);
    EXPECT_TRUE(json.contains("\"summary_i18n\""));
    EXPECT_TRUE(json.contains("\"details_i18n\""));
    EXPECT_EQ(truneJsonDecode<TruneReleaseLogRecord>(json), record);
    EXPECT_EQ(record.id(), QStringLiteral("2025-03-02T10:00:00Z-Cleaner-1.4.0-57"));
    EXPECT_EQ(record.shortDate(), QStringLiteral("2025-03-02"));
    record.timestamp = QStringLiteral("2025-03");
    EXPECT_EQ(record.shortDate(), QStringLiteral("2025-03"));
}

// The date is the first ten user-perceived characters, however many UTF-16 units each takes.
TEST(TruneReleaseLogTest, ShortDateCountsWholeCharacters)
{
    struct Case {
        QString timestamp;
        QString shortDate;
    };
    const Case cases[] = {
        {u"2025-03-02T10:00:00Z"_s, u"2025-03-02"_s},
        {u"2025-03"_s, u"2025-03"_s},
        {u""_s, u""_s},
        // outside the Basic Multilingual Plane: two UTF-16 units per character
        {u"\U0001D7DA\U0001D7D8\U0001D7DA\U0001D7DD-\U0001D7D8\U0001D7DB-\U0001D7D8\U0001D7DAT10:00Z"_s,
            u"\U0001D7DA\U0001D7D8\U0001D7DA\U0001D7DD-\U0001D7D8\U0001D7DB-\U0001D7D8\U0001D7DA"_s},
        {u"\U0001F5D3\U0001F5D3\U0001F5D3"_s, u"\U0001F5D3\U0001F5D3\U0001F5D3"_s},
        // a combining mark belongs to the character before it
        {u"2025-03-02\u0301T10:00Z"_s, u"2025-03-02\u0301"_s},
        // a flag is two regional indicators, one character
        {u"\U0001F1F9\U0001F1F7 2025-03-02"_s, u"\U0001F1F9\U0001F1F7 2025-03-"_s},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.timestamp.toStdString());
        TruneReleaseLogRecord record;
        record.timestamp = c.timestamp;
        EXPECT_EQ(record.shortDate(), c.shortDate);
    }
}

TEST(TruneReleaseLogTest, ReaderFiltersByAppAndReturnsLastLineFirst)
{
    TempHome home;
    const QString path = writeLog(home, R"({"app":"Alpha","summary":"a1"}

{"app":"Beta","summary":"b1"}
{"app":"Alpha","summary":"bad","toBuild":"57"}
not json
{"app":"Alpha","summary":"a2"}
)");
    struct Case {
        std::optional<QString> app;
        QStringList expected;
    };
    const Case cases[] = {
        {QStringLiteral("aLPHA"), {QStringLiteral("a2"), QStringLiteral("a1")}},
        {std::nullopt, {QStringLiteral("a2"), QStringLiteral("b1"), QStringLiteral("a1")}},
        {QStringLiteral("Gamma"), {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.app.value_or(QStringLiteral("<all>")).toStdString());
        EXPECT_EQ(summaries(TruneReleaseLogReader::load(path, c.app)), c.expected);
    }
    EXPECT_TRUE(TruneReleaseLogReader::load(home.filePath(QStringLiteral("missing.jsonl")), std::nullopt).empty());
    EXPECT_TRUE(TruneReleaseLogReader::load(writeLog(home, "\xff\xfe{}\n"), std::nullopt).empty());
}

TEST(TruneReleaseLogTest, BundledLogIsReadFromTheResourcesFolder)
{
    TempHome home;
    writeLog(home, R"({"app":"TruneUpdate","summary":"first"})");
    EXPECT_EQ(summaries(TruneReleaseLogReader::loadBundled(std::nullopt, TruneBundle({}, home.path()))),
        QStringList{QStringLiteral("first")});
    EXPECT_TRUE(TruneReleaseLogReader::loadBundled(std::nullopt, TruneBundle({}, home.filePath("none"))).empty());
    // The program ships its own history in its data folder.
    EXPECT_FALSE(TruneReleaseLogReader::loadBundled(QStringLiteral("TruneUpdate")).empty());
}

TEST(TruneReleaseLogTest, LocalizedTextFollowsTheFallbackChain)
{
    struct Case {
        const char* name;
        TruneLanguage language;
        QMap<QString, QString> summaries;
        QString expected;
    };
    const Case cases[] = {
        {"own language", TruneLanguage::de, {{"de", "DE"}, {"en", "EN"}}, "DE"},
        {"pt-PT borrows pt-BR", TruneLanguage::ptPT, {{"pt-BR", "BR"}, {"en", "EN"}}, "BR"},
        {"zh-Hant borrows zh-Hans", TruneLanguage::zhHant, {{"zh-Hans", "HANS"}}, "HANS"},
        {"pt-BR does not borrow pt-PT", TruneLanguage::ptBR, {{"pt-PT", "PT"}, {"en", "EN"}}, "EN"},
        {"empty entry skipped", TruneLanguage::fr, {{"fr", ""}, {"en", "EN"}}, "EN"},
        {"no translations", TruneLanguage::fr, {}, "plain"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TruneReleaseLogRecord record;
        record.summary = QStringLiteral("plain");
        record.summaryI18n = c.summaries;
        record.details = {QStringLiteral("plain")};
        for (auto it = c.summaries.cbegin(); it != c.summaries.cend(); ++it)
            record.detailsI18n.insert(it.key(), it.value().isEmpty() ? QStringList{} : QStringList{it.value()});
        EXPECT_EQ(record.localizedSummary(c.language), c.expected);
        EXPECT_EQ(record.localizedDetails(c.language), QStringList{c.expected});
    }
}
