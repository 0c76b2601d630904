#include "kit/ui/TruneFont.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QScreen>

#include <gtest/gtest.h>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

const QString sample = u"Updates 0123456789 (Güncellemeler)"_s;

// The pixel size the font asks for on the primary screen, as Qt converts it.
qreal requestedPixels(const QFont& font)
{
    return font.pointSizeF() * qRound(QGuiApplication::primaryScreen()->logicalDotsPerInchY()) / 72;
}

// The same face loaded at a whole pixel size, set directly: what `px` pixels must look like.
QFont atPixelSize(const QFont& font, int px)
{
    QFont reference = font;
    reference.setPixelSize(px);
    return reference;
}

struct DesignCase {
    TruneFontDesign design;
    const char* name;
};

constexpr DesignCase designs[] = {
    {TruneFontDesign::standard, "standard"},
    {TruneFontDesign::monospaced, "monospaced"},
    {TruneFontDesign::rounded, "rounded"},
};

} // namespace

TEST(TruneFontTest, WholePixelSizesDrawExactlyThatManyPixels)
{
    for (const DesignCase& design : designs) {
        for (const int px : {10, 11, 13, 17, 24}) {
            SCOPED_TRACE(testing::Message() << design.name << " " << px << " px");
            const QFont font = truneFont(px, QFont::Normal, design.design);
            EXPECT_EQ(QFontInfo(font).pixelSize(), px);

            const QFontMetricsF metrics(font);
            const QFontMetricsF expected(atPixelSize(font, px));
            EXPECT_EQ(metrics.height(), expected.height());
            EXPECT_EQ(metrics.horizontalAdvance(sample), expected.horizontalAdvance(sample));
        }
    }
}

TEST(TruneFontTest, FractionalSizesKeepTheirFraction)
{
    for (const qreal px : {9.5, 12.5, 14.25}) {
        SCOPED_TRACE(testing::Message() << px << " px");
        const QFont font = truneFont(px);
        EXPECT_NEAR(requestedPixels(font), px, 1e-9);
        // Qt's font engines load whole pixel sizes; the drawn face is the nearest one.
        EXPECT_LE(std::abs(QFontInfo(font).pixelSize() - px), 0.5);
    }
}

TEST(TruneFontTest, DesignsPickTheirFaceAndKeepTheWeight)
{
    EXPECT_TRUE(QFontInfo(truneFont(12, QFont::Normal, TruneFontDesign::monospaced)).fixedPitch());
    EXPECT_EQ(truneFont(12, QFont::Normal, TruneFontDesign::rounded).family(), QFont().family());
    EXPECT_EQ(truneFont(12, QFont::Normal, TruneFontDesign::standard).family(), QFont().family());

    for (const DesignCase& design : designs) {
        SCOPED_TRACE(design.name);
        EXPECT_EQ(truneFont(12, QFont::Bold, design.design).weight(), QFont::Bold);
        EXPECT_EQ(truneFont(12, QFont::DemiBold, design.design).weight(), QFont::DemiBold);
        EXPECT_EQ(truneFont(12, QFont::Normal, design.design).weight(), QFont::Normal);
    }
}

TEST(TruneFontTest, TextStylesHaveTheirSizeAndWeight)
{
    struct StyleCase {
        TruneTextStyle style;
        const char* name;
        int px;
        QFont::Weight weight;
    };
    const StyleCase styles[] = {
        {TruneTextStyle::body, "body", 13, QFont::Normal},
        {TruneTextStyle::callout, "callout", 12, QFont::Normal},
        {TruneTextStyle::headline, "headline", 13, QFont::DemiBold},
        {TruneTextStyle::subheadline, "subheadline", 11, QFont::Normal},
        {TruneTextStyle::caption, "caption", 10, QFont::Normal},
        {TruneTextStyle::title2, "title2", 17, QFont::Bold},
        {TruneTextStyle::title3, "title3", 15, QFont::Normal},
    };
    for (const StyleCase& style : styles) {
        SCOPED_TRACE(style.name);
        const QFont font = truneFont(style.style);
        EXPECT_NEAR(requestedPixels(font), style.px, 1e-9);
        EXPECT_EQ(QFontInfo(font).pixelSize(), style.px);
        EXPECT_EQ(font.weight(), style.weight);
        EXPECT_EQ(font.family(), QFont().family());

        // A given weight replaces the style's own; the size stays.
        const QFont light = truneFont(style.style, QFont::Light);
        EXPECT_EQ(light.weight(), QFont::Light);
        EXPECT_EQ(QFontInfo(light).pixelSize(), style.px);
    }
}
