#include "bench/LaunchMeasurement.h"

#include "bench/WindowProbe.h"

#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QThread>

#include <algorithm>
#include <deque>

using namespace Qt::StringLiterals;

namespace {

constexpr int paintPollMs = 5;
constexpr int screenPollMs = 10;
constexpr int memoryPollMs = 200;
// A blinking text caret changes a column this narrow; anything wider is the screen moving on.
constexpr int caretWidth = 2;

bool hasEnded(QProcess& process)
{
    return process.state() == QProcess::NotRunning || process.waitForFinished(0);
}

void endProcess(QProcess& process)
{
    if (process.state() == QProcess::NotRunning)
        return;
    process.terminate();
    if (!process.waitForFinished(5000)) {
        process.kill();
        process.waitForFinished(5000);
    }
}

QString endedEarly(QProcess& process)
{
    return u"%1 ended (status %2) before its window was painted"_s.arg(process.program()).arg(process.exitCode());
}

double msSince(const QElapsedTimer& start)
{
    return double(start.nsecsElapsed()) / 1e6;
}

// The width of the columns between the leftmost and the rightmost pixel that differ; 0 when the
// frames are alike.
int changedWidth(const WindowProbe::Frame& before, const WindowProbe::Frame& after)
{
    if (before.width != after.width || before.height != after.height)
        return std::max(before.width, after.width);
    int left = after.width;
    int right = -1;
    for (int y = 0; y < after.height; ++y) {
        const std::uint32_t* was = before.pixels.data() + qsizetype(y) * after.width;
        const std::uint32_t* is = after.pixels.data() + qsizetype(y) * after.width;
        if (std::equal(was, was + after.width, is))
            continue;
        for (int x = 0; x < after.width; ++x) {
            if (was[x] != is[x]) {
                left = std::min(left, x);
                right = std::max(right, x);
            }
        }
    }
    return right < left ? 0 : right - left + 1;
}

// Polls the window's pixels until they stayed the same for the settle period; the complete screen
// is the last change before that.
void measureCompleteScreen(const LaunchPlan& plan, const WindowProbe& probe, QProcess& process,
    const QElapsedTimer& sinceStart, WindowProbe::Window window, WindowProbe::Frame shown,
    LaunchMeasurement& measurement)
{
    measurement.completeScreenMs = measurement.firstPaintMs;
    const QDeadlineTimer deadline(plan.screenTimeoutMs);
    while (!deadline.hasExpired()) {
        if (hasEnded(process)) {
            measurement.failure = u"%1 ended while its screen was still changing"_s.arg(plan.program);
            return;
        }
        QThread::msleep(screenPollMs);
        std::optional<WindowProbe::Frame> frame = probe.capture(window);
        const double nowMs = msSince(sinceStart);
        if (!frame) {
            window = probe.findWindow(plan.windowTitle).value_or(window);
            continue;
        }
        if (changedWidth(shown, *frame) > caretWidth)
            measurement.completeScreenMs = nowMs;
        shown = std::move(*frame);
        if (nowMs - *measurement.completeScreenMs >= plan.screenSettleMs) {
            measurement.screenSettled = true;
            return;
        }
    }
}

// Polls the resident memory until it moved less than the tolerance over the settle window.
void measureSettledMemory(const LaunchPlan& plan, QProcess& process, LaunchMeasurement& measurement)
{
    const qint64 pid = process.processId();
    const int windowSamples = std::max(2, plan.settleWindowMs / memoryPollMs);
    std::deque<qint64> recent;
    const QDeadlineTimer deadline(plan.memoryTimeoutMs);
    while (!deadline.hasExpired()) {
        const std::optional<qint64> resident = residentBytesOf(pid);
        if (!resident || hasEnded(process)) {
            measurement.failure = u"%1 ended while its memory was measured"_s.arg(plan.program);
            return;
        }
        measurement.residentBytes = resident;
        recent.push_back(*resident);
        if (qsizetype(recent.size()) > windowSamples)
            recent.pop_front();
        const auto [low, high] = std::ranges::minmax(recent);
        if (qsizetype(recent.size()) == windowSamples && high - low < plan.settleToleranceBytes) {
            measurement.memorySettled = true;
            return;
        }
        QThread::msleep(memoryPollMs);
    }
}

} // namespace

std::optional<qint64> residentBytesOf(qint64 pid)
{
    QFile status(u"/proc/%1/status"_s.arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return std::nullopt;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (!line.startsWith("VmRSS:"))
            continue;
        const QList<QByteArray> fields = line.simplified().split(' ');
        bool ok = false;
        const qint64 kib = fields.value(1).toLongLong(&ok);
        return ok ? std::optional(kib * 1024) : std::nullopt;
    }
    return std::nullopt;
}

LaunchMeasurement measureLaunch(const LaunchPlan& plan, const WindowProbe& probe)
{
    LaunchMeasurement measurement;
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer sinceStart;
    sinceStart.start();
    process.start(plan.program, plan.arguments);
    if (!process.waitForStarted(10'000)) {
        measurement.failure = u"%1 cannot be started: %2"_s.arg(plan.program, process.errorString());
        return measurement;
    }

    const QDeadlineTimer paintDeadline(plan.paintTimeoutMs);
    std::optional<WindowProbe::Window> window;
    std::optional<WindowProbe::Frame> firstFrame;
    while (!measurement.firstPaintMs) {
        if (hasEnded(process)) {
            measurement.failure = endedEarly(process);
            return measurement;
        }
        if (paintDeadline.hasExpired()) {
            measurement.failure
                = u"no painted window titled \"%1\" within %2 ms"_s.arg(plan.windowTitle).arg(plan.paintTimeoutMs);
            endProcess(process);
            return measurement;
        }
        // Looked for afresh each time: a program may replace its window before showing it.
        window = probe.findWindow(plan.windowTitle);
        firstFrame = window ? probe.capture(*window) : std::nullopt;
        if (firstFrame && firstFrame->isPainted())
            measurement.firstPaintMs = msSince(sinceStart);
        else
            QThread::msleep(paintPollMs);
    }
    measureCompleteScreen(plan, probe, process, sinceStart, *window, std::move(*firstFrame), measurement);
    if (!measurement.failure.isEmpty())
        return measurement;
    measureSettledMemory(plan, process, measurement);
    endProcess(process);
    return measurement;
}
