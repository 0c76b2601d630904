#pragma once

#include <QList>
#include <QString>

class QWidget;

// Saves what `widget` shows as "<name>.png" in $TRUNE_SCREENSHOT_DIR (default: the build's
// screenshots/ folder), so a person can look at every screen a test drew. Names read
// "<area>-<state>-<lang>", with "@2x" added at a device pixel ratio above 1. Returns the file's path; fails the test
// when it cannot be written.
QString saveScreenshot(QWidget& widget, const QString& name);

// Saves `window` with `popup` (an open menu, a tooltip, a dialog: a window of its own) drawn over
// it where the screen shows it, as "<name>.png" like saveScreenshot.
QString saveScreenshotWithPopup(QWidget& window, QWidget& popup, const QString& name);

// What every screenshot of a ground with widgets laid out on it must show: each widget that is
// not hidden has a size and lies wholly inside `ground`, so nothing is cut off or left out.
void expectEveryWidgetShownWhole(const QWidget& ground);

// No two of `widgets` (children of one parent) cover the same pixel, so each is seen whole beside
// the others.
void expectNoneOverlap(const QList<QWidget*>& widgets);
