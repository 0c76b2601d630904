#pragma once

#include <QString>
#include <QUrl>

// What the operating system does for TruneDesktopServices once a request has been checked. Each
// platform's folder defines these.
namespace TruneDesktopServices::system {

// `url` is valid and absolute.
bool open(const QUrl& url);

// `absolutePath` is absolute and clean, and something (perhaps a dangling link) is there.
bool reveal(const QString& absolutePath);

} // namespace TruneDesktopServices::system
