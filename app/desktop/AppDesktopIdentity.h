#pragma once

// How the desktop knows the running program: by the desktop entry the install puts in place (named
// after the program's bundle identifier), which names it and groups its windows in task bars, the
// tray host and notifications, and by its icon.
namespace AppDesktopIdentity {

// Names the program's desktop entry and gives every window the program's icon. Needs the
// QGuiApplication.
void apply();

} // namespace AppDesktopIdentity
