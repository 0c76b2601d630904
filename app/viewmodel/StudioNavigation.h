#pragma once

#include "kit/platform/TruneRawValue.h"

// The studio window's navigation state. Each raw value is the case name; the views that show
// a case give it its title and symbol.

enum class UpdateStudioTab { updates, homebrew, uninstaller, suiteHub, settings };

template <> struct TruneRawValues<UpdateStudioTab> {
    static constexpr std::array cases{
        TruneRawCase{UpdateStudioTab::updates, "updates"},
        TruneRawCase{UpdateStudioTab::homebrew, "homebrew"},
        TruneRawCase{UpdateStudioTab::uninstaller, "uninstaller"},
        TruneRawCase{UpdateStudioTab::suiteHub, "suiteHub"},
        TruneRawCase{UpdateStudioTab::settings, "settings"},
    };
};

// The filter chips of the apps list.
enum class AppFilterKind { all, updatesAvailable, quorvane, homebrew, sparkle, appStore, appleSilicon, intel };

template <> struct TruneRawValues<AppFilterKind> {
    static constexpr std::array cases{
        TruneRawCase{AppFilterKind::all, "all"},
        TruneRawCase{AppFilterKind::updatesAvailable, "updatesAvailable"},
        TruneRawCase{AppFilterKind::quorvane, "quorvane"},
        TruneRawCase{AppFilterKind::homebrew, "homebrew"},
        TruneRawCase{AppFilterKind::sparkle, "sparkle"},
        TruneRawCase{AppFilterKind::appStore, "appStore"},
        TruneRawCase{AppFilterKind::appleSilicon, "appleSilicon"},
        TruneRawCase{AppFilterKind::intel, "intel"},
    };
};

// The sub-tabs of the Homebrew manager.
enum class HomebrewSubTab { casks, formulae, search };

template <> struct TruneRawValues<HomebrewSubTab> {
    static constexpr std::array cases{
        TruneRawCase{HomebrewSubTab::casks, "casks"},
        TruneRawCase{HomebrewSubTab::formulae, "formulae"},
        TruneRawCase{HomebrewSubTab::search, "search"},
    };
};
