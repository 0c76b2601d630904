#include "app/viewmodel/BrewConsoleLog.h"

#include <benchmark/benchmark.h>

#include <QString>

using namespace Qt::StringLiterals;

namespace {

// A console kept near its cap by a brew that prints one line at a time: the common case, where
// the UTF-16 length alone shows whether a trim is due.
void appendLinesToAFullConsole(benchmark::State& state)
{
    const QString line = u"==> Pouring python@3.12--3.12.4.arm64_sonoma.bottle.tar.gz\n"_s;
    QString log = u"x"_s.repeated(BrewConsoleLog::maxCharacters - 4'000);
    for (auto _ : state) {
        BrewConsoleLog::append(log, line);
        benchmark::DoNotOptimize(log.size());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(appendLinesToAFullConsole);

// Output made of characters of several units each (accents, emoji): every append past 60,000
// units has to count characters from the end.
void appendToAConsoleOfWideCharacters(benchmark::State& state)
{
    const QString chunk = u"e\u0301\U0001F37A "_s.repeated(16) + u"\n"_s;
    QString log = u"\U0001F1F9\U0001F1F7"_s.repeated(40'000);
    for (auto _ : state) {
        BrewConsoleLog::append(log, chunk);
        benchmark::DoNotOptimize(log.size());
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(appendToAConsoleOfWideCharacters);

} // namespace

BENCHMARK_MAIN();
