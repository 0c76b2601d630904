#include "kit/emblems/TruneFlatDraw.h"

#include "kit/emblems/TruneEmblemInterpreter.h"

#include <array>

namespace TruneFlatDraw {

namespace {

using namespace TruneEmblemGrammar;

constexpr TruneEmblemRect screen{{21, 25, 58, 39}, 8.5};

constexpr std::array displayFrameOps{
    fill(screen, soft),
    strokeWith(screen, primary, 3),
    fill(TruneEmblemRect{{38, 70, 24, 4.6}, 2.3}, primaryAt(0.82)),
};

constexpr std::array sheetOutline{
    moveTo(33, 22),
    lineTo(56, 22),
    lineTo(73, 39),
    lineTo(73, 72),
    curveTo(67, 78, 73, 75.3, 70.3, 78),
    lineTo(33, 78),
    curveTo(27, 72, 29.7, 78, 27, 75.3),
    lineTo(27, 28),
    curveTo(33, 22, 27, 24.7, 29.7, 22),
    closePath(),
};

constexpr std::array sheetFold{
    moveTo(56, 22),
    lineTo(56, 34),
    curveTo(61, 39, 56, 36.8, 58.2, 39),
    lineTo(73, 39),
    closePath(),
};

constexpr std::array shieldLeftHalf{
    moveTo(48.7, 23),
    lineTo(27, 31.4),
    curveTo(48.7, 76, 27, 49.4, 33.8, 65.4),
    closePath(),
};

constexpr std::array shieldRightHalf{
    moveTo(51.3, 23),
    lineTo(73, 31.4),
    curveTo(51.3, 76, 73, 49.4, 66.2, 65.4),
    closePath(),
};

constexpr std::array splitShieldOps{
    fill(TruneEmblemPath{shieldLeftHalf}, primary),
    fill(TruneEmblemPath{shieldRightHalf}, mid),
};

constexpr std::array placeholderOps{
    fill(TruneEmblemRect{placeholderBody, placeholderBodyRadius}, primary),
    fill(TruneEmblemRect{placeholderWindow, placeholderWindowRadius}, cut(placeholderWindowCut)),
};

} // namespace

void displayFrame(QPainter& painter, const TruneEmblemTone& tone)
{
    TruneEmblemInterpreter::run(painter, tone, displayFrameOps);
}

void foldedSheet(QPainter& painter, const TruneEmblemTone& tone)
{
    // The fold is cut out of the sheet in white glass but painted in the accent colour in the flat
    // look, which no single paint role expresses.
    const TruneEmblemPaintRef fold = tone.isWhiteGlass ? erase(0.55) : accent;
    const std::array ops{
        fill(TruneEmblemPath{sheetOutline}, primary),
        fill(TruneEmblemPath{sheetFold}, fold),
    };
    TruneEmblemInterpreter::run(painter, tone, ops);
}

void splitShield(QPainter& painter, const TruneEmblemTone& tone)
{
    TruneEmblemInterpreter::run(painter, tone, splitShieldOps);
}

void placeholderTile(QPainter& painter, const TruneEmblemTone& tone)
{
    TruneEmblemInterpreter::run(painter, tone, placeholderOps);
}

} // namespace TruneFlatDraw
