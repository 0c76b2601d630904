#pragma once

#include <chrono>
#include <functional>

// Every wait in the tests has one deadline, generous on a busy machine: it grows with the load
// the machine carries when the wait starts. A wait ends as soon as what it waits for holds, so
// the deadline costs nothing when all is well and only a real fault spends it.
std::chrono::milliseconds testDeadline();

// Runs this thread's event loop until `done` holds or testDeadline() has passed; whether it holds.
// It sleeps in the event loop between looks, so it leaves the processor to what it waits for.
bool waitUntil(const std::function<bool()>& done);

// Lets everything already on its way run to its end without waiting for anything new: queued
// calls and the results other threads have posted, what they post in turn (a view model announces
// its changes a turn later, views follow, a changed text asks for a relayout a level per turn),
// and deferred deletions.
void settle();
