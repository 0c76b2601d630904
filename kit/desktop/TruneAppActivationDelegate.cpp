#include "kit/desktop/TruneAppActivationDelegate.h"

#include "kit/foundation/TruneAppLogger.h"
#include "kit/foundation/TruneAppVersion.h"
#include "kit/foundation/TruneApplicationName.h"
#include "kit/platform/TruneNotifier.h"
#include "kit/platform/TrunePlatform.h"

#include <QGuiApplication>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <chrono>

namespace {

constexpr std::chrono::milliseconds activationDelay{100};

bool canBecomeMainWindow(const QWindow* window)
{
    if (window->type() != Qt::Window)
        return false;
    return !window->flags().testAnyFlags(
        Qt::WindowDoesNotAcceptFocus | Qt::BypassWindowManagerHint | Qt::WindowTransparentForInput);
}

} // namespace

void TruneAppActivationDelegate::applicationDidFinishLaunching(const TruneBundle& bundle)
{
    const QString name = truneApplicationName(bundle);
    const TruneAppVersion version = TruneAppVersion::current(bundle, QStringLiteral("1.0.0"), QStringLiteral("100"));
    TruneAppLogger::shared(name).info(name + u' ' + version.detailedDisplay() + QStringLiteral(" launched (")
            + TrunePlatform::operatingSystemDescription() + u')',
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
