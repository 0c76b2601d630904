#include "app/desktop/AppDesktopIdentity.h"

#include "app/desktop/AppIconArtwork.h"
#include "kit/platform/TruneBundle.h"

#include <QGuiApplication>

namespace AppDesktopIdentity {

void apply()
{
    QGuiApplication::setDesktopFileName(TruneBundle::main().bundleIdentifier());
    QGuiApplication::setWindowIcon(AppIconArtwork::icon());
}

} // namespace AppDesktopIdentity
