// A stand-in for the program in the desktop tests, run as a separate process.
//
//   trune-desktop-stand-in program [cued]
//       Claims the single running copy. The first launch prints "running", then the name of every
//       kit notification it hears; a later launch asks it to reopen, prints "handed over" and
//       exits. With "cued" it first prints "ready" and waits for a line on standard input, so
//       that several launches can claim at the same moment.
//   trune-desktop-stand-in hotkey <key code>
//       Registers Command-Option with the virtual key code and prints "registered" or "refused",
//       then "pressed" for every press.
//
// Each line is flushed at once. Every mode that keeps running ends when its standard input closes.

#include "kit/desktop/TruneAppActivationDelegate.h"
#include "kit/desktop/TruneGlobalHotkeyManager.h"
#include "kit/foundation/TruneSingleInstance.h"
#include "kit/platform/TruneNotifier.h"

#include <QGuiApplication>
#include <QSocketNotifier>
#include <QStringList>

#include <cstdio>
#include <cstdlib>

#include <unistd.h>

namespace {

void say(const QString& line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

// Blocks until a line (or the end) arrives on standard input.
void waitForCue()
{
    say(QStringLiteral("ready"));
    char c = 0;
    while (::read(STDIN_FILENO, &c, 1) == 1 && c != '\n') { }
}

int runProgram(QGuiApplication& app, bool cued)
{
    if (cued)
        waitForCue();
    TruneSingleInstance instance;
    if (instance.claim() == TruneSingleInstance::Role::secondary) {
        say(QStringLiteral("handed over"));
        return EXIT_SUCCESS;
    }
    TruneAppActivationDelegate delegate;
    QObject::connect(
        &instance, &TruneSingleInstance::reopenRequested, &delegate, &TruneAppActivationDelegate::handleReopenRequest);
    QObject::connect(&TruneNotifier::instance(), &TruneNotifier::posted, &app, [](const QString& name) { say(name); });
    delegate.applicationDidFinishLaunching();
    say(QStringLiteral("running"));
    return app.exec();
}

int runHotkey(QGuiApplication& app, quint32 keyCode)
{
    TruneGlobalHotkeyManager manager;
    const auto id = manager.registerHotkey(
        {keyCode, TruneHotkeyDescriptor::cmdOptionFlag}, [] { say(QStringLiteral("pressed")); });
    say(id ? QStringLiteral("registered") : QStringLiteral("refused"));
    return app.exec();
}

} // namespace

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    QSocketNotifier input(STDIN_FILENO, QSocketNotifier::Read);
    QObject::connect(&input, &QSocketNotifier::activated, &app, [&app, &input] {
        char buffer[256];
        if (::read(STDIN_FILENO, buffer, sizeof buffer) <= 0) {
            input.setEnabled(false);
            app.quit();
        }
    });

    const QStringList arguments = app.arguments();
    const QString mode = arguments.value(1);
    if (mode == QStringLiteral("program"))
        return runProgram(app, arguments.value(2) == QStringLiteral("cued"));
    if (mode == QStringLiteral("hotkey") && arguments.size() == 3)
        return runHotkey(app, arguments.at(2).toUInt());
    std::fprintf(stderr, "usage: %s program | hotkey <key code>\n", argv[0]);
    return EXIT_FAILURE;
}
