#pragma once

#include "kit/foundation/TruneHotkeyDescriptor.h"

#include <QtGlobal>

#include <functional>
#include <memory>
#include <optional>

// The pair a shortcut is registered under and reported with when pressed: the registering
// client's four-character signature and the id it gave the shortcut.
struct TruneHotkeyIdentity {
    quint32 signature = 0;
    quint32 id = 0;

    bool operator==(const TruneHotkeyIdentity&) const = default;
};

// The desktop's service for system-wide shortcuts, as one hot-key manager uses it: each manager
// has a backend of its own. Used on the main thread.
class TruneHotkeyBackend {
public:
    using Reference = quint64;
    // Called on the main thread while the key event is being dispatched; answers whether it took
    // the event (an event it declines goes on to the rest of the application).
    using PressedHandler = std::function<bool(const TruneHotkeyIdentity&)>;

    virtual ~TruneHotkeyBackend() = default;

    // The platform's backend when the session lets an application claim a key system-wide;
    // otherwise (offscreen, no GUI at all, a session without such a service) one that refuses
    // every shortcut.
    static std::unique_ptr<TruneHotkeyBackend> forCurrentSession();

    virtual void setPressedHandler(PressedHandler handler) = 0;

    // The live shortcut's reference, or nothing when the desktop refuses it (the key is taken,
    // the key code or a modifier has no counterpart here, or there is no desktop to ask).
    virtual std::optional<Reference> registerHotKey(
        const TruneHotkeyDescriptor& descriptor, const TruneHotkeyIdentity& identity)
        = 0;
    virtual void unregisterHotKey(Reference reference) = 0;

private:
    // The platform's backend for the running session, or null when the session offers none.
    static std::unique_ptr<TruneHotkeyBackend> platformBackend();
};
