#include "kit/emblems/TruneEmblemArtworkSystemNet.h"

#include "kit/emblems/TruneEmblemInterpreter.h"
#include "kit/emblems/TruneFlatDraw.h"

#include <array>

namespace TruneEmblemArtworkSystemNet {

namespace {

using namespace TruneEmblemGrammar;
using TruneFlatDraw::Shapes::shield;
using TruneFlatDraw::Shapes::splitShield;

constexpr int firstIndex = 43;

// A cycle round a diamond.
constexpr std::array sysvane{
    strokeWith(arc(50, 50, 24, 45, 280), primary, 5.5),
    strokeWith(arc(50, 50, 24, -50, 20), accent, 5.5),
    fill(polygon({{50, 39}, {61, 50}, {50, 61}, {39, 50}}), primary),
    fill(polygon({{50, 45.2}, {54.8, 50}, {50, 54.8}, {45.2, 50}}), cut(fullCut)),
};

// A chip: three pins a side under the body, and its core.
constexpr std::array lumbra{
    strokeWith(line(38, 22, 38, 30), mid, 3.8),
    strokeWith(line(38, 70, 38, 78), mid, 3.8),
    strokeWith(line(22, 38, 30, 38), mid, 3.8),
    strokeWith(line(70, 38, 78, 38), mid, 3.8),
    strokeWith(line(50, 22, 50, 30), mid, 3.8),
    strokeWith(line(50, 70, 50, 78), mid, 3.8),
    strokeWith(line(22, 50, 30, 50), mid, 3.8),
    strokeWith(line(70, 50, 78, 50), mid, 3.8),
    strokeWith(line(62, 22, 62, 30), mid, 3.8),
    strokeWith(line(62, 70, 62, 78), mid, 3.8),
    strokeWith(line(22, 62, 30, 62), mid, 3.8),
    strokeWith(line(70, 62, 78, 62), mid, 3.8),
    fill(rect(30, 30, 40, 40, 8), primary),
    fill(rect(40.5, 40.5, 19, 19, 4.5), onPrimaryAccent),
};

// A pulse across a disc.
constexpr std::array vantor{
    fill(disc(50, 50, 51), soft),
    strokeWith(disc(50, 50, 51), primary, discOutline),
    strokeWith(polyline({{27, 52}, {37, 52}, {43, 36}, {51, 63}, {57, 45}, {62, 52}, {73, 52}}), primary, 4),
    fill(disc(43, 36, 8), accent),
};

// A stop sign with a cross.
constexpr std::array haltrix{
    fill(polygon({{39, 23}, {61, 23}, {77, 39}, {77, 61}, {61, 77}, {39, 77}, {23, 61}, {23, 39}}), primary),
    strokeWith(line(40, 40, 60, 60), cut(fullCut), 5.8),
    strokeWith(line(60, 40, 40, 60), cut(fullCut), 5.8),
};

// A battery charging. The body sits one unit right of (21, 33) so that its outline stays inside
// the ink square.
constexpr std::array netquill{
    fill(rect(22, 33, 52, 34, 8), soft),
    strokeWith(rect(22, 33, 52, 34, 8), primary, 3.8),
    fill(rect(75, 43, 5, 14, 2.5), primary),
    fill(polygon({{50, 36.5}, {39.5, 51.5}, {47.5, 51.5}, {44.5, 63.5}, {56.5, 48.5}, {48.5, 48.5}}),
        glassPrimaryFlatAccent),
};

// Two screens, the front one on its stand.
constexpr std::array portello{
    fill(rect(40, 22, 38, 28, 6), mid),
    clearance(rect(20, 33, 44, 32, 9)),
    fill(rect(22, 35, 40, 28, 7), primary),
    fill(disc(42, 49, 12), cut(fullCut)),
    fill(disc(42, 49, 5.6), accent),
    fill(capsule(30, 68, 24, 5), primaryAt(standAlpha)),
};

// A pointer device sending. The signal arcs are centred one unit left of (64, 49) so that the
// outer one stays inside the ink square.
constexpr std::array diskarn{
    fill(rect(27, 28, 24, 44, 12), primary),
    fill(capsule(36.5, 33, 5, 10), onPrimaryAccent),
    strokeWith(line(28, 47, 50, 47), cut(0.5), 2.2),
    strokeWith(arc(63, 49, 9, -42, 42), primary, 3.4),
    strokeWith(arc(63, 49, 15, -42, 42), mid, 3.4),
};

// A grid of four tiles.
constexpr std::array signalo{
    fill(rect(23, 23, 24.5, 24.5, tileRadius), primary),
    fill(capsule(29, 33.25, 12.5, 4), cut(paleCut)),
    fill(rect(52.5, 23, 24.5, 24.5, tileRadius), primaryAt(0.36)),
    fill(rect(23, 52.5, 24.5, 24.5, tileRadius), primaryAt(0.36)),
    fill(rect(52.5, 52.5, 24.5, 24.5, tileRadius), accentAt(0.95)),
    fill(disc(64.75, 64.75, 8), cut(0.65)),
};

// A remote screen: two arrows, one each way, on the display frame.
constexpr std::array pingrel = joined(TruneFlatDraw::Shapes::displayFrame,
    std::array{
        strokeWith(line(34, 38, 64, 38), primary, detailStroke),
        strokeWith(polyline({{58, 32.5}, {64, 38}, {58, 43.5}}), primary, detailStroke),
        strokeWith(line(66, 51, 36, 51), accent, detailStroke),
        strokeWith(polyline({{42, 45.5}, {36, 51}, {42, 56.5}}), accent, detailStroke),
    });

// A link: a bar sending to another.
constexpr std::array voltrel{
    fill(rect(24, 24, 16, 52, 8), primary),
    fill(capsule(29.5, 34, 5, 14), cut(holeCut)),
    strokeWith(arc(52, 50, 7.5, -45, 45), accent, 3.6),
    strokeWith(arc(52, 50, 13.5, -45, 45), accent, 3.6),
    fill(rect(68, 24, 10, 52, 5), mid),
};

// A beam spreading from its source.
constexpr std::array fanwise{
    strokeWith(arc(28, 72, 44, -86, -4), mid, 5),
    strokeWith(arc(28, 72, 30, -86, -4), primary, 5.2),
    strokeWith(arc(28, 72, 16.5, -86, -4), accent, 5.2),
    fill(disc(28, 72, 13), primary),
};

// A tower sending both ways.
constexpr std::array memsweep{
    strokeWith(arc(50, 40, 13, -42, 42), accent, 3.8),
    strokeWith(arc(50, 40, 13, 138, 222), accent, 3.8),
    strokeWith(arc(50, 40, 22, -42, 42), mid, 3.8),
    strokeWith(arc(50, 40, 22, 138, 222), mid, 3.8),
    fill(disc(50, 40, 9), primary),
    strokeWith(line(50, 46, 50, 75), primary, 5),
    strokeWith(line(37, 75, 63, 75), primary, 5),
};

// A guarded network: three nodes joined across the split shield.
constexpr std::array thermix = joined(splitShield,
    std::array{
        strokeWith(line(37, 38, 61, 57), cut(0.9), detailStroke),
        fill(disc(37, 38, 9), cut(fullCut)),
        fill(disc(61, 57, 9), cut(fullCut)),
        fill(disc(49, 47.5, 14.8), cut(fullCut)),
        fill(disc(49, 47.5, 9.6), accent),
    });

// A globe with a diamond badge.
constexpr std::array keyrook{
    fill(disc(46, 46, 45), soft),
    strokeWith(disc(46, 46, 45), primary, 3.8),
    strokeWith(line(23.5, 46, 68.5, 46), primary, 2.8),
    strokeWith(oval(37, 23.5, 18, 45), primary, 2.8),
    clearance(polygon({{66, 52.5}, {79.5, 66}, {66, 79.5}, {52.5, 66}})),
    badge(fill(polygon({{66, 54.5}, {77.5, 66}, {66, 77.5}, {54.5, 66}}), accent)),
    badgeSymbol(fill(disc(66, 66, 6), cut(fullCut))),
};

// A shield with rings round a centre.
constexpr std::array firewick = joined(shield,
    std::array{
        strokeWith(disc(50, 47, 26), cut(0.7), 3),
        strokeWith(disc(50, 47, 13), cut(0.9), 3),
        fill(disc(50, 47, 6), onPrimaryAccent),
    });

// A download onto a base.
constexpr std::array dnsora{
    strokeWith(polyline({{41, 24}, {50, 30}, {59, 24}}), accent, arrowStroke),
    strokeWith(line(50, 37, 50, 62), primary, 5.5),
    strokeWith(polyline({{39, 52}, {50, 63}, {61, 52}}), primary, 5.5),
    fill(capsule(24, 70, 52, 7), mid),
};

// A transfer both ways in a disc.
constexpr std::array proxelle{
    fill(disc(50, 50, 52), soft),
    strokeWith(disc(50, 50, 52), primary, 4),
    strokeWith(line(41, 35, 41, 64), primary, arrowStroke),
    strokeWith(polyline({{34, 57}, {41, 64}, {48, 57}}), primary, arrowStroke),
    strokeWith(line(59, 65, 59, 36), accent, arrowStroke),
    strokeWith(polyline({{52, 43}, {59, 36}, {66, 43}}), accent, arrowStroke),
};

// A paper dart in flight. The crease stops short of the sharp nose and of the fold's inner end,
// where its round caps would reach past the dart.
constexpr std::array launchel{
    fill(polygon({{78, 24}, {22, 46}, {46, 54}}), primary),
    fill(polygon({{78, 24}, {46, 54}, {54, 76}}), mid),
    strokeWith(line(75.12, 26.7, 48.24, 51.9), cut(fullCut), 2.2),
    strokeWith(line(24, 64, 32, 60), accent, signalStroke),
    strokeWith(line(27, 73, 37, 68), accent, signalStroke),
};

// A terminal window with its prompt and cursor.
constexpr std::array uptora{
    fill(rect(22, 24, 56, 52, 11), soft),
    strokeWith(rect(22, 24, 56, 52, 11), stroke, 1.6),
    strokeWith(polyline({{32, 39}, {41, 47}, {32, 55}}), primary, arrowStroke),
    fill(capsule(46, 51.8, 16, 4.4), accent),
};

// A database: three stacked discs seen edge on.
constexpr std::array logwarden{
    fill(rect(25, 25, 50, 14, 7), primary),
    fill(rect(25, 43, 50, 14, 7), mid),
    fill(rect(25, 61, 50, 14, 7), primary),
    fill(disc(33, 32, 6), cut(fullCut)),
    fill(disc(33, 50, 6), cut(fullCut)),
    fill(capsule(40, 66, 26, 4), onPrimaryAccent),
};

// A server sending. The signal arcs are centred at (50, 41) rather than (50, 35): about the higher
// centre the outer arc would rise above the ink square.
constexpr std::array procly{
    strokeWith(arc(50, 41, 12, -135, -45), accent, 3.6),
    strokeWith(arc(50, 41, 19, -135, -45), mid, 3.2),
    fill(rect(24, 44, 52, 15, 5), primary),
    fill(rect(24, 62, 52, 15, 5), mid),
    fill(disc(32, 51.5, 5), onPrimaryAccent),
    fill(capsule(42, 49.5, 26, 4), cut(holeCut)),
    fill(disc(32, 69.5, 5), cut(fullCut)),
    fill(capsule(42, 67.5, 26, 4), cut(0.65)),
};

// A locked shield: a keyhole cut through the split shield.
constexpr std::array shellwyn = joined(splitShield,
    std::array{
        fill(disc(50, 43, 14.4), cut(fullCut)),
        fill(polygon({{46.5, 49}, {53.5, 49}, {55, 61}, {45, 61}}), cut(fullCut)),
        fill(disc(50, 43, 6), accent),
    });

// A box in three faces.
constexpr std::array mountra{
    fill(polygon({{50, 22}, {76, 34}, {50, 46}, {24, 34}}), primary),
    fill(polygon({{24, 34}, {50, 46}, {50, 78}, {24, 66}}), byLook(primaryAt(0.65), primaryAt(0.72))),
    fill(polygon({{50, 46}, {76, 34}, {76, 66}, {50, 78}}), byLook(primaryAt(0.38), accentAt(0.92))),
    strokeWith(line(56, 55, 70, 48.5), cut(0.65), 2.5),
    strokeWith(line(56, 63, 70, 56.5), cut(0.65), 2.5),
};

// A disk with its eject sign and label.
constexpr std::array syncrest{
    fill(rect(24, 24, 52, 52, 10), primary),
    fill(polygon({{40, 44}, {50, 33}, {60, 44}}), cut(0.9)),
    fill(capsule(40, 48, 20, 4.4), cut(holeCut)),
    fill(capsule(32, 62, 24, 6), onPrimaryAccent),
    fill(disc(65, 65, 6), cut(fullCut)),
};

constexpr std::array backvaneBranch{moveTo(36, 66), curveTo(64, 40, 36, 48, 64, 58)};

// A branch leaving a trunk.
constexpr std::array backvane{
    strokeWith(line(36, 28, 36, 72), primary, 5),
    strokeWith(TruneEmblemPath{backvaneBranch}, accent, 5),
    fill(disc(36, 28, 15), primary),
    fill(disc(36, 72, 15), primary),
    fill(disc(64, 40, 15), accent),
    fill(disc(36, 28, 6), cut(fullCut)),
    fill(disc(36, 72, 6), cut(fullCut)),
    fill(disc(64, 40, 6), cut(fullCut)),
};

// A firewall: bricks cut into the shield round a central block. The joints end short of the
// shield's edge, round caps included.
constexpr std::array hashling = joined(shield,
    std::array{
        strokeWith(line(29.5, 40, 70.5, 40), cut(fullCut), 2.6),
        strokeWith(line(33.5, 54, 66.5, 54), cut(fullCut), 2.6),
        strokeWith(line(50, 24, 50, 40), cut(fullCut), 2.6),
        strokeWith(line(39, 40, 39, 54), cut(fullCut), 2.6),
        strokeWith(line(61, 40, 61, 54), cut(fullCut), 2.6),
        fill(rect(42, 42.5, 17, 9, 1.5), byLook(erase(0.5), accent)),
    });

// A virtual machine: a screen holding a smaller machine, on a base.
constexpr std::array iplume{
    fill(rect(24, 60, 52, 16, 6), mid),
    clearance(rect(26, 22, 48, 46, 10)),
    fill(rect(28, 24, 44, 42, bodyRadius), primary),
    fill(rect(41, 36, 18, 18, 4), cut(fullCut)),
    fill(rect(45.5, 40.5, 9, 9, 2), accent),
};

// Two phones, the front one with its speaker and button.
constexpr std::array routrix{
    fill(rect(50, 22, 26, 46, 7), mid),
    clearance(rect(26, 30, 30, 50, 9)),
    fill(rect(28, 32, 26, 46, 7), primary),
    fill(capsule(36, 37, 10, 3.4), cut(holeCut)),
    fill(disc(41, 70, 7), cut(fullCut)),
    fill(disc(41, 70, 3.4), accent),
};

// A ring buoy with four bands.
constexpr std::array bandwel{
    strokeWith(disc(50, 50, 43), primary, 10.5),
    strokeWith(arc(50, 50, 21.5, -102, -78), byLook(erase(0.62), accent), 11),
    strokeWith(arc(50, 50, 21.5, 78, 102), byLook(erase(0.62), accent), 11),
    strokeWith(arc(50, 50, 21.5, -12, 12), byLook(erase(0.62), accent), 11),
    strokeWith(arc(50, 50, 21.5, 168, 192), byLook(erase(0.62), accent), 11),
};

// A drive being checked: a ring and a pulse on the drive.
constexpr std::array cronella{
    fill(rect(22, 26, 56, 48, 10), primary),
    strokeWith(disc(44, 47, 24), cut(0.42), 3),
    strokeWith(polyline({{33, 47}, {39, 47}, {42, 41}, {46, 53}, {49, 47}, {55, 47}}), cut(fullCut), 3.5),
    fill(capsule(30, 64.5, 26, 5), onPrimaryAccent),
    fill(disc(67, 36, 6), cut(fullCut)),
};

// A guarded mark: a diamond on the split shield.
constexpr std::array dockwise = joined(splitShield,
    std::array{
        fill(polygon({{50, 39.5}, {58, 48.5}, {50, 57.5}, {42, 48.5}}), onPrimaryAccent),
    });

// A restore: a circular arrow round clock hands, cut into the shield.
constexpr std::array bootrel = joined(shield,
    std::array{
        strokeWith(arc(50, 49, 12.5, -50, 225), cut(0.92), detailStroke),
        fill(polygon({{54.2, 36.21}, {62.08, 36.94}, {56.29, 43.84}}), cut(0.92)),
        strokeWith(polyline({{50, 41.5}, {50, 49.5}, {56.5, 53}}), cut(fullCut), detailStroke),
        fill(disc(50, 49.5, 5), glassPrimaryFlatAccent),
    });

constexpr std::array<std::span<const TruneEmblemOp>, 32> drawings{
    sysvane,
    lumbra,
    vantor,
    haltrix,
    netquill,
    portello,
    diskarn,
    signalo,
    pingrel,
    voltrel,
    fanwise,
    memsweep,
    thermix,
    keyrook,
    firewick,
    dnsora,
    proxelle,
    launchel,
    uptora,
    logwarden,
    procly,
    shellwyn,
    mountra,
    syncrest,
    backvane,
    hashling,
    iplume,
    routrix,
    bandwel,
    cronella,
    dockwise,
    bootrel,
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

} // namespace TruneEmblemArtworkSystemNet
