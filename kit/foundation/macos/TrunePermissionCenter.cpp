#include "kit/foundation/TrunePermissionCenter.h"

using namespace Qt::StringLiterals;

std::optional<QUrl> settingsURL(TruneSystemPermissionKind kind)
{
    const char* anchor = "";
    switch (kind) {
    case TruneSystemPermissionKind::accessibility:
        anchor = "Privacy_Accessibility";
        break;
    case TruneSystemPermissionKind::screenRecording:
        anchor = "Privacy_ScreenCapture";
        break;
    case TruneSystemPermissionKind::systemAudio:
        anchor = "Privacy_AudioCapture";
        break;
    }
    return QUrl(u"x-apple.systempreferences:com.apple.preference.security?"_s + QLatin1String(anchor));
}
