#pragma once

#include "kit/desktop/TruneHotkeyBackend.h"

#include <QAbstractNativeEventFilter>

#include <map>

#include <xcb/xcb.h>

// System-wide shortcuts on an X server: a passive grab of the key on every root window, made on
// the application's own connection, whose key presses reach the application's native event
// filter. Each shortcut is grabbed with and without Num Lock and Caps Lock, so that neither lock
// keeps it from firing. Command becomes Control and Option becomes Alt; Shift stays Shift.
class TruneX11HotkeyBackend final : public TruneHotkeyBackend, private QAbstractNativeEventFilter {
public:
    // `connection` is the application's X connection; it outlives the backend.
    explicit TruneX11HotkeyBackend(xcb_connection_t* connection);
    ~TruneX11HotkeyBackend() override;
    TruneX11HotkeyBackend(const TruneX11HotkeyBackend&) = delete;
    TruneX11HotkeyBackend& operator=(const TruneX11HotkeyBackend&) = delete;

    void setPressedHandler(PressedHandler handler) override;
    std::optional<Reference> registerHotKey(
        const TruneHotkeyDescriptor& descriptor, const TruneHotkeyIdentity& identity) override;
    void unregisterHotKey(Reference reference) override;

private:
    struct Grab {
        xcb_keycode_t keycode = 0;
        uint16_t modifiers = 0;
        TruneHotkeyIdentity identity;
    };

    bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;
    std::optional<xcb_keycode_t> keycodeFor(xcb_keysym_t keysym) const;
    bool grab(xcb_keycode_t keycode, uint16_t modifiers);
    void ungrab(xcb_keycode_t keycode, uint16_t modifiers);

    xcb_connection_t* m_connection;
    PressedHandler m_pressed;
    std::map<Reference, Grab> m_grabs;
    Reference m_nextReference = 1;
};
