#include "kit/ui/TruneToastBanner.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneGroundBackground.h"
#include "tests/kit/ui/GlassPixels.h"
#include "tests/support/Screenshots.h"

#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <algorithm>

using namespace Qt::StringLiterals;
using GlassPixels::alphaOver;

namespace {

// The colour of the most strongly coloured pixel inside `area`, scaled so its largest channel
// is 1: the glyph's hue, whatever its antialiasing over the dark capsule.
std::array<double, 3> glyphHue(const QImage& image, const QRect& area)
{
    QRgb strongest = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qMax(qRed(pixel), qMax(qGreen(pixel), qBlue(pixel)))
                > qMax(qRed(strongest), qMax(qGreen(strongest), qBlue(strongest))))
                strongest = pixel;
        }
    }
    const double top = std::max({qRed(strongest), qGreen(strongest), qBlue(strongest), 1});
    return {qRed(strongest) / top, qGreen(strongest) / top, qBlue(strongest) / top};
}

std::array<double, 3> hueOf(const QColor& color)
{
    const double top = std::max({color.red(), color.green(), color.blue()});
    return {color.red() / top, color.green() / top, color.blue() / top};
}

void expectHue(const std::array<double, 3>& actual, const QColor& expected)
{
    const std::array<double, 3> wanted = hueOf(expected);
    for (int i = 0; i < 3; ++i)
        EXPECT_NEAR(actual[i], wanted[i], 0.1) << "channel " << i;
}

} // namespace

TEST(TruneToastBannerTest, ErrorsShowTheWarningTriangleOthersTheCheckMark)
{
    EXPECT_EQ(TruneToastBanner::symbol(true),
        (TruneToastBanner::Symbol{u"exclamationmark.triangle.fill"_s, TruneGlassTokens::warning()}));
    EXPECT_EQ(TruneToastBanner::symbol(false),
        (TruneToastBanner::Symbol{u"checkmark.circle.fill"_s, TruneGlassTokens::success()}));

    for (const bool isError : {true, false}) {
        SCOPED_TRACE(isError ? "error" : "success");
        TruneToastBanner toast(u"Saved"_s, isError);
        const QImage image = GlassPixels::rendered(toast, toast.sizeHint());
        expectHue(glyphHue(image, toast.symbolRect().toAlignedRect()),
            isError ? TruneGlassTokens::warning() : TruneGlassTokens::success());
    }
}

TEST(TruneToastBannerTest, PaintsADarkCapsuleWithAShadowBelowIt)
{
    TruneToastBanner toast(u"Homebrew finished"_s, false);
    const QSize size = toast.sizeHint();
    const QImage image = GlassPixels::rendered(toast, size);
    const QRect capsule = toast.capsuleRect().toRect();
    ASSERT_TRUE(QRect(QPoint(), size).contains(capsule));
    ASSERT_LT(capsule.height(), size.height());

    // Inside the capsule, past the text: black at 84 %, darkened a little by the shadow beneath.
    const QRgb inside = image.pixel(capsule.right() - 6, capsule.center().y());
    EXPECT_EQ(qRed(inside), 0);
    EXPECT_GE(qAlpha(inside), alphaOver(0.84) - 2);
    EXPECT_LE(qAlpha(inside), alphaOver(0.84, 0.35) + 2);
    // Beyond the rounded ends there is no capsule, only a faint shadow at most.
    EXPECT_LT(qAlpha(image.pixel(capsule.left(), capsule.top())), alphaOver(0.35));

    // The shadow falls 4 px down: below the capsule it is darker than above it.
    const int x = capsule.center().x();
    const int below = qAlpha(image.pixel(x, capsule.bottom() + 3));
    const int above = qAlpha(image.pixel(x, capsule.top() - 3));
    EXPECT_GT(below, 0);
    EXPECT_LE(below, alphaOver(0.35) + 2);
    EXPECT_GT(below, above);
}

TEST(TruneToastBannerTest, ShowsTheMessageVerbatimInWhite)
{
    const QString markup = u"<b>Not bold</b> & <i>not italic</i>"_s;
    TruneToastBanner toast(markup, true);
    EXPECT_EQ(toast.message(), markup);
    EXPECT_EQ(toast.accessibleName(), markup);
    EXPECT_GT(toast.sizeHint().width(), TruneToastBanner(u"Short"_s, true).sizeHint().width());

    const QImage image = GlassPixels::rendered(toast, toast.sizeHint());
    const QRect capsule = toast.capsuleRect().toRect();
    const int textLeft = toast.symbolRect().toAlignedRect().right() + 8;
    int whitest = 0;
    for (int y = capsule.top(); y <= capsule.bottom(); ++y) {
        for (int x = textLeft; x < capsule.right() - 16; ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qRed(pixel) == qGreen(pixel) && qGreen(pixel) == qBlue(pixel))
                whitest = std::max(whitest, qRed(pixel));
        }
    }
    EXPECT_GE(whitest, 250);
}

TEST(TruneToastBannerTest, Screenshots)
{
    struct Shot {
        const char* name;
        QString message;
        bool isError;
    };
    const Shot shots[] = {
        {"kit-glass-toast-success-en", u"3 apps updated"_s, false},
        {"kit-glass-toast-success-tr", u"3 uygulama güncellendi"_s, false},
        {"kit-glass-toast-error-en", u"Homebrew could not be found."_s, true},
        {"kit-glass-toast-error-tr", u"Homebrew bulunamadı."_s, true},
    };
    for (const Shot& shot : shots) {
        TruneGroundBackground ground(TruneProductPalette::deepEmerald);
        auto* column = new QVBoxLayout(&ground);
        column->setContentsMargins(16, 16, 16, 16);
        auto* banner = new TruneToastBanner(shot.message, shot.isError);
        column->addWidget(banner, 0, Qt::AlignCenter);
        ground.resize(360, 90);
        ground.layout()->activate();
        saveScreenshot(ground, QString::fromLatin1(shot.name));

        // The whole message with the glyph of its kind, the capsule and glyph inside the banner.
        EXPECT_EQ(banner->message(), shot.message);
        EXPECT_EQ(banner->isError(), shot.isError);
        EXPECT_GE(banner->width(), banner->sizeHint().width());
        EXPECT_TRUE(QRectF(banner->rect()).contains(banner->capsuleRect()));
        EXPECT_TRUE(banner->capsuleRect().contains(banner->symbolRect()));
        expectEveryWidgetShownWhole(ground);
    }
}
