#include "core/records/VersionComparator.h"

#include <benchmark/benchmark.h>

#include <QString>
#include <QStringList>

using namespace Qt::StringLiterals;

namespace {

// The kinds of versions an update check meets: app bundles, appcast feeds and Homebrew.
const QStringList& realLookingVersions()
{
    static const QStringList versions{
        u"1.2.3"_s,
        u"1.10"_s,
        u"2.0b3"_s,
        u"v2.0.1"_s,
        u"1.4-rc.2"_s,
        u"3.1_2"_s,
        u"1.0,2024.05"_s,
        u"126.0.6478.127"_s,
        u"9.0.1_1"_s,
        u"2024.01.15"_s,
        u"latest"_s,
        u"1.0 beta 2"_s,
        u"5.2.1-beta.3+45"_s,
        u"17.4.1"_s,
        u"0.9.10"_s,
        u"1.0rc1"_s,
        u"4.2.0,1203"_s,
        u"3.0.0-alpha.12"_s,
        u"Ver 2.7"_s,
        u"11.6.2 (20G314)"_s,
        u"1.0b10"_s,
        u"23.1.0-dev"_s,
        u"7.0.0-nightly.2024"_s,
        u"1.5a.2"_s,
    };
    return versions;
}

void compareMixedVersions(benchmark::State& state)
{
    const QStringList& versions = realLookingVersions();
    for (auto _ : state) {
        for (const QString& left : versions) {
            for (const QString& right : versions)
                benchmark::DoNotOptimize(VersionComparator::compare(left, right));
        }
    }
    state.SetItemsProcessed(state.iterations() * versions.size() * versions.size());
}
BENCHMARK(compareMixedVersions);

} // namespace

BENCHMARK_MAIN();
