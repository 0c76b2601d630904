// Scrolling the Apps tab's list of 2,000 apps with the wheel in the real studio window, under an
// X server of its own: each wheel step is timed from the wheel event until the window's frame it
// brings is painted and flushed, the whole window's frame and not only the list's part. A plain
// QListView of the same names, scrolled by the same steps in a window of the same size, is shown
// beside it. A plain program.
//
//   bench_apps_scroll [--steps N]
//
// Goal: the 90th percentile of our frames under 4 ms; the ratio is that figure over 4 ms.
#include "app/viewmodel/UpdateStudioViewModel.h"
#include "app/views/shell/MainUpdateStudioView.h"
#include "bench/BenchSupport.h"
#include "bench/ManyApps.h"
#include "kit/ui/TruneProductPalette.h"
#include "tests/app/StudioTestAccess.h"
#include "tests/app/StudioTestHome.h"
#include "tests/support/PrivateXServer.h"

#include <QApplication>
#include <QListView>
#include <QMainWindow>
#include <QStringListModel>
#include <QWheelEvent>
#include <QWindow>

#include <cstdio>
#include <cstdlib>

using namespace Qt::StringLiterals;

namespace {

constexpr int appCount = 2'000;
constexpr double frameBudgetMs = 4;
const QSize windowSize(1240, 780);

// Times the frames of one window: from start() until each of its update requests (the paint of
// everything dirty and the flush to the screen) has been handled.
class FrameClock final : public QObject {
public:
    explicit FrameClock(QWidget& window) { window.installEventFilter(this); }

    void start()
    {
        m_frames = 0;
        m_timer.start();
    }
    int frames() const { return m_frames; }
    double lastFrameEndMs() const { return static_cast<double>(m_lastFrameEnd) / 1e6; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::UpdateRequest || m_delivering)
            return false;
        m_delivering = true;
        QCoreApplication::sendEvent(watched, event);
        m_delivering = false;
        m_lastFrameEnd = m_timer.nsecsElapsed();
        ++m_frames;
        return true;
    }

private:
    QElapsedTimer m_timer;
    qint64 m_lastFrameEnd = 0;
    int m_frames = 0;
    bool m_delivering = false;
};

struct ScrollFigures {
    std::vector<double> frameMs; // one a wheel step: until its last frame was painted
    int frames = 0;
};

void waitUntilExposed(QWidget& window)
{
    QElapsedTimer waited;
    waited.start();
    while (!(window.windowHandle() && window.windowHandle()->isExposed()) && waited.elapsed() < 10'000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    for (int turn = 0; turn < 20; ++turn)
        QCoreApplication::processEvents();
}

void turnWheel(QWidget& viewport, int steps)
{
    const QPointF inside(viewport.width() / 2.0, viewport.height() / 2.0);
    QWheelEvent wheel(inside, viewport.mapToGlobal(inside), QPoint(), QPoint(0, -120 * steps), Qt::NoButton,
        Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&viewport, &wheel);
}

// `steps` wheel steps down and as many back up, each one's frames painted before the next.
ScrollFigures scroll(QWidget& window, QListView& list, int steps)
{
    FrameClock clock(window);
    ScrollFigures figures;
    for (int step = 0; step < 2 * steps; ++step) {
        clock.start();
        turnWheel(*list.viewport(), step < steps ? 1 : -1);
        for (int turn = 0; turn < 4; ++turn)
            QCoreApplication::processEvents();
        if (clock.frames() > 0)
            figures.frameMs.push_back(clock.lastFrameEndMs());
        figures.frames += clock.frames();
    }
    return figures;
}

ScrollFigures scrollTheStudio(int steps)
{
    StudioTestHome home;
    UpdateStudioViewModel viewModel(home.environment());
    viewModel.setLanguage(TruneLanguage::en);
    viewModel.setSelectedTab(UpdateStudioTab::updates);
    if (!waitForFirstRefresh(viewModel))
        return {};
    StudioTestAccess::publishInstalledApps(viewModel, manyInstalledApps(appCount));
    QMainWindow window;
    window.setWindowTitle(u"TruneUpdate — by Quorvane"_s);
    window.setCentralWidget(new MainUpdateStudioView(viewModel, accentColor(TruneProductPalette::deepEmerald)));
    window.resize(windowSize);
    window.show();
    waitUntilExposed(window);
    auto* list = window.findChild<QListView*>(u"appsList"_s);
    if (!list || !list->isVisible())
        return {};
    return scroll(window, *list, steps);
}

ScrollFigures scrollAPlainList(int steps)
{
    QStringList names;
    for (const InstalledAppRecord& app : manyInstalledApps(appCount))
        names.append(app.name);
    QStringListModel model(names);
    QListView list;
    list.setModel(&model);
    list.resize(windowSize);
    list.show();
    waitUntilExposed(list);
    return scroll(list, list, steps);
}

double percentile90(std::vector<double> values)
{
    std::ranges::sort(values);
    return values[values.size() * 9 / 10];
}

void useDisplay(const std::string& display)
{
    ::setenv("DISPLAY", display.c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    ::unsetenv("WAYLAND_DISPLAY");
}

void printFigures(const char* what, const ScrollFigures& figures)
{
    const auto over = std::ranges::count_if(figures.frameMs, [](double ms) { return ms > frameBudgetMs; });
    std::printf("%s: %.2f frames a wheel step, median %.2f ms, p90 %.2f ms, %lld of %zu steps over %.0f ms\n", what,
        static_cast<double>(figures.frames) / static_cast<double>(figures.frameMs.size()), median(figures.frameMs),
        percentile90(figures.frameMs), static_cast<long long>(over), figures.frameMs.size(), frameBudgetMs);
}

} // namespace

int main(int argc, char** argv)
{
    const PrivateXServer server({.screen = "1920x1080x24"});
    if (server.display().empty()) {
        std::fprintf(stderr, "Xvfb did not start\n");
        return 1;
    }
    useDisplay(server.display());
    QApplication application(argc, argv);
    int steps = 200;
    if (!readBenchOptions(application.arguments(), {{QLatin1String("--steps"), &steps}})) {
        std::fprintf(stderr, "usage: bench_apps_scroll [--steps N]\n");
        return 2;
    }
    const ScrollFigures plain = scrollAPlainList(steps);
    const ScrollFigures ours = scrollTheStudio(steps);
    if (plain.frameMs.empty() || ours.frameMs.empty()) {
        std::fprintf(stderr, "a window painted no frame\n");
        return 1;
    }
    std::printf("%d apps, %d wheel steps down and up\n", appCount, steps);
    printFigures("plain QListView of the names", plain);
    printFigures("ours studio window, Apps tab", ours);
    std::printf("ratio %.2f\n", percentile90(ours.frameMs) / frameBudgetMs);
    return 0;
}
