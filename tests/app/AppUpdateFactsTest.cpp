#include "app/viewmodel/AppUpdateFacts.h"

#include "tests/support/RecordBuilders.h"

#include <gtest/gtest.h>

#include <QTimeZone>

using namespace Qt::StringLiterals;

namespace {

const QDateTime earlierCheck = QDateTime::fromSecsSinceEpoch(1'800'000'000, QTimeZone::utc());

// What the last pass knew of the app "a": Homebrew's cask, with an update the feed found.
InstalledAppRecord knownBefore()
{
    return AppRecordBuilder(u"A"_s)
        .id(u"a"_s)
        .homebrewCaskToken(u"a-app"_s)
        .origin(AppOriginKind::homebrewCask)
        .latestVersion(u"2.0"_s)
        .updateAvailable()
        .downloadURL(u"https://feed.example/a.zip"_s)
        .lastCheckedAt(earlierCheck)
        .build();
}

TEST(AppUpdateFactsTest, WhileAPassRunsAnAppKeepsWhatWasKnownUntilThePassAnswers)
{
    const QHash<QString, AppUpdateFacts> earlier = AppUpdateFacts::byID({knownBefore()});
    // Just scanned: the earlier record whole, but for what the scan itself read (the size).
    InstalledAppRecord scannedShown = knownBefore();
    scannedShown.sizeBytes = 7;
    struct Case {
        const char* label;
        InstalledAppRecord own;
        RefreshPassStage stage;
        InstalledAppRecord shown;
    };
    const Case cases[] = {
        {"just scanned: everything the pass has not found out yet stays",
            AppRecordBuilder(u"A"_s).id(u"a"_s).sizeBytes(7).build(), RefreshPassStage::scanned, scannedShown},
        {"Homebrew has spoken: the link is its own, the feed's update stays",
            AppRecordBuilder(u"A"_s).id(u"a"_s).latestVersion(u"1.0"_s).lastCheckedAt(earlierCheck.addSecs(60)).build(),
            RefreshPassStage::homebrewMetadataApplied,
            AppRecordBuilder(u"A"_s)
                .id(u"a"_s)
                .latestVersion(u"2.0"_s)
                .updateAvailable()
                .downloadURL(u"https://feed.example/a.zip"_s)
                .lastCheckedAt(earlierCheck.addSecs(60))
                .build()},
        {"an update the pass found is its own",
            AppRecordBuilder(u"A"_s).id(u"a"_s).latestVersion(u"3.0"_s).updateAvailable().build(),
            RefreshPassStage::homebrewMetadataApplied,
            AppRecordBuilder(u"A"_s)
                .id(u"a"_s)
                .latestVersion(u"3.0"_s)
                .updateAvailable()
                .downloadURL(u"https://feed.example/a.zip"_s)
                .lastCheckedAt(earlierCheck)
                .build()},
        {"a new app shows as the pass found it", AppRecordBuilder(u"B"_s).id(u"b"_s).build(), RefreshPassStage::scanned,
            AppRecordBuilder(u"B"_s).id(u"b"_s).build()},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        const std::vector<InstalledAppRecord> shown = withEarlierFacts({row.own}, earlier, row.stage);
        ASSERT_EQ(shown.size(), 1u);
        EXPECT_EQ(shown.front(), row.shown);
    }
}

TEST(AppUpdateFactsTest, ThePassGoesOnFromItsOwnFactsAndKeepsWhatTheListGainedMeanwhile)
{
    const InstalledAppRecord own = AppRecordBuilder(u"A"_s).id(u"a"_s).build();
    std::vector<InstalledAppRecord> shown
        = withEarlierFacts({own}, AppUpdateFacts::byID({knownBefore()}), RefreshPassStage::scanned);
    shown.front().sizeBytes = 4096; // measured meanwhile

    const std::vector<InstalledAppRecord> resumed = withOwnFacts(shown, AppUpdateFacts::byID({own}));
    InstalledAppRecord expected = own;
    expected.sizeBytes = 4096;
    EXPECT_EQ(resumed, std::vector{expected});
}

} // namespace
