#pragma once

// Installs a built main menu and runs the application: on macOS the menu bar is the global one;
// elsewhere there is no global menu, so it goes into the host window.

#include "kit/ui/TruneAppMenuController.h"

class QMainWindow;

namespace TruneAppKitLauncher {

// Keeps `delegate` and the menu controller as long as the application object, installs the menu and
// returns the event loop's exit code once the application quits.
int run(QObject* delegate, QMainWindow* hostWindow, TruneAppMenuOptions options);

// What run() keeps alive.
QObject* strongDelegate();
TruneAppMenuController* strongMenuController();

} // namespace TruneAppKitLauncher
