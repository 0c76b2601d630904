#include "kit/foundation/TruneProcessCancellation.h"

#include <csignal>

#include <sys/wait.h>

bool truneChildIsRunning(pid_t pid)
{
    siginfo_t info{};
    // Fails only when the child is gone already (collected by someone else) or not ours.
    if (waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) != 0)
        return false;
    return info.si_pid == 0;
}

bool TruneProcessCancellation::isCancelled() const
{
    std::lock_guard lock(m_lock);
    return m_cancelled;
}

void TruneProcessCancellation::cancel()
{
    std::lock_guard lock(m_lock);
    m_cancelled = true;
    terminateIfRunning();
}

void TruneProcessCancellation::attach(pid_t processGroup)
{
    std::lock_guard lock(m_lock);
    m_processGroup = processGroup;
    m_interrupted = false;
    if (m_cancelled)
        terminateIfRunning();
}

bool TruneProcessCancellation::detach()
{
    std::lock_guard lock(m_lock);
    m_processGroup = 0;
    return m_interrupted;
}

void TruneProcessCancellation::terminateIfRunning()
{
    // A tool that has already exited on its own is left alone and keeps its real result.
    if (m_processGroup == 0 || !truneChildIsRunning(m_processGroup))
        return;
    kill(-m_processGroup, SIGTERM);
    m_interrupted = true;
}
