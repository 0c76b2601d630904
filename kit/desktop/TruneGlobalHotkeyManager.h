#pragma once

#include "kit/desktop/TruneHotkeyBackend.h"
#include "kit/foundation/TruneHotkeyDescriptor.h"

#include <QObject>

#include <functional>
#include <map>
#include <memory>
#include <optional>

// Registers system-wide keyboard shortcuts that work while another application is in front, and
// runs a shortcut's action on the main thread when it is pressed. Shortcuts are registered under
// the kit's signature "TRUN" and an id of the manager's own; ids start at 1, grow by one per
// registration attempt (refused ones included) and are never reused. Used on the main thread.
class TruneGlobalHotkeyManager final {
public:
    using Action = std::function<void()>;

    // "TRUN", its four ASCII bytes read as a big-endian number.
    static constexpr quint32 signature
        = (quint32('T') << 24) | (quint32('R') << 16) | (quint32('U') << 8) | quint32('N');

    // Uses the backend of the current session (TruneHotkeyBackend::forCurrentSession()).
    TruneGlobalHotkeyManager();
    // Releases every shortcut; actions still queued for a press are dropped.
    ~TruneGlobalHotkeyManager();
    TruneGlobalHotkeyManager(const TruneGlobalHotkeyManager&) = delete;
    TruneGlobalHotkeyManager& operator=(const TruneGlobalHotkeyManager&) = delete;

    // The new shortcut's id, or nothing when the desktop refuses it (another application holds
    // the combination, or the session offers no global shortcuts). Refused once all 2^32 - 1 ids
    // have been issued.
    std::optional<quint32> registerHotkey(const TruneHotkeyDescriptor& descriptor, Action action);
    // Ids that are not registered are ignored.
    void unregister(quint32 id);
    void unregisterAll();

private:
    bool handlePressed(const TruneHotkeyIdentity& identity);
    void runAction(quint32 id);

    QObject m_mainThreadContext; // queued actions go away with it
    std::unique_ptr<TruneHotkeyBackend> m_backend;
    quint32 m_nextID = 1;
    std::map<quint32, TruneHotkeyBackend::Reference> m_hotKeyRefs;
    std::map<quint32, Action> m_handlers;
};
