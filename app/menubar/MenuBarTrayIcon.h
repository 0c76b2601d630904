#pragma once

#include <QIcon>

// The tray item's icon: the update glyph, with the pending count painted into it when it is 1 or
// more, drawn for each of the sizes trays ask for.
QIcon menuBarTrayIcon(int badgeCount);
