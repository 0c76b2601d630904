#pragma once

#include <QIcon>
#include <QImage>

// The tray item's icon: the update glyph, with the pending count painted into it when it is 1 or
// more, drawn for each of the sizes trays ask for.
QIcon menuBarTrayIcon(int badgeCount);

// The icon at one size: the glyph filling the square and, for a count of 1 or more, a round
// badge in its lower trailing corner holding the count ("99+" above 99).
QImage menuBarTrayImage(int badgeCount, int px);
