#include "kit/ui/TruneGlassCard.h"
#include "kit/ui/TruneGlassInputField.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneGroundBackground.h"
#include "tests/kit/ui/GlassPixels.h"
#include "tests/support/Screenshots.h"

#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>

using namespace Qt::StringLiterals;
using GlassPixels::alphaOver;
using GlassPixels::expectPixel;

namespace {

const QColor white(255, 255, 255);

QColor mix(const QColor& from, const QColor& to, double t)
{
    return QColor::fromRgbF(from.redF() + (to.redF() - from.redF()) * t,
        from.greenF() + (to.greenF() - from.greenF()) * t, from.blueF() + (to.blueF() - from.blueF()) * t);
}

// The ground's diagonal gradient alone at the centre of pixel (x, y) of a w x h ground.
QColor gradientAt(const TruneGroundStops& stops, int x, int y, int w, int h)
{
    const double px = x + 0.5;
    const double py = y + 0.5;
    const double t = (px * w + py * h) / (double(w) * w + double(h) * h);
    return t < 0.5 ? mix(stops.topLeft, stops.middle, t / 0.5) : mix(stops.middle, stops.bottomRight, (t - 0.5) / 0.5);
}

} // namespace

TEST(TruneGroundBackgroundTest, PaintsTheDiagonalGradientUnderACornerGlow)
{
    const TruneProductPalette palette = TruneProductPalette::deepEmerald;
    const TruneGroundStops stops = groundStops(palette);
    TruneGroundBackground ground(palette);
    constexpr int w = 800;
    constexpr int h = 600;
    const QImage image = GlassPixels::rendered(ground, {w, h});

    struct Probe {
        const char* where;
        int x;
        int y;
        double glow;
    };
    // Glow: 0.09 inside radius 20, fading linearly to nothing at radius 520.
    const Probe probes[] = {
        {"top-left corner", 0, 0, 0.09},
        {"inside the start radius", 12, 12, 0.09},
        {"halfway through the glow", 270, 0, 0.09 * 0.5},
        {"past the glow", 0, 540, 0},
        {"bottom-right corner", w - 1, h - 1, 0},
        {"top-right corner", w - 1, 0, 0},
    };
    for (const Probe& probe : probes) {
        const QColor base = gradientAt(stops, probe.x, probe.y, w, h);
        expectPixel(image.pixel(probe.x, probe.y), mix(base, white, probe.glow), 255, probe.where);
    }
    expectPixel(image.pixel(0, 0), mix(stops.topLeft, white, 0.09), 255, "corner stop");
    expectPixel(image.pixel(w - 1, h - 1), stops.bottomRight, 255, "corner stop");

    saveScreenshot(ground, u"kit-glass-ground-deepEmerald"_s);
}

// The ground and the card are drawn once into an image that their frames copy from: after a
// resize, or on a denser device, each must be drawn afresh rather than cut from or stretched out
// of the old image.
TEST(TruneGlassSurfacesTest, DrawThemselvesAfreshForANewSizeOrDensity)
{
    const std::function<std::unique_ptr<QWidget>()> surfaces[] = {
        [] { return std::make_unique<TruneGroundBackground>(TruneProductPalette::deepEmerald); },
        [] { return std::make_unique<TruneGlassCard>(16, 12); },
    };
    struct Case {
        const char* what;
        QSize size;
        qreal devicePixelRatio;
    };
    const Case cases[] = {
        {"smaller", {400, 300}, 1},
        {"larger", {900, 700}, 1},
        {"denser", {900, 700}, 2},
        {"back to the screen's density", {900, 700}, 1},
    };
    for (const auto& make : surfaces) {
        const std::unique_ptr<QWidget> surface = make();
        SCOPED_TRACE(surface->metaObject()->className());
        GlassPixels::rendered(*surface, {800, 600});
        for (const Case& c : cases) {
            SCOPED_TRACE(c.what);
            EXPECT_EQ(GlassPixels::rendered(*surface, c.size, c.devicePixelRatio),
                GlassPixels::rendered(*make(), c.size, c.devicePixelRatio));
        }
    }
}

// Standard controls on a ground take their selection colour and field colour from that ground's
// palette, so a violet window never shows emerald selections.
TEST(TruneGroundBackgroundTest, ControlsOnTheGroundTakeItsPalettesAccentAndFieldColour)
{
    for (const TruneProductPalette palette : {TruneProductPalette::deepViolet, TruneProductPalette::deepEmerald}) {
        SCOPED_TRACE(rawValue(palette).toStdString());
        TruneGroundBackground ground(palette);
        auto* field = new QLineEdit(&ground);
        for (const QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive}) {
            EXPECT_EQ(field->palette().color(group, QPalette::Highlight), accentColor(palette));
            EXPECT_EQ(field->palette().color(group, QPalette::Base), groundStops(palette).middle);
        }
        EXPECT_EQ(field->palette().color(QPalette::Active, QPalette::Text), TruneGlassTokens::textPrimary());
    }
    QWidget violet;
    truneApplyGlassPalette(violet, TruneProductPalette::deepViolet);
    EXPECT_EQ(violet.palette().color(QPalette::Highlight), QColor(169, 139, 255));
    EXPECT_EQ(violet.palette().color(QPalette::Base), QColor(49, 31, 89));
}

