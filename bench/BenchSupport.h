#pragma once

// Small pieces the benchmark programs share: reading their options and timing their work.

#include <QElapsedTimer>
#include <QLatin1String>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <vector>

// One "--name N" option of a benchmark: a positive whole number.
struct BenchNumberOption {
    QLatin1String name;
    int* target;
};

// Reads the command line after the program name into the given options. With `positional`, one
// argument that is not an option is stored there. Returns false on anything else (an unknown
// option, a missing or non-positive number), so the caller prints its usage.
inline bool readBenchOptions(
    const QStringList& arguments, std::initializer_list<BenchNumberOption> numbers, QString* positional = nullptr)
{
    for (qsizetype index = 1; index < arguments.size(); ++index) {
        const QString& argument = arguments[index];
        const BenchNumberOption* option = nullptr;
        for (const BenchNumberOption& candidate : numbers) {
            if (argument == candidate.name)
                option = &candidate;
        }
        if (option) {
            bool ok = false;
            if (index + 1 < arguments.size())
                *option->target = arguments[++index].toInt(&ok);
            if (!ok || *option->target <= 0)
                return false;
        } else if (positional && positional->isEmpty() && !argument.startsWith(QLatin1Char('-'))) {
            *positional = argument;
        } else {
            return false;
        }
    }
    return true;
}

// Seconds that `work` takes once.
inline double secondsOf(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

// The shortest of `runs` timings of `work`, in milliseconds.
inline double bestMilliseconds(int runs, const std::function<void()>& work)
{
    double best = 0;
    for (int run = 0; run < runs; ++run) {
        const double elapsed = secondsOf(work) * 1e3;
        best = run == 0 ? elapsed : std::min(best, elapsed);
    }
    return best;
}

inline double median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}
