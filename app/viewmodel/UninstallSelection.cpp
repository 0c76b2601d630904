#include "app/viewmodel/UninstallSelection.h"

#include <limits>

namespace {

qint64 saturatingAdd(qint64 total, qint64 value)
{
    qint64 sum = 0;
    if (!__builtin_add_overflow(total, value, &sum))
        return sum;
    return value > 0 ? std::numeric_limits<qint64>::max() : std::numeric_limits<qint64>::min();
}

} // namespace

namespace StudioDerived {

std::optional<UninstallSelection> uninstallSelection(const StudioState& state, bool bundleOffered)
{
    if (!state.uninstallerTargetApp)
        return std::nullopt;
    UninstallSelection selection{.target = *state.uninstallerTargetApp};
    for (const LeftoverFileItem& item : state.leftoverItems) {
        if (!item.isSelected)
            continue;
        selection.leftovers.push_back(item);
        selection.totalBytes = saturatingAdd(selection.totalBytes, item.sizeBytes);
    }
    selection.includesBundle = state.includeAppBundleInTrash && bundleOffered;
    if (selection.includesBundle)
        selection.totalBytes = saturatingAdd(selection.totalBytes, selection.target.sizeBytes);
    return selection;
}

bool canConfirmUninstall(const StudioState& state, bool bundleOffered)
{
    if (!state.uninstallerTargetApp || state.isScanningLeftovers || state.isMovingToTrash)
        return false;
    const std::optional<UninstallSelection> selection = uninstallSelection(state, bundleOffered);
    return !selection->leftovers.empty() || selection->includesBundle;
}

} // namespace StudioDerived
