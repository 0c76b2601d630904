#pragma once

#include "kit/emblems/TruneEmblemTone.h"

class QPainter;

// Shapes several emblems share, drawn into a painter whose transform maps the design square.
namespace TruneFlatDraw {

// A screen frame on a stand.
void displayFrame(QPainter& painter, const TruneEmblemTone& tone);
// A sheet of paper whose top right corner is folded over.
void foldedSheet(QPainter& painter, const TruneEmblemTone& tone);
// A shield in two tones with a narrow gap down the middle.
void splitShield(QPainter& painter, const TruneEmblemTone& tone);
// What an entry whose own drawing is not built yet shows: a plain rounded tile.
void placeholderTile(QPainter& painter, const TruneEmblemTone& tone);

} // namespace TruneFlatDraw
