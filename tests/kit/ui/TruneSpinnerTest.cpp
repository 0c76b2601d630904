#include "kit/ui/TruneSpinner.h"

#include "kit/ui/TruneAnimations.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneProductPalette.h"
#include "tests/support/Screenshots.h"

#include <QHBoxLayout>
#include <QImage>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

class TruneSpinnerTest : public ::testing::Test {
protected:
    void SetUp() override { TruneAnimations::setEnabled(false); }
    void TearDown() override { TruneAnimations::setEnabled(m_wasEnabled); }

private:
    bool m_wasEnabled = TruneAnimations::enabled();
};

QImage rendered(TruneSpinner& spinner, const QColor& colour)
{
    QPalette palette = spinner.palette();
    palette.setColor(QPalette::WindowText, colour);
    spinner.setPalette(palette);
    spinner.resize(spinner.sizeHint());
    QImage image(spinner.size(), QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    spinner.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

void expectColour(QRgb pixel, const QColor& colour, int alpha, const char* where)
{
    SCOPED_TRACE(where);
    EXPECT_NEAR(qAlpha(pixel), alpha, 3);
    if (qAlpha(pixel) > 0) {
        // Premultiplied on the way in and out: allow the rounding that comes with a low alpha.
        EXPECT_NEAR(qRed(pixel), colour.red(), 3);
        EXPECT_NEAR(qGreen(pixel), colour.green(), 3);
        EXPECT_NEAR(qBlue(pixel), colour.blue(), 3);
    }
}

} // namespace

TEST_F(TruneSpinnerTest, HasTheSizeOfItsControlSize)
{
    TruneSpinner spinner;
    EXPECT_EQ(spinner.sizeHint(), QSize(16, 16));
    EXPECT_EQ(spinner.minimumSizeHint(), QSize(16, 16));
    EXPECT_EQ(spinner.sizePolicy(), QSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed));

    spinner.setSpinnerSize(TruneSpinnerSize::regular);
    EXPECT_EQ(spinner.spinnerSize(), TruneSpinnerSize::regular);
    EXPECT_EQ(spinner.sizeHint(), QSize(20, 20));
}

TEST_F(TruneSpinnerTest, TurnsOnlyWhileShownWithAnimationsOn)
{
    QWidget window;
    auto* spinner = new TruneSpinner(TruneSpinnerSize::small, &window);
    EXPECT_FALSE(spinner->isTurning());

    TruneAnimations::setEnabled(true);
    window.show();
    EXPECT_TRUE(spinner->isTurning());
    spinner->hide();
    EXPECT_FALSE(spinner->isTurning());
    spinner->show();
    EXPECT_TRUE(spinner->isTurning());
    window.hide();
    EXPECT_FALSE(spinner->isTurning());

    TruneAnimations::setEnabled(false);
    window.show();
    EXPECT_FALSE(spinner->isTurning());
    EXPECT_EQ(spinner->angle(), 0);
}

TEST_F(TruneSpinnerTest, PaintsABrightArcFromTwelveOClockOverAFaintRing)
{
    TruneSpinner spinner(TruneSpinnerSize::regular);
    const QColor colour = TruneGlassTokens::success();
    const QImage image = rendered(spinner, colour);

    // A ring of width 2.5 inside the 20 x 20 square; the arc covers 12 o'clock to past 3 o'clock.
    expectColour(image.pixel(15, 3), colour, 255, "arc at half past one");
    expectColour(image.pixel(18, 9), colour, 255, "arc at three o'clock");
    expectColour(image.pixel(9, 18), colour, 56, "ring at six o'clock");
    expectColour(image.pixel(1, 9), colour, 56, "ring at nine o'clock");
    expectColour(image.pixel(10, 10), colour, 0, "centre");
    expectColour(image.pixel(0, 0), colour, 0, "corner");
}

TEST_F(TruneSpinnerTest, Screenshot)
{
    QWidget ground;
    ground.setAutoFillBackground(true);
    QPalette palette = ground.palette();
    palette.setColor(QPalette::Window, groundStops(TruneProductPalette::deepEmerald).middle);
    palette.setColor(QPalette::WindowText, TruneGlassTokens::textSecondary());
    ground.setPalette(palette);
    auto* row = new QHBoxLayout(&ground);
    row->setContentsMargins(12, 12, 12, 12);
    row->setSpacing(12);
    auto* small = new TruneSpinner(TruneSpinnerSize::small);
    auto* regular = new TruneSpinner(TruneSpinnerSize::regular);
    row->addWidget(small);
    row->addWidget(regular);
    auto* accent = new TruneSpinner(TruneSpinnerSize::regular);
    QPalette accentPalette = accent->palette();
    accentPalette.setColor(QPalette::WindowText, accentColor(TruneProductPalette::deepEmerald));
    accent->setPalette(accentPalette);
    row->addWidget(accent);
    ground.adjustSize();
    saveScreenshot(ground, u"kit-widgets-spinners"_s);

    // A small spinner beside two regular ones, each at its control size.
    for (const TruneSpinner* spinner : {small, regular, accent})
        EXPECT_EQ(spinner->size(), spinner->sizeHint());
    EXPECT_LT(small->width(), regular->width());
    EXPECT_EQ(regular->size(), accent->size());
    expectEveryWidgetShownWhole(ground);
    expectNoneOverlap({small, regular, accent});
}
