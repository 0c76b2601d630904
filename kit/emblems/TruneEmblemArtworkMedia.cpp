#include "kit/emblems/TruneEmblemArtworkMedia.h"

#include "kit/emblems/TruneFlatDraw.h"

#include <array>

namespace TruneEmblemArtworkMedia {

namespace {

using namespace TruneEmblemGrammar;

constexpr int firstIndex = 27;

// A picture: two mountains and a sun.
constexpr std::array vidrella{
    fill(rect(22, 25, 56, 50, bodyRadius), primary),
    fill(polygon({{28, 70}, {43, 46}, {58, 70}}), cut(0.88)),
    fill(polygon({{48, 70}, {61, 53}, {73, 70}}), cut(0.54)),
    fill(disc(64, 38, 9), onPrimaryAccent),
};

// A capture frame: corner brackets round a target.
constexpr std::array framelo{
    strokeWith(polyline({{24, 36}, {24, 24}, {36, 24}}), primary, 4.6),
    strokeWith(polyline({{64, 24}, {76, 24}, {76, 36}}), primary, 4.6),
    strokeWith(polyline({{76, 64}, {76, 76}, {64, 76}}), primary, 4.6),
    strokeWith(polyline({{36, 76}, {24, 76}, {24, 64}}), primary, 4.6),
    fill(disc(50, 50, 28), mid),
    fill(disc(50, 50, 15), glassPrimaryFlatAccent),
};

// A lens with six aperture blades.
constexpr std::array pixmire{
    fill(disc(50, 50, 52), primary),
    strokeWith(line(60.5, 50, 67.063, 68.95), cut(fullCut), hairStroke),
    strokeWith(line(55.25, 59.093, 42.12, 74.252), cut(fullCut), hairStroke),
    strokeWith(line(44.75, 59.093, 25.057, 55.302), cut(fullCut), hairStroke),
    strokeWith(line(39.5, 50, 32.937, 31.05), cut(fullCut), hairStroke),
    strokeWith(line(44.75, 40.907, 57.88, 25.748), cut(fullCut), hairStroke),
    strokeWith(line(55.25, 40.907, 74.943, 44.698), cut(fullCut), hairStroke),
    fill(disc(50, 50, 21), cut(fullCut)),
    fill(disc(50, 50, 13), accent),
};

// A timeline: clips in two rows, a track below and a playhead.
constexpr std::array reelwyn{
    fill(rect(22, 28, 30, 11, slotRadius), primary),
    fill(rect(55, 28, 23, 11, slotRadius), primaryAt(0.38)),
    fill(rect(22, 43, 20, 11, slotRadius), primaryAt(0.32)),
    fill(rect(45, 43, 33, 11, slotRadius), primary),
    fill(capsule(22, 62, 56, 7), primaryAt(0.24)),
    fill(rect(58.6, 24, 2.8, 52, 1.4), glassPrimaryFlatAccent),
    fill(polygon({{54, 21}, {66, 21}, {60, 28}}), glassPrimaryFlatAccent),
};

// A player: a play sign and a progress track partly played.
constexpr std::array chromari{
    fill(rect(22, 24, 56, 52, bodyRadius), primary),
    fill(polygon({{43, 33}, {59, 43}, {43, 53}}), cut(fullCut)),
    fill(capsule(30, 63, 40, 4.4), cut(0.45)),
    fill(capsule(30, 63, 18, 4.4), onPrimaryAccent),
};

// A conversion cycle: two arcs chasing each other round a diamond.
constexpr std::array lenswyn{
    strokeWith(arc(50, 50, 24, -145, -20), primary, 5),
    fill(polygon({{74.78, 47.9}, {77.21, 38.5}, {66.87, 42.26}}), primary),
    strokeWith(arc(50, 50, 24, 35, 160), mid, 5),
    fill(polygon({{25.22, 52.1}, {22.79, 61.5}, {33.13, 57.74}}), mid),
    fill(polygon({{50, 41}, {59, 50}, {50, 59}, {41, 50}}), accent),
};

// A document: the folded sheet with three lines of text.
constexpr std::array giffel = joined(TruneFlatDraw::Shapes::foldedSheet,
    std::array{
        fill(rect(35, 47.5, 22, textLineHeight, textLineRadius), cut(paleCut)),
        fill(rect(35, 56, 30, textLineHeight, textLineRadius), cut(paleCut)),
        fill(rect(35, 64.5, 17, textLineHeight, textLineRadius), cut(paleCut)),
    });

// An open book with a bookmark.
constexpr std::array photalo{
    fill(polygon({{22, 28}, {48, 32}, {48, 76}, {22, 72}}), primary),
    fill(polygon({{52, 32}, {78, 28}, {78, 72}, {52, 76}}), mid),
    fill(rect(27, 42, 17, textLineHeight, textLineRadius), cut(0.7)),
    fill(rect(27, 51, 17, textLineHeight, textLineRadius), cut(paleCut)),
    fill(rect(27, 60, 12, textLineHeight, textLineRadius), cut(paleCut)),
    fill(polygon({{61, 31}, {70, 29.5}, {70, 52}, {65.5, 47}, {61, 52}}), accent),
};

// A mixer: three faders at different levels.
constexpr std::array audrel{
    strokeWith(line(32, 24, 32, 76), primaryAt(0.24), arrowStroke),
    strokeWith(line(50, 24, 50, 76), primaryAt(0.24), arrowStroke),
    strokeWith(line(68, 24, 68, 76), primaryAt(0.24), arrowStroke),
    strokeWith(line(32, 76, 32, 50), accent, arrowStroke),
    strokeWith(line(50, 76, 50, 36), primaryAt(standAlpha), arrowStroke),
    strokeWith(line(68, 76, 68, 58), accent, arrowStroke),
    fill(capsule(25, 46.3, 14, 7.4), primary),
    fill(capsule(43, 32.3, 14, 7.4), primary),
    fill(capsule(61, 54.3, 14, 7.4), primary),
};

// Two notes joined by a beam.
constexpr std::array tunelo{
    strokeWith(line(39.4, 66, 39.4, 30), primary, arrowStroke),
    strokeWith(line(69.4, 60, 69.4, 24), primary, arrowStroke),
    fill(polygon({{37.2, 26.5}, {71.6, 20.5}, {71.6, 28.5}, {37.2, 34.5}}), accent),
    fill(disc(32, 66, 17.6), primary),
    fill(disc(62, 60, 17.6), primary),
};

// A microphone on its stand, with sound at its sides.
constexpr std::array castora{
    fill(rect(41, 22, 18, 30, 9), primary),
    strokeWith(arc(50, 46, 15, 10, 170), mid, 4.2),
    strokeWith(line(50, 61, 50, 72), primary, 4.2),
    strokeWith(line(40, 74, 60, 74), primary, arrowStroke),
    strokeWith(line(27, 38, 27, 52), accent, arrowStroke),
    strokeWith(line(73, 38, 73, 52), accent, arrowStroke),
};

// A waveform: (centre x, height, full) of each bar.
struct WaveBar {
    qreal x;
    qreal height;
    bool full;
};
constexpr std::array waveBars{
    WaveBar{24, 18, false},
    WaveBar{32.5, 32, true},
    WaveBar{41, 46, true},
    WaveBar{49.5, 38, false},
    WaveBar{58, 50, true},
    WaveBar{66.5, 28, false},
    WaveBar{75, 16, false},
};
constexpr qreal waveBarWidth = 5.2;

// A bar shorter than it is wide is rounded by half its height; a bar of no height is square.
constexpr TruneEmblemOp waveBar(const WaveBar& bar)
{
    const qreal radius = std::min(waveBarWidth, bar.height) / 2;
    return fill(rect(bar.x - waveBarWidth / 2, 50 - bar.height / 2, waveBarWidth, bar.height, radius),
        bar.full ? primary : mid);
}

constexpr auto waveBarOps = [] {
    std::array<TruneEmblemOp, waveBars.size()> ops{};
    std::transform(waveBars.begin(), waveBars.end(), ops.begin(), waveBar);
    return ops;
}();

constexpr std::array voxelle = joined(waveBarOps,
    std::array{
        fill(rect(48.1, 21, 2.8, 58, 1.4), glassPrimaryFlatAccent),
    });

constexpr std::array clipsongCurve{moveTo(26, 71), curveTo(74, 29, 26, 32, 74, 68)};

// A pen path: a curve between square anchors, with the handles of its guide.
constexpr std::array clipsong{
    strokeWith(line(29, 32, 71, 68), mid, hairStroke),
    strokeWith(TruneEmblemPath{clipsongCurve}, primary, 4.8),
    fill(disc(29, 32, 10.4), accent),
    fill(disc(71, 68, 10.4), accent),
    fill(rect(20.75, 65.75, 10.5, 10.5, 2.6), primary),
    fill(rect(68.75, 23.75, 10.5, 10.5, 2.6), primary),
};

// A design set: three squares and a ruler laid across them.
constexpr std::array beatrill{
    fill(rect(22, 22, 24, 24, 5.5), mid),
    fill(rect(54, 22, 24, 24, 5.5), accent),
    fill(rect(54, 54, 24, 24, 5.5), mid),
    turned(designCentre, -45, clearanceInBothLooks(rect(-34, -9.5, 68, 19, 6))),
    turned(designCentre, -45, fill(rect(-32, -7.5, 64, 15, 4), primary)),
    turned(designCentre, -45, fill(rect(-21.2, -7.5, 2.4, 5.5, 1), cut(0.88))),
    turned(designCentre, -45, fill(rect(-11.2, -7.5, 2.4, 5.5, 1), cut(0.88))),
    turned(designCentre, -45, fill(rect(-1.2, -7.5, 2.4, 5.5, 1), cut(0.88))),
    turned(designCentre, -45, fill(rect(8.8, -7.5, 2.4, 5.5, 1), cut(0.88))),
    turned(designCentre, -45, fill(rect(18.8, -7.5, 2.4, 5.5, 1), cut(0.88))),
};

// A camera.
constexpr std::array mixolo{
    fill(rect(35, 25, 22, 10, 4), mid),
    fill(rect(21, 32, 58, 41, bodyRadius), primary),
    fill(disc(50, 53, 27), cut(fullCut)),
    fill(disc(50, 53, 17.6), primary),
    fill(disc(50, 53, 8.8), onPrimaryAccent),
    fill(disc(69, 40, 5), onPrimaryAccent),
};

constexpr std::array<std::span<const TruneEmblemOp>, 16> drawings{
    vidrella,
    framelo,
    pixmire,
    {},
    reelwyn,
    chromari,
    lenswyn,
    giffel,
    photalo,
    audrel,
    tunelo,
    castora,
    voxelle,
    clipsong,
    beatrill,
    mixolo,
};

} // namespace

std::span<const TruneEmblemOp> drawing(TruneAppIdentity app)
{
    const int index = static_cast<int>(app) - firstIndex;
    if (index < 0 || index >= int(drawings.size()))
        return {};
    return drawings[std::size_t(index)];
}

} // namespace TruneEmblemArtworkMedia
