#pragma once

#include <QString>

// The few studio texts that name a place or a program of the desktop. On macOS they name the
// Finder and the Trash folder as that system has them; elsewhere those words would state
// something false (there is no Finder, and the watched Trash is the desktop's, not ~/.Trash), so
// the desktop's own names stand in. Each is an English and a Turkish text for truneText.
namespace StudioPlatformTexts {

struct Text {
    QString english;
    QString turkish;
};

// The action that shows a file in the desktop's file manager.
Text revealInFileManager();
// The Settings toggle that watches the Trash for deleted .app bundles.
Text watchTrashToggle();
// The uninstaller's footer line on how moved files come back.
Text restoreFromTrashFooter();
// The move-to-Trash confirmation's message; %1 is the size of what moves.
Text moveToTrashConfirmation();
// The missing-Homebrew card's description.
Text installHomebrewDescription();

} // namespace StudioPlatformTexts
