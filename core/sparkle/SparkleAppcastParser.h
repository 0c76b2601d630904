#pragma once

#include "core/sparkle/SparkleAppcastItem.h"

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <optional>
#include <vector>

// Reads appcast feeds (RSS documents whose items describe the releases of one application),
// chooses the newest release the running system may install, and tells whether it is newer than
// the installed application. Pure functions on values: no state, any thread, nothing fails.
namespace SparkleAppcastParser {

// Feeds larger than this (5 MiB) are never parsed.
inline constexpr qint64 maxFeedBytes = 5'242'880;

// The running system's version as "major.minor.patch", all three always present ("14.5.0").
QString currentMacOSVersionString();

// The items of the feed in document order. Only elements and attributes directly inside an
// "item" describe it; those of nested elements (delta updates, informational updates ...) are
// skipped. An item without any version is dropped. Empty or oversized data gives no items, a
// malformed document the items completed before the error. External entities are never loaded.
std::vector<SparkleAppcastItem> parseItems(const QByteArray& data);

// The newest of the items that may be installed on `currentMacOSVersion`: right operating system,
// a minimum system version not above the running one and, unless `includePrereleases`, neither a
// prerelease version nor a release on a named channel. Versions are compared by
// VersionComparator, builds break ties; of equal items the earliest in the feed wins.
std::optional<SparkleAppcastItem> selectHighestCompatible(
    const std::vector<SparkleAppcastItem>& items, QStringView currentMacOSVersion, bool includePrereleases);

// selectHighestCompatible over parseItems(data).
std::optional<SparkleAppcastItem> latestCompatibleItem(
    const QByteArray& data, QStringView currentMacOSVersion, bool includePrereleases);

// Whether the item is newer than the installed application with these versions: the short
// versions decide, the builds break a tie; without two short versions the item's effective
// version is compared with whichever installed version is there.
bool isItemNewer(const SparkleAppcastItem& item, QStringView installedShortVersion, QStringView installedBuildVersion);

} // namespace SparkleAppcastParser
