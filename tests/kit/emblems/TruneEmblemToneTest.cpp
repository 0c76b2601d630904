#include "kit/emblems/TruneEmblemTone.h"
#include "kit/emblems/TruneEmblemInterpreter.h"

#include "EmblemProbe.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <array>

namespace {

const QColor red = QColor::fromRgbF(0.8F, 0.1F, 0.2F, 1);
const QColor blue = QColor::fromRgbF(0.1F, 0.3F, 0.9F, 0.9F);
const TruneEmblemTone flat = TruneEmblemTone::flatLight(red, blue);
const TruneEmblemTone& glass = TruneEmblemTone::whiteGlass();

QColor withAlpha(QColor color, float alpha)
{
    color.setAlphaF(alpha);
    return color;
}

QColor pale(float alpha)
{
    return QColor::fromRgbF(238 / 255.0F, 241 / 255.0F, 247 / 255.0F, alpha);
}

struct PaintCase {
    const char* name;
    TruneFlatPaint actual;
    TruneFlatPaint expected;
};

void expectSamePaint(const PaintCase& c)
{
    SCOPED_TRACE(c.name);
    EXPECT_EQ(c.actual.kind, c.expected.kind);
    if (c.expected.kind == TruneFlatPaint::Kind::cutout) {
        EXPECT_NEAR(c.actual.cutoutAlpha, c.expected.cutoutAlpha, 1e-9);
    } else {
        EXPECT_EQ(c.actual.color.rgb(), c.expected.color.rgb());
        EXPECT_NEAR(c.actual.color.alphaF(), c.expected.color.alphaF(), 1e-4);
    }
}

} // namespace

TEST(TruneEmblemToneTest, ReadyTonesHoldTheirColoursAndSwitch)
{
    EXPECT_TRUE(glass.isWhiteGlass);
    EXPECT_EQ(glass.primaryColor.rgb(), qRgb(255, 255, 255));
    EXPECT_NEAR(glass.primaryColor.alphaF(), 0.98, 1e-4);
    EXPECT_EQ(glass.accentColor.rgb(), qRgb(255, 255, 255));
    EXPECT_NEAR(glass.accentColor.alphaF(), 0.72, 1e-4);
    EXPECT_EQ(&glass, &TruneEmblemTone::whiteGlass());

    EXPECT_FALSE(flat.isWhiteGlass);
    EXPECT_EQ(flat.primaryColor, red);
    EXPECT_EQ(flat.accentColor, blue);
}

TEST(TruneEmblemToneTest, DerivedPaintsInBothLooks)
{
    const std::array cases{
        PaintCase{"glass primary", glass.primary(), TruneFlatPaint::ofColor(glass.primaryColor)},
        PaintCase{"glass accent", glass.accent(), TruneFlatPaint::ofColor(glass.accentColor)},
        PaintCase{"glass onPrimaryAccent erases 86 %", glass.onPrimaryAccent(), TruneFlatPaint::ofCutout(0.86)},
        PaintCase{"glass cutout 0.2 clamps up", glass.cutout(0.2), TruneFlatPaint::ofCutout(0.55)},
        PaintCase{"glass cutout 0.5 deepens", glass.cutout(0.5), TruneFlatPaint::ofCutout(0.575)},
        PaintCase{"glass cutout 0.9 clamps down", glass.cutout(0.9), TruneFlatPaint::ofCutout(1)},
        PaintCase{"glass cutout 1", glass.cutout(1), TruneFlatPaint::ofCutout(1)},
        PaintCase{"glass mid", glass.mid(), TruneFlatPaint::ofColor(withAlpha(Qt::white, 0.46F))},
        PaintCase{"glass soft", glass.soft(), TruneFlatPaint::ofColor(withAlpha(Qt::white, 0.16F))},
        PaintCase{"glass stroke", glass.stroke(), TruneFlatPaint::ofColor(withAlpha(Qt::white, 0.42F))},
        PaintCase{"glass primaryAlpha", glass.primaryAlpha(0.3), TruneFlatPaint::ofColor(withAlpha(Qt::white, 0.3F))},
        PaintCase{"glass accentAlpha", glass.accentAlpha(0.6), TruneFlatPaint::ofColor(withAlpha(Qt::white, 0.6F))},
        PaintCase{"flat primary", flat.primary(), TruneFlatPaint::ofColor(red)},
        PaintCase{"flat accent", flat.accent(), TruneFlatPaint::ofColor(blue)},
        PaintCase{"flat onPrimaryAccent paints the accent", flat.onPrimaryAccent(), TruneFlatPaint::ofColor(blue)},
        PaintCase{"flat cutout 0.88 is pale", flat.cutout(0.88), TruneFlatPaint::ofColor(pale(0.88F))},
        PaintCase{"flat cutout 0.2 is not clamped", flat.cutout(0.2), TruneFlatPaint::ofColor(pale(0.2F))},
        PaintCase{"flat mid", flat.mid(), TruneFlatPaint::ofColor(withAlpha(red, 0.46F))},
        PaintCase{"flat soft", flat.soft(), TruneFlatPaint::ofColor(withAlpha(red, 0.11F))},
        PaintCase{"flat stroke", flat.stroke(), TruneFlatPaint::ofColor(withAlpha(red, 0.28F))},
        PaintCase{"flat primaryAlpha", flat.primaryAlpha(0.3), TruneFlatPaint::ofColor(withAlpha(red, 0.3F))},
        PaintCase{"flat accentAlpha replaces the alpha", flat.accentAlpha(0.6),
            TruneFlatPaint::ofColor(withAlpha(blue, 0.6F))},
    };
    for (const PaintCase& c : cases)
        expectSamePaint(c);
}

