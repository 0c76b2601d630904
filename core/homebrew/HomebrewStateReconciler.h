#pragma once

#include "core/records/HomebrewItem.h"
#include "core/records/InstalledAppRecord.h"

#include <QDateTime>
#include <QLocale>
#include <QString>

#include <optional>
#include <vector>

// Applies what a Homebrew operation just did to the shown lists without running brew again.
// Packages are identified by kind and name (trimmed, ignoring case). Every function takes values
// and returns a new list, kept in its given order unless it says it re-sorts into the canonical
// Homebrew order (outdated first, then by name); the locale decides the name order. Pure; any
// thread.
namespace HomebrewStateReconciler {

// The package is installed, current, and at its latest version (an empty latest version leaves
// the installed one as it was). Re-sorts when the package was in the list.
std::vector<HomebrewItem> applyUpgradeSuccess(
    const std::vector<HomebrewItem>& items, const QString& name, bool isCask, const QLocale& locale = QLocale());

// Every outdated item is current and at its latest version; installed flags stay. Re-sorts when
// anything changed.
std::vector<HomebrewItem> applyAllUpgraded(const std::vector<HomebrewItem>& items, const QLocale& locale = QLocale());

// Marks the first item of the installed package installed and current; a package not in the
// list is added from `installedItem`. Always re-sorts.
std::vector<HomebrewItem> applyInstallSuccess(
    const std::vector<HomebrewItem>& items, const HomebrewItem& installedItem, const QLocale& locale = QLocale());

// Removes every item of the package.
std::vector<HomebrewItem> applyUninstallSuccess(
    const std::vector<HomebrewItem>& items, const QString& name, bool isCask);

// Search results with the installed state, versions and outdated flag of the matching installed
// item (when two installed items are the same package, the later one counts); results that are
// not installed lose any stale installed state.
std::vector<HomebrewItem> syncSearchResults(
    const std::vector<HomebrewItem>& results, const std::vector<HomebrewItem>& installed);

// The apps installed by the cask `token` (ignoring case) no longer have an update, and show
// `newVersion` (trimmed) as installed and latest when one is given. A blank token changes nothing.
std::vector<InstalledAppRecord> markCaskUpgraded(
    const std::vector<InstalledAppRecord>& apps, const QString& token, const std::optional<QString>& newVersion);

// Each app that a cask of `brewItems` installed gets the cask's token, the Homebrew origin (the
// maker's own apps keep theirs), the cask's latest version, whether an update is due, and
// `checkedAt`. Apps no cask matches stay exactly as they were.
std::vector<InstalledAppRecord> applyHomebrewMetadata(const std::vector<InstalledAppRecord>& apps,
    const std::vector<HomebrewItem>& brewItems, const QDateTime& checkedAt);

// Whether the cask `token` (trimmed, ignoring case) is among `items` and outdated.
bool isCaskOutdated(const QString& token, const std::vector<HomebrewItem>& items);

} // namespace HomebrewStateReconciler
