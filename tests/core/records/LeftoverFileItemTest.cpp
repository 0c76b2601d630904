#include "core/records/LeftoverFileItem.h"
#include "tests/core/records/RecordJsonChecks.h"

#include <gtest/gtest.h>

#include <QSet>

#include <limits>

namespace {

LeftoverFileItem makeItem(qint64 size, std::optional<QString> id = std::nullopt)
{
    return LeftoverFileItem(std::move(id), QStringLiteral("/home/me/Library/Caches/com.example.editor"),
        LeftoverCategory::caches, size, true);
}

TrashLeftoverAlert makeAlert(std::vector<LeftoverFileItem> leftovers)
{
    return TrashLeftoverAlert(QUuid::fromString(QStringLiteral("0E4F0C2A-6B1D-4E59-9C3B-2F1A7D5E8B40")),
        QStringLiteral("Editor"), QStringLiteral("com.example.editor"), QStringLiteral("/home/me/.Trash/Editor.app"),
        QDateTime(QDate(2025, 3, 1), QTime(8, 30), Qt::UTC), std::move(leftovers));
}

} // namespace

TEST(LeftoverFileItemTest, CategoriesInTheirOrderWithRawValues)
{
    const std::pair<LeftoverCategory, const char*> expected[] = {
        {LeftoverCategory::appSupport, "appSupport"},
        {LeftoverCategory::caches, "caches"},
        {LeftoverCategory::preferences, "preferences"},
        {LeftoverCategory::containers, "containers"},
        {LeftoverCategory::logs, "logs"},
        {LeftoverCategory::launchAgents, "launchAgents"},
        {LeftoverCategory::savedState, "savedState"},
        {LeftoverCategory::other, "other"},
    };
    const std::vector<LeftoverCategory> all = allCases<LeftoverCategory>();
    ASSERT_EQ(all.size(), std::size(expected));
    for (size_t i = 0; i < all.size(); ++i) {
        SCOPED_TRACE(expected[i].second);
        EXPECT_EQ(all[i], expected[i].first);
        EXPECT_EQ(rawValue(all[i]), QLatin1String(expected[i].second));
        EXPECT_EQ(fromRawValue<LeftoverCategory>(QString::fromLatin1(expected[i].second)), expected[i].first);
    }
    EXPECT_EQ(fromRawValue<LeftoverCategory>(u"Caches"), std::nullopt);
}

TEST(LeftoverFileItemTest, IdDefaultsToThePath)
{
    EXPECT_EQ(makeItem(1).id(), QStringLiteral("/home/me/Library/Caches/com.example.editor"));
    EXPECT_EQ(makeItem(1, QStringLiteral("chosen")).id(), QStringLiteral("chosen"));
    EXPECT_EQ(makeItem(1, QString()).id(), QString());
}

TEST(LeftoverFileItemTest, FileNameIsTheLastPathComponent)
{
    struct Case {
        const char* path;
        const char* expected;
    };
    const Case cases[] = {
        {"/Users/me/Library/Caches/com.example.editor/", "com.example.editor"},
        {"/Users/me/Library/Preferences/com.example.editor.plist", "com.example.editor.plist"},
        {"/Users/me/Library/Logs/Editor//", "Editor"},
        {"relative/name", "name"},
        {"name", "name"},
        {"/", "/"},
        {"", ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const LeftoverFileItem item(std::nullopt, QString::fromUtf8(c.path), LeftoverCategory::other, 0, false);
        EXPECT_EQ(item.fileName(), QString::fromUtf8(c.expected));
    }
}

TEST(LeftoverFileItemTest, JsonKeyRules)
{
    RecordJsonChecks::expectKeyRules(
        makeItem(4096, QStringLiteral("id-1")), {"id", "path", "category", "sizeBytes", "isSelected"}, {});
    RecordJsonChecks::expectRejectedTexts(makeItem(4096), QStringLiteral("category"), {"Caches", "cache", ""});
}

TEST(LeftoverFileItemTest, EqualityAndHashingSeeEveryField)
{
    const LeftoverFileItem original = makeItem(10);
    LeftoverFileItem deselected = original;
    deselected.isSelected = false;
    LeftoverFileItem moved = original;
    moved.path += QStringLiteral("2");
    LeftoverFileItem recategorized = original;
    recategorized.category = LeftoverCategory::logs;
    const QSet<LeftoverFileItem> all{
        original, deselected, moved, recategorized, makeItem(11), makeItem(10, QStringLiteral("other"))};
    EXPECT_EQ(all.size(), 6);
    EXPECT_EQ(qHash(makeItem(10), 3), qHash(original, 3));
}

TEST(TrashLeftoverAlertTest, TotalSizeAddsTheLeftoversAndStopsAtTheLimit)
{
    constexpr qint64 max = std::numeric_limits<qint64>::max();
    struct Case {
        const char* label;
        std::vector<qint64> sizes;
        qint64 expected;
    };
    const Case cases[] = {
        {"no leftovers", {}, 0},
        {"several", {100, 2048, 5'000'000'000LL}, 5'000'002'148LL},
        {"beyond 64 bits", {max, 1, 5}, max},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        std::vector<LeftoverFileItem> leftovers;
        for (qint64 size : c.sizes)
            leftovers.push_back(makeItem(size, QString::number(leftovers.size())));
        EXPECT_EQ(makeAlert(leftovers).totalSizeBytes(), c.expected);
    }
}

TEST(TrashLeftoverAlertTest, EqualityComparesTheLeftoversElementByElement)
{
    const TrashLeftoverAlert alert = makeAlert({makeItem(1), makeItem(2)});
    EXPECT_EQ(alert, makeAlert({makeItem(1), makeItem(2)}));
    EXPECT_EQ(qHash(alert, 5), qHash(makeAlert({makeItem(1), makeItem(2)}), 5));
    EXPECT_NE(alert, makeAlert({makeItem(2), makeItem(1)}));
    EXPECT_NE(alert, makeAlert({makeItem(1)}));
    EXPECT_NE(qHash(alert, 5), qHash(makeAlert({makeItem(2), makeItem(1)}), 5));
}
