// Brew printing 50 MB into the Homebrew console, the whole way the app takes it: the runner reads
// the pipe, the studio's view model keeps the console's log and the drawer shows it, on the
// offscreen platform. The anchor is `cat` reading the same stand-in brew's same output through a
// pipe, both started directly, with no shell between. Anchor and console runs take turns, so a
// machine that grows busier or quieter meanwhile weighs on both alike, and each side's figure is
// the median of its runs.
//
//   bench_console_flood [--megabytes N] [--runs N]
//
// Besides the time it prints how late a 5 ms precise timer on the interface thread fired at worst
// while brew printed, and how much the process's resident memory rose over its level before.
#include "app/viewmodel/UpdateStudioViewModel.h"
#include "app/views/parts/BrewConsoleDrawerView.h"
#include "bench/BenchSupport.h"
#include "core/homebrew/HomebrewService.h"
#include "core/records/UpdateConfigStore.h"
#include "kit/foundation/TruneAppLogger.h"
#include "kit/platform/TruneTrash.h"
#include "tests/support/FakeBrew.h"
#include "tests/support/TempHome.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <QVBoxLayout>

#include <cstdio>
#include <optional>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace {

struct Options {
    int megabytes = 50;
    int runs = 7;
};

std::optional<Options> parseOptions(const QStringList& arguments)
{
    Options options;
    if (!readBenchOptions(
            arguments, {{QLatin1String("--megabytes"), &options.megabytes}, {QLatin1String("--runs"), &options.runs}}))
        return std::nullopt;
    return options;
}

// Lines as brew prints them while it pours bottles, one in sixteen with an emoji.
QByteArray brewOutput(qint64 bytes)
{
    QByteArray output;
    output.reserve(bytes + 128);
    for (int line = 0; output.size() < bytes; ++line) {
        output += "==> Pouring formula-" + QByteArray::number(line) + "--1.2.3.arm64_sonoma.bottle.tar.gz";
        output += line % 16 == 0 ? " \xF0\x9F\x8D\xBA\n" : "\n";
    }
    return output;
}

// This process's resident memory now ("VmRSS") or at its peak since the last reset ("VmHWM"), MiB.
double residentMebibytes(const char* field)
{
    QFile status(u"/proc/self/status"_s);
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(6).trimmed().split(' ').constFirst().toDouble() / 1024.0;
    }
    return 0;
}

// Starts the peak ("VmHWM") anew at the present resident memory.
void resetPeakMemory()
{
    QFile clear(u"/proc/self/clear_refs"_s);
    if (clear.open(QIODevice::WriteOnly))
        clear.write("5");
}

struct FloodRun {
    double milliseconds = 0;
    double worstLatenessMilliseconds = 0;
    double addedMebibytes = 0;
};

void waitFor(const std::function<bool()>& done)
{
    while (!done())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}

// The view model's own refresh after each command, so that the next run starts from rest.
void waitForRefresh(UpdateStudioViewModel& model)
{
    bool refreshed = false;
    model.refreshAllAndCheckUpdates([&] { refreshed = true; });
    waitFor([&] { return refreshed; });
}

