#include "tests/support/TestWaits.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>

#include <algorithm>
#include <cstdlib>
#include <thread>

namespace {

// What a wait is given on an idle machine: far beyond anything a test waits for there.
constexpr std::chrono::milliseconds kIdleDeadline{30'000};
// Waits scale with the load up to this factor; ctest ends a test after 300 s.
constexpr double kMostScale = 4.0;
constexpr std::chrono::milliseconds kLookInterval{5};

// Runnable threads per core over the last minute, at least 1.
double loadScale()
{
    double load = 0;
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    if (::getloadavg(&load, 1) != 1)
        return 1.0;
    return std::clamp(load / cores, 1.0, kMostScale);
}

// Lets queued work, timers, other threads' results and deferred deletions run, then sleeps a
// moment so that the wait leaves the processor to what it waits for.
void runEventLoopForALook()
{
    if (QCoreApplication::instance()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, int(kLookInterval.count()));
        // An object the test's own code let go with deleteLater() goes only here: no event loop
        // runs at the test's level.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    std::this_thread::sleep_for(kLookInterval);
}

} // namespace

std::chrono::milliseconds testDeadline()
{
    return std::chrono::duration_cast<std::chrono::milliseconds>(kIdleDeadline * loadScale());
}

bool waitUntil(const std::function<bool()>& done)
{
    const QDeadlineTimer deadline(testDeadline());
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        runEventLoopForALook();
    }
    return true;
}

void settle()
{
    for (int turn = 0; turn < 4; ++turn) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
    }
}
