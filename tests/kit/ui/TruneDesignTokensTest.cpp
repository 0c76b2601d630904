#include "kit/platform/TruneJson.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneProductPalette.h"

#include <QRgba64>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;

namespace {

struct Rgb {
    int r;
    int g;
    int b;
};

// An opaque sRGB colour whose components are exactly k/255 (QColor keeps k * 257 of 65535).
void expectOpaqueRgb(const QColor& color, Rgb expected)
{
    EXPECT_EQ(color.spec(), QColor::Rgb);
    EXPECT_EQ(color.rgba64(), QRgba64::fromRgba(expected.r, expected.g, expected.b, 255));
}

void expectStop(const TruneRgbStop& stop, double r, double g, double b)
{
    EXPECT_EQ(stop.r, r);
    EXPECT_EQ(stop.g, g);
    EXPECT_EQ(stop.b, b);
}

struct PaletteCase {
    TruneProductPalette palette;
    const char* raw;
    Rgb accent;
    std::array<Rgb, 3> ground; // topLeft, middle, bottomRight
    std::array<std::array<double, 3>, 3> rgbStops;
};

const PaletteCase palettes[] = {
    {TruneProductPalette::deepViolet, "deepViolet", {169, 139, 255}, {{{70, 42, 125}, {49, 31, 89}, {29, 19, 59}}},
        {{{0.275, 0.165, 0.49}, {0.192, 0.122, 0.349}, {0.114, 0.075, 0.231}}}},
    {TruneProductPalette::deepCrimson, "deepCrimson", {255, 107, 157}, {{{122, 34, 72}, {74, 22, 52}, {36, 13, 29}}},
        {{{0.478, 0.133, 0.282}, {0.29, 0.086, 0.204}, {0.141, 0.051, 0.114}}}},
    {TruneProductPalette::deepAmber, "deepAmber", {255, 169, 92}, {{{120, 60, 30}, {74, 37, 21}, {36, 19, 12}}},
        {{{0.471, 0.235, 0.118}, {0.29, 0.145, 0.082}, {0.141, 0.075, 0.047}}}},
    {TruneProductPalette::deepEmerald, "deepEmerald", {71, 230, 193}, {{{21, 98, 86}, {16, 63, 61}, {11, 33, 36}}},
        {{{0.082, 0.384, 0.337}, {0.063, 0.247, 0.239}, {0.043, 0.129, 0.141}}}},
    {TruneProductPalette::deepCobalt, "deepCobalt", {92, 196, 255}, {{{29, 78, 137}, {22, 51, 94}, {13, 28, 56}}},
        {{{0.114, 0.306, 0.537}, {0.086, 0.2, 0.369}, {0.051, 0.11, 0.22}}}},
    {TruneProductPalette::deepIndigo, "deepIndigo", {124, 164, 255}, {{{36, 52, 122}, {24, 35, 86}, {13, 20, 51}}},
        {{{0.141, 0.204, 0.478}, {0.094, 0.137, 0.337}, {0.051, 0.078, 0.2}}}},
    {TruneProductPalette::deepAbyss, "deepAbyss", {102, 217, 239}, {{{31, 74, 92}, {21, 52, 69}, {12, 31, 43}}},
        {{{0.122, 0.29, 0.361}, {0.082, 0.204, 0.271}, {0.047, 0.122, 0.169}}}},
    {TruneProductPalette::deepCoral, "deepCoral", {244, 114, 208}, {{{110, 31, 99}, {71, 22, 69}, {36, 11, 38}}},
        {{{0.431, 0.122, 0.388}, {0.278, 0.086, 0.271}, {0.141, 0.043, 0.149}}}},
    {TruneProductPalette::deepCyan, "deepCyan", {56, 232, 255}, {{{13, 86, 104}, {11, 58, 74}, {7, 32, 43}}},
        {{{0.051, 0.337, 0.408}, {0.043, 0.227, 0.29}, {0.027, 0.125, 0.169}}}},
};

} // namespace

