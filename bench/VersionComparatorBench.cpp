#include "core/records/VersionComparator.h"

#include <benchmark/benchmark.h>

#include <QString>
#include <QStringList>

namespace {

// The kinds of versions an update check meets: app bundles, appcast feeds and Homebrew.
const QStringList& realLookingVersions()
{
    static const QStringList versions{
        u"1.2.3"_qs,          u"1.10"_qs,           u"2.0b3"_qs,           u"v2.0.1"_qs,
        u"1.4-rc.2"_qs,       u"3.1_2"_qs,          u"1.0,2024.05"_qs,     u"126.0.6478.127"_qs,
        u"9.0.1_1"_qs,        u"2024.01.15"_qs,     u"latest"_qs,          u"1.0 beta 2"_qs,
        u"5.2.1-beta.3+45"_qs, u"17.4.1"_qs,        u"0.9.10"_qs,          u"1.0rc1"_qs,
        u"4.2.0,1203"_qs,     u"3.0.0-alpha.12"_qs, u"Ver 2.7"_qs,         u"11.6.2 (20G314)"_qs,
        u"1.0b10"_qs,         u"23.1.0-dev"_qs,     u"7.0.0-nightly.2024"_qs, u"1.5a.2"_qs,
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
