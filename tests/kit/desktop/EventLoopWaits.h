#pragma once

#include "tests/support/TestWaits.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <chrono>

// Runs this thread's event loop for `span`, so that anything already on its way (a second run of
// an action, a late notification) has arrived before the test looks.
inline void processEventsFor(std::chrono::milliseconds span)
{
    const QDeadlineTimer deadline(span);
    waitUntil([&] { return deadline.hasExpired(); });
}