TEST(TruneProductPaletteTest, AllCasesComeInDeclarationOrder)
{
    const std::vector<TruneProductPalette> cases = allCases<TruneProductPalette>();
    ASSERT_EQ(cases.size(), std::size(palettes));
    EXPECT_EQ(cases.front(), TruneProductPalette::deepViolet);
    EXPECT_EQ(cases.back(), TruneProductPalette::deepCyan);
    for (std::size_t index = 0; index < cases.size(); ++index) {
        EXPECT_EQ(cases[index], palettes[index].palette) << index;
        EXPECT_EQ(rawValue(cases[index]), QString::fromUtf8(palettes[index].raw)) << index;
    }
}

TEST(TruneProductPaletteTest, AccentAndGroundStopsAreTheirEightBitColours)
{
    for (const PaletteCase& expected : palettes) {
        SCOPED_TRACE(expected.raw);
        expectOpaqueRgb(accentColor(expected.palette), expected.accent);
        const TruneGroundStops stops = groundStops(expected.palette);
        expectOpaqueRgb(stops.topLeft, expected.ground[0]);
        expectOpaqueRgb(stops.middle, expected.ground[1]);
        expectOpaqueRgb(stops.bottomRight, expected.ground[2]);
    }
}

TEST(TruneProductPaletteTest, RgbStopsAreTheGroundStopsToThreeDecimals)
{
    for (const PaletteCase& expected : palettes) {
        SCOPED_TRACE(expected.raw);
        const std::array<TruneRgbStop, 3> stops = rgbStops(expected.palette);
        for (std::size_t index = 0; index < stops.size(); ++index) {
            SCOPED_TRACE(index);
            const auto& [r, g, b] = expected.rgbStops[index];
            expectStop(stops[index], r, g, b);
        }
    }

    // The numbers are rounded, the colours are not.
    const QColor topLeft = groundStops(TruneProductPalette::deepViolet).topLeft;
    EXPECT_EQ(rgbStops(TruneProductPalette::deepViolet)[0].r, 0.275);
    EXPECT_FLOAT_EQ(topLeft.redF(), 70 / 255.0);
    EXPECT_FLOAT_EQ(topLeft.greenF(), 42 / 255.0);
    EXPECT_FLOAT_EQ(topLeft.blueF(), 125 / 255.0);
}

TEST(TruneProductPaletteTest, RawValueLookupIsExactAndCaseSensitive)
{
    for (const PaletteCase& expected : palettes)
        EXPECT_EQ(fromRawValue<TruneProductPalette>(QString::fromUtf8(expected.raw)), expected.palette);

    for (const QString& text : {u"DeepEmerald"_s, u"deep-Emerald"_s, u""_s, u"deepemerald"_s, u" deepEmerald"_s,
             u"deepEmerald "_s, u"emerald"_s}) {
        EXPECT_EQ(fromRawValue<TruneProductPalette>(text), std::nullopt) << text.toStdString();
    }
}

TEST(TruneProductPaletteTest, JsonIsTheRawValueText)
{
    for (const PaletteCase& expected : palettes) {
        SCOPED_TRACE(expected.raw);
        const QByteArray json = truneJsonSerialize(expected.palette);
        EXPECT_EQ(json, '"' + QByteArray(expected.raw) + '"');
        EXPECT_EQ(truneJsonDecode<TruneProductPalette>(json), expected.palette);
    }

    for (const QByteArray& json : {R"("DeepEmerald")"_ba, R"("deep-Emerald")"_ba, R"("")"_ba, "3"_ba, "null"_ba,
             R"(["deepEmerald"])"_ba, R"({"palette":"deepEmerald"})"_ba}) {
        SCOPED_TRACE(json.toStdString());
        EXPECT_FALSE(truneJsonDecode<TruneProductPalette>(json).has_value());
    }
}

