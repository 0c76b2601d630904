#include "kit/platform/TruneWorkspace.h"

using namespace Qt::StringLiterals;

namespace TruneWorkspace {

Result openAppStoreUpdatesPage()
{
    return std::unexpected(TruneWorkspaceError{
        .kind = TruneWorkspaceError::Kind::appStoreUnavailable,
        .english = u"The App Store is not available on this system."_s,
        .turkish = u"Bu sistemde App Store kullanılamıyor."_s,
    });
}

Result launchApplication(const QString&)
{
    return std::unexpected(TruneWorkspaceError{
        .kind = TruneWorkspaceError::Kind::appsNotLaunchable,
        .english = u"macOS applications cannot be opened on this system."_s,
        .turkish = u"macOS uygulamaları bu sistemde açılamaz."_s,
    });
}

} // namespace TruneWorkspace
