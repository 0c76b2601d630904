#pragma once

#include "core/leftovers/TrashRemovalReport.h"
#include "core/records/InstalledAppRecord.h"
#include "core/records/LeftoverFileItem.h"
#include "kit/localization/TruneLanguage.h"

#include <QLocale>
#include <QSet>
#include <QString>

#include <functional>
#include <optional>
#include <vector>

// Finds the files and folders an application left in the user's Library (preferences, caches,
// containers, saved state, launch agents ...), decides which of them may be touched at all, and
// moves chosen ones to the Trash. Nothing is ever deleted: the only destructive operation is the
// move to the Trash, and it takes only what a scan can have offered.
//
// No state: every function depends only on its arguments and the file system. Nothing throws;
// the scan and the move block on the file system and may run on any thread.
namespace AppLeftoverScanner {

// The current user's home folder with "Library" appended.
QString defaultLibraryRootURL();

// The folders below the library root that a scan lists, each with the category its findings get.
struct ScanLocation {
    QString relativePath;
    LeftoverCategory category;
};
const std::vector<ScanLocation>& scanLocations();

// The entries of the scanned Library folders that belong to the app: immediate children only,
// hidden and protected entries left out, each once, with its allocated size. An entry found by
// the app's identifier starts selected, one found by its name alone does not. An entry that
// belongs to another installed app by that app's identifier (`otherInstalledBundleIDs`) is not
// offered. Larger items first; equal sizes by path under `locale`, case ignored. Apps of the
// system and this program itself are never scanned: their result is empty. A scanned folder that
// leads out of the home folder (a link to another place) is not listed.
std::vector<LeftoverFileItem> scanLeftovers(const QString& appName, const QString& bundleID,
    const QString& libraryRootURL, const QLocale& locale = QLocale(),
    const QSet<QString>& otherInstalledBundleIDs = {});

// Whether the program refuses to touch an entry of this name (or an app of this bundle
// identifier or name): system names, system prefixes, this program's own identifier.
bool isProtectedSystemEntry(const QString& name);

// Whether the Library entry named `entryName` belongs to the app, by its bundle identifier or,
// failing that, by its name. An identifier of one component ("com") matches only an entry of
// exactly that name.
bool matchesEntry(const QString& entryName, const QString& appName, const QString& bundleID);

// Moves the selected items, in list order, and then the app bundle when `includeAppBundle` is
// set, to the Trash. An item is moved only when a scan of `libraryRootURL` for the app
// (`appName`, `bundleID`) could have offered it: its name is not protected and belongs to the
// app, and it lies directly in a scanned folder that does not lead out of the home folder. The
// item itself is moved as it is, a link as a link. The bundle is moved only when it is a folder
// whose name ends in ".app". Anything else, and anything already in the Trash, is refused with a
// message in `language` under its path in `failedPaths` and left untouched. Items and bundles
// that no longer exist are skipped silently. The items' stored sizes count as reclaimed; the
// bundle is measured before it is moved.
TrashRemovalReport moveToTrash(const std::vector<LeftoverFileItem>& items, const QString& appName,
    const QString& bundleID, const std::optional<QString>& appBundlePath, bool includeAppBundle,
    const QString& libraryRootURL = defaultLibraryRootURL(), TruneLanguage language = TruneLanguage::current());

// Whether anything exists at `path`, symbolic links followed.
bool fileExistsAtPath(const QString& path);

// The alerts, in their order, whose trashed bundle is still in the Trash (`fileExists`) and whose
// app is not installed again (by bundle identifier or by bundle file name, case ignored).
std::vector<TrashLeftoverAlert> pruneStaleTrashAlerts(const std::vector<TrashLeftoverAlert>& alerts,
    const std::vector<InstalledAppRecord>& installedApps,
    const std::function<bool(const QString&)>& fileExists = fileExistsAtPath);

} // namespace AppLeftoverScanner
