#include "app/desktop/AppDesktopIdentity.h"

#include "app/desktop/AppIconArtwork.h"
#include "kit/platform/TruneBundle.h"

#include <QGuiApplication>

namespace AppDesktopIdentity {

std::future<std::vector<QImage>> startApplying()
{
    QGuiApplication::setDesktopFileName(TruneBundle::main().bundleIdentifier());
    return std::async(std::launch::async, &AppIconArtwork::windowImages);
}

void finishApplying(std::future<std::vector<QImage>> icon)
{
    QGuiApplication::setWindowIcon(AppIconArtwork::icon(icon.get()));
}

} // namespace AppDesktopIdentity
