#include "kit/emblems/TruneFlatDraw.h"

#include "EmblemProbe.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <array>
#include <functional>

namespace {

const QColor red(200, 30, 40);
const QColor blue(20, 90, 220);
const TruneEmblemTone flat = TruneEmblemTone::flatLight(red, blue);
const TruneEmblemTone& glass = TruneEmblemTone::whiteGlass();

QColor white(int alpha)
{
    return QColor(255, 255, 255, alpha);
}

QColor redAt(int alpha)
{
    return QColor(200, 30, 40, alpha);
}

using Shape = std::function<void(QPainter&, const TruneEmblemTone&)>;

struct Probe {
    const char* where;
    QPointF point;
    QColor inGlass;
    QColor inFlat;
};

void expectProbes(const Shape& shape, std::initializer_list<Probe> probes)
{
    const QImage glassImage = EmblemProbe::drawnInDesignSpace(200, [&](QPainter& p) { shape(p, glass); });
    const QImage flatImage = EmblemProbe::drawnInDesignSpace(200, [&](QPainter& p) { shape(p, flat); });
    for (const Probe& probe : probes) {
        SCOPED_TRACE(probe.where);
        EXPECT_TRUE(EmblemProbe::near(EmblemProbe::colorAt(glassImage, probe.point), probe.inGlass))
            << "glass: " << EmblemProbe::colorAt(glassImage, probe.point).name(QColor::HexArgb).toStdString();
        EXPECT_TRUE(EmblemProbe::near(EmblemProbe::colorAt(flatImage, probe.point), probe.inFlat))
            << "flat: " << EmblemProbe::colorAt(flatImage, probe.point).name(QColor::HexArgb).toStdString();
    }
}

} // namespace

TEST(TruneFlatDrawTest, DisplayFrameHasASoftScreenAFullOutlineAndAStand)
{
    expectProbes(TruneFlatDraw::displayFrame,
        {
            {"screen inside", {50, 45}, white(41), redAt(28)},
            {"left outline", {21, 45}, white(250), redAt(255)},
            {"stand", {50, 72.3}, white(209), redAt(209)},
            {"between screen and stand", {50, 67}, white(0), redAt(0)},
        });
}

TEST(TruneFlatDrawTest, FoldedSheetCutsItsFoldInGlassAndPaintsItFlat)
{
    expectProbes(TruneFlatDraw::foldedSheet,
        {
            {"sheet", {40, 50}, white(250), redAt(255)},
            {"fold keeps 45 % of the sheet in glass", {60, 32}, white(112), QColor(blue)},
            {"outside the cut corner", {68, 26}, white(0), redAt(0)},
        });
}

TEST(TruneFlatDrawTest, SplitShieldHasTwoTonesAndAGap)
{
    expectProbes(TruneFlatDraw::splitShield,
        {
            {"left half", {40, 40}, white(250), redAt(255)},
            {"right half is mid", {60, 40}, white(117), redAt(117)},
            {"gap down the middle", {50, 40}, white(0), redAt(0)},
        });
}

TEST(TruneFlatDrawTest, ShieldIsOnePieceWithARoundedPoint)
{
    expectProbes(TruneFlatDraw::shield,
        {
            {"top centre", {50, 24}, white(250), redAt(255)},
            {"middle", {50, 50}, white(250), redAt(255)},
            {"above the point", {50, 74}, white(250), redAt(255)},
            {"below the point", {50, 78}, white(0), redAt(0)},
            {"beside the top corner", {25, 28}, white(0), redAt(0)},
        });
}
