#include "kit/desktop/TruneAppActivationDelegate.h"

#include "kit/foundation/TruneAppLogger.h"
#include "kit/foundation/TruneAppVersion.h"
#include "kit/foundation/TruneApplicationName.h"
#include "kit/platform/TruneNotifier.h"
#include "kit/platform/TrunePlatform.h"

#include <QApplication>
#include <QTimer>
#include <QWidget>
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

// A window that carries a widget is shown through the widget. Shown on its own, the window comes
// back while the widget still counts itself hidden, and closing the two later (as Quit does) never
// finishes.
void showWindowOrItsWidget(QWindow* window)
{
    if (qobject_cast<QApplication*>(QCoreApplication::instance())) {
        for (QWidget* widget : QApplication::topLevelWidgets()) {
            if (widget->windowHandle() == window) {
                widget->show();
                return;
            }
        }
    }
    window->show();
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
        showWindowOrItsWidget(window);
        window->raise();
        window->requestActivate();
        return;
    }
}
