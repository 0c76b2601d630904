#include "kit/desktop/TruneGlobalHotkeyManager.h"

#include <gtest/gtest.h>

// Without an X server (the offscreen platform here, a Wayland session on a desktop) no
// application can claim a key system-wide: every registration is refused, as when another
// application holds the key.
TEST(TruneGlobalHotkeyManagerWithoutX11Test, EveryRegistrationIsRefused)
{
    TruneGlobalHotkeyManager manager;
    int runs = 0;
    for (const quint32 modifiers : {TruneHotkeyDescriptor::cmdOptionFlag, TruneHotkeyDescriptor::cmdShiftFlag, 0u}) {
        SCOPED_TRACE(modifiers);
        EXPECT_EQ(manager.registerHotkey({32, modifiers}, [&] { ++runs; }), std::nullopt);
    }
    manager.unregister(1);
    manager.unregisterAll();
    EXPECT_EQ(runs, 0);
}
