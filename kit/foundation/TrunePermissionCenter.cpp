#include "kit/foundation/TrunePermissionCenter.h"

#include "kit/platform/TruneDesktopServices.h"

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

std::optional<QUrl> settingsURL(TruneSystemPermissionKind kind)
{
#if defined(Q_OS_MACOS)
    const char* anchor = "";
    switch (kind) {
    case TruneSystemPermissionKind::accessibility: anchor = "Privacy_Accessibility"; break;
    case TruneSystemPermissionKind::screenRecording: anchor = "Privacy_ScreenCapture"; break;
    case TruneSystemPermissionKind::systemAudio: anchor = "Privacy_AudioCapture"; break;
    }
    return QUrl(QStringLiteral("x-apple.systempreferences:com.apple.preference.security?") + QLatin1String(anchor));
#else
    Q_UNUSED(kind);
    return std::nullopt;
#endif
}

namespace TrunePermissionCenter {

bool isAccessibilityGranted(bool prompt)
{
    // There is no request to show: the answer cannot change by asking.
    Q_UNUSED(prompt);
    return isX11Session();
}

bool isScreenRecordingGranted()
{
    return isX11Session();
}

void openSystemSettings(TruneSystemPermissionKind kind)
{
    if (const std::optional<QUrl> url = settingsURL(kind))
        TruneDesktopServices::openUrl(*url);
}

} // namespace TrunePermissionCenter
