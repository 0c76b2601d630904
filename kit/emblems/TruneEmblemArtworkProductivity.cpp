#include "kit/emblems/TruneEmblemArtworkProductivity.h"

#include "kit/emblems/TruneEmblemInterpreter.h"
#include "kit/emblems/TruneFlatDraw.h"

#include <array>

namespace TruneEmblemArtworkProductivity {

namespace {

using namespace TruneEmblemGrammar;

constexpr int firstIndex = 0;
constexpr int lastIndex = 26;

constexpr std::array truneUpdateHead{QPointF(41, 47), QPointF(50, 37.5), QPointF(59, 47)};
constexpr std::array truneUpdateShaft{QPointF(50, 62), QPointF(50, 39)};
constexpr std::array truneUpdateArrowhead{QPointF(72.5, 25.5), QPointF(73.5, 38.5), QPointF(60.8, 35.2)};

// A circular arrow, open at the top, around an upward arrow. The same in both looks.
constexpr std::array truneUpdateOps{
    strokeWith(TruneEmblemArc{{50, 50}, 24, -42, 242}, primary, 5.2),
    fill(TruneEmblemPolyline{truneUpdateArrowhead, true}, primary),
    strokeWith(TruneEmblemPolyline{truneUpdateShaft}, accent, 5),
    strokeWith(TruneEmblemPolyline{truneUpdateHead}, accent, 5),
};

} // namespace

bool draw(TruneAppIdentity app, QPainter& painter, const TruneEmblemTone& tone)
{
    const int index = static_cast<int>(app);
    if (index < firstIndex || index > lastIndex)
        return false;
    if (app == TruneAppIdentity::truneUpdate)
        TruneEmblemInterpreter::run(painter, tone, truneUpdateOps);
    else
        TruneFlatDraw::placeholderTile(painter, tone);
    return true;
}

} // namespace TruneEmblemArtworkProductivity
