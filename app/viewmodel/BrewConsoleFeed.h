#pragma once

#include "app/viewmodel/BrewConsoleLog.h"

#include <QString>

#include <deque>
#include <mutex>

// Brew's output on its way from the thread that reads the pipe to the console on the interface
// thread, which takes it at most once a frame.
//
// The reader never waits for the interface: a brew that prints faster than the window shows runs
// at its own pace, and a busy or closing window can never hold up brew or the thread that reads
// it. What waits here is bounded instead: once it holds more than the console keeps, its oldest
// text goes, as the console would drop that text anyway when it took it in.
class BrewConsoleFeed final {
public:
    // As many units as the console holds: text further back than that would not stay in it.
    static constexpr qsizetype pendingUnits = BrewConsoleLog::maxUnits;

    // Adds `text`; true when the feed was taken since the last such answer, so the caller asks the
    // interface thread to take it: one request waits at a time, however much brew prints.
    bool put(const QString& text);
    // All that waits, in order; the next put asks again.
    QString take();
    // Units waiting: fewer than pendingUnits plus one piece.
    qsizetype waitingUnits() const;

private:
    mutable std::mutex m_mutex;
    std::deque<QString> m_pieces;
    qsizetype m_units = 0;
    bool m_requested = false;
};
