#include "app/viewmodel/UninstallSelection.h"

#include "tests/support/RecordBuilders.h"

#include <gtest/gtest.h>

#include <limits>

using namespace Qt::StringLiterals;

namespace {

StudioState inspecting(qint64 bundleSize, std::vector<LeftoverFileItem> leftovers)
{
    StudioState state;
    state.uninstallerTargetApp = AppRecordBuilder(u"Lumen"_s).sizeBytes(bundleSize).build();
    state.leftoverItems = std::move(leftovers);
    return state;
}

LeftoverFileItem leftover(const QString& path, qint64 size, bool selected)
{
    return LeftoverFileItem(std::nullopt, path, LeftoverCategory::caches, size, selected);
}

} // namespace

TEST(UninstallSelectionTest, TheSelectionTakesTheTickedItemsAndTheBundleOnlyWhenOffered)
{
    struct Case {
        const char* what;
        bool include;
        bool offered;
        bool secondSelected;
        bool scanning;
        bool moving;
        qint64 totalBytes;
        bool includesBundle;
        bool canConfirm;
    };
    const Case cases[] = {
        {"items and bundle", true, true, true, false, false, 1000 + 30 + 7, true, true},
        {"bundle chosen but gone or in the Trash", true, false, true, false, false, 30 + 7, false, true},
        {"bundle not chosen", false, true, false, false, false, 30, false, true},
        {"only the bundle", true, true, false, false, false, 1000 + 30, true, true},
        {"a scan runs", true, true, true, true, false, 1000 + 30 + 7, true, false},
        {"a move runs", true, true, true, false, true, 1000 + 30 + 7, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        StudioState state
            = inspecting(1000, {leftover(u"/L/Caches/a"_s, 30, true), leftover(u"/L/Caches/b"_s, 7, c.secondSelected)});
        state.includeAppBundleInTrash = c.include;
        state.isScanningLeftovers = c.scanning;
        state.isMovingToTrash = c.moving;
        const std::optional<UninstallSelection> selection = StudioDerived::uninstallSelection(state, c.offered);
        ASSERT_TRUE(selection);
        EXPECT_EQ(selection->totalBytes, c.totalBytes);
        EXPECT_EQ(selection->includesBundle, c.includesBundle);
        EXPECT_EQ(selection->leftovers.size(), c.secondSelected ? 2u : 1u);
        EXPECT_EQ(selection->target, *state.uninstallerTargetApp);
        EXPECT_EQ(StudioDerived::canConfirmUninstall(state, c.offered), c.canConfirm);
    }
}

TEST(UninstallSelectionTest, NothingToMoveOrNoTargetCannotBeConfirmed)
{
    StudioState state = inspecting(1000, {leftover(u"/L/Caches/a"_s, 30, false)});
    EXPECT_FALSE(StudioDerived::canConfirmUninstall(state, false));
    state.includeAppBundleInTrash = false;
    EXPECT_FALSE(StudioDerived::canConfirmUninstall(state, true));
    EXPECT_EQ(StudioDerived::uninstallSelection(state, true)->totalBytes, 0);

    EXPECT_EQ(StudioDerived::uninstallSelection(StudioState(), true), std::nullopt);
    EXPECT_FALSE(StudioDerived::canConfirmUninstall(StudioState(), true));

    // Sizes add up without wrapping round.
    StudioState huge = inspecting(std::numeric_limits<qint64>::max(), {leftover(u"/L/Caches/a"_s, 5, true)});
    EXPECT_EQ(StudioDerived::uninstallSelection(huge, true)->totalBytes, std::numeric_limits<qint64>::max());
}
