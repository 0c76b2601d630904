#include "kit/emblems/TruneEmblemRenderer.h"

#include "EmblemProbe.h"

#include <gtest/gtest.h>

#include <vector>

// Pixel probes of the drawings whose every shape is fixed, in white glass (the renderer's bitmap)
// and in a flat red and blue, at design points inside each shape.

namespace {

const QColor red(200, 30, 40);
const QColor blue(20, 90, 220);
const TruneEmblemTone flat = TruneEmblemTone::flatLight(red, blue);
const QColor clear(0, 0, 0, 0);
const QColor pale(238, 241, 247);

QColor white(int alpha)
{
    return QColor(255, 255, 255, alpha);
}

QColor redAt(int alpha)
{
    return QColor(200, 30, 40, alpha);
}

// The pale line colour laid at `alpha` over opaque red.
QColor paleOverRed(qreal alpha)
{
    const auto mix = [alpha](int top, int bottom) { return int(std::lround(alpha * top + (1 - alpha) * bottom)); };
    return QColor(mix(pale.red(), red.red()), mix(pale.green(), red.green()), mix(pale.blue(), red.blue()));
}

// White glass: primary keeps 0.98, accent 0.72, mid 0.46 of 0.98.
const QColor glassPrimary = white(250);
const QColor glassAccent = white(184);
const QColor glassMid = white(115);
// What an on-accent detail leaves of the glass body: 14 per cent.
const QColor glassOnAccent = white(35);
const QColor flatMid = redAt(117);

struct Probe {
    const char* where;
    QPointF point;
    QColor inGlass;
    QColor inFlat;
};

struct Drawing {
    TruneAppIdentity app;
    std::vector<Probe> probes;
};

} // namespace

