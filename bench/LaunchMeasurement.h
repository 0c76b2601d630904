#pragma once

#include <QString>
#include <QStringList>

#include <optional>

class WindowProbe;

// What starting one program showed, measured from outside: the time from the start of the
// process until its window with the expected title was painted, until that window showed what it
// shows once its start-up work is done, and its resident memory once that stayed flat afterwards.
struct LaunchMeasurement {
    std::optional<double> firstPaintMs;     // none: no painted window before the time-out
    std::optional<double> completeScreenMs; // the last visible change before the window stayed still
    bool screenSettled = false;             // false: the window still changed at the time-out
    std::optional<qint64> residentBytes;
    bool memorySettled = false; // false: residentBytes is the last value before the time-out
    QString failure;            // why there is no figure ("" when there is one)
};

struct LaunchPlan {
    QString program = {};
    QStringList arguments = {};
    QString windowTitle = {};
    int paintTimeoutMs = 30'000;
    // The screen counts as complete once its pixels stayed the same for screenSettleMs (changes
    // no wider than a text caret not counted); looked at for at most screenTimeoutMs after the
    // first paint.
    int screenSettleMs = 3'000;
    int screenTimeoutMs = 60'000;
    // The resident memory counts as settled once it moved less than settleToleranceBytes over
    // settleWindowMs; at most memoryTimeoutMs after the first paint.
    int settleWindowMs = 3'000;
    qint64 settleToleranceBytes = 512 * 1024;
    int memoryTimeoutMs = 60'000;
};

// Starts the program (in this process's environment), measures it and ends it again: SIGTERM,
// then SIGKILL after five seconds. A program that ends by itself before its window was painted
// gives a failure at once.
LaunchMeasurement measureLaunch(const LaunchPlan& plan, const WindowProbe& probe);

// VmRSS of /proc/<pid>/status in bytes; none when the process is gone.
std::optional<qint64> residentBytesOf(qint64 pid);
