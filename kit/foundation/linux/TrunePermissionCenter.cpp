#include "kit/foundation/TrunePermissionCenter.h"

#include <QByteArray>

namespace {

// Sessions name their type in XDG_SESSION_TYPE; where it is missing (a bare X server, a remote
// shell), a display without a Wayland compositor is an X11 one. An X11 DISPLAY beside a Wayland
// compositor is Xwayland, whose clients see neither the other applications' keys nor their windows.
bool isX11Session()
{
    const QByteArray sessionType = qgetenv("XDG_SESSION_TYPE");
    if (sessionType == "x11")
        return true;
    if (sessionType == "wayland")
        return false;
    return !qEnvironmentVariableIsEmpty("DISPLAY") && qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
}

} // namespace

std::optional<QUrl> settingsURL(TruneSystemPermissionKind)
{
    return std::nullopt;
}

namespace TrunePermissionCenter {

bool isAccessibilityGranted(bool)
{
    // There is no request to show: the answer cannot change by asking.
    return isX11Session();
}

bool isScreenRecordingGranted()
{
    return isX11Session();
}

} // namespace TrunePermissionCenter
