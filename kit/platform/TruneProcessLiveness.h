#pragma once

#include <QtGlobal>

namespace TruneProcessLiveness {

// Whether a process with this identifier exists: a probe without a signal reaches it, or is
// refused only because the process belongs to another user. Identifiers of 0 and below name
// process groups, never one process, and are not alive.
bool isAlive(qint64 pid);

} // namespace TruneProcessLiveness
