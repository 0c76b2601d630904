#pragma once

#include "app/viewmodel/StudioState.h"

#include <optional>
#include <vector>

// What one move to the Trash takes: the uninstaller's target, the leftovers chosen for it (in list
// order), and whether its bundle goes too. The confirmation takes one when it opens and moves
// exactly that, whatever the lists show by the time the user answers.
struct UninstallSelection {
    InstalledAppRecord target;
    std::vector<LeftoverFileItem> leftovers = {};
    bool includesBundle = false;
    qint64 totalBytes = 0; // the leftovers' sizes, plus the bundle's when it goes; saturating

    bool operator==(const UninstallSelection&) const = default;
};

namespace StudioDerived {

// The selection a move would take now; none without a target. `bundleOffered` tells whether the
// bundle is on disk and outside the Trash: only then can the bundle option count.
std::optional<UninstallSelection> uninstallSelection(const StudioState& state, bool bundleOffered);

// Whether the move may be confirmed: a target whose leftovers are not being scanned, no move
// running, and something to move (a selected leftover, or the offered bundle with its option on).
bool canConfirmUninstall(const StudioState& state, bool bundleOffered);

} // namespace StudioDerived
