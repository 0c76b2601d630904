// Start-up and memory of the studio window beside a bare Qt Widgets window, measured from outside
// in the same run: under a private Xvfb each program is started over a demo home of many bundles,
// its window is found by title and its pixels are polled until it shows more than one colour (the
// first paint), then every 10 ms until they stayed the same for a settle period (3 s unless told):
// the complete screen, with the apps listed with their sizes, the Homebrew state shown and every
// spinner stopped, is the last change before that. The settle period is far longer than any pause
// between two visible steps of the start-up, so a slow step is waited for rather than cut off,
// and the time taken is that of the change itself, not of the end of the wait. Changes no wider
// than a text caret do not count, so a blinking caret cannot keep the screen from settling. The
// resident memory (VmRSS) is read once it stays flat after that. The program under test gets no
// hook of any kind. A plain program, not Google Benchmark: each figure needs a fresh process.
//
//   bench_first_paint [--runs N] [--bundles N] [--timeout-ms N] [--settle-ms N] [--program PATH]
//                     [--title TEXT] [--bare PATH] [-- PROGRAM-ARGUMENT...]
//
// Goals: the first paint and the complete screen each within 2x the bare window's first paint (the
// last line's ratio is the complete screen's), memory within the bare window's plus 40 MB.
#include "bench/BenchSupport.h"
#include "bench/LaunchMeasurement.h"
#include "bench/WindowProbe.h"
#include "tests/support/PrivateXServer.h"
#include "tests/support/demo/DemoHome.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>

#include <cstdio>
#include <cstdlib>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

struct Options {
    int runs = 5;
    int bundles = 300;
    int timeoutMs = 30'000;
    int settleMs = 3'000;
    QString program = {};
    QStringList programArguments = {};
    QString title = u"TruneUpdate — by Quorvane"_s;
    QString bare = {};
};

std::optional<Options> parseOptions(const QCoreApplication& application)
{
    const QString binaries = QCoreApplication::applicationDirPath();
    Options options{.program = binaries + u"/truneupdate"_s, .bare = binaries + u"/bench-bare-window"_s};
    QCommandLineParser parser;
    const QCommandLineOption runs(u"runs"_s, u"Measurements of each program."_s, u"N"_s);
    const QCommandLineOption bundles(u"bundles"_s, u"App bundles in the home."_s, u"N"_s);
    const QCommandLineOption timeout(u"timeout-ms"_s, u"Longest wait for a painted window."_s, u"N"_s);
    const QCommandLineOption settle(u"settle-ms"_s, u"How long a complete screen stays the same."_s, u"N"_s);
    const QCommandLineOption program(u"program"_s, u"The program under test."_s, u"PATH"_s);
    const QCommandLineOption title(u"title"_s, u"The title of its window."_s, u"TEXT"_s);
    const QCommandLineOption bare(u"bare"_s, u"The bare window program."_s, u"PATH"_s);
    parser.addOptions({runs, bundles, timeout, settle, program, title, bare});
    if (!parser.parse(application.arguments()))
        return std::nullopt;
    for (const auto& [option, target] : {std::pair{&runs, &options.runs}, std::pair{&bundles, &options.bundles},
             std::pair{&timeout, &options.timeoutMs}, std::pair{&settle, &options.settleMs}}) {
        if (!parser.isSet(*option))
            continue;
        bool ok = false;
        *target = parser.value(*option).toInt(&ok);
        if (!ok || *target <= 0)
            return std::nullopt;
    }
    options.program = parser.isSet(program) ? parser.value(program) : options.program;
    options.title = parser.isSet(title) ? parser.value(title) : options.title;
    options.bare = parser.isSet(bare) ? parser.value(bare) : options.bare;
    options.programArguments = parser.positionalArguments();
    return options;
}

void useDisplay(const std::string& display)
{
    ::setenv("DISPLAY", display.c_str(), 1);
    ::setenv("QT_QPA_PLATFORM", "xcb", 1);
    ::unsetenv("WAYLAND_DISPLAY");
    ::unsetenv("XDG_SESSION_TYPE");
}

struct Figures {
    std::vector<double> paintMs;
    std::vector<double> completeMs;
    std::vector<double> residentMiB;
    int unsettled = 0;
    int stillChanging = 0;
};

