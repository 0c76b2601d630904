#include "kit/foundation/TrunePermissionCenter.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>

namespace {

// Sets the session's environment variables for the life of the object and restores them after.
class SessionEnvironment final {
public:
    SessionEnvironment(const char* sessionType, const char* display, const char* waylandDisplay)
    {
        set("XDG_SESSION_TYPE", sessionType);
        set("DISPLAY", display);
        set("WAYLAND_DISPLAY", waylandDisplay);
    }

    ~SessionEnvironment()
    {
        for (const auto& [name, value] : m_saved) {
            if (value)
                qputenv(name.constData(), *value);
            else
                qunsetenv(name.constData());
        }
    }

    SessionEnvironment(const SessionEnvironment&) = delete;
    SessionEnvironment& operator=(const SessionEnvironment&) = delete;

private:
    void set(const char* name, const char* value)
    {
        m_saved[name] = qEnvironmentVariableIsSet(name) ? std::optional(qgetenv(name)) : std::nullopt;
        if (value)
            qputenv(name, value);
        else
            qunsetenv(name);
    }

    std::map<QByteArray, std::optional<QByteArray>> m_saved;
};

} // namespace

TEST(TrunePermissionCenterTest, KindsAreListedInOrderByTheirRawValues)
{
    EXPECT_EQ(allCases<TruneSystemPermissionKind>(),
        (std::vector{TruneSystemPermissionKind::accessibility, TruneSystemPermissionKind::screenRecording,
            TruneSystemPermissionKind::systemAudio}));
    EXPECT_EQ(rawValue(TruneSystemPermissionKind::screenRecording), QStringLiteral("screenRecording"));
    EXPECT_EQ(fromRawValue<TruneSystemPermissionKind>(u"systemAudio"), TruneSystemPermissionKind::systemAudio);
}

// There are no settings panes for these permissions here, so there is nothing to open.
TEST(TrunePermissionCenterTest, NoKindHasASettingsLinkHere)
{
    for (const TruneSystemPermissionKind kind : allCases<TruneSystemPermissionKind>()) {
        SCOPED_TRACE(rawValue(kind).toStdString());
        EXPECT_EQ(settingsURL(kind), std::nullopt);
        TrunePermissionCenter::openSystemSettings(kind);
    }
}

// X11 lets every client watch keys and read the screen; Wayland (Xwayland included) lets none.
TEST(TrunePermissionCenterTest, PermissionsAreHeldExactlyInAnX11Session)
{
    struct Case {
        const char* name;
        const char* sessionType;
        const char* display;
        const char* waylandDisplay;
        bool granted;
    };
    const Case cases[] = {
        {"x11 session", "x11", ":0", nullptr, true},
        {"bare X server", nullptr, ":1", nullptr, true},
        {"wayland session with Xwayland", "wayland", ":0", "wayland-0", false},
        {"compositor without a session type", nullptr, ":0", "wayland-0", false},
        {"text console", "tty", nullptr, nullptr, false},
        {"no display at all", nullptr, nullptr, nullptr, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const SessionEnvironment session(c.sessionType, c.display, c.waylandDisplay);
        EXPECT_EQ(TrunePermissionCenter::isAccessibilityGranted(false), c.granted);
        EXPECT_EQ(TrunePermissionCenter::isAccessibilityGranted(true), c.granted);
        EXPECT_EQ(TrunePermissionCenter::isScreenRecordingGranted(), c.granted);
    }
}
