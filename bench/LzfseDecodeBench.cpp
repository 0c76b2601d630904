#include "kit/localization/TruneLzfseDecoder.h"

#include <benchmark/benchmark.h>

#include <QFile>

namespace {

QByteArray readFixture(const char* name)
{
    QFile file(QStringLiteral(TRUNE_LZFSE_FIXTURE_DIR "/") + QLatin1String(name));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The large catalogue: several compressed blocks, about 280 KB decoded.
void decodeLargeCatalogue(benchmark::State& state)
{
    const QByteArray compressed = readFixture("de-large.json.lzfse");
    qint64 decodedBytes = 0;
    for (auto _ : state) {
        const auto decoded = TruneLzfse::decode(compressed);
        if (!decoded) {
            state.SkipWithError(decoded.error().reason().toStdString().c_str());
            return;
        }
        decodedBytes = decoded->size();
        benchmark::DoNotOptimize(decoded->constData());
    }
    state.SetBytesProcessed(state.iterations() * decodedBytes);
    state.counters["MB/s"]
        = benchmark::Counter(static_cast<double>(decodedBytes) / 1e6, benchmark::Counter::kIsIterationInvariantRate);
}

} // namespace

BENCHMARK(decodeLargeCatalogue)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
