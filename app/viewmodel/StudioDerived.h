#pragma once

#include "app/viewmodel/HomebrewFilterIndex.h"
#include "app/viewmodel/StudioState.h"

#include <QLocale>
#include <QSet>
#include <QString>

#include <vector>

// The values the studio's views derive from the view model's state: worked out afresh on every
// call, never stored. Lists keep the order of their source unless a sort is named, and every sort
// is stable. A search text is trimmed and lower-cased; a record matches when one of its texts,
// lower-cased, contains it; a blank search matches everything. Names sort by `locale`, case
// ignored. The ignore list applies to installed apps only, and only to outdatedApps, the
// updatesAvailable filter and the ranking of filteredApps.
namespace StudioDerived {

// The ignored bundle identifiers, lower-cased (not trimmed). Build it once for a pass over many
// apps: the list may hold many thousands.
QSet<QString> ignoredBundleSet(const TruneUpdateConfig& config);
// Whether the app is in `ignoredSet` (from ignoredBundleSet); false without a bundle identifier.
bool isIgnored(const InstalledAppRecord& app, const QSet<QString>& ignoredSet);

std::vector<InstalledAppRecord> outdatedApps(const StudioState& state);

// Whether updating the app goes through its Homebrew cask: it has a cask token, brew is
// installed, and the cask is outdated or the app offers no download of its own.
bool canUpgradeAppViaHomebrew(const StudioState& state, const InstalledAppRecord& app);

// Outdated formulae installed on request.
std::vector<HomebrewItem> outdatedFormulae(const std::vector<HomebrewItem>& items);
// Outdated formulae installed only as dependencies.
std::vector<HomebrewItem> outdatedDependencyFormulae(const std::vector<HomebrewItem>& items);
std::vector<HomebrewItem> outdatedCasks(const std::vector<HomebrewItem>& items);
int directFormulaeCount(const std::vector<HomebrewItem>& items);
int dependencyFormulaeCount(const std::vector<HomebrewItem>& items);

// The outdated apps, plus the outdated formulae when the settings count them in the badge.
int menuBarBadgeCount(const StudioState& state);
// Outdated casks and formulae installed on request.
int outdatedBrewCount(const StudioState& state);
int outdatedDependencyBrewCount(const StudioState& state);

// The maker's own installed apps.
std::vector<InstalledAppRecord> quorvaneApps(const std::vector<InstalledAppRecord>& apps);
// The share of apps that run natively on Apple silicon (arm64 or universal), 0 to 100, halves
// rounded away from zero; 0 without apps.
int appleSiliconNativePercent(const std::vector<InstalledAppRecord>& apps);
// The apps' sizes added up, held at the 64-bit limits rather than wrapping round.
qint64 totalAppsDiskBytes(const std::vector<InstalledAppRecord>& apps);

// The apps that pass the selected filter and match the search, actionable updates first, then
// by name; while a batch upgrade holds the order, in the held order.
std::vector<InstalledAppRecord> filteredApps(const StudioState& state, const QLocale& locale = QLocale());
// The packages of the selected Homebrew sub-tab that match the filter text (the search sub-tab
// shows the search results as they are).
std::vector<HomebrewItem> filteredHomebrewItems(const StudioState& state);
// The same, matching through `index`, which first follows the state's packages: a view that keeps
// one index for its list lower-cases each package's texts once, not on every key of the filter.
std::vector<HomebrewItem> filteredHomebrewItems(const StudioState& state, HomebrewFilterIndex& index);
// The apps whose name or bundle identifier matches the uninstaller's search, in its sort order.
std::vector<InstalledAppRecord> filteredUninstallerApps(const StudioState& state, const QLocale& locale = QLocale());
std::vector<LeftoverFileItem> sortedLeftoverItems(const StudioState& state, const QLocale& locale = QLocale());
// The selected leftovers' sizes, plus the target app's when its bundle goes too; saturating.
qint64 selectedLeftoverBytes(const StudioState& state);
// The selected leftovers; the app bundle never counts.
int selectedLeftoverCount(const StudioState& state);

// "v" and the program's short version.
QString appVersionString();

} // namespace StudioDerived
