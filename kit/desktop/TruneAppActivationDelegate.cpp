#include "kit/desktop/TruneAppActivationDelegate.h"

#include "kit/foundation/TruneAppLogger.h"
#include "kit/foundation/TruneAppVersion.h"
#include "kit/foundation/TruneApplicationName.h"
#include "kit/platform/TruneNotifier.h"

#include <QGuiApplication>
#include <QSysInfo>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <chrono>

namespace {

constexpr std::chrono::milliseconds activationDelay{100};

// The kernel by name, then the system's own name for itself (the PRETTY_NAME of os-release):
// "Linux Debian GNU/Linux 12 (bookworm)".
QString operatingSystemDescription()
{
#if defined(Q_OS_MACOS)
    return QStringLiteral("macOS ") + QSysInfo::productVersion();
#else
    QString kernel = QSysInfo::kernelType();
    if (!kernel.isEmpty())
        kernel[0] = kernel[0].toUpper();
    const QString system = QSysInfo::productType() == QStringLiteral("unknown") ? QSysInfo::kernelVersion()
                                                                                : QSysInfo::prettyProductName();
    return kernel + u' ' + system;
#endif
}

bool canBecomeMainWindow(const QWindow* window)
{
    if (window->type() != Qt::Window)
        return false;
    return !window->flags().testAnyFlags(Qt::WindowDoesNotAcceptFocus | Qt::BypassWindowManagerHint
                                         | Qt::WindowTransparentForInput);
}

} // namespace

void TruneAppActivationDelegate::applicationDidFinishLaunching(const TruneBundle& bundle)
{
    const QString name = truneApplicationName(bundle);
    const TruneAppVersion version =
        TruneAppVersion::current(bundle, QStringLiteral("1.0.0"), QStringLiteral("100"));
    TruneAppLogger::shared(name).info(name + u' ' + version.detailedDisplay() + QStringLiteral(" launched (")
                                          + operatingSystemDescription() + u')',
                                      QStringLiteral("lifecycle"));
    // Every application with windows is a regular one here: there is no activation policy to set,
    // and activating the application means activating its window, which the next step does.
    QTimer::singleShot(activationDelay, this, &TruneAppActivationDelegate::bringStudioWindowToFront);
}

bool TruneAppActivationDelegate::applicationShouldHandleReopen(bool hasVisibleWindows)
{
    if (hasVisibleWindows)
        bringStudioWindowToFront();
    else
        TruneNotifier::instance().post(TruneNotificationName::reopenStudioWindow);
    return true;
}

void TruneAppActivationDelegate::handleReopenRequest()
{
    applicationShouldHandleReopen(hasVisibleWindows());
}

bool TruneAppActivationDelegate::hasVisibleWindows()
{
    const QWindowList windows = QGuiApplication::topLevelWindows();
    return std::any_of(windows.cbegin(), windows.cend(),
                       [](const QWindow* window) { return canBecomeMainWindow(window) && window->isVisible(); });
}

void TruneAppActivationDelegate::bringStudioWindowToFront()
{
    for (QWindow* window : QGuiApplication::topLevelWindows()) {
        if (!canBecomeMainWindow(window))
            continue;
        if (window->windowStates().testFlag(Qt::WindowMinimized))
            window->setWindowStates(window->windowStates() & ~Qt::WindowMinimized);
        window->show();
        window->raise();
        window->requestActivate();
        return;
    }
}
