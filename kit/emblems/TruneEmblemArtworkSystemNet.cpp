#include "kit/emblems/TruneEmblemArtworkSystemNet.h"

#include "kit/emblems/TruneFlatDraw.h"

namespace TruneEmblemArtworkSystemNet {

namespace {

constexpr int firstIndex = 43;
constexpr int lastIndex = 74;

} // namespace

bool draw(TruneAppIdentity app, QPainter& painter, const TruneEmblemTone& tone)
{
    const int index = static_cast<int>(app);
    if (index < firstIndex || index > lastIndex)
        return false;
    TruneFlatDraw::placeholderTile(painter, tone);
    return true;
}

} // namespace TruneEmblemArtworkSystemNet
