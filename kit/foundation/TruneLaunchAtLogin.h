#pragma once

#include "kit/platform/TruneBundle.h"

// Whether the program starts when the user logs in, through the login item the desktop keeps
// for this program. The item starts the installed program when this executable is the installed
// one (its install recorded where it put it), else this executable by its absolute path.
// `runningApp` stands for the running program. Called on the main thread; keeps no state.
namespace TruneLaunchAtLogin {

// True exactly when the login item starts this executable and the user has not switched it off;
// a missing or unreadable item, or one left by another copy of the program, gives false.
bool isEnabled(const TruneBundle& runningApp = TruneBundle::main());

// Writes the login item (true) or removes it (false) without looking at it first; true when that
// worked. A write that fails leaves the previous item as it was. Removing an item that does not
// exist succeeds: the program is then not started at login.
bool setEnabled(bool enabled, const TruneBundle& runningApp = TruneBundle::main());

} // namespace TruneLaunchAtLogin
