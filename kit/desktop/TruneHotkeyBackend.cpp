#include "kit/desktop/TruneHotkeyBackend.h"

#include "kit/desktop/TruneX11HotkeyBackend.h"

#include <QGuiApplication>

namespace {

// Where the application has no X server to ask, every shortcut is refused.
class UnavailableHotkeyBackend final : public TruneHotkeyBackend {
public:
    void setPressedHandler(PressedHandler) override {}
    std::optional<Reference> registerHotKey(const TruneHotkeyDescriptor&, const TruneHotkeyIdentity&) override
    {
        return std::nullopt;
    }
    void unregisterHotKey(Reference) override {}
};

xcb_connection_t* applicationX11Connection()
{
    const auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    // Other platform plugins may hold an X connection of their own (for OpenGL) without ever
    // dispatching its events; only the xcb plugin delivers key presses.
    if (!application || QGuiApplication::platformName() != QStringLiteral("xcb"))
        return nullptr;
    const auto* x11 = application->nativeInterface<QNativeInterface::QX11Application>();
    return x11 ? x11->connection() : nullptr;
}

} // namespace

std::unique_ptr<TruneHotkeyBackend> TruneHotkeyBackend::forCurrentSession()
{
    if (xcb_connection_t* connection = applicationX11Connection())
        return std::make_unique<TruneX11HotkeyBackend>(connection);
    return std::make_unique<UnavailableHotkeyBackend>();
}
