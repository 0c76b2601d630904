#include "app/viewmodel/FeedResultMerge.h"

std::vector<InstalledAppRecord> mergeFeedResults(std::vector<InstalledAppRecord> apps,
    const QHash<QString, SparkleUpdateCheckResult>& results, const QDateTime& mergeTime)
{
    for (InstalledAppRecord& app : apps) {
        const auto found = results.constFind(app.id());
        if (found == results.constEnd())
            continue;
        const SparkleUpdateCheckResult& result = *found;
        const SparkleAppcastItem& item = result.latestItem;
        app.lastCheckedAt = mergeTime;
        if (!app.updateAvailable || result.updateAvailable) {
            app.latestVersion = item.shortVersionString.isEmpty() ? item.buildVersion : item.shortVersionString;
            app.updateAvailable = app.updateAvailable || result.updateAvailable;
        }
        if (!app.releaseNotesURL)
            app.releaseNotesURL = item.releaseNotesURL;
        if (!app.downloadURL)
            app.downloadURL = item.downloadURL;
    }
    return apps;
}
