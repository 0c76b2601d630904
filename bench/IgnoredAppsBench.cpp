// Showing the Settings view when a hand-edited settings file ignores many thousands of bundle
// identifiers, against a plain QListView over a QStringListModel of the same identifiers: each
// made, laid out at the studio's size and painted once.
//
//   bench_ignored_apps [--runs N]
//
// Prints the best time of each over the runs at 20,000 and 100,000 identifiers; the last line is
// "ratio <ours / plain list>" at 100,000.
#include "app/viewmodel/UpdateStudioViewModel.h"
#include "app/views/settings/UpdateSettingsView.h"
#include "bench/BenchSupport.h"
#include "core/records/UpdateConfigStore.h"
#include "kit/ui/TruneProductPalette.h"
#include "tests/app/StudioTestHome.h"

#include <QApplication>
#include <QListView>
#include <QStringListModel>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

const QSize studioSize(1240, 700);

QStringList ignoredIDs(int count)
{
    QStringList ids;
    ids.reserve(count);
    for (int index = 0; index < count; ++index)
        ids.append(u"com.example.vendor%1.application-with-a-long-name"_s.arg(index));
    return ids;
}

// Lays `widget` out at the studio's size and paints it once.
void showOnce(QWidget& widget)
{
    widget.resize(studioSize);
    widget.grab();
}

double settingsViewMilliseconds(UpdateStudioViewModel& model, int runs)
{
    return bestMilliseconds(runs, [&] {
        UpdateSettingsView view(model, accentColor(TruneProductPalette::deepEmerald));
        showOnce(view);
    });
}

double plainListMilliseconds(const QStringList& ids, int runs)
{
    return bestMilliseconds(runs, [&] {
        QListView list;
        QStringListModel model(ids);
        list.setUniformItemSizes(true);
        list.setModel(&model);
        showOnce(list);
    });
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    int runs = 3;
    if (!readBenchOptions(QCoreApplication::arguments(), {{QLatin1String("--runs"), &runs}})) {
        std::fprintf(stderr, "usage: bench_ignored_apps [--runs N]\n");
        return 2;
    }
    double ratio = 0;
    for (const int count : {20'000, 100'000}) {
        StudioTestHome home;
        const QStringList ids = ignoredIDs(count);
        UpdateConfigStore(home.configFolder(), 500).saveConfig({.ignoredBundleIDs = ids});
        UpdateStudioViewModel model(home.environment());
        // The first refresh follows the stored files; the view is timed once it has ended.
        while (!model.state().lastCheckDate || model.state().isCheckingUpdates)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);

        const double anchor = plainListMilliseconds(ids, runs);
        const double ours = settingsViewMilliseconds(model, runs);
        std::printf("%d ignored identifiers (best of %d)\n", count, runs);
        std::printf("  anchor QListView + QStringListModel: %10.2f ms\n", anchor);
        std::printf("  ours Settings view:                  %10.2f ms\n", ours);
        ratio = ours / anchor;
    }
    std::printf("ratio %.2f\n", ratio);
    return 0;
}
