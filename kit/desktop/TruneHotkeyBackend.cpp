#include "kit/desktop/TruneHotkeyBackend.h"

namespace {

// Where the session offers no system-wide shortcuts, every shortcut is refused.
class UnavailableHotkeyBackend final : public TruneHotkeyBackend {
public:
    void setPressedHandler(PressedHandler) override { }
    std::optional<Reference> registerHotKey(const TruneHotkeyDescriptor&, const TruneHotkeyIdentity&) override
    {
        return std::nullopt;
    }
    void unregisterHotKey(Reference) override { }
};

} // namespace

std::unique_ptr<TruneHotkeyBackend> TruneHotkeyBackend::forCurrentSession()
{
    if (std::unique_ptr<TruneHotkeyBackend> backend = platformBackend())
        return backend;
    return std::make_unique<UnavailableHotkeyBackend>();
}
