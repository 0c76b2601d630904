#include "kit/ui/TruneAnimations.h"

#include <atomic>

namespace {

std::atomic<bool> animationsEnabled{true};

} // namespace

namespace TruneAnimations {

bool enabled()
{
    return animationsEnabled.load();
}

void setEnabled(bool enabled)
{
    animationsEnabled.store(enabled);
}

} // namespace TruneAnimations
