#pragma once

#include "kit/emblems/TruneEmblemGrammar.h"
#include "kit/foundation/TruneAppIdentity.h"

#include <span>

// The emblems of the media entries, catalogue positions 27 to 42. Position 30 is no drawing of
// the group's own: the renderer draws it from the shared display frame.
namespace TruneEmblemArtworkMedia {

// The entry's drawing; empty for position 30 and for entries outside the group.
std::span<const TruneEmblemOp> drawing(TruneAppIdentity app);

} // namespace TruneEmblemArtworkMedia
