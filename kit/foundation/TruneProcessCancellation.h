#pragma once

#include <mutex>

#include <sys/types.h>

// A stop request for one tool run, shared between the thread that runs the tool and any thread
// that may cancel it. Once cancelled it stays cancelled. Hold it in a std::shared_ptr.
class TruneProcessCancellation final {
public:
    TruneProcessCancellation() = default;
    TruneProcessCancellation(const TruneProcessCancellation&) = delete;
    TruneProcessCancellation& operator=(const TruneProcessCancellation&) = delete;

    bool isCancelled() const;

    // Marks the token cancelled and, when an attached tool is still running, asks its process
    // group to terminate (SIGTERM). A later call repeats only the request.
    void cancel();

    // Used by the runner. `attach` remembers a started tool, the leader of its own process
    // group, and terminates it at once when the token is already cancelled. `detach` forgets it
    // again before the runner reaps it, so the token never signals a process id that may have
    // been reused; it returns whether a cancellation reached the tool while it was running.
    void attach(pid_t processGroup);
    bool detach();

private:
    void terminateIfRunning();

    mutable std::mutex m_lock;
    bool m_cancelled = false;
    pid_t m_processGroup = 0; // 0: nothing attached
    bool m_interrupted = false;
};

// Whether the child `pid` of this process has not exited yet. The exit is only observed, not
// collected, so the id stays reserved for the child until its parent reaps it.
bool truneChildIsRunning(pid_t pid);
