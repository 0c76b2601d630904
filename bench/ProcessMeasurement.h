#pragma once

// Runs a program as a whole process and measures it from outside: wall time from start to exit,
// and the peak resident memory of the program itself. The peak is the "VmHWM" line that the
// program prints from /proc/self/status as it ends (printOwnPeakMemory): the system's own
// figure for a child also counts the memory of the process that started it, before the start.

#include <QByteArray>
#include <QElapsedTimer>
#include <QFile>
#include <QString>
#include <QStringList>

#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <vector>

struct ProcessMeasurement {
    double milliseconds = 0;
    double peakMebibytes = 0; // 0 when the program printed no peak
};

// Prints this process's "VmHWM: N kB" line, for the process that measures it.
inline void printOwnPeakMemory()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith("VmHWM:"))
            std::printf("%s\n", line.constData());
    }
}

// A Python statement that prints the interpreter's peak as printOwnPeakMemory does.
inline QString pythonPrintsOwnPeakMemory()
{
    return QStringLiteral("[print(l, end='') for l in open('/proc/self/status') if l.startswith('VmHWM:')]");
}

inline double peakMebibytesIn(const QByteArray& output)
{
    const qsizetype at = output.indexOf("VmHWM:");
    if (at < 0)
        return 0;
    const QByteArray line = output.mid(at + 6, output.indexOf('\n', at) - at - 6).trimmed();
    return line.split(' ').constFirst().toDouble() / 1024.0;
}

// One run of `program` with `arguments`; nullopt when it cannot be started or does not exit with
// status 0.
inline std::optional<ProcessMeasurement> measureProcess(const QString& program, const QStringList& arguments)
{
    std::vector<QByteArray> storage{program.toLocal8Bit()};
    for (const QString& argument : arguments)
        storage.push_back(argument.toLocal8Bit());
    std::vector<char*> argv;
    for (QByteArray& text : storage)
        argv.push_back(text.data());
    argv.push_back(nullptr);
    int output[2];
    if (pipe(output) != 0)
        return std::nullopt;

    QElapsedTimer timer;
    timer.start();
    const pid_t child = fork();
    if (child == 0) {
        dup2(output[1], STDOUT_FILENO);
        close(output[0]);
        close(output[1]);
        execv(argv[0], argv.data());
        _exit(127);
    }
    close(output[1]);
    QByteArray printed;
    char buffer[4096];
    for (ssize_t got; (got = read(output[0], buffer, sizeof buffer)) > 0;)
        printed.append(buffer, got);
    close(output[0]);
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        return std::nullopt;
    return ProcessMeasurement{
        .milliseconds = static_cast<double>(timer.nsecsElapsed()) / 1e6, .peakMebibytes = peakMebibytesIn(printed)};
}

// The best time and the highest peak of `runs` runs; nullopt when any run fails.
inline std::optional<ProcessMeasurement> bestOfProcessRuns(
    int runs, const QString& program, const QStringList& arguments)
{
    std::optional<ProcessMeasurement> best;
    for (int run = 0; run < runs; ++run) {
        const std::optional<ProcessMeasurement> measured = measureProcess(program, arguments);
        if (!measured)
            return std::nullopt;
        if (!best)
            best = measured;
        best->milliseconds = std::min(best->milliseconds, measured->milliseconds);
        best->peakMebibytes = std::max(best->peakMebibytes, measured->peakMebibytes);
    }
    return best;
}
