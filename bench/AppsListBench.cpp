// The Apps tab's list with 2,000 apps: how long the list model takes to follow a new state (the
// first fill, and a batch of measured sizes that changes eight rows), and how long one frame of
// the scrolled list takes to paint. Goal: a scroll frame paints in under 4 ms.
#include "app/models/AppsListModel.h"
#include "app/views/apps/AppRowDelegate.h"
#include "bench/ManyApps.h"
#include "kit/ui/TruneProductPalette.h"
#include "tests/support/RecordBuilders.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QListView>
#include <QPainter>
#include <QScrollBar>

using namespace Qt::StringLiterals;

namespace {

constexpr int appCount = 2'000;
const QLocale english(QLocale::English, QLocale::UnitedStates);

StudioState manyApps()
{
    StudioState state;
    state.installedApps = manyInstalledApps(appCount);
    state.config.ignoredBundleIDs = {u"com.example.app20"_s, u"com.example.app40"_s};
    state.brewExecutablePath = u"/opt/homebrew/bin/brew"_s;
    return state;
}

void fillTheListFromNothing(benchmark::State& run)
{
    const StudioState state = manyApps();
    for (auto _ : run) {
        AppsListModel model;
        model.sync(state, english);
        benchmark::DoNotOptimize(model.rowCount());
    }
    run.SetItemsProcessed(run.iterations() * appCount);
}
BENCHMARK(fillTheListFromNothing)->Unit(benchmark::kMillisecond);

// A batch of eight sizes, as the size measurement hands them over.
void followABatchOfSizes(benchmark::State& run)
{
    StudioState state = manyApps();
    AppsListModel model;
    model.sync(state, english);
    qint64 grow = 1;
    for (auto _ : run) {
        for (size_t index = 0; index < 8; ++index)
            state.installedApps[(index * 211 + static_cast<size_t>(grow)) % appCount].sizeBytes += grow;
        ++grow;
        model.sync(state, english);
        benchmark::DoNotOptimize(model.rowCount());
    }
}
BENCHMARK(followABatchOfSizes)->Unit(benchmark::kMillisecond);

// One frame of the list scrolled to its middle, painted as the viewport paints it.
void paintAScrolledFrame(benchmark::State& run)
{
    QListView list;
    auto* model = new AppsListModel(&list);
    list.setModel(model);
    list.setUniformItemSizes(true);
    list.setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    list.setItemDelegate(new AppRowDelegate(accentColor(TruneProductPalette::deepEmerald), list));
    model->sync(manyApps(), english);
    list.resize(1204, 540);
    list.show();
    QCoreApplication::processEvents();
    QImage frame(list.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    int offset = 0;
    for (auto _ : run) {
        list.verticalScrollBar()->setValue(list.verticalScrollBar()->maximum() / 2 + (offset++ % 40) * 7);
        frame.fill(Qt::transparent);
        QPainter painter(&frame);
        list.viewport()->render(&painter, {}, {}, QWidget::DrawChildren);
    }
    run.counters["goal_ms"] = 4;
}
BENCHMARK(paintAScrolledFrame)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
