#pragma once

// Whether the program starts when the user logs in. The login item is an XDG autostart entry,
// $XDG_CONFIG_HOME/autostart/<bundle identifier>.desktop, which the desktop reads at login.
// Called on the main thread; keeps no state.
namespace TruneLaunchAtLogin {

// True exactly when the entry is an application entry that starts this executable and is neither
// hidden nor switched off; a missing or unreadable entry, or one left by another copy of the
// program, gives false.
bool isEnabled();

// Writes the entry (true) or removes it (false) without looking at it first; true when that
// worked. Removing an entry that does not exist succeeds: the program is then not started at login.
bool setEnabled(bool enabled);

} // namespace TruneLaunchAtLogin