bool record(const char* label, const LaunchMeasurement& measurement, Figures& figures)
{
    if (!measurement.failure.isEmpty()) {
        std::fprintf(stderr, "%s: %s\n", label, qPrintable(measurement.failure));
        return false;
    }
    figures.paintMs.push_back(*measurement.firstPaintMs);
    figures.completeMs.push_back(*measurement.completeScreenMs);
    figures.stillChanging += measurement.screenSettled ? 0 : 1;
    figures.residentMiB.push_back(double(*measurement.residentBytes) / (1024.0 * 1024.0));
    figures.unsettled += measurement.memorySettled ? 0 : 1;
    return true;
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const std::optional<Options> options = parseOptions(application);
    if (!options) {
        std::fprintf(stderr,
            "usage: bench_first_paint [--runs N] [--bundles N] [--timeout-ms N] [--settle-ms N] "
            "[--program PATH] [--title TEXT] [--bare PATH] [-- PROGRAM-ARGUMENT...]\n");
        return 2;
    }
    const PrivateXServer server({.screen = "1920x1080x24", .blackRoot = true});
    if (server.display().empty()) {
        std::fprintf(stderr, "Xvfb did not start (scripts/setup installs it).\n");
        return 1;
    }
    const DemoHome home({.fillerBundles = std::max(0, options->bundles - DemoHome::sampleAppCount()),
        .brewLinePause = 0,
        .slowFeed = false});
    home.applyToEnvironment();
    useDisplay(server.display());
    const WindowProbe probe(QString::fromStdString(server.display()));

    const LaunchPlan bareSpec{.program = options->bare,
        .arguments = {u"Bare window"_s},
        .windowTitle = u"Bare window"_s,
        .paintTimeoutMs = options->timeoutMs,
        .screenSettleMs = options->settleMs};
    const LaunchPlan studioSpec{.program = options->program,
        .arguments = options->programArguments,
        .windowTitle = options->title,
        .paintTimeoutMs = options->timeoutMs,
        .screenSettleMs = options->settleMs};
    Figures bare, studio;
    for (int run = 0; run < options->runs; ++run) {
        // Alternating the order keeps a warm-up advantage from going to one side only.
        const bool bareFirst = run % 2 == 0;
        for (const bool measureBare : {bareFirst, !bareFirst}) {
            const bool measured = measureBare
                ? record("bare window", measureLaunch(bareSpec, probe), bare)
                : record(qPrintable(options->program), measureLaunch(studioSpec, probe), studio);
            if (!measured)
                return 1;
        }
    }

    std::printf("%lld bundles in the home, medians of %d runs under Xvfb %s\n", qlonglong(home.appNames().size()),
        options->runs, server.display().c_str());
    std::printf("  %-28s %14s %16s %12s\n", "", "first paint", "complete screen", "resident");
    const auto row = [](const char* label, const Figures& figures) {
        std::printf("  %-28s %11.1f ms %13.1f ms %8.1f MiB%s%s\n", label, median(figures.paintMs),
            median(figures.completeMs), median(figures.residentMiB),
            figures.stillChanging ? "  (screen still changing at the time-out)" : "",
            figures.unsettled ? "  (memory still moving at the time-out)" : "");
    };
    row("bare Qt Widgets window", bare);
    row(qPrintable(QDir(options->program).dirName()), studio);
    const double paintRatio = median(studio.paintMs) / median(bare.paintMs);
    const double extraMiB = median(studio.residentMiB) - median(bare.residentMiB);
    const double completeRatio = median(studio.completeMs) / median(bare.paintMs);
    std::printf("  first paint / bare window   %8.2f     (goal: at most 2.00) %s\n", paintRatio,
        paintRatio <= 2.0 ? "met" : "MISSED");
    std::printf("  memory - bare window        %8.1f MiB (goal: at most 40 MB = 38.1 MiB) %s\n", extraMiB,
        extraMiB * 1024 * 1024 <= 40e6 ? "met" : "MISSED");
    std::printf("anchor bare window's first paint %.1f ms, ours complete screen %.1f ms (goal: at most 2.00x) %s\n",
        median(bare.paintMs), median(studio.completeMs), completeRatio <= 2.0 ? "met" : "MISSED");
    std::printf("ratio %.2f\n", completeRatio);
    return 0;
}
