#pragma once

#include "kit/emblems/TruneEmblemGrammar.h"
#include "kit/emblems/TruneEmblemTone.h"
#include "kit/foundation/TruneAppIdentity.h"

#include <span>

class QPainter;

// The emblems of the productivity entries, catalogue positions 0 to 26.
namespace TruneEmblemArtworkProductivity {

// Draws the entry and returns true for positions 0 to 26; draws nothing and returns false for any
// other entry.
bool draw(TruneAppIdentity app, QPainter& painter, const TruneEmblemTone& tone);

// The entry's drawing; empty for entries outside the group.
std::span<const TruneEmblemOp> drawing(TruneAppIdentity app);

} // namespace TruneEmblemArtworkProductivity