TEST(TruneEmblemGivenDrawingsTest, ProbesInGlassAndFlat)
{
    using App = TruneAppIdentity;
    const std::vector<Drawing> drawings{
        {App::glimmet,
            {
                {"sheet", {30, 30}, glassPrimary, red},
                {"first text line", {40, 36.1}, white(43), paleOverRed(0.72)},
                {"badge", {58, 58}, glassAccent, blue},
                {"plus sign through the badge", {66, 66}, clear, pale},
                {"clearance round the badge, glass only", {53, 60}, clear, red},
            }},
        {App::taskwren,
            {
                {"first dot straight above the centre", {50, 26.5}, glassPrimary, red},
                {"second dot, beside its spoke", {72.1, 41.28}, glassAccent, blue},
                {"spoke", {50, 36}, glassMid, flatMid},
                {"centre disc", {50, 43}, glassPrimary, red},
                {"cut centre", {50, 50}, clear, pale},
            }},
        {App::pixmire,
            {
                {"lens", {30, 50}, glassPrimary, red},
                {"first blade", {63.78, 59.47}, clear, pale},
                {"cut ring round the centre dot", {50, 41.5}, clear, pale},
                {"centre dot", {50, 50}, glassAccent, blue},
            }},
        // The ring runs from -42 to 242 degrees about (50, 50) at radius 24; its round end reaches
        // about 6 degrees further, and the gap at the top starts after that.
        {App::truneUpdate,
            {
                {"ring near its end, at 235 degrees", {36.23, 30.34}, glassPrimary, red},
                {"gap just past the ring's end, at 252 degrees", {42.58, 27.17}, clear, clear},
                {"ring at its bottom", {50, 74}, glassPrimary, red},
                {"upward arrow", {50, 55}, glassAccent, blue},
            }},
        // Details the drawings are given with, or without.
        {App::marrowpad,
            {
                {"front sheet just below the badge: no clearance round it", {66, 47}, glassPrimary, red},
                {"badge", {60, 28}, glassAccent, blue},
            }},
        {App::tallyra,
            {
                {"the strike's upper end carries no accent", {67, 33}, glassPrimary, red},
            }},
        {App::calvine,
            {
                {"the letter above the envelope carries no accent", {50, 28}, glassMid, flatMid},
            }},
        {App::focusel,
            {
                {"handle", {43, 57}, glassPrimary, red},
                {"handle's clearance over the bar, cut in both looks", {53.32, 53.32}, clear, pale},
                {"bar beyond the clearance", {62, 62}, glassAccent, blue},
            }},
        {App::snaplume,
            {
                {"play sign", {49, 44.5}, glassPrimary, red},
                {"dot on the soft screen", {31, 33.5}, white(195), blue},
                {"soft screen", {70, 55}, white(41), redAt(28)},
                {"stand", {50, 72.3}, white(209), redAt(209)},
            }},
        {App::giffel,
            {
                {"sheet", {32, 40}, glassPrimary, red},
                {"text line", {40, 49.6}, white(92), paleOverRed(0.55)},
                {"fold", {62, 33}, white(112), blue},
            }},
        {App::voxelle,
            {
                {"full bar", {41, 30}, glassPrimary, red},
                {"mid bar", {24, 50}, glassMid, flatMid},
                {"playhead above the bars", {49.5, 22}, glassPrimary, blue},
                {"between bars", {28.25, 50}, clear, clear},
            }},
        {App::clipsong,
            {
                {"handle dot beside the guide", {26.72, 34.66}, glassAccent, blue},
                {"anchor over the curve's end", {26, 71}, white(255), red},
                {"curve at its middle", {50, 50}, glassPrimary, red},
                {"guide", {40, 41.43}, glassMid, flatMid},
            }},
        // Not every shape is fixed here, but the ruler is, turned by -45 degrees about the centre.
        {App::beatrill,
            {
                {"ruler over the cleared upper-right square", {62, 38}, glassPrimary, red},
                {"ruler at the lower left", {38, 62}, glassPrimary, red},
                {"ruler's clearance over the accent square, cut in both looks", {58.13, 29.85}, clear, pale},
                {"middle tick", {46.64, 46.64}, clear, paleOverRed(0.88)},
                {"lower-right square beside the ruler", {66, 66}, glassMid, flatMid},
            }},
        {App::sysvane,
            {
                {"primary arc", {26, 50}, glassPrimary, red},
                {"accent arc", {73.18, 43.79}, glassAccent, blue},
                {"gap between the arcs", {60.14, 28.25}, clear, clear},
                {"diamond", {50, 42}, glassPrimary, red},
                {"cut inner diamond", {50, 50}, clear, pale},
            }},
        {App::lumbra,
            {
                {"top pin", {38, 24}, glassMid, flatMid},
                {"pin's inner end under the body", {38, 31}, glassPrimary, red},
                {"between pins", {44, 24}, clear, clear},
                {"body", {33, 33}, glassPrimary, red},
                {"core", {50, 50}, glassOnAccent, blue},
            }},
        {App::haltrix,
            {
                {"octagon", {30, 50}, glassPrimary, red},
                {"cross centre", {50, 50}, clear, pale},
                {"cross arm", {45, 45}, clear, pale},
                {"beyond the cut corner", {24, 24}, clear, clear},
            }},
        {App::fanwise,
            {
                {"source", {28, 72}, glassPrimary, red},
                {"inner arc", {39.67, 60.33}, glassAccent, blue},
                {"middle arc", {49.21, 50.79}, glassPrimary, red},
                {"outer arc", {59.11, 40.89}, glassMid, flatMid},
                {"between arcs", {44.26, 55.74}, clear, clear},
            }},
        {App::bandwel,
            {
                {"ring", {65.2, 65.2}, glassPrimary, red},
                {"top band", {50, 28.5}, white(95), blue},
                {"right band", {71.5, 50}, white(95), blue},
                {"hole", {50, 50}, clear, clear},
            }},
        {App::dockwise,
            {
                {"left half", {35, 40}, glassPrimary, red},
                {"right half", {65, 40}, glassMid, flatMid},
                {"diamond on the left half", {46, 48.5}, glassOnAccent, blue},
                {"diamond on the right half", {54, 48.5}, white(16), blue},
                {"diamond over the gap erases nothing", {50, 48.5}, clear, blue},
            }},
    };
    for (const Drawing& drawing : drawings) {
        for (const int pixels : {128, 256}) {
            const QImage glass = TruneEmblemRenderer::image(drawing.app, pixels, 1);
            const QImage flatImage = EmblemProbe::emblemIn(drawing.app, flat, pixels);
            for (const Probe& probe : drawing.probes) {
                SCOPED_TRACE(
                    rawValue(drawing.app).toStdString() + " at " + std::to_string(pixels) + " px: " + probe.where);
                const QColor inGlass = EmblemProbe::colorAt(glass, probe.point);
                const QColor inFlat = EmblemProbe::colorAt(flatImage, probe.point);
                EXPECT_TRUE(EmblemProbe::near(inGlass, probe.inGlass)) << inGlass.name(QColor::HexArgb).toStdString();
                EXPECT_TRUE(EmblemProbe::near(inFlat, probe.inFlat)) << inFlat.name(QColor::HexArgb).toStdString();
            }
        }
    }
}
