#include "kit/platform/TruneWorkspace.h"

#include "kit/platform/TruneDesktopServices.h"

#include <QProcess>
#include <QStringList>
#include <QUrl>

using namespace Qt::StringLiterals;

namespace {

TruneWorkspaceError launchFailure(const QString& bundlePath)
{
    return {
        .kind = TruneWorkspaceError::Kind::launchFailed,
        .english = u"The application “%1” could not be opened."_s.arg(bundlePath),
        .turkish = u"“%1” uygulaması açılamadı."_s.arg(bundlePath),
    };
}

} // namespace

namespace TruneWorkspace {

Result openAppStoreUpdatesPage()
{
    // The store's own scheme: the page lists the pending updates of the store's apps.
    TruneDesktopServices::openUrl(QUrl(u"macappstore://showUpdatesPage"_s));
    return {};
}

Result launchApplication(const QString& bundlePath)
{
    if (!QProcess::startDetached(u"/usr/bin/open"_s, {u"-a"_s, bundlePath}))
        return std::unexpected(launchFailure(bundlePath));
    return {};
}

} // namespace TruneWorkspace
