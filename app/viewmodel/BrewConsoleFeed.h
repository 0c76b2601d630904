#pragma once

#include "app/viewmodel/BrewConsoleLog.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <deque>
#include <mutex>

// Brew's output on its way from the thread that reads the pipe to the console on the interface
// thread, which takes it at most once a frame.
//
// The reader never waits for the interface: a brew that prints faster than the window shows runs
// at its own pace, and a busy or closing window can never hold up brew or the thread that reads
// it. What waits here is bounded instead: once it holds more than the console keeps, its oldest
// output goes, as the console would drop that text anyway when it took it in. The output waits as
// the UTF-8 brew printed and is decoded only when taken, so text that goes is never decoded.
class BrewConsoleFeed final {
public:
    // As many bytes as hold the units the console keeps, however brew's characters are encoded: a
    // UTF-16 unit takes at most three bytes of UTF-8.
    static constexpr qsizetype pendingBytes = 3 * BrewConsoleLog::maxUnits;
    // One unit more than the console holds, so that it trims the text taken just as it would trim
    // all that brew printed: only that much is decoded.
    static constexpr qsizetype takenUnits = BrewConsoleLog::maxUnits + 1;

    // Adds `utf8`, a piece that ends on a whole character; true when the feed was taken since the
    // last such answer, so the caller asks the interface thread to take it: one request waits at a
    // time, however much brew prints.
    bool put(QByteArrayView utf8);
    // What waits, in order, as text: all of it, or its end from at least takenUnits units back. The
    // next put asks again.
    QString take();
    // Bytes waiting: fewer than pendingBytes plus one piece.
    qsizetype waitingBytes() const;

private:
    mutable std::mutex m_mutex;
    std::deque<QByteArray> m_pieces;
    qsizetype m_bytes = 0;
    bool m_requested = false;
};