TEST(TruneGlassCardTest, FillsItsRoundedRectAndDrawsTheBorderInsideTheEdge)
{
    TruneGlassCard card(16, 12);
    const QImage image = GlassPixels::rendered(card, {200, 100});
    const int fill = alphaOver(0.06);
    const int border = alphaOver(0.14, 0.06);

    expectPixel(image.pixel(0, 0), white, 0, "outside the rounded corner");
    expectPixel(image.pixel(199, 99), white, 0, "outside the rounded corner");
    expectPixel(image.pixel(0, 50), white, border, "left edge");
    expectPixel(image.pixel(199, 50), white, border, "right edge");
    expectPixel(image.pixel(100, 0), white, border, "top edge");
    expectPixel(image.pixel(100, 99), white, border, "bottom edge");
    expectPixel(image.pixel(1, 50), white, fill, "just inside the border");
    expectPixel(image.pixel(100, 50), white, fill, "middle");
}

TEST(TruneGlassCardTest, PadsItsContentOnEveryEdge)
{
    TruneGlassCard card(16, 12);
    auto* label = new QLabel(u"Glass"_s);
    card.setContent(label);
    EXPECT_EQ(card.content(), label);
    card.resize(200, 100);
    card.layout()->activate();
    EXPECT_EQ(label->geometry(), QRect(16, 16, 168, 68));

    // Replacing the content drops the old one; content deleted elsewhere is forgotten.
    auto* replacement = new QLabel(u"Other"_s);
    card.setContent(replacement);
    EXPECT_EQ(card.content(), replacement);
    delete replacement;
    EXPECT_EQ(card.content(), nullptr);
    card.setContent(new QLabel(u"Again"_s));
    EXPECT_NE(card.content(), nullptr);
}

TEST(TruneGlassCardTest, StaysCrispAtDoubleDensity)
{
    TruneGlassCard card(16, 12);
    const QImage image = GlassPixels::rendered(card, {200, 100}, 2);
    const int border = alphaOver(0.14, 0.06);
    // The 1 px border covers two device pixels.
    expectPixel(image.pixel(0, 100), white, border, "outer device pixel");
    expectPixel(image.pixel(1, 100), white, border, "inner device pixel");
    expectPixel(image.pixel(2, 100), white, alphaOver(0.06), "fill");
}

TEST(TruneGlassInputFieldTest, GivesTheFieldTheGlassLook)
{
    QLineEdit field;
    truneGlassInputField(field, 8, 10, 6);
    EXPECT_FALSE(field.hasFrame());
    EXPECT_EQ(field.font().weight(), QFont::Normal);

    const QImage empty = GlassPixels::rendered(field, {200, 32});
    expectPixel(empty.pixel(0, 0), white, 0, "outside the rounded corner");
    expectPixel(empty.pixel(0, 16), white, alphaOver(0.14, 0.10), "left edge");
    expectPixel(empty.pixel(100, 31), white, alphaOver(0.14, 0.10), "bottom edge");
    expectPixel(empty.pixel(100, 16), white, alphaOver(0.10), "inside");

    // Styling the field again replaces the look instead of painting it twice.
    truneGlassInputField(field, 8, 10, 6);
    expectPixel(GlassPixels::rendered(field, {200, 32}).pixel(100, 16), white, alphaOver(0.10), "restyled");

    // The text starts about the horizontal padding from the edge and is drawn in textPrimary.
    field.setText(u"Wide"_s);
    const QImage typed = GlassPixels::rendered(field, {200, 32});
    int firstTextColumn = -1;
    int strongest = 0;
    for (int x = 0; x < typed.width() && firstTextColumn < 0; ++x) {
        for (int y = 2; y < typed.height() - 2; ++y) {
            if (qAlpha(typed.pixel(x, y)) > alphaOver(0.5, 0.10)) {
                firstTextColumn = x;
                break;
            }
        }
    }
    for (int y = 0; y < typed.height(); ++y) {
        for (int x = 2; x < typed.width() - 2; ++x)
            strongest = std::max(strongest, qAlpha(typed.pixel(x, y)));
    }
    EXPECT_GE(firstTextColumn, 10);
    EXPECT_LE(firstTextColumn, 14);
    EXPECT_NEAR(strongest, alphaOver(0.96, 0.10), 3);
}

TEST(TruneGlassSurfacesTest, Screenshots)
{
    TruneGroundBackground ground(TruneProductPalette::deepEmerald);
    auto* column = new QVBoxLayout(&ground);
    column->setContentsMargins(24, 24, 24, 24);
    auto* card = new TruneGlassCard(16, 14);
    auto* inside = new QWidget;
    auto* fields = new QVBoxLayout(inside);
    fields->setContentsMargins(0, 0, 0, 0);
    auto* title = new QLabel(u"Search apps"_s);
    title->setTextFormat(Qt::PlainText);
    title->setStyleSheet(u"color: white"_s);
    auto* field = new QLineEdit;
    truneGlassInputField(*field, 8, 10, 6);
    field->setPlaceholderText(u"Name or bundle id"_s);
    auto* filled = new QLineEdit(u"TruneUpdate"_s);
    truneGlassInputField(*filled, 8, 10, 6);
    fields->addWidget(title);
    fields->addWidget(field);
    fields->addWidget(filled);
    card->setContent(inside);
    column->addWidget(card);
    column->addStretch();
    ground.resize(360, 220);
    ground.layout()->activate();
    saveScreenshot(ground, u"kit-glass-card-en"_s);

    // The card holds the title, the empty field with its hint and the filled one, one under
    // another, none squeezed below its height.
    EXPECT_EQ(title->text(), u"Search apps"_s);
    EXPECT_TRUE(field->text().isEmpty());
    EXPECT_EQ(field->placeholderText(), u"Name or bundle id"_s);
    EXPECT_EQ(filled->text(), u"TruneUpdate"_s);
    for (const QWidget* shown : std::initializer_list<const QWidget*>{title, field, filled})
        EXPECT_GE(shown->height(), shown->sizeHint().height());
    expectEveryWidgetShownWhole(ground);
    expectNoneOverlap({title, field, filled});
}
