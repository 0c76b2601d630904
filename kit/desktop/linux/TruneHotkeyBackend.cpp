#include "kit/desktop/TruneHotkeyBackend.h"

#include "kit/desktop/linux/TruneX11HotkeyBackend.h"

#include <QGuiApplication>

using namespace Qt::StringLiterals;

namespace {

xcb_connection_t* applicationX11Connection()
{
    const auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    // Other platform plugins may hold an X connection of their own (for OpenGL) without ever
    // dispatching its events; only the xcb plugin delivers key presses.
    if (!application || QGuiApplication::platformName() != u"xcb"_s)
        return nullptr;
    const auto* x11 = application->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

} // namespace

// Only an X server lets an application grab a key for the whole session.
std::unique_ptr<TruneHotkeyBackend> TruneHotkeyBackend::platformBackend()
{
    if (xcb_connection_t* connection = applicationX11Connection())
        return std::make_unique<TruneX11HotkeyBackend>(connection);
    return nullptr;
}
