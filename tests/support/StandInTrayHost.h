#pragma once

#include <QString>
#include <QStringList>

// Starts the stand-in org.kde.StatusNotifierWatcher on the private session bus (starting that
// bus first) and keeps it until the program ends, so Qt finds a tray host. Call before the
// QApplication exists; true once the watcher owns its name.
bool startStandInTrayHost(const QString& watcherProgram);

// The items registered with the stand-in so far (their bus names), asked over the bus.
QStringList standInTrayItems();
