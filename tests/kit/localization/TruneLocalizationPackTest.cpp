#include "kit/localization/TruneLocalizationPack.h"

#include <gtest/gtest.h>

TEST(TruneLocalizationPackTest, DecodesEveryKeyAsOptionalAndRejectsWrongTypes)
{
    struct Row {
        const char* json;
        bool decodes;
    };
    const Row rows[] = {
        {R"({})", true},
        {R"({"code": null, "strings": null, "isRTL": null})", true},
        {R"({"code": "de", "extra": [1, 2], "strings": {"a": "b"}})", true},
        {R"({"isRTL": "yes"})", false},
        {R"({"code": 6})", false},
        {R"({"strings": ["a"]})", false},
        {R"({"strings": {"a": 1}})", false},
        {R"({"templates": {"a {0}": null}})", false},
        {R"(["de"])", false},
        {R"("de")", false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.json);
        EXPECT_EQ(truneJsonDecode<TruneLocalizationPack>(QByteArray(row.json)).has_value(), row.decodes);
    }
}

TEST(TruneLocalizationPackTest, RoundTripsAllSixKeys)
{
    TruneLocalizationPack pack;
    pack.code = QStringLiteral("ar");
    pack.nativeName = QStringLiteral("العربية");
    pack.englishName = QStringLiteral("Arabic");
    pack.isRTL = true;
    pack.strings = {{QStringLiteral("Settings"), QStringLiteral("الإعدادات")}};
    pack.templates = {{QStringLiteral("Version {0}"), QStringLiteral("الإصدار {0}")}};
    const QJsonObject encoded = truneJsonEncode(pack).toObject();
    EXPECT_EQ(encoded.keys(), (QStringList{"code", "englishName", "isRTL", "nativeName", "strings", "templates"}));
    EXPECT_EQ(truneJsonDecode<TruneLocalizationPack>(encoded), pack);

    const auto defaults = truneJsonDecode<TruneLocalizationPack>(QByteArray("{}"));
    ASSERT_TRUE(defaults.has_value());
    EXPECT_EQ(*defaults, TruneLocalizationPack{});
}

TEST(TruneLocalizationPackTest, FlatMapAcceptsOnlyTextValues)
{
    const auto flat
        = TruneLocalizationPack::decodeFlatMap(QJsonDocument::fromJson(R"({"Settings": "Réglages"})").object());
    ASSERT_TRUE(flat.has_value());
    EXPECT_EQ(flat->value(QStringLiteral("Settings")), QStringLiteral("Réglages"));
    // A catalogue with its descriptive fields is not a flat map.
    EXPECT_FALSE(
        TruneLocalizationPack::decodeFlatMap(QJsonDocument::fromJson(R"({"code": "fr", "isRTL": false})").object()));
    EXPECT_FALSE(TruneLocalizationPack::decodeFlatMap(QJsonArray{}));
}
