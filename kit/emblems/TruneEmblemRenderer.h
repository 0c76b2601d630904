#pragma once

#include "kit/foundation/TruneAppIdentity.h"

#include <QByteArray>
#include <QImage>

// Pictures of the maker's app emblems, drawn from vector artwork in the white-glass look and cached.
namespace TruneEmblemRenderer {

// The emblem as an image of `pointSize` logical pixels at `scale` (its device pixel ratio), drawn
// at a pixel size of at least 16.
QImage image(TruneAppIdentity app, qreal pointSize, qreal scale, bool asTemplate = false);

} // namespace TruneEmblemRenderer
