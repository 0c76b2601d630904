#include "core/records/TruneUpdateConfig.h"
#include "tests/core/records/RecordJsonChecks.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

TruneUpdateConfig makeConfig()
{
    return TruneUpdateConfig{.ignoredBundleIDs = {u"com.example.b"_s, u"com.example.a"_s},
        .autoCheckIntervalHours = 12,
        .watchTrashForLeftovers = false,
        .includePrereleases = true,
        .autoCleanupAfterBrewUpgrade = true,
        .includeHomebrewFormulaeInBadge = true};
}

} // namespace

TEST(TruneUpdateConfigTest, JsonKeyRules)
{
    RecordJsonChecks::expectKeyRules(makeConfig(),
        {"ignoredBundleIDs", "autoCheckIntervalHours", "watchTrashForLeftovers", "includePrereleases",
            "autoCleanupAfterBrewUpgrade", "includeHomebrewFormulaeInBadge"},
        {});
}

TEST(TruneUpdateConfigTest, DecodingCases)
{
    const char* const allKeys = R"("autoCheckIntervalHours":0,"autoCleanupAfterBrewUpgrade":false,)"
                                R"("includeHomebrewFormulaeInBadge":false,"includePrereleases":false,)"
                                R"("watchTrashForLeftovers":true)";
    struct Case {
        const char* label;
        QByteArray json;
        std::optional<TruneUpdateConfig> expected;
    };
    const Case cases[] = {
        {"interval 0 means only when asked",
            QByteArray("{") + allKeys + R"(,"ignoredBundleIDs":["com.b","com.a","com.b"]})",
            TruneUpdateConfig{.ignoredBundleIDs = {u"com.b"_s, u"com.a"_s, u"com.b"_s}, .autoCheckIntervalHours = 0}},
        {"interval beyond 32 bits",
            QByteArray(R"({"autoCheckIntervalHours":8589934592,"autoCleanupAfterBrewUpgrade":false,)"
                       R"("includeHomebrewFormulaeInBadge":false,"includePrereleases":false,)"
                       R"("watchTrashForLeftovers":true,"ignoredBundleIDs":[]})"),
            TruneUpdateConfig{.autoCheckIntervalHours = 8589934592LL}},
        {"only the interval", R"({"autoCheckIntervalHours":12})", std::nullopt},
        {"interval as text",
            QByteArray(R"({"autoCheckIntervalHours":"6","autoCleanupAfterBrewUpgrade":false,)"
                       R"("includeHomebrewFormulaeInBadge":false,"includePrereleases":false,)"
                       R"("watchTrashForLeftovers":true,"ignoredBundleIDs":[]})"),
            std::nullopt},
        {"fractional interval",
            QByteArray(R"({"autoCheckIntervalHours":1.5,"autoCleanupAfterBrewUpgrade":false,)"
                       R"("includeHomebrewFormulaeInBadge":false,"includePrereleases":false,)"
                       R"("watchTrashForLeftovers":true,"ignoredBundleIDs":[]})"),
            std::nullopt},
        {"ignored id that is no string", QByteArray("{") + allKeys + R"(,"ignoredBundleIDs":["com.a",7]})",
            std::nullopt},
        {"not an object", "[]", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const auto decoded = truneJsonDecode<TruneUpdateConfig>(c.json);
        ASSERT_EQ(decoded.has_value(), c.expected.has_value());
        if (c.expected) {
            EXPECT_EQ(*decoded, *c.expected);
        }
    }
}
