#pragma once

#include "core/records/InstalledAppRecord.h"

#include <functional>
#include <mutex>
#include <vector>

// Applications handed to an update check while it runs, so that feeds are fetched while the
// inventory is still being read. Any thread may add; the check ends once the queue is closed and
// every fetch it started has ended, so the producer closes it exactly once, after its last add.
class SparkleFeedAppQueue final {
public:
    void add(InstalledAppRecord app);
    void close();

    struct Arrivals {
        std::vector<InstalledAppRecord> apps;
        bool closed = false;
    };
    // What was added since the last take, and whether the queue is closed.
    Arrivals take();

    // `wake` is called after every add and on close, with the queue's lock held (so a consumer
    // that clears it never sees a call afterwards): it must only post a notice and return. An
    // empty function stops the calls.
    void setWake(std::function<void()> wake);

private:
    std::mutex m_mutex;
    std::vector<InstalledAppRecord> m_apps;
    bool m_closed = false;
    std::function<void()> m_wake;
};
