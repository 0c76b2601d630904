#include "core/records/TruneUpdateConfig.h"
#include "tests/core/records/RecordJsonChecks.h"

#include <gtest/gtest.h>

namespace {

TruneUpdateConfig makeConfig()
{
    return TruneUpdateConfig({QStringLiteral("com.example.b"), QStringLiteral("com.example.a")}, 12, false, true, true,
                             true);
}

} // namespace

TEST(TruneUpdateConfigTest, JsonKeyRules)
{
    RecordJsonChecks::expectKeyRules(makeConfig(),
                                     {"ignoredBundleIDs", "autoCheckIntervalHours", "watchTrashForLeftovers",
                                      "includePrereleases", "autoCleanupAfterBrewUpgrade",
                                      "includeHomebrewFormulaeInBadge"},
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
         TruneUpdateConfig({"com.b", "com.a", "com.b"}, 0, true, false, false, false)},
        {"interval beyond 32 bits",
         QByteArray(R"({"autoCheckIntervalHours":8589934592,"autoCleanupAfterBrewUpgrade":false,)"
                    R"("includeHomebrewFormulaeInBadge":false,"includePrereleases":false,)"
                    R"("watchTrashForLeftovers":true,"ignoredBundleIDs":[]})"),
         TruneUpdateConfig({}, 8589934592LL, true, false, false, false)},
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
