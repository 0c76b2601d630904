#pragma once

#include <QImage>

#include <future>
#include <vector>

// How the desktop knows the running program: by the desktop entry the install puts in place (named
// after the program's bundle identifier), which names it and groups its windows in task bars, the
// tray host and notifications, and by its icon.
namespace AppDesktopIdentity {

// Names the program's desktop entry and gives every window the program's icon, in two steps so
// that drawing the icon overlaps the rest of the start-up (both need the QGuiApplication): the
// first names the desktop entry and starts drawing the icon on another thread; the second, called
// before the first window shows, waits for the drawing if need be and gives every window the icon.
std::future<std::vector<QImage>> startApplying();
void finishApplying(std::future<std::vector<QImage>> icon);

} // namespace AppDesktopIdentity