// Starts `program` with `arguments`, reading standard input from `input` and writing standard output
// to `output`; -1 when it cannot start.
pid_t startWired(const QByteArray& program, std::vector<QByteArray> arguments, int input, int output)
{
    std::vector<char*> argv{const_cast<char*>(program.constData())};
    for (QByteArray& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input, STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
    pid_t pid = -1;
    if (posix_spawn(&pid, program.constData(), &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

bool exitsCleanly(pid_t pid)
{
    int status = 0;
    return pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// `brew update | cat > /dev/null`: from brew's start until both have exited, in milliseconds;
// nullopt when either fails. Brew reads from /dev/null, as under the runner.
std::optional<double> catThroughPipe(const QString& brew)
{
    const int devNull = open("/dev/null", O_RDWR | O_CLOEXEC);
    int pipeEnds[2];
    if (devNull < 0 || pipe2(pipeEnds, O_CLOEXEC) != 0)
        return std::nullopt;
    QElapsedTimer clock;
    clock.start();
    const pid_t writer = startWired(QFile::encodeName(brew), {QByteArray("update")}, devNull, pipeEnds[1]);
    const pid_t reader = startWired(QByteArray("/bin/cat"), {}, pipeEnds[0], devNull);
    for (const int fd : {pipeEnds[0], pipeEnds[1], devNull})
        close(fd);
    const bool brewExited = exitsCleanly(writer);
    const bool catExited = exitsCleanly(reader);
    const double elapsed = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    if (!brewExited || !catExited)
        return std::nullopt;
    return elapsed;
}

FloodRun floodTheConsole(UpdateStudioViewModel& model)
{
    const double before = residentMebibytes("VmRSS:");
    resetPeakMemory();

    QElapsedTimer clock;
    qint64 lastTick = 0;
    qint64 worstLateness = 0;
    QTimer ticker;
    ticker.setTimerType(Qt::PreciseTimer);
    ticker.setInterval(5);
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const qint64 now = clock.nsecsElapsed();
        worstLateness = std::max(worstLateness, now - lastTick - 5'000'000);
        lastTick = now;
    });
    clock.start();
    ticker.start();
    model.runBrewUpdateMetadata();
    waitFor([&] { return !model.state().isBrewCommandRunning; });
    const double elapsed = static_cast<double>(clock.nsecsElapsed()) / 1e6;
    ticker.stop();
    return {.milliseconds = elapsed,
        .worstLatenessMilliseconds = static_cast<double>(worstLateness) / 1e6,
        .addedMebibytes = residentMebibytes("VmHWM:") - before};
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const std::optional<Options> options = parseOptions(QCoreApplication::arguments());
    if (!options) {
        std::fprintf(stderr, "usage: bench_console_flood [--megabytes N] [--runs N]\n");
        return 2;
    }
    const TempHome home;
    FakeBrew brew;
    {
        const QByteArray output = brewOutput(qint64(options->megabytes) * 1'000'000);
        brew.respond({u"update"_s}, {.stdoutPieces = {output}});
    }
    HomebrewService::overrideSearchBundle(TruneBundle({}, brew.folder()));

    TruneAppLogger logger(u"TruneUpdate"_s, home.filePath(u"logs"_s), 2 * 1024 * 1024, 5, {});
    UpdateStudioViewModel model({
        .searchDirectories = {home.filePath(u"Applications"_s)},
        .libraryRoot = home.filePath(u"Library"_s),
        .trashFolder = TruneTrash::filesDirectory(),
        .configFolder = UpdateConfigStore::defaultDirectoryURL(),
        .logger = &logger,
        .now = [] { return QDateTime::currentDateTimeUtc(); },
        .measureSize = [](const QString&) { return qint64(0); },
        .locale = QLocale(QLocale::English),
        .openUrl = [](const QUrl&) { return false; },
    });
    QWidget window;
    auto* column = new QVBoxLayout(&window);
    column->addWidget(new BrewConsoleDrawerView(model));
    window.resize(900, 320);
    window.show();

    std::vector<double> anchorTimes;
    std::vector<double> ourTimes;
    double worstLateness = 0;
    double mostAdded = 0;
    for (int run = 0; run < options->runs; ++run) {
        // The refresh that follows each command ends first, so neither side shares the machine
        // with it.
        waitForRefresh(model);
        const std::optional<double> cat = catThroughPipe(brew.executablePath());
        if (!cat) {
            std::fprintf(stderr, "the stand-in brew did not run through cat\n");
            return 1;
        }
        anchorTimes.push_back(*cat);
        const FloodRun measured = floodTheConsole(model);
        ourTimes.push_back(measured.milliseconds);
        worstLateness = std::max(worstLateness, measured.worstLatenessMilliseconds);
        mostAdded = std::max(mostAdded, measured.addedMebibytes);
    }
    HomebrewService::overrideSearchBundle(std::nullopt);

    const double anchor = median(anchorTimes);
    const double ours = median(ourTimes);
    std::printf("%d MB of brew output, %d runs each, taking turns: median times, worst lateness, most memory\n",
        options->megabytes, options->runs);
    std::printf("  interface thread: a 5 ms timer fired at worst %.1f ms late (goal: at most 50)\n", worstLateness);
    std::printf("  memory added: %.1f MiB (goal: at most 8)\n", mostAdded);
    std::printf("anchor cat through a pipe %.1f ms, ours %.1f ms (goal: at most 1.5x), ratio %.2f\n", anchor, ours,
        ours / anchor);
    return 0;
}
