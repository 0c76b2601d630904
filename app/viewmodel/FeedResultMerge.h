#pragma once

#include "core/records/InstalledAppRecord.h"
#include "core/sparkle/SparkleUpdateChecker.h"

#include <QDateTime>
#include <QHash>

#include <vector>

// Brings what the apps' update feeds reported into the app list. An app with a result is marked
// checked at `mergeTime`; it takes the feed's version (the short version, else the build version)
// and update verdict unless Homebrew already found an update that the feed does not confirm, in
// which case Homebrew's version and verdict stand. Release-notes and download links only fill
// gaps: a link the app has is never replaced.
std::vector<InstalledAppRecord> mergeFeedResults(std::vector<InstalledAppRecord> apps,
    const QHash<QString, SparkleUpdateCheckResult>& results, const QDateTime& mergeTime);
