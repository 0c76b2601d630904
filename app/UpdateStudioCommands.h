#pragma once

#include "kit/ui/TruneMenuElement.h"

class UpdateStudioViewModel;

// The program's command menu, "TruneUpdate": "Check All Updates" (Ctrl+R), "Upgrade All Homebrew"
// (Ctrl+Shift+U), a divider and "Toggle Homebrew Console" (Ctrl+Alt+L). Titles, enabled states and
// actions are read from and sent to the view model each time the menu opens or a shortcut is
// pressed.
TruneCustomMenu updateStudioCommandMenu(UpdateStudioViewModel& viewModel);
