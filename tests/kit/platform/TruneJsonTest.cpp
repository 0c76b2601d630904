#include "kit/platform/TruneJson.h"
#include "kit/platform/TruneCanonicalEquality.h"

#include <gtest/gtest.h>

#include <limits>

using namespace Qt::StringLiterals;

namespace {

enum class Flavour { plain, spicy };

struct Sample {
    QString name;
    qint64 size = 0;
    std::optional<QString> note;
    Flavour flavour = Flavour::plain;
    std::vector<QDateTime> seen;
    bool operator==(const Sample&) const = default;
};

} // namespace

template <> struct TruneRawValues<Flavour> {
    static constexpr std::array cases{TruneRawCase{Flavour::plain, "plain"}, TruneRawCase{Flavour::spicy, "spicy"}};
};

template <> struct TruneJsonCoding<Sample> {
    static QJsonValue encode(const Sample& sample)
    {
        TruneJsonObjectWriter out;
        out.write("name", sample.name);
        out.write("size", sample.size);
        out.write("note", sample.note);
        out.write("flavour", sample.flavour);
        out.write("seen", sample.seen);
        return out.object();
    }

    static TruneJsonResult<Sample> decode(const QJsonValue& json)
    {
        return TruneJsonObjectReader::read<Sample>(json, [](TruneJsonObjectReader& in) {
            Sample sample;
            sample.name = in.required<QString>("name");
            sample.size = in.required<qint64>("size");
            sample.note = in.optional<QString>("note");
            sample.flavour = in.required<Flavour>("flavour");
            sample.seen = in.required<std::vector<QDateTime>>("seen");
            return sample;
        });
    }
};

TEST(TruneJsonTest, RecordRoundTripWritesNoKeyForAbsentOptionals)
{
    const Sample sample{QStringLiteral("Ünïcode / app"), std::numeric_limits<qint64>::max(), std::nullopt,
        Flavour::spicy, {QDateTime(QDate(2025, 3, 1), QTime(8, 30), Qt::UTC)}};
    const QByteArray text = truneJsonSerialize(sample);
    EXPECT_FALSE(text.contains("note"));
    EXPECT_TRUE(text.contains("9223372036854775807"));
    EXPECT_TRUE(text.contains("\"2025-03-01T08:30:00Z\""));
    const auto decoded = truneJsonDecode<Sample>(text);
    ASSERT_TRUE(decoded.has_value()) << decoded.error().description().toStdString();
    EXPECT_EQ(*decoded, sample);
}

TEST(TruneJsonTest, DecodingFailuresNameTheKey)
{
    struct Case {
        const char* json;
        const char* expectedError; // empty: decodes
    };
    const Case cases[] = {
        {R"({"name":"a","size":1,"flavour":"plain","seen":[]})", ""},
        {R"({"name":"a","size":1,"flavour":"plain","seen":[],"note":null})", ""},
        {R"({"name":"a","size":1,"flavour":"plain","seen":[],"extra":{"x":1}})", ""},
        {R"({"size":1,"flavour":"plain","seen":[]})", "name: required key is missing"},
        {R"({"name":null,"size":1,"flavour":"plain","seen":[]})", "name: expected string, found null"},
        {R"({"name":"a","size":"1","flavour":"plain","seen":[]})", "size: expected integer, found string"},
        {R"({"name":"a","size":1.5,"flavour":"plain","seen":[]})", "size: expected a 64-bit integer, found 1.5"},
        {R"({"name":"a","size":1e30,"flavour":"plain","seen":[]})", "size: expected a 64-bit integer, found 1e+30"},
        {R"({"name":"a","size":true,"flavour":"plain","seen":[]})", "size: expected integer, found boolean"},
        {R"({"name":"a","size":1,"flavour":"Plain","seen":[]})", "flavour: unknown value \"Plain\""},
        {R"({"name":"a","size":1,"flavour":"plain","seen":[],"note":5})", "note: expected string, found number"},
        {R"({"name":"a","size":1,"flavour":"plain","seen":["2025-03-01T08:30:00Z","yesterday"]})",
            "seen[1]: invalid ISO 8601 date \"yesterday\""},
        {R"([1])", "expected object, found array"},
        {R"({"name":)", "invalid JSON"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.json);
        const auto decoded = truneJsonDecode<Sample>(QByteArray(c.json));
        if (*c.expectedError == '\0') {
            EXPECT_TRUE(decoded.has_value()) << decoded.error().description().toStdString();
        } else {
            ASSERT_FALSE(decoded.has_value());
            EXPECT_TRUE(decoded.error().description().startsWith(QLatin1String(c.expectedError)))
                << decoded.error().description().toStdString();
        }
    }
}

