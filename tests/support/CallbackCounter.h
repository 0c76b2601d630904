#pragma once

#include "tests/support/TestWaits.h"

#include <chrono>
#include <condition_variable>
#include <mutex>

// Counts calls arriving on any thread and lets a test wait for them with a bounded wait, so
// tests of asynchronous callbacks assert what happened, never how fast.
class CallbackCounter final {
public:
    void record()
    {
        {
            std::lock_guard lock(m_mutex);
            ++m_count;
        }
        m_changed.notify_all();
    }

    int count() const
    {
        std::lock_guard lock(m_mutex);
        return m_count;
    }

    // True once at least `expected` calls have been recorded; false when the tests' one deadline
    // passes first.
    bool waitForAtLeast(int expected) const
    {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, testDeadline(), [&] { return m_count >= expected; });
    }

private:
    mutable std::mutex m_mutex;
    mutable std::condition_variable m_changed;
    int m_count = 0;
};
