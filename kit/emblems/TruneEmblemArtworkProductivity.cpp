#include "kit/emblems/TruneEmblemArtworkProductivity.h"

#include "kit/emblems/TruneEmblemInterpreter.h"

#include <array>

namespace TruneEmblemArtworkProductivity {

namespace {

using namespace TruneEmblemGrammar;

constexpr int firstIndex = 0;

// A cut text line at (x, y), `width` long.
constexpr TruneEmblemOp textLine(qreal x, qreal y, qreal width, qreal alpha = textLineSoft)
{
    return fill(rect(x, y, width, textLineHeight, textLineRadius), cut(alpha));
}

// Tiles, wide and narrow alternating, the wide ones carrying a cut bar.
constexpr std::array quillet{
    fill(rect(22, 24, 32, 24, tileRadius), primary),
    fill(rect(57, 24, 21, 24, tileRadius), accent),
    fill(rect(22, 52, 21, 24, tileRadius), mid),
    fill(rect(46, 52, 32, 24, tileRadius), mid),
    textLine(28, 33.9, 20, textLineStrong),
    textLine(52, 61.9, 20),
};

// Two sheets, the front one with text, and a badge with an arrow pointing right.
constexpr std::array marrowpad{
    fill(rect(22, 24, 36, 42, cardRadius), mid),
    fill(rect(34, 36, 40, 42, cardRadius), primary),
    textLine(41, 52, 26, textLineStrong),
    textLine(41, 62, 18),
    badge(fill(rect(54, 22, badgeSide, badgeSide, badgeRadius), accent)),
    badgeSymbol(strokeWith(line(60, 34, 71, 34), cut(fullCut), badgeSymbolWidth)),
    badgeSymbol(strokeWith(polyline({{66, 29.5}, {71, 34}, {66, 38.5}}), cut(fullCut), badgeSymbolWidth)),
};

// A dial struck through.
constexpr std::array tallyra{
    fill(disc(50, 50, 48), soft),
    strokeWith(disc(50, 50, 48), primary, 4.5),
    fill(disc(50, 50, 26), mid),
    fill(disc(50, 50, 10), primary),
    strokeClearanceInBothLooks(line(33, 67, 67, 33), 8.6),
    strokeWith(line(33, 67, 67, 33), primary, 4.4),
};

// Three trays, wider towards the bottom, the front one with a handle.
constexpr std::array scribbon{
    fill(rect(32, 22, 36, 14, tileRadius), primaryAt(faintBack)),
    fill(rect(27, 39, 46, 16, tileRadius), mid),
    fill(rect(22, 58, 56, 20, cardRadius), primary),
    fill(capsule(38, 65.4, 24, 5.2), onPrimaryAccent),
};

// A text field with a cursor above a full bar and a shorter one with an accent end.
constexpr std::array veltask{
    fill(rect(22, 24, 56, 24, cardRadius), soft),
    strokeWith(rect(22, 24, 56, 24, cardRadius), primary, frameOutline),
    fill(capsule(29, 33.5, 22, 5), primary),
    fill(capsule(55, 30, 3.4, 12), accent),
    fill(capsule(22, 56, 56, 8), primary),
    fill(capsule(22, 68, 36, 8), mid),
    fill(capsule(62, 68, 12, 8), accent),
};

constexpr std::array nookeryTray{
    moveTo(25, 52),
    lineTo(25, 69),
    curveTo(32, 76, 25, 73, 28, 76),
    lineTo(68, 76),
    curveTo(75, 69, 72, 76, 75, 73),
    lineTo(75, 52),
};

// A card dropping into an open tray.
constexpr std::array nookery{
    fill(rect(32, 22, 36, 22, tileRadius), mid),
    strokeWith(TruneEmblemPath{nookeryTray}, primary, 5.5),
    strokeWith(line(50, 36, 50, 63), glassPrimaryFlatAccent, 4.2),
    strokeWith(polyline({{41, 54}, {50, 63}, {59, 54}}), glassPrimaryFlatAccent, 4.2),
};

// Four outlined corner squares around a filled centre square.
constexpr std::array plandry{
    strokeWith(rect(24, 24, 16, 16, 5), primary, 4.6),
    strokeWith(rect(60, 24, 16, 16, 5), primary, 4.6),
    strokeWith(rect(24, 60, 16, 16, 5), primary, 4.6),
    strokeWith(rect(60, 60, 16, 16, 5), primary, 4.6),
    fill(rect(42, 42, 16, 16, 4.5), byLook(mid, accent)),
    strokeWith(rect(42, 42, 16, 16, 4.5), primary, frameOutline),
};

// A clipboard: the board with text, and the clip with its slot at the top.
constexpr std::array ledgera{
    fill(rect(25, 26, 50, 52, bodyRadius), primary),
    textLine(33, 44, 34, textLineStrong),
    textLine(33, 54, 28),
    textLine(33, 64, 20),
    clearance(rect(36, 20, 28, 15, 7.5)),
    badge(fill(rect(38, 22, 24, 11, 5.5), accent)),
    badgeSymbol(fill(capsule(44, 25.5, 12, 4), cut(fullCut))),
};

// A note pad: two text lines, two short ones and a block at the lower right.
constexpr std::array fernote{
    fill(rect(24, 22, 52, 56, bodyRadius), primary),
    textLine(32, 32, 36, textLineStrong),
    textLine(32, 42, 28),
    textLine(32, 52, 16),
    textLine(32, 62, 12),
    fill(rect(56, 56, 14, 14, 4), onPrimaryAccent),
};

// A note sheet with a badge carrying a plus sign.
constexpr std::array glimmet{
    fill(rect(25, 22, 46, 54, 8), primary),
    textLine(33, 34, 28, textLineStrong),
    textLine(33, 44, 22),
    textLine(33, 54, 15),
    clearance(rect(52, 52, 28, 28, badgeClearanceRadius)),
    badge(fill(rect(54, 54, badgeSide, badgeSide, badgeRadius), accent)),
    badgeSymbol(strokeWith(line(66, 60.5, 66, 71.5), cut(fullCut), badgeSymbolWidth)),
    badgeSymbol(strokeWith(line(60.5, 66, 71.5, 66), cut(fullCut), badgeSymbolWidth)),
};

// A magnifier with a glint.
constexpr std::array cardwyn{
    fill(disc(45, 45, 34), soft),
    strokeWith(disc(45, 45, 34), primary, 5.5),
    strokeWith(line(58, 58, 73, 73), primary, 7.5),
    strokeWith(arc(45, 45, 10, 210, 270), accent, signalStroke),
};

constexpr std::array pinwickUpper{moveTo(30, 50), curveTo(67, 30, 48, 50, 50, 30)};
constexpr std::array pinwickLower{moveTo(30, 50), curveTo(67, 70, 48, 50, 50, 70)};

// A flow from one node to two.
constexpr std::array pinwick{
    strokeWith(TruneEmblemPath{pinwickUpper}, mid, 4),
    strokeWith(TruneEmblemPath{pinwickLower}, mid, 4),
    fill(disc(30, 50, 17), primary),
    fill(disc(67, 30, 17), accent),
    fill(disc(67, 70, 17), primary),
};

// A layout: a tall panel beside two stacked ones.
constexpr std::array tabulor{
    fill(rect(22, 22, 27, 56, cardRadius), primary),
    fill(rect(53, 22, 25, 26, cardRadius), accent),
    fill(rect(53, 52, 25, 26, cardRadius), mid),
};

// Three cards fanned back to front, the front one titled.
constexpr std::array memvane{
    fill(rect(38, 22, 40, 30, 7), primaryAt(0.26)),
    fill(rect(30, 30, 40, 32, 7), mid),
    fill(rect(22, 40, 42, 38, cardRadius), primary),
    fill(capsule(29, 49, 26, 6), onPrimaryAccent),
    textLine(29, 61, 28),
};

// A speech capsule with three dots, and two bars of reply below.
constexpr std::array sortwell{
    fill(rect(22, 22, 56, 28, 14), primary),
    fill(polygon({{32, 48}, {44, 48}, {30, 60}}), primary),
    fill(disc(37, 36, 7.5), cut(0.9)),
    fill(disc(50, 36, 7.5), onPrimaryAccent),
    fill(disc(63, 36, 7.5), cut(0.9)),
    fill(capsule(22, 64, 56, 5.2), mid),
    fill(capsule(22, 73, 34, 5.2), accent),
};

// A framed screen with its camera notch, and a bar below.
constexpr std::array draftor{
    fill(rect(24, 22, 52, 44, bodyRadius), soft),
    strokeWith(rect(24, 22, 52, 44, bodyRadius), primary, 3.2),
    fill(rect(39, 21.5, 22, 10, 4.5), primary),
    fill(disc(44.5, 26.5, 4), onPrimaryAccent),
    fill(capsule(49, 25, 9, 3), cut(holeCut)),
    fill(capsule(30, 71, 40, 6), mid),
};

// A timer running.
constexpr std::array stillo{
    fill(capsule(44, 20, 12, 5), primary),
    fill(disc(50, 53, 44), soft),
    strokeWith(disc(50, 53, 44), mid, 4.8),
    strokeWith(arc(50, 53, 22, -90, 35), glassPrimaryFlatAccent, cycleStroke),
    strokeWith(line(50, 53, 50, 40), primary, 3.8),
    strokeWith(line(50, 53, 59, 58), primary, 3.6),
    fill(disc(50, 53, 7), accent),
};

// A checklist in front of a card, with a round badge carrying a check mark.
constexpr std::array dovel{
    fill(rect(32, 20, 46, 46, cardRadius), mid),
    clearance(rect(20, 26, 48, 54, 10)),
    fill(rect(22, 28, 44, 50, cardRadius), primary),
    fill(disc(31, 40, 5.5), onPrimaryAccent),
    textLine(37, 37.9, 20, textLineStrong),
    fill(disc(31, 51, 5.5), onPrimaryAccent),
    textLine(37, 48.9, 16),
    fill(disc(31, 62, 5.5), onPrimaryAccent),
    textLine(37, 59.9, 10),
    clearance(disc(64, 64, 30)),
    badge(fill(disc(64, 64, 26), accent)),
    badgeSymbol(strokeWith(polyline({{57, 64.5}, {62, 69.5}, {71, 59.5}}), cut(fullCut), badgeSymbolWidth)),
};

constexpr std::array outlinqCup{
    moveTo(26, 37),
    lineTo(66, 37),
    lineTo(66, 56),
    curveTo(54, 68, 66, 63, 61, 68),
    lineTo(38, 68),
    curveTo(26, 56, 31, 68, 26, 63),
    closePath(),
};

// A steaming cup on a saucer.
constexpr std::array outlinq{
    strokeWith(line(37, 23, 37, 31), accent, signalStroke),
    strokeWith(line(46, 22, 46, 30), accent, signalStroke),
    strokeWith(line(55, 23, 55, 31), accent, signalStroke),
    strokeWith(oval(59, 42, 14, 16), primary, 4.2),
    fill(TruneEmblemPath{outlinqCup}, primary),
    fill(capsule(22, 70, 56, 6), mid),
};

// Two switches, one on and one off.
constexpr std::array clipvane{
    fill(rect(22, 25, 56, 22, 11), primary),
    fill(disc(67, 36, 16), cut(fullCut)),
    fill(disc(67, 36, 8), accent),
    fill(rect(22, 53, 56, 22, 11), primaryAt(0.32)),
    fill(disc(33, 64, 16), cut(fullCut)),
};

// Crossed tools: a bar with a ball end under a wrench with an open head.
constexpr std::array focusel{
    strokeWith(line(33, 33, 70, 70), accent, 6.5),
    fill(disc(30, 30, 13), accent),
    strokeClearanceInBothLooks(line(30, 70, 56, 44), 11),
    strokeWith(line(30, 70, 56, 44), primary, 7.8),
    fill(disc(62, 38, 22), primary),
    turned({62, 38}, -45, fill(rect(0, -3, 14, 6, 3), cut(fullCut))),
};

// The program's own emblem: a circular arrow, open at the top, around an upward arrow. The same in
// both looks.
constexpr std::array truneUpdate{
    strokeWith(arc(50, 50, 24, -42, 242), primary, cycleStroke),
    fill(polygon({{72.5, 25.5}, {73.5, 38.5}, {60.8, 35.2}}), primary),
    strokeWith(line(50, 62, 50, 39), accent, 5),
    strokeWith(polyline({{41, 47}, {50, 37.5}, {59, 47}}), accent, 5),
};

// An archive: three drawers zipped down the middle.
constexpr std::array dockery{
    fill(rect(22, 24, 56, 16, tileRadius), primary),
    fill(rect(22, 42, 56, 16, tileRadius), mid),
    fill(rect(22, 60, 56, 16, tileRadius), primary),
    clearance(rect(43, 22, 14, 56, 6)),
    badge(fill(rect(45, 24, 10, 52, 4), accent)),
    badgeSymbol(fill(rect(47, 44, 6, 11, 3), cut(fullCut))),
};

// A hub of six alternating dots round a centre.
constexpr std::array taskwren{
    strokeWith(line(50, 50, 50, 26.5), mid, 3),
    strokeWith(line(50, 50, 70.352, 38.25), mid, 3),
    strokeWith(line(50, 50, 70.352, 61.75), mid, 3),
    strokeWith(line(50, 50, 50, 73.5), mid, 3),
    strokeWith(line(50, 50, 29.648, 61.75), mid, 3),
    strokeWith(line(50, 50, 29.648, 38.25), mid, 3),
    fill(disc(50, 26.5, 11), primary),
    fill(disc(70.352, 38.25, 11), accent),
    fill(disc(70.352, 61.75, 11), primary),
    fill(disc(50, 73.5, 11), accent),
    fill(disc(29.648, 61.75, 11), primary),
    fill(disc(29.648, 38.25, 11), accent),
    fill(disc(50, 50, 19), primary),
    fill(disc(50, 50, 7.6), cut(fullCut)),
};

// An envelope with a letter showing above it.
constexpr std::array calvine{
    fill(rect(30, 21, 40, 28, 5), mid),
    clearance(rect(20, 32, 60, 46, 10)),
    badge(fill(rect(22, 34, 56, 42, cardRadius), primary)),
    badgeSymbol(strokeWith(polyline({{26, 39}, {50, 56}, {74, 39}}), cut(fullCut), signalStroke)),
};

// A table: a header above a grid of cells.
constexpr std::array snipora{
    fill(rect(22, 22, 56, 14, 6), primary),
    fill(rect(22, 40, 27, 17, 5), mid),
    fill(rect(51, 40, 27, 17, 5), accent),
    fill(rect(22, 61, 27, 17, 5), primaryAt(faintBack)),
    fill(rect(51, 61, 27, 17, 5), mid),
};

constexpr std::array wordhavenBack{
    moveTo(22, 29),
    curveTo(28, 23, 22, 25.7, 24.7, 23),
    lineTo(40, 23),
    lineTo(45, 29),
    lineTo(72, 29),
    curveTo(78, 35, 75.3, 29, 78, 31.7),
    lineTo(78, 60),
    lineTo(22, 60),
    closePath(),
};

constexpr std::array wordhavenLeft{
    moveTo(50, 40),
    lineTo(50, 78),
    lineTo(30, 78),
    curveTo(22, 70, 25.6, 78, 22, 74.4),
    lineTo(22, 48),
    curveTo(30, 40, 22, 43.6, 25.6, 40),
    closePath(),
};

constexpr std::array wordhavenRight{
    moveTo(50, 40),
    lineTo(70, 40),
    curveTo(78, 48, 74.4, 40, 78, 43.6),
    lineTo(78, 70),
    curveTo(70, 78, 78, 74.4, 74.4, 78),
    lineTo(50, 78),
    closePath(),
};

// A folder with its tab, the front in two halves.
constexpr std::array wordhaven{
    fill(TruneEmblemPath{wordhavenBack}, mid),
    fill(TruneEmblemPath{wordhavenLeft}, primary),
    fill(TruneEmblemPath{wordhavenRight}, primaryAt(0.75)),
    fill(capsule(56, 50, 16, 5), onPrimaryAccent),
    textLine(56, 60, 14, textLineStrong),
};

constexpr std::array<std::span<const TruneEmblemOp>, 27> drawings{
    quillet,
    marrowpad,
    tallyra,
    scribbon,
    veltask,
    nookery,
    plandry,
    ledgera,
    fernote,
    glimmet,
    cardwyn,
    pinwick,
    tabulor,
    memvane,
    sortwell,
    draftor,
    stillo,
    dovel,
    outlinq,
    clipvane,
    focusel,
    truneUpdate,
    dockery,
    taskwren,
    calvine,
    snipora,
    wordhaven,
};

} // namespace

std::span<const TruneEmblemOp> drawing(TruneAppIdentity app)
{
    const int index = static_cast<int>(app) - firstIndex;
    if (index < 0 || index >= int(drawings.size()))
        return {};
    return drawings[std::size_t(index)];
}

bool draw(TruneAppIdentity app, QPainter& painter, const TruneEmblemTone& tone)
{
    const std::span<const TruneEmblemOp> ops = drawing(app);
    if (ops.empty())
        return false;
    TruneEmblemInterpreter::run(painter, tone, ops);
    return true;
}

} // namespace TruneEmblemArtworkProductivity