TEST(TruneJsonTest, IntegersAreExactInTheWhole64BitRange)
{
    struct Case {
        const char* json;
        std::optional<qint64> expected;
    };
    const Case cases[] = {
        {"9007199254740993", 9007199254740993LL}, // 2^53 + 1: a double would lose it
        {"-9223372036854775808", std::numeric_limits<qint64>::min()},
        {"9223372036854775807", std::numeric_limits<qint64>::max()},
        {"9223372036854775808", std::nullopt},
        {"-9223372036854775809", std::nullopt}, // rounds to -2^63 as a double
        {"-9223372036854775808.0", std::nullopt},
        {"-9223372036854774784.0", -9223372036854774784LL}, // the next double up is exact
        {"2.0", 2},
        {"\"7\"", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.json);
        const auto decoded = truneJsonDecode<qint64>(QByteArray(c.json));
        ASSERT_EQ(decoded.has_value(), c.expected.has_value());
        if (c.expected) {
            EXPECT_EQ(*decoded, *c.expected);
        }
    }
    EXPECT_EQ(truneJsonSerialize(QJsonValue(qint64{9007199254740993LL})), QByteArray("9007199254740993"));
    EXPECT_FALSE(truneJsonDecode<int>(QByteArray("2147483648")).has_value());
}

TEST(TruneJsonTest, NumbersBelowTheSigned64BitRangeStayNumbersButNoIntegers)
{
    using Integers = std::vector<qint64>;
    const QByteArray text = R"({"note":"-9223372036854775809","sizes":[-9223372036854775808,-9223372036854775809]})";
    const auto json = truneJsonParse(text);
    ASSERT_TRUE(json.has_value());
    const QJsonObject object = json->toObject();
    EXPECT_EQ(object.value(u"note"_s), QJsonValue(u"-9223372036854775809"_s));
    const QJsonArray sizes = object.value(u"sizes"_s).toArray();
    EXPECT_EQ(truneJsonDecode<qint64>(sizes.at(0)), std::numeric_limits<qint64>::min());
    EXPECT_EQ(truneJsonDecode<double>(sizes.at(1)), -9223372036854775808.0);
    const auto decoded = truneJsonDecode<Integers>(object.value(u"sizes"_s));
    ASSERT_FALSE(decoded.has_value());
    EXPECT_TRUE(decoded.error().description().startsWith(u"[1]: expected a 64-bit integer"_s))
        << decoded.error().description().toStdString();
}

TEST(TruneJsonTest, EveryFoldingNumberOfALongDocumentIsRepairedInPlace)
{
    // Folding numbers of different lengths between exact ones and strings that look like them:
    // each must come back as what it was written as, whatever number of them precede it.
    const std::vector<std::pair<QByteArray, std::optional<qint64>>> pieces{
        {"-9223372036854775809", std::nullopt},
        {"-9223372036854775808", std::numeric_limits<qint64>::min()},
        {"\"-9223372036854775809\"", std::nullopt},
        {"-9.2233720368547758e18", std::nullopt},
        {"7", 7},
        {"-9223372036854775807.5", std::nullopt},
    };
    QByteArray text = "[";
    constexpr int rounds = 2000;
    for (int round = 0; round < rounds; ++round) {
        for (const auto& [piece, integer] : pieces)
            text += (text.size() > 1 ? "," : "") + piece;
    }
    text += "]";
    const auto json = truneJsonParse(text);
    ASSERT_TRUE(json.has_value());
    const QJsonArray values = json->toArray();
    ASSERT_EQ(values.size(), qsizetype(rounds * pieces.size()));
    for (qsizetype index = 0; index < values.size(); ++index) {
        const auto& [piece, integer] = pieces[std::size_t(index) % pieces.size()];
        SCOPED_TRACE(index);
        if (piece.startsWith('"')) {
            ASSERT_EQ(values.at(index), QJsonValue(QString::fromLatin1(piece.mid(1).chopped(1))));
        } else if (integer) {
            ASSERT_EQ(truneJsonDecode<qint64>(values.at(index)), *integer);
        } else {
            ASSERT_FALSE(truneJsonDecode<qint64>(values.at(index)).has_value()) << piece.toStdString();
            ASSERT_EQ(truneJsonDecode<double>(values.at(index)), -9223372036854775808.0);
        }
    }
}

