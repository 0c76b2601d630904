#pragma once

#include "kit/platform/TruneRawValue.h"

#include <QString>
#include <QUrl>

#include <optional>

// The privacy permissions the program's audit lists, identified by their raw values.
enum class TruneSystemPermissionKind { accessibility, screenRecording, systemAudio };

template <> struct TruneRawValues<TruneSystemPermissionKind> {
    static constexpr std::array cases{
        TruneRawCase{TruneSystemPermissionKind::accessibility, "accessibility"},
        TruneRawCase{TruneSystemPermissionKind::screenRecording, "screenRecording"},
        TruneRawCase{TruneSystemPermissionKind::systemAudio, "systemAudio"},
    };
};

// The link to the system settings pane that grants the permission. Only macOS has such panes;
// elsewhere there is none.
std::optional<QUrl> settingsURL(TruneSystemPermissionKind kind);

// Whether the program holds the permissions that let it watch the keyboard and the screen
// system-wide. Called on the main thread; keeps no state.
//
// An X11 session puts no per-application gate in front of either: every X client may grab keys
// and read the screen, so both checks answer true there. A Wayland session (or one with no display
// at all) lets no application do either by itself, and there is nothing to grant ahead of time:
// both answer false. Neither check ever shows a prompt here.
namespace TrunePermissionCenter {

bool isAccessibilityGranted(bool prompt);
bool isScreenRecordingGranted();

// Opens the kind's settings pane when a link for it exists; the outcome is not examined. With no
// link (every kind here) nothing is opened.
void openSystemSettings(TruneSystemPermissionKind kind);

} // namespace TrunePermissionCenter
