#pragma once

#include <QString>
#include <QUrl>

// The desktop's "open" and "reveal" services. Both hand the request to the desktop and return
// whether it was handed over; neither waits for the application that shows it.
namespace TruneDesktopServices {

bool openUrl(const QUrl& url);

// Shows the item selected in the file manager; when no file manager offers that, opens the
// folder that holds it. False when nothing exists at the path.
bool revealInFileManager(const QString& path);

} // namespace TruneDesktopServices