TEST(TruneGlassTokensTest, EveryTokenHasItsColourAndOpacity)
{
    struct TokenCase {
        const char* name;
        const QColor& (*token)();
        Rgb rgb;
        double opacity;
    };
    constexpr Rgb white{255, 255, 255};
    const TokenCase tokens[] = {
        {"surface1", TruneGlassTokens::surface1, white, 0.06},
        {"surface2", TruneGlassTokens::surface2, white, 0.10},
        {"surface3", TruneGlassTokens::surface3, white, 0.16},
        {"borderSubtle", TruneGlassTokens::borderSubtle, white, 0.14},
        {"borderStrong", TruneGlassTokens::borderStrong, white, 0.28},
        {"textPrimary", TruneGlassTokens::textPrimary, white, 0.96},
        {"textSecondary", TruneGlassTokens::textSecondary, white, 0.72},
        {"textMuted", TruneGlassTokens::textMuted, white, 0.50},
        {"success", TruneGlassTokens::success, {62, 230, 168}, 1},
        {"warning", TruneGlassTokens::warning, {255, 184, 77}, 1},
        {"danger", TruneGlassTokens::danger, {255, 100, 124}, 1},
    };
    for (const TokenCase& expected : tokens) {
        SCOPED_TRACE(expected.name);
        const QColor& color = expected.token();
        EXPECT_EQ(color.spec(), QColor::Rgb);
        EXPECT_EQ(color.red(), expected.rgb.r);
        EXPECT_EQ(color.green(), expected.rgb.g);
        EXPECT_EQ(color.blue(), expected.rgb.b);
        // The nearest opacity QColor's 16-bit alpha holds.
        EXPECT_NEAR(color.alphaF(), expected.opacity, 0.5 / 65535 + 1e-7);
        // Created once: every read hands out the same colour.
        EXPECT_EQ(&expected.token(), &color);
    }
}

TEST(TruneGlassTokensTest, WarningIsOpaqueAndMutedTextIsWhiteAtHalf)
{
    EXPECT_EQ(TruneGlassTokens::warning().rgba64().alpha(), 65535);
    const QRgba64 muted = TruneGlassTokens::textMuted().rgba64();
    EXPECT_EQ(muted.red(), 65535);
    EXPECT_EQ(muted.green(), 65535);
    EXPECT_EQ(muted.blue(), 65535);
    // 32767.5 of 65535 is half; 32768 is the nearest alpha QColor can hold.
    EXPECT_EQ(muted.alpha(), 32768);
}

TEST(TruneColorTest, ReadsRedGreenBlueFromTheLowThreeBytes)
{
    expectOpaqueRgb(truneColor(0x123456), {0x12, 0x34, 0x56});
    expectOpaqueRgb(truneColor(0x000000), {0, 0, 0});
    expectOpaqueRgb(truneColor(0xFFFFFF), {255, 255, 255});

    const QColor emerald = accentColor(TruneProductPalette::deepEmerald);
    for (const quint32 topByte : {0x00u, 0x01u, 0x47u, 0x80u, 0xFFu}) {
        SCOPED_TRACE(topByte);
        EXPECT_EQ(truneColor((topByte << 24) | (71u << 16) | (230u << 8) | 193u, 1), emerald);
    }
}

TEST(TruneColorTest, KeepsAnOpacityWithinZeroAndOne)
{
    for (const double opacity : {0.0, 0.06, 0.25, 0.5, 0.72, 1.0}) {
        SCOPED_TRACE(opacity);
        const QColor color = truneColor(0xFFB84D, opacity);
        EXPECT_NEAR(color.alphaF(), opacity, 0.5 / 65535 + 1e-7);
        EXPECT_EQ(color.red(), 255);
        EXPECT_EQ(color.green(), 184);
        EXPECT_EQ(color.blue(), 77);
    }
}

TEST(TruneColorTest, AnOpacityOutsideZeroAndOneStillGivesAColour)
{
    for (const double opacity : {-1.0, -0.01, 1.01, 2.0, std::numeric_limits<double>::infinity(),
             -std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()}) {
        SCOPED_TRACE(opacity);
        const QColor color = truneColor(0x47E6C1, opacity);
        EXPECT_TRUE(color.isValid());
        EXPECT_GE(color.alphaF(), 0);
        EXPECT_LE(color.alphaF(), 1);
    }
}
