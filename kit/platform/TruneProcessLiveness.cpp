#include "kit/platform/TruneProcessLiveness.h"

#include <cerrno>
#include <limits>

#include <signal.h>

namespace TruneProcessLiveness {

bool isAlive(qint64 pid)
{
    if (pid <= 0 || pid > std::numeric_limits<pid_t>::max())
        return false;
    if (::kill(static_cast<pid_t>(pid), 0) == 0)
        return true;
    return errno == EPERM;
}

} // namespace TruneProcessLiveness