TEST(TruneEmblemToneTest, CutoutKeepsTheRestOfTheCoverageBeneath)
{
    const QPainterPath square = TruneEmblemInterpreter::pathOf(TruneEmblemRect{{30, 30, 40, 40}});
    struct Case {
        const char* name;
        TruneFlatPaint paint;
        int alpha;
    };
    const std::array cases{
        Case{"a full cutout on an empty area leaves it empty", TruneFlatPaint::ofCutout(1), 0},
        Case{"a half cutout on an empty area leaves it empty", TruneFlatPaint::ofCutout(0.5), 0},
        Case{"onPrimaryAccent in glass on an empty area", glass.onPrimaryAccent(), 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QImage image = EmblemProbe::drawnInDesignSpace(
            64, [&](QPainter& painter) { TruneEmblemInterpreter::putDown(painter, c.paint, square); });
        EXPECT_TRUE(EmblemProbe::fullyTransparent(image));
    }

    // Over an opaque body, the cut keeps (1 - alpha) of it; in the flat look it paints instead.
    const auto bodyThen = [&](const TruneFlatPaint& paint) {
        return EmblemProbe::drawnInDesignSpace(64, [&](QPainter& painter) {
            TruneEmblemInterpreter::putDown(painter, TruneFlatPaint::ofColor(red), square);
            TruneEmblemInterpreter::putDown(painter, paint, square);
        });
    };
    EXPECT_NEAR(EmblemProbe::colorAt(bodyThen(glass.onPrimaryAccent()), {50, 50}).alpha(), 36, 2);
    EXPECT_NEAR(EmblemProbe::colorAt(bodyThen(glass.cutout(0.5)), {50, 50}).alpha(), 108, 2);
    EXPECT_TRUE(EmblemProbe::near(EmblemProbe::colorAt(bodyThen(flat.cutout(1)), {50, 50}), pale(1)));
}

TEST(TruneEmblemToneTest, PainterStateIsRestoredAfterEveryShape)
{
    QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    const QPen pen(Qt::green, 7, Qt::DashLine, Qt::FlatCap, Qt::BevelJoin);
    const QBrush brush(Qt::yellow, Qt::Dense3Pattern);
    painter.setPen(pen);
    painter.setBrush(brush);
    painter.setCompositionMode(QPainter::CompositionMode_Plus);

    const QPainterPath path = TruneEmblemInterpreter::pathOf(TruneEmblemArc{{16, 16}, 8, -42, 242});
    const std::array paints{TruneFlatPaint::ofCutout(0.7), TruneFlatPaint::ofColor(red)};
    for (const TruneFlatPaint& paint : paints) {
        for (const std::optional<qreal> width : {std::optional<qreal>(), std::optional<qreal>(5.0)}) {
            TruneEmblemInterpreter::putDown(painter, paint, path, width);
            EXPECT_EQ(painter.pen(), pen);
            EXPECT_EQ(painter.brush(), brush);
            EXPECT_EQ(painter.compositionMode(), QPainter::CompositionMode_Plus);
        }
    }
}
