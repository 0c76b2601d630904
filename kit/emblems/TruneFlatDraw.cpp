#include "kit/emblems/TruneFlatDraw.h"

#include "kit/emblems/TruneEmblemInterpreter.h"

namespace TruneFlatDraw {

void displayFrame(QPainter& painter, const TruneEmblemTone& tone)
{
    TruneEmblemInterpreter::run(painter, tone, Shapes::displayFrame);
}

void foldedSheet(QPainter& painter, const TruneEmblemTone& tone)
{
    TruneEmblemInterpreter::run(painter, tone, Shapes::foldedSheet);
}

void splitShield(QPainter& painter, const TruneEmblemTone& tone)
{
    TruneEmblemInterpreter::run(painter, tone, Shapes::splitShield);
}

void shield(QPainter& painter, const TruneEmblemTone& tone)
{
    TruneEmblemInterpreter::run(painter, tone, Shapes::shield);
}

} // namespace TruneFlatDraw
