// Starts a program on a throwaway demo home and removes the home when the program has ended:
//
//   trune-demo-home [--trash-after SECONDS] PROGRAM [ARGUMENT...]
//
// While the program runs, the app feeds are served on 127.0.0.1 and, after the given seconds
// (8 unless told; 0: never), one sample app is moved to the Trash so that the Trash banner shows.
#include "core/homebrew/HomebrewService.h"
#include "tests/support/demo/DemoHome.h"

#include <QCoreApplication>
#include <QProcess>
#include <QTimer>

#include <QDir>
#include <QFile>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <optional>

#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>

using namespace Qt::StringLiterals;

namespace {

volatile std::sig_atomic_t stopRequested = 0;
volatile std::sig_atomic_t runningProgram = 0;

// Ctrl+C or a closed terminal ends the program, and with it the demo, which then removes its home.
void forwardToProgram(int)
{
    stopRequested = 1;
    if (runningProgram > 0)
        ::kill(pid_t(runningProgram), SIGTERM);
}

struct Arguments {
    int trashAfterSeconds = 8;
    QString program;
    QStringList programArguments;
};

std::optional<Arguments> parseArguments(QStringList arguments)
{
    Arguments parsed;
    arguments.removeFirst();
    if (arguments.size() >= 2 && arguments.first() == u"--trash-after"_s) {
        bool ok = false;
        parsed.trashAfterSeconds = arguments[1].toInt(&ok);
        if (!ok || parsed.trashAfterSeconds < 0)
            return std::nullopt;
        arguments.remove(0, 2);
    }
    if (arguments.isEmpty() || arguments.first().startsWith(u'-'))
        return std::nullopt;
    parsed.program = arguments.takeFirst();
    parsed.programArguments = arguments;
    return parsed;
}

// The processes whose parent is this one: the program's orphans (a brew it started, their
// children) come here once the process that started them is gone.
QList<pid_t> childProcesses()
{
    QList<pid_t> children;
    const QString self = QString::number(::getpid());
    for (const QString& entry : QDir(u"/proc"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QFile stat(u"/proc/"_s + entry + u"/stat"_s);
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid ...": the name may hold spaces and parentheses.
        const QByteArray line = stat.readAll();
        const QList<QByteArray> fields = line.mid(line.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields[1] == self.toLatin1())
            children.append(pid_t(entry.toInt()));
    }
    return children;
}

// Ends every process the demo and its program left behind, so that none is still writing in the
// home while it is removed.
void endLeftBehindProcesses()
{
    for (QList<pid_t> children = childProcesses(); !children.isEmpty(); children = childProcesses()) {
        for (const pid_t child : children)
            ::kill(child, SIGKILL);
        for (const pid_t child : children) {
            while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) { }
        }
    }
}

void warnWhenAnotherBrewIsUsed(const DemoHome& home)
{
    const std::optional<QString> brew = HomebrewService::brewExecutableURL();
    if (brew && *brew != home.brewExecutable())
        std::fprintf(stderr,
            "Note: the Homebrew at %s is found before the demo's own, so the program shows that one.\n",
            qPrintable(*brew));
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    const std::optional<Arguments> arguments = parseArguments(QCoreApplication::arguments());
    if (!arguments) {
        std::fprintf(stderr, "usage: trune-demo-home [--trash-after SECONDS] PROGRAM [ARGUMENT...]\n");
        return 2;
    }

    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        std::signal(signal, forwardToProgram);
    // Orphans of the program become this process's children instead of init's, so that they can
    // be ended before the home goes.
    ::prctl(PR_SET_CHILD_SUBREAPER, 1);
    const DemoHome home;
    if (stopRequested)
        return 1;
    home.applyToEnvironment();
    std::printf("TruneUpdate demo: a home of %lld sample apps at %s (removed when the program ends).\n",
        qlonglong(home.appNames().size()), qPrintable(home.path()));
    std::fflush(stdout);
    warnWhenAnotherBrewIsUsed(home);

    QProcess program;
    program.setProcessChannelMode(QProcess::ForwardedChannels);
    program.setInputChannelMode(QProcess::ForwardedInputChannel);
    QObject::connect(&program, &QProcess::finished, &application, [&](int exitCode, QProcess::ExitStatus status) {
        runningProgram = 0;
        QCoreApplication::exit(status == QProcess::NormalExit ? exitCode : 1);
    });
    QObject::connect(&program, &QProcess::errorOccurred, &application, [&](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        std::fprintf(
            stderr, "%s cannot be started: %s\n", qPrintable(arguments->program), qPrintable(program.errorString()));
        QCoreApplication::exit(1);
    });
    program.start(arguments->program, arguments->programArguments);
    runningProgram = std::sig_atomic_t(program.processId());
    if (stopRequested)
        forwardToProgram(SIGTERM);
    if (arguments->trashAfterSeconds > 0) {
        QTimer::singleShot(arguments->trashAfterSeconds * 1000, &application, [&home] {
            if (home.trashLateApp())
                std::printf("TruneUpdate demo: %s was moved to the Trash.\n", DemoHome::lateTrashedAppName);
            std::fflush(stdout);
        });
    }
    const int status = QCoreApplication::exec();
    program.waitForFinished();
    endLeftBehindProcesses();
    return status;
}
