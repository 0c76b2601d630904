// How long the suite buses take to answer a hostile command slot, live file or tile folder: a
// FIFO nobody writes, a 10 MB file and a link. Each answer should take well under 100 ms.
#include "kit/suite/TruneSuiteCommandBus.h"
#include "kit/suite/TruneSuiteTelemetryBus.h"
#include "tests/support/BundleMaker.h"

#include <benchmark/benchmark.h>

#include <QDateTime>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

enum class Hostile { fifo, tenMegabytes, link };

void makeHostile(Hostile kind, const QString& path, const QString& elsewhere)
{
    switch (kind) {
    case Hostile::fifo:
        BundleMaker::makeFifo(path);
        break;
    case Hostile::tenMegabytes:
        BundleMaker::writeFile(path, QByteArray(10 * 1024 * 1024, ' '));
        break;
    case Hostile::link:
        BundleMaker::writeFile(elsewhere, "{}");
        BundleMaker::makeSymlink(elsewhere, path);
        break;
    }
}

void peekHostileCommandSlot(benchmark::State& state)
{
    QTemporaryDir dir;
    const TruneSuiteCommandBus bus(dir.path());
    makeHostile(static_cast<Hostile>(state.range(0)), bus.commandFilePath(TruneSuiteApp::lumbra), dir.filePath(u"x"_s));
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (auto _ : state)
        benchmark::DoNotOptimize(bus.peekPendingCommand(TruneSuiteApp::lumbra, now, 25));
}
BENCHMARK(peekHostileCommandSlot)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

void readHostileLiveFiles(benchmark::State& state)
{
    QTemporaryDir dir;
    const TruneSuiteTelemetryBus bus(dir.path());
    const auto kind = static_cast<Hostile>(state.range(0));
    makeHostile(kind, bus.liveStatusPath(TruneSuiteApp::lumbra), dir.filePath(u"x"_s));
    makeHostile(kind, bus.liveTilePath(TruneSuiteApp::lumbra), dir.filePath(u"y"_s));
    const QDateTime now = QDateTime::currentDateTimeUtc();
    for (auto _ : state) {
        benchmark::DoNotOptimize(bus.readLumbraStatus(now, 25));
        benchmark::DoNotOptimize(bus.readLiveTiles(now, 25));
    }
}
BENCHMARK(readHostileLiveFiles)->DenseRange(0, 2)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
