#pragma once

// The one switch for the kit's animations: tests turn them off so every state is painted at once.
namespace TruneAnimations {

bool enabled();
void setEnabled(bool enabled);

} // namespace TruneAnimations
