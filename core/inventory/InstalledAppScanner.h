#pragma once

#include "core/records/InstalledAppRecord.h"

#include <QLocale>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <vector>

// Builds the inventory of installed applications: finds .app bundles in a list of folders, reads
// each into an InstalledAppRecord and returns the records sorted by name. It keeps no state; the
// only shared state it touches is the size cache of FastDirectorySizeReader. Nothing throws: a
// folder, bundle or file that cannot be read leads to a fallback value. All functions may be
// called from any thread; they block.
//
// The origin is one of quorvane, appStore, sparkle or direct; Homebrew casks and every update
// field are filled in later by others.
namespace InstalledAppScanner {

// "/Applications", then the Applications folder in the user's home folder.
QStringList defaultSearchDirectories();

// Sees the inspections of a scan start and finish, on the threads that run them. `inspected`
// receives each record as soon as it is read, before duplicates are dropped and the list sorted.
struct InspectionObserver {
    std::function<void(const QString& bundlePath)> started = {};
    std::function<void(const QString& bundlePath)> finished = {};
    std::function<void(const InstalledAppRecord& record)> inspected = {};
};

// The bundles found at the top level of `folders` and one level down (hidden entries and folders
// that are symbolic links are not searched), each inspected once, at most max(1, maxConcurrency)
// at a time, starting in the order found. Ordered by name under `locale`, case ignored; apps
// whose names compare the same keep the order in which they were found.
std::vector<InstalledAppRecord> scanInstalledApps(const QStringList& folders, bool includeSizes, int maxConcurrency,
    const QLocale& locale = QLocale(), const InspectionObserver& observer = {});

// The .app bundles at the top level of `folders` and one level down, in the order found (hidden
// entries and folders that are symbolic links are not searched): where the inventory looks.
QStringList discoverAppBundlePaths(const QStringList& folders);

// The record of the bundle at `bundlePath` (a relative path is taken from the current folder;
// "." and ".." are removed, symbolic links are kept); nullopt unless it is a directory whose name
// ends in ".app". With `includeSize` the bundle's allocated size is measured through the size
// cache; otherwise it is 0.
std::optional<InstalledAppRecord> inspectAppBundle(const QString& bundlePath, bool includeSize);

// The allocated size of `path` with the size cache in use.
qint64 directorySize(const QString& path);

} // namespace InstalledAppScanner
