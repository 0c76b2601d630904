#include "kit/desktop/TruneGlobalHotkeyManager.h"

#include <QMetaObject>

TruneGlobalHotkeyManager::TruneGlobalHotkeyManager()
    : m_backend(TruneHotkeyBackend::forCurrentSession())
{
    m_backend->setPressedHandler([this](const TruneHotkeyIdentity& identity) { return handlePressed(identity); });
}

TruneGlobalHotkeyManager::~TruneGlobalHotkeyManager()
{
    unregisterAll();
}

std::optional<quint32> TruneGlobalHotkeyManager::registerHotkey(const TruneHotkeyDescriptor& descriptor, Action action)
{
    // After the last id the counter stands at 0 for good: reusing ids could hand a press of an old
    // shortcut to a new action.
    if (m_nextID == 0)
        return std::nullopt;
    const quint32 id = m_nextID++;
    const std::optional<TruneHotkeyBackend::Reference> reference
        = m_backend->registerHotKey(descriptor, TruneHotkeyIdentity{signature, id});
    if (!reference)
        return std::nullopt;
    m_hotKeyRefs[id] = *reference;
    m_handlers[id] = std::move(action);
    return id;
}

void TruneGlobalHotkeyManager::unregister(quint32 id)
{
    if (const auto found = m_hotKeyRefs.find(id); found != m_hotKeyRefs.end()) {
        m_backend->unregisterHotKey(found->second);
        m_hotKeyRefs.erase(found);
    }
    m_handlers.erase(id);
}

void TruneGlobalHotkeyManager::unregisterAll()
{
    for (const auto& [id, reference] : m_hotKeyRefs)
        m_backend->unregisterHotKey(reference);
    m_hotKeyRefs.clear();
    m_handlers.clear();
}

// Takes the press of one of this manager's shortcuts and runs its action from the event loop,
// after the key event has been handled; presses of other signatures are left to others.
bool TruneGlobalHotkeyManager::handlePressed(const TruneHotkeyIdentity& identity)
{
    if (identity.signature != signature)
        return false;
    QMetaObject::invokeMethod(
        &m_mainThreadContext, [this, id = identity.id] { runAction(id); }, Qt::QueuedConnection);
    return true;
}

void TruneGlobalHotkeyManager::runAction(quint32 id)
{
    const auto found = m_handlers.find(id);
    if (found == m_handlers.end())
        return;
    // A copy, since the action may unregister its own shortcut (or all of them) while it runs.
    const Action action = found->second;
    action();
}