TEST(TruneJsonTest, DatesAreIso8601InUtc)
{
    struct Case {
        const char* text;
        std::optional<QDateTime> expected;
    };
    const QDateTime morning(QDate(2025, 3, 1), QTime(8, 30), Qt::UTC);
    const Case cases[] = {
        {"2025-03-01T08:30:00Z", morning},
        {"2025-03-01T10:30:00+02:00", morning},
        {"2025-03-01T08:30:00.000Z", morning},
        {"2025-03-01T08:30:00", std::nullopt},
        {"2025-03-01", std::nullopt},
        {"2025-02-30T08:30:00Z", std::nullopt},
        {"", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto parsed = TruneJson::parseDate(QString::fromLatin1(c.text));
        ASSERT_EQ(parsed.has_value(), c.expected.has_value());
        if (c.expected) {
            EXPECT_EQ(*parsed, *c.expected);
        }
    }
    EXPECT_EQ(TruneJson::formatDate(QDateTime(QDate(2025, 3, 1), QTime(10, 30, 5, 999), Qt::OffsetFromUTC, 7200)),
        QStringLiteral("2025-03-01T08:30:05Z"));
}

TEST(TruneJsonTest, UuidsAreUpperCaseAndReadInEitherCase)
{
    const QUuid id = QUuid::fromString(QStringLiteral("6f1c2a4e-8b0d-4a3e-9c55-0123456789ab"));
    EXPECT_EQ(truneJsonEncode(id).toString(), QStringLiteral("6F1C2A4E-8B0D-4A3E-9C55-0123456789AB"));
    EXPECT_EQ(truneJsonDecode<QUuid>(QJsonValue(QStringLiteral("6f1c2a4e-8b0d-4a3e-9c55-0123456789ab"))), id);
    EXPECT_FALSE(truneJsonDecode<QUuid>(QJsonValue(QStringLiteral("{6f1c2a4e-8b0d-4a3e-9c55-0123456789ab}"))));
    EXPECT_FALSE(truneJsonDecode<QUuid>(QJsonValue(QStringLiteral("not-a-uuid"))));
}

TEST(TruneJsonTest, LenientKeysFallBackInsteadOfFailing)
{
    const auto decoded = TruneJsonObjectReader::read<qint64>(
        QJsonObject{{QStringLiteral("count"), QStringLiteral("many")}},
        [](TruneJsonObjectReader& in) { return in.lenient<qint64>("count", 7) + in.lenient<qint64>("missing", 1); });
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(*decoded, 8);
}

TEST(TruneJsonTest, MapsDecodeEveryValueOrNameTheFailingKey)
{
    using Lines = QMap<QString, QStringList>;
    const auto decoded = truneJsonDecode<Lines>(QByteArray(R"({"de":["a","b"],"en":[]})"));
    ASSERT_TRUE(decoded.has_value());
    EXPECT_EQ(*decoded,
        (Lines{{QStringLiteral("de"), {QStringLiteral("a"), QStringLiteral("b")}}, {QStringLiteral("en"), {}}}));
    const auto wrong = truneJsonDecode<Lines>(QByteArray(R"({"de":["a",1]})"));
    ASSERT_FALSE(wrong.has_value());
    EXPECT_EQ(wrong.error().description(), QStringLiteral("de[1]: expected string, found number"));
}

TEST(TruneJsonTest, InternetDatesTakeWholeSecondsOnly)
{
    struct Case {
        const char* text;
        bool valid;
    };
    const QDateTime morning(QDate(2026, 1, 31), QTime(9, 15), Qt::UTC);
    const Case cases[] = {
        {"2026-01-31T09:15:00Z", true},
        {"2026-01-31T11:15:00+02:00", true},
        {"2026-01-31T04:15:00-05:00", true},
        {"2026-01-31T09:15:00.5Z", false},
        {"2026-01-31T09:15:00.000Z", false},
        {"2026-01-31T09:15:00", false},
        {"2026-01-31T09:15Z", false},
        {"2026-02-30T09:15:00Z", false},
        {"2026-01-31 09:15:00Z", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const auto decoded = truneJsonDecode<TruneInternetDate>(QJsonValue(QString::fromLatin1(c.text)));
        ASSERT_EQ(decoded.has_value(), c.valid);
        if (c.valid) {
            EXPECT_EQ(decoded->value, morning);
        }
    }
    EXPECT_FALSE(truneJsonDecode<TruneInternetDate>(QJsonValue(1769850900)));
    const QDateTime withFraction(QDate(2026, 1, 31), QTime(9, 15, 0, 750), Qt::UTC);
    EXPECT_EQ(truneJsonEncode(TruneInternetDate{withFraction}).toString(), u"2026-01-31T09:15:00Z"_s);
}

TEST(TruneJsonTest, FloatsAreWrittenShortAndRefusedOutsideTheirRange)
{
    EXPECT_EQ(truneJsonSerialize(0.1f), QByteArray("0.1"));
    EXPECT_EQ(truneJsonSerialize(-2.5f), QByteArray("-2.5"));
    EXPECT_EQ(truneJsonDecode<float>(QByteArray("0.1")), 0.1f);
    EXPECT_EQ(truneJsonDecode<float>(QByteArray("3.4e38")), 3.4e38f);
    EXPECT_FALSE(truneJsonDecode<float>(QByteArray("3.5e38")));
    EXPECT_FALSE(truneJsonDecode<float>(QByteArray("-1e39")));
    EXPECT_FALSE(truneJsonDecode<float>(QByteArray("\"0.5\"")));
    EXPECT_FALSE(truneJsonDecode<float>(QByteArray("null")));
}

TEST(TruneJsonTest, NonFiniteNumbersAreNotWrittenAsNull)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double infinity = std::numeric_limits<double>::infinity();
    const QJsonObject nested{{u"fine"_s, 1.5}, {u"list"_s, QJsonArray{0.0, QJsonObject{{u"level"_s, infinity}}}}};
    const auto refused = truneJsonSerializeFinite(nested);
    ASSERT_FALSE(refused.has_value());
    EXPECT_EQ(refused.error().keyPath, u"list[1].level"_s);
    EXPECT_FALSE(truneJsonSerializeFinite(QJsonValue(nan)));
    EXPECT_FALSE(truneJsonSerializeFinite(-infinity));
    EXPECT_EQ(truneJsonSerializeFinite(QJsonObject{{u"fine"_s, 1.5}}), QByteArray(R"({"fine":1.5})"));
}

TEST(TruneJsonTest, TextsAreEqualByCanonicalEquivalence)
{
    const QString composed = u"Caf\u00e9 G\u00fcl"_s;
    const QString decomposed = u"Cafe\u0301 Gu\u0308l"_s;
    ASSERT_NE(composed, decomposed);
    EXPECT_TRUE(TruneJson::canonicallyEqual(composed, decomposed));
    EXPECT_TRUE(truneCanonicallyEqual(std::vector<QString>{composed}, std::vector<QString>{decomposed}));
    EXPECT_TRUE(truneCanonicallyEqual(std::optional<QString>(decomposed), std::optional<QString>(composed)));
    EXPECT_FALSE(truneCanonicallyEqual(std::optional<QString>(), std::optional<QString>(composed)));
    EXPECT_FALSE(TruneJson::canonicallyEqual(u"Cafe"_s, composed));
    // Compatibility forms are not canonical: the "fi" ligature is not "fi".
    EXPECT_FALSE(TruneJson::canonicallyEqual(u"\ufb01le"_s, u"file"_s));
    const double nan = std::numeric_limits<double>::quiet_NaN();
    EXPECT_FALSE(truneCanonicallyEqual(std::tuple<const double&>(nan), std::tuple<const double&>(nan)));
}
