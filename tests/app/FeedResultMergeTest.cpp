#include "app/viewmodel/FeedResultMerge.h"

#include "tests/support/RecordBuilders.h"

#include <gtest/gtest.h>

#include <QTimeZone>

using namespace Qt::StringLiterals;

namespace {

const QDateTime mergeTime = QDateTime::fromSecsSinceEpoch(1'800'000'000, QTimeZone::utc());

SparkleUpdateCheckResult feedResult(
    const QString& appID, bool updateAvailable, const QString& shortVersion, const QString& buildVersion)
{
    SparkleUpdateCheckResult result;
    result.appID = appID;
    result.updateAvailable = updateAvailable;
    result.latestItem.shortVersionString = shortVersion;
    result.latestItem.buildVersion = buildVersion;
    result.latestItem.downloadURL = u"https://feed.example/app.zip"_s;
    result.latestItem.releaseNotesURL = u"https://feed.example/notes.html"_s;
    return result;
}

TEST(FeedResultMergeTest, FeedVerdictsMergeWithoutOverridingHomebrewOrExistingLinks)
{
    struct Case {
        const char* label;
        InstalledAppRecord app;
        SparkleUpdateCheckResult result;
        std::optional<QString> latestVersion;
        bool updateAvailable;
        std::optional<QString> downloadURL;
        std::optional<QString> releaseNotesURL;
    };
    const Case cases[] = {
        {"feed offers a newer version", AppRecordBuilder(u"A"_s).id(u"a"_s).build(),
            feedResult(u"a"_s, true, u"2.0"_s, u"200"_s), u"2.0"_s, true, u"https://feed.example/app.zip"_s,
            u"https://feed.example/notes.html"_s},
        {"an empty short version takes the build", AppRecordBuilder(u"A"_s).id(u"a"_s).build(),
            feedResult(u"a"_s, false, QString(), u"200"_s), u"200"_s, false, u"https://feed.example/app.zip"_s,
            u"https://feed.example/notes.html"_s},
        {"Homebrew's update stands when the feed has none",
            AppRecordBuilder(u"A"_s).id(u"a"_s).latestVersion(u"3.0"_s).updateAvailable().build(),
            feedResult(u"a"_s, false, u"1.0"_s, u"100"_s), u"3.0"_s, true, u"https://feed.example/app.zip"_s,
            u"https://feed.example/notes.html"_s},
        {"the feed confirms an update with its own version",
            AppRecordBuilder(u"A"_s).id(u"a"_s).latestVersion(u"3.0"_s).updateAvailable().build(),
            feedResult(u"a"_s, true, u"3.1"_s, u"310"_s), u"3.1"_s, true, u"https://feed.example/app.zip"_s,
            u"https://feed.example/notes.html"_s},
        {"links the app has are kept",
            AppRecordBuilder(u"A"_s)
                .id(u"a"_s)
                .downloadURL(u"https://own.example/a.dmg"_s)
                .releaseNotesURL(u"https://own.example/notes"_s)
                .build(),
            feedResult(u"a"_s, true, u"2.0"_s, u"200"_s), u"2.0"_s, true, u"https://own.example/a.dmg"_s,
            u"https://own.example/notes"_s},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        const std::vector<InstalledAppRecord> merged
            = mergeFeedResults({row.app}, {{row.result.appID, row.result}}, mergeTime);
        ASSERT_EQ(merged.size(), 1u);
        EXPECT_EQ(merged[0].latestVersion, row.latestVersion);
        EXPECT_EQ(merged[0].updateAvailable, row.updateAvailable);
        EXPECT_EQ(merged[0].downloadURL, row.downloadURL);
        EXPECT_EQ(merged[0].releaseNotesURL, row.releaseNotesURL);
        EXPECT_EQ(merged[0].lastCheckedAt, mergeTime);
    }
}

TEST(FeedResultMergeTest, AppsWithoutAResultAreLeftUntouched)
{
    const std::vector<InstalledAppRecord> apps
        = {AppRecordBuilder(u"A"_s).id(u"a"_s).updateAvailable().build(), AppRecordBuilder(u"B"_s).id(u"b"_s).build()};
    EXPECT_EQ(mergeFeedResults(apps, {}, mergeTime), apps);
    const std::vector<InstalledAppRecord> merged
        = mergeFeedResults(apps, {{u"b"_s, feedResult(u"b"_s, false, u"1.0"_s, u"1"_s)}}, mergeTime);
    EXPECT_EQ(merged[0], apps[0]);
    EXPECT_EQ(merged[1].lastCheckedAt, mergeTime);
}

} // namespace
