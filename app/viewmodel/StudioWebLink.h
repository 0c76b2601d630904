#pragma once

#include <QUrl>

#include <optional>

// The web page a text names, when it is an absolute http or https address with a host. Only web
// pages are handed to the desktop: outside data (a feed, a package's metadata) could name a local
// file or a scheme that starts a program.
std::optional<QUrl> studioWebLink(const std::optional<QString>& text);
