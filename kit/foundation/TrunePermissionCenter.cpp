#include "kit/foundation/TrunePermissionCenter.h"

#include "kit/platform/TruneDesktopServices.h"

namespace TrunePermissionCenter {

void openSystemSettings(TruneSystemPermissionKind kind)
{
    if (const std::optional<QUrl> url = settingsURL(kind))
        TruneDesktopServices::openUrl(*url);
}

} // namespace TrunePermissionCenter
