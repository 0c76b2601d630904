#include "kit/ui/TruneVersionBadge.h"

#include "kit/ui/TruneProductPalette.h"
#include "tests/support/Screenshots.h"

#include <QFontInfo>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QImage>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

const TruneAppVersion version{QStringLiteral("1.0.0"), QStringLiteral("100")};

// The badge painted at its size hint onto a fully transparent image, one pixel per point.
QImage rendered(TruneVersionBadge& badge)
{
    badge.resize(badge.sizeHint());
    QImage image(badge.size(), QImage::Format_ARGB32);
    image.setDevicePixelRatio(1);
    image.fill(Qt::transparent);
    badge.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

// Alpha of white at `top` painted over white at `bottom` (source-over).
int alphaOver(double top, double bottom)
{
    return static_cast<int>(std::lround((top + bottom * (1 - top)) * 255));
}

void expectWhiteWithAlpha(QRgb pixel, int alpha, const char* where)
{
    SCOPED_TRACE(where);
    EXPECT_NEAR(qAlpha(pixel), alpha, 4);
    if (qAlpha(pixel) > 0) {
        EXPECT_EQ(qRed(pixel), 255);
        EXPECT_EQ(qGreen(pixel), 255);
        EXPECT_EQ(qBlue(pixel), 255);
    }
}

} // namespace

TEST(TruneVersionBadgeTest, ShowsTheTagOrTheDetailedForm)
{
    const TruneVersionBadge withBuild(version, true);
    const TruneVersionBadge withoutBuild(version, false);
    EXPECT_EQ(withBuild.text(), QStringLiteral("v1.0.0 (100)"));
    EXPECT_EQ(withoutBuild.text(), QStringLiteral("v1.0.0"));

    // Monospaced: the six extra characters " (100)" widen the badge by six advances.
    const QFontMetricsF metrics(withBuild.font());
    EXPECT_TRUE(QFontInfo(withBuild.font()).fixedPitch());
    EXPECT_NEAR(withBuild.sizeHint().width() - withoutBuild.sizeHint().width(), 6 * metrics.horizontalAdvance(u'0'), 1);
    EXPECT_EQ(withBuild.sizeHint().height(), withoutBuild.sizeHint().height());
}

TEST(TruneVersionBadgeTest, SizeHintIsTheTextPlusItsPadding)
{
    const TruneVersionBadge badge(version, false);
    const QFontMetricsF metrics(badge.font());
    // Ten device-independent pixels, not ten points (13.3 px at 96 dpi).
    EXPECT_EQ(QFontInfo(badge.font()).pixelSize(), 10);
    EXPECT_EQ(badge.font().weight(), QFont::DemiBold);
    EXPECT_EQ(badge.sizeHint().width(), std::ceil(metrics.horizontalAdvance(badge.text()) + 14));
    EXPECT_EQ(badge.sizeHint().height(), std::ceil(metrics.height() + 5));
}

TEST(TruneVersionBadgeTest, PaintsAFilledCapsuleWithAnInsideBorder)
{
    TruneVersionBadge badge(version, true);
    const QImage image = rendered(badge);
    const int middle = image.height() / 2;
    constexpr double fill = 0.10;
    constexpr double border = 0.14;

    // Outside the rounded ends nothing is painted.
    expectWhiteWithAlpha(image.pixel(0, 0), 0, "top-left corner");
    expectWhiteWithAlpha(image.pixel(image.width() - 1, image.height() - 1), 0, "bottom-right corner");
    // The 1 px border lies wholly inside the edge, over the fill ...
    expectWhiteWithAlpha(image.pixel(0, middle), alphaOver(border, fill), "left edge");
    expectWhiteWithAlpha(image.pixel(image.width() - 1, middle), alphaOver(border, fill), "right edge");
    expectWhiteWithAlpha(image.pixel(image.width() / 2, 0), alphaOver(border, fill), "top edge");
    // ... and just inside it, before the padding ends, there is the fill alone.
    expectWhiteWithAlpha(image.pixel(3, middle), alphaOver(fill, 0), "padding");
}

TEST(TruneVersionBadgeTest, PaintsTheTextInTheSecondaryTextColour)
{
    TruneVersionBadge badge(version, true);
    const QImage image = rendered(badge);

    int strongest = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 7; x < image.width() - 7; ++x)
            strongest = std::max(strongest, qAlpha(image.pixel(x, y)));
    }
    // Glyph pixels reach the text colour (white at 72 %) over the fill, and never exceed it.
    EXPECT_GT(strongest, alphaOver(0.5, 0.10));
    EXPECT_LE(strongest, alphaOver(0.72, 0.10) + 2);
}

TEST(TruneVersionBadgeTest, ScreenshotOnTheGround)
{
    QWidget ground;
    QPalette palette = ground.palette();
    palette.setColor(QPalette::Window, groundStops(TruneProductPalette::deepEmerald).middle);
    ground.setPalette(palette);
    ground.setAutoFillBackground(true);
    auto* layout = new QHBoxLayout(&ground);
    auto* tag = new TruneVersionBadge(version, false);
    auto* detailed = new TruneVersionBadge(version, true);
    layout->addWidget(tag);
    layout->addWidget(detailed);
    ground.adjustSize();
    saveScreenshot(ground, u"kit-versionbadge-tagandbuild"_s);

    // The tag and the detailed form side by side, each at its full width.
    EXPECT_EQ(tag->text(), u"v1.0.0"_s);
    EXPECT_EQ(detailed->text(), u"v1.0.0 (100)"_s);
    for (const TruneVersionBadge* badge : {tag, detailed})
        EXPECT_EQ(badge->size(), badge->sizeHint()) << badge->text().toStdString();
    expectEveryWidgetShownWhole(ground);
    expectNoneOverlap({tag, detailed});
}
