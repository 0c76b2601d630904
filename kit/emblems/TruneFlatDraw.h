#pragma once

#include "kit/emblems/TruneEmblemGrammar.h"
#include "kit/emblems/TruneEmblemTone.h"

class QPainter;

// Shapes several emblems share, as tables a drawing starts from and as functions that draw them
// into a painter whose transform maps the design square.
namespace TruneFlatDraw {

namespace Shapes {

using namespace TruneEmblemGrammar;

inline constexpr TruneEmblemRect screen{{21, 25, 58, 39}, 8.5};

inline constexpr std::array displayFrame{
    fill(screen, soft),
    strokeWith(screen, primary, 3),
    fill(rect(38, 70, 24, 4.6, 2.3), primaryAt(0.82)),
};

inline constexpr std::array sheetOutline{
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

inline constexpr std::array sheetFold{
    moveTo(56, 22),
    lineTo(56, 34),
    curveTo(61, 39, 56, 36.8, 58.2, 39),
    lineTo(73, 39),
    closePath(),
};

// The fold is cut out of the sheet in white glass but painted in the accent colour in the flat
// look.
inline constexpr std::array foldedSheet{
    fill(TruneEmblemPath{sheetOutline}, primary),
    fill(TruneEmblemPath{sheetFold}, byLook(erase(0.55), accent)),
};

inline constexpr std::array shieldLeftHalf{
    moveTo(48.7, 23),
    lineTo(27, 31.4),
    curveTo(48.7, 76, 27, 49.4, 33.8, 65.4),
    closePath(),
};

inline constexpr std::array shieldRightHalf{
    moveTo(51.3, 23),
    lineTo(73, 31.4),
    curveTo(51.3, 76, 73, 49.4, 66.2, 65.4),
    closePath(),
};

inline constexpr std::array splitShield{
    fill(TruneEmblemPath{shieldLeftHalf}, primary),
    fill(TruneEmblemPath{shieldRightHalf}, mid),
};

inline constexpr std::array shieldOutline{
    moveTo(50, 22.5),
    lineTo(73, 31.2),
    curveTo(50, 76.5, 73, 49.6, 65.8, 65.8),
    curveTo(27, 31.2, 34.2, 65.8, 27, 49.6),
    closePath(),
};

inline constexpr std::array shield{
    fill(TruneEmblemPath{shieldOutline}, primary),
};

} // namespace Shapes

// A screen frame on a stand.
void displayFrame(QPainter& painter, const TruneEmblemTone& tone);
// A sheet of paper whose top right corner is folded over.
void foldedSheet(QPainter& painter, const TruneEmblemTone& tone);
// A shield in two tones with a narrow gap down the middle.
void splitShield(QPainter& painter, const TruneEmblemTone& tone);
// A shield in one piece.
void shield(QPainter& painter, const TruneEmblemTone& tone);

} // namespace TruneFlatDraw
