#include "kit/ui/TruneGlassButtons.h"
#include "kit/ui/TruneAnimations.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneGroundBackground.h"
#include "tests/kit/ui/GlassPixels.h"
#include "tests/support/Screenshots.h"

#include <QApplication>
#include <QFontMetricsF>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

using namespace Qt::StringLiterals;
using GlassPixels::alphaOver;
using GlassPixels::expectPixel;

namespace {

const QColor white(255, 255, 255);
const QSize buttonSize(200, 40);

class GlassButtonsTest : public ::testing::Test {
protected:
    void SetUp() override { TruneAnimations::setEnabled(false); }
    void TearDown() override { TruneAnimations::setEnabled(true); }
};

// The first and last columns of `row` painted at least half opaque.
std::pair<int, int> paintedColumns(const QImage& image, int row)
{
    int first = -1;
    int last = -1;
    for (int x = 0; x < image.width(); ++x) {
        if (qAlpha(image.pixel(x, row)) >= 128) {
            if (first < 0)
                first = x;
            last = x;
        }
    }
    return {first, last};
}

// The bounding box of the dark (text) pixels on the light primary button.
QRect darkPixels(const QImage& image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            if (qAlpha(pixel) > 128 && qRed(pixel) < 128)
                box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

void press(QAbstractButton& button, QPoint at)
{
    QMouseEvent event(QEvent::MouseButtonPress, QPointF(at), button.mapToGlobal(QPointF(at)), Qt::LeftButton,
        Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&button, &event);
}

} // namespace

TEST_F(GlassButtonsTest, ButtonsUseTheirFontsAndSizeToTheirLabel)
{
    const TrunePrimaryButton primary(u"Update all"_s);
    const TruneGlassButton glass(u"Outdated"_s);
    EXPECT_EQ(primary.font().weight(), QFont::DemiBold);
    EXPECT_EQ(glass.font().weight(), QFont::Medium);
    EXPECT_EQ(primary.focusPolicy(), Qt::TabFocus);
    EXPECT_EQ(glass.focusPolicy(), Qt::TabFocus);

    const QFontMetricsF primaryMetrics(primary.font());
    EXPECT_EQ(primary.sizeHint(),
        QSize(static_cast<int>(std::ceil(primaryMetrics.horizontalAdvance(primary.text()) + 28)),
            static_cast<int>(std::ceil(primaryMetrics.height() + 14))));
    const QFontMetricsF glassMetrics(glass.font());
    EXPECT_EQ(glass.sizeHint(),
        QSize(static_cast<int>(std::ceil(glassMetrics.horizontalAdvance(glass.text()) + 22)),
            static_cast<int>(std::ceil(glassMetrics.height() + 12))));
}

TEST_F(GlassButtonsTest, APrimaryButtonsSymbolStandsBeforeItsText)
{
    TrunePrimaryButton button(u"Move"_s);
    const QSize plain = button.sizeHint();
    button.setSymbol(u"trash.fill"_s);
    const qreal symbol = std::round(QFontMetricsF(button.font()).ascent());
    EXPECT_EQ(button.sizeHint(), QSize(plain.width() + static_cast<int>(symbol + 5), plain.height()));
    EXPECT_EQ(button.minimumSizeHint().width(), static_cast<int>(28 + symbol + 5));
}

TEST_F(GlassButtonsTest, DisabledButtonsAreDrawnFaded)
{
    TrunePrimaryButton primary(u"Go"_s);
    TruneGlassButton glass(u"Go"_s);
    primary.setEnabled(false);
    glass.setEnabled(false);
    expectPixel(GlassPixels::rendered(primary, buttonSize).pixel(100, 2), white, alphaOver(0.96 * 0.45),
        "disabled primary fill");
    expectPixel(
        GlassPixels::rendered(glass, buttonSize).pixel(100, 3), white, alphaOver(0.10 * 0.45), "disabled glass fill");
}

TEST_F(GlassButtonsTest, PrimaryButtonDimsAndShrinksAboutItsCentreWhileHeld)
{
    TrunePrimaryButton button(u"Go"_s);
    const QImage resting = GlassPixels::rendered(button, buttonSize);
    button.setDown(true);
    const QImage held = GlassPixels::rendered(button, buttonSize);

    expectPixel(resting.pixel(100, 2), white, alphaOver(0.96), "resting fill");
    expectPixel(held.pixel(100, 3), white, alphaOver(0.82), "held fill");
    expectPixel(resting.pixel(0, 0), white, 0, "outside the rounded corner");

    // 98 % of 200 is 196, centred: the painted row runs from 2 to 197 instead of 0 to 199.
    EXPECT_EQ(paintedColumns(resting, 20), std::make_pair(0, 199));
    EXPECT_EQ(paintedColumns(held, 20), std::make_pair(2, 197));

    button.setDown(false);
    const QImage released = GlassPixels::rendered(button, buttonSize);
    EXPECT_EQ(paintedColumns(released, 20), std::make_pair(0, 199));
    expectPixel(released.pixel(100, 2), white, alphaOver(0.96), "released fill");
}

TEST_F(GlassButtonsTest, PrimaryButtonAnimatesThePressOnlyWhenAnimationsAreOn)
{
    TrunePrimaryButton button(u"Go"_s);
    button.setDown(true);
    GlassPixels::rendered(button, buttonSize);
    EXPECT_EQ(button.pressProgress(), 1);

    TruneAnimations::setEnabled(true);
    TrunePrimaryButton animated(u"Go"_s);
    animated.setDown(true);
    const QImage start = GlassPixels::rendered(animated, buttonSize);
    // The animation has only begun: the button is still painted at rest.
    EXPECT_LT(animated.pressProgress(), 1);
    EXPECT_EQ(paintedColumns(start, 20).first, 0);
}

TEST_F(GlassButtonsTest, GlassButtonColoursFollowActiveAndHeld)
{
    struct Case {
        const char* name;
        bool active;
        bool down;
        double fill;
        double border;
    };
    const std::vector<Case> cases{
        {"inactive", false, false, 0.10, 0.14},
        {"active", true, false, 0.16, 0.28},
        {"inactive held", false, true, 0.10 * 0.78, 0.14 * 0.78},
        {"active held", true, true, 0.16 * 0.78, 0.28 * 0.78},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TruneGlassButton button(u"Chip"_s, c.active);
        EXPECT_EQ(button.isActive(), c.active);
        button.setDown(c.down);
        const QImage image = GlassPixels::rendered(button, buttonSize);
        expectPixel(image.pixel(0, 0), white, 0, "outside the rounded corner");
        expectPixel(image.pixel(0, 20), white, alphaOver(c.border, c.fill), "left edge");
        expectPixel(image.pixel(100, 0), white, alphaOver(c.border, c.fill), "top edge");
        expectPixel(image.pixel(100, 2), white, alphaOver(c.fill), "fill");
        // No scaling while held: the edge columns stay painted.
        EXPECT_GT(qAlpha(image.pixel(0, 20)), 0);
        EXPECT_GT(qAlpha(image.pixel(199, 20)), 0);
    }

    TruneGlassButton toggled(u"Chip"_s);
    toggled.setActive(true);
    EXPECT_TRUE(toggled.isActive());
}

TEST_F(GlassButtonsTest, LabelsStayOnOneLineAndAreElidedWhenNarrow)
{
    TrunePrimaryButton button(u"Update every outdated application now"_s);
    const int lineHeight = static_cast<int>(std::ceil(QFontMetricsF(button.font()).height()));
    const QImage narrow = GlassPixels::rendered(button, {90, button.sizeHint().height()});
    const QRect text = darkPixels(narrow);
    ASSERT_FALSE(text.isEmpty());
    EXPECT_GE(text.left(), 14);
    EXPECT_LE(text.right(), 90 - 14);
    EXPECT_LE(text.height(), lineHeight);
}

TEST_F(GlassButtonsTest, OnlyPressesInsideTheRoundedShapeCount)
{
    TrunePrimaryButton primary(u"Go"_s);
    TruneGlassButton glass(u"Chip"_s);
    for (QAbstractButton* button : std::initializer_list<QAbstractButton*>{&primary, &glass}) {
        button->resize(buttonSize);
        int presses = 0;
        QObject::connect(button, &QAbstractButton::pressed, [&presses] { ++presses; });
        press(*button, {0, 0});
        EXPECT_EQ(presses, 0) << "the corner lies outside the shape";
        press(*button, {100, 20});
        EXPECT_EQ(presses, 1);
        button->setDown(false);
    }
}

TEST_F(GlassButtonsTest, Screenshots)
{
    struct Labels {
        const char* lang;
        QString primary;
        QString active;
        QString inactive;
    };
    const Labels languages[] = {
        {"en", u"Update all"_s, u"Outdated"_s, u"All apps"_s},
        {"tr", u"Tümünü güncelle"_s, u"Güncel olmayanlar"_s, u"Tüm uygulamalar"_s},
    };
    for (const Labels& labels : languages) {
        for (const bool held : {false, true}) {
            TruneGroundBackground ground(TruneProductPalette::deepEmerald);
            auto* row = new QHBoxLayout(&ground);
            row->setContentsMargins(20, 20, 20, 20);
            auto* primary = new TrunePrimaryButton(labels.primary);
            auto* active = new TruneGlassButton(labels.active, true);
            auto* inactive = new TruneGlassButton(labels.inactive, false);
            for (QAbstractButton* button : std::initializer_list<QAbstractButton*>{primary, active, inactive}) {
                button->setDown(held);
                row->addWidget(button);
            }
            ground.resize(ground.sizeHint().expandedTo({420, 70}));
            ground.layout()->activate();
            saveScreenshot(ground,
                u"kit-glass-buttons-%1-%2"_s.arg(held ? u"held"_s : u"rest"_s, QString::fromLatin1(labels.lang)));

            // The three kinds with their labels, pressed or at rest as the name says, none cut.
            EXPECT_EQ(primary->text(), labels.primary);
            EXPECT_EQ(active->text(), labels.active);
            EXPECT_EQ(inactive->text(), labels.inactive);
            EXPECT_TRUE(active->isActive());
            EXPECT_FALSE(inactive->isActive());
            for (const QAbstractButton* button :
                std::initializer_list<const QAbstractButton*>{primary, active, inactive}) {
                EXPECT_EQ(button->isDown(), held);
                EXPECT_GE(button->width(), button->sizeHint().width()) << button->text().toStdString();
            }
            expectEveryWidgetShownWhole(ground);
            expectNoneOverlap({primary, active, inactive});
        }
    }
}
