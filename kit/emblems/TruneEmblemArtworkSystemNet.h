#pragma once

#include "kit/emblems/TruneEmblemGrammar.h"
#include "kit/emblems/TruneEmblemTone.h"
#include "kit/foundation/TruneAppIdentity.h"

#include <span>

class QPainter;

// The emblems of the system and network entries, catalogue positions 43 to 74.
namespace TruneEmblemArtworkSystemNet {

// Draws the entry and returns true for positions 43 to 74; draws nothing and returns false for
// any other entry.
bool draw(TruneAppIdentity app, QPainter& painter, const TruneEmblemTone& tone);

// The entry's drawing; empty for entries outside the group.
std::span<const TruneEmblemOp> drawing(TruneAppIdentity app);

} // namespace TruneEmblemArtworkSystemNet
