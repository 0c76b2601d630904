#pragma once

#include <QLatin1String>
#include <QString>
#include <QStringList>

#include <initializer_list>

// One "--name N" option of a benchmark: a positive whole number.
struct BenchNumberOption {
    QLatin1String name;
    int* target;
};

// Reads the command line after the program name into the given options. With `positional`, one
// argument that is not an option is stored there. Returns false on anything else (an unknown
// option, a missing or non-positive number), so the caller prints its usage.
inline bool readBenchOptions(const QStringList& arguments, std::initializer_list<BenchNumberOption> numbers,
                             QString* positional = nullptr)
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
