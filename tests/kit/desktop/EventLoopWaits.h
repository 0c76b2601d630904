#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>
#include <QThread>

#include <chrono>
#include <functional>

// Runs this thread's event loop until `done` holds or `limit` passes; whether it holds. Tests
// assert what happened, never how fast.
inline bool processEventsUntil(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(10))
{
    const QDeadlineTimer deadline(limit);
    while (!done() && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        QThread::msleep(2);
    }
    return done();
}

// Runs this thread's event loop for `span`, so that anything already on its way (a second run of
// an action, a late notification) has arrived before the test looks.
inline void processEventsFor(std::chrono::milliseconds span)
{
    processEventsUntil([] { return false; }, span);
}
