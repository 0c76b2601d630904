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
constexpr int memoryPollMs = 200;

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

// Polls the resident memory until it moved less than the tolerance over the settle window.
void measureSettledMemory(const LaunchSpec& spec, QProcess& process, LaunchMeasurement& measurement)
{
    const qint64 pid = process.processId();
    const int windowSamples = std::max(2, spec.settleWindowMs / memoryPollMs);
    std::deque<qint64> recent;
    const QDeadlineTimer deadline(spec.memoryTimeoutMs);
    while (!deadline.hasExpired()) {
        const std::optional<qint64> resident = residentBytesOf(pid);
        if (!resident || hasEnded(process)) {
            measurement.failure = u"%1 ended while its memory was measured"_s.arg(spec.program);
            return;
        }
        measurement.residentBytes = resident;
        recent.push_back(*resident);
        if (qsizetype(recent.size()) > windowSamples)
            recent.pop_front();
        const auto [low, high] = std::ranges::minmax(recent);
        if (qsizetype(recent.size()) == windowSamples && high - low < spec.settleToleranceBytes) {
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

LaunchMeasurement measureLaunch(const LaunchSpec& spec, const WindowProbe& probe)
{
    LaunchMeasurement measurement;
    QProcess process;
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer sinceStart;
    sinceStart.start();
    process.start(spec.program, spec.arguments);
    if (!process.waitForStarted(10'000)) {
        measurement.failure = u"%1 cannot be started: %2"_s.arg(spec.program, process.errorString());
        return measurement;
    }

    const QDeadlineTimer paintDeadline(spec.paintTimeoutMs);
    while (!measurement.firstPaintMs) {
        if (hasEnded(process)) {
            measurement.failure = endedEarly(process);
            return measurement;
        }
        if (paintDeadline.hasExpired()) {
            measurement.failure
                = u"no painted window titled \"%1\" within %2 ms"_s.arg(spec.windowTitle).arg(spec.paintTimeoutMs);
            endProcess(process);
            return measurement;
        }
        // Looked for afresh each time: a program may replace its window before showing it.
        const std::optional<WindowProbe::Window> window = probe.findWindow(spec.windowTitle);
        if (window && probe.isPainted(*window))
            measurement.firstPaintMs = double(sinceStart.nsecsElapsed()) / 1e6;
        else
            QThread::msleep(paintPollMs);
    }
    measureSettledMemory(spec, process, measurement);
    endProcess(process);
    return measurement;
}
