#pragma once

#include "kit/platform/TruneBundle.h"

#include <QObject>

// The application's launch and reopen behaviour: one launch line in the runtime log, the studio
// window brought to the front shortly after launch, and the answer to a reopen request (here: a
// later launch of the program, see TruneSingleInstance). Lives as long as the application; used
// on the main thread.
class TruneAppActivationDelegate final : public QObject {
    Q_OBJECT

public:
    using QObject::QObject;

    // Writes "<name> v<version> (<build>) launched (<operating system>)" at level info, category
    // "lifecycle", to the bundle's application log, then brings the studio window to the front
    // 0.1 seconds later.
    void applicationDidFinishLaunching(const TruneBundle& bundle = TruneBundle::main());

    // With visible windows, brings the studio window to the front; without, asks the application
    // to open it again by posting "com.quorvane.reopenStudioWindow". Always true.
    bool applicationShouldHandleReopen(bool hasVisibleWindows);

    // A later launch asked to reopen: answered with whether a studio window is visible now.
    void handleReopenRequest();

    // Whether any window that could be the studio window (see bringStudioWindowToFront) is shown.
    // Panels and popups do not count: an open menu-bar popup must not keep a reopen from opening
    // the studio.
    static bool hasVisibleWindows();

    // Takes the first top-level window, in the application's window order, that can be a main
    // window: an ordinary window that the window manager manages and that accepts focus (tool
    // windows, popups, dialogs and tool tips are passed over). A minimised one is restored first;
    // then it is shown, raised and activated. Does nothing when no window qualifies.
    static void bringStudioWindowToFront();
};
