#include "core/records/LeftoverSortOrder.h"
#include "core/records/UninstallerAppSortOrder.h"
#include "tests/support/RecordBuilders.h"
#include "tests/support/TextsOf.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QLocale english(QLocale::English, QLocale::UnitedStates);
const QDateTime march1(QDate(2025, 3, 1), QTime(8, 30), Qt::UTC);
const QDateTime march2 = march1.addDays(1);

QStringList namesOf(const std::vector<InstalledAppRecord>& records)
{
    return textsOf(records, &InstalledAppRecord::name);
}

QStringList pathsOf(const std::vector<LeftoverFileItem>& items)
{
    return textsOf(items, &LeftoverFileItem::path);
}

} // namespace

TEST(UninstallerAppSortOrderTest, EachOrderWithItsTieBreaks)
{
    // "Alpha" and "alpha" compare the same with case ignored: their input order must survive.
    const std::vector<InstalledAppRecord> apps{
        AppRecordBuilder(u"beta"_s).sizeBytes(100).modifiedAt(march1).build(),
        AppRecordBuilder(u"Alpha"_s).sizeBytes(100).build(),
        AppRecordBuilder(u"gamma"_s).sizeBytes(300).modifiedAt(march2).build(),
        AppRecordBuilder(u"Delta"_s).sizeBytes(50).modifiedAt(march1).build(),
        AppRecordBuilder(u"alpha"_s).sizeBytes(200).build(),
    };
    struct Case {
        UninstallerAppSortOrder order;
        QStringList expected;
    };
    const Case cases[] = {
        {UninstallerAppSortOrder::sizeDescending, {"gamma", "alpha", "Alpha", "beta", "Delta"}},
        {UninstallerAppSortOrder::sizeAscending, {"Delta", "Alpha", "beta", "alpha", "gamma"}},
        {UninstallerAppSortOrder::nameAscending, {"Alpha", "alpha", "beta", "Delta", "gamma"}},
        {UninstallerAppSortOrder::nameDescending, {"gamma", "Delta", "beta", "Alpha", "alpha"}},
        {UninstallerAppSortOrder::newestFirst, {"gamma", "beta", "Delta", "Alpha", "alpha"}},
        {UninstallerAppSortOrder::oldestFirst, {"beta", "Delta", "gamma", "Alpha", "alpha"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(rawValue(c.order).toStdString());
        EXPECT_EQ(namesOf(sort(c.order, apps, english)), c.expected);
    }
    EXPECT_EQ(namesOf(apps), QStringList({"beta", "Alpha", "gamma", "Delta", "alpha"}));
}

TEST(UninstallerAppSortOrderTest, NamesFollowTheGivenLocale)
{
    const std::vector<InstalledAppRecord> apps{AppRecordBuilder(u"Zebra"_s).build(), AppRecordBuilder(u"Öl"_s).build()};
    EXPECT_EQ(namesOf(sort(UninstallerAppSortOrder::nameAscending, apps, english)), QStringList({"Öl", "Zebra"}));
    EXPECT_EQ(namesOf(sort(UninstallerAppSortOrder::nameAscending, apps, QLocale(QLocale::Swedish, QLocale::Sweden))),
        QStringList({"Zebra", "Öl"}));
}

TEST(UninstallerAppSortOrderTest, RawValuesAreTheCaseNames)
{
    QStringList raw;
    for (UninstallerAppSortOrder order : allCases<UninstallerAppSortOrder>())
        raw.append(rawValue(order));
    EXPECT_EQ(raw,
        QStringList(
            {"sizeDescending", "sizeAscending", "nameAscending", "nameDescending", "newestFirst", "oldestFirst"}));
    EXPECT_EQ(fromRawValue<UninstallerAppSortOrder>(u"NewestFirst"), std::nullopt);
}

TEST(LeftoverSortOrderTest, EachOrderWithItsTieBreaks)
{
    const auto item = [](const char* path, LeftoverCategory category, qint64 size) {
        return LeftoverFileItem(std::nullopt, QString::fromUtf8(path), category, size, true);
    };
    const std::vector<LeftoverFileItem> items{
        item("/L/Caches/b", LeftoverCategory::caches, 10),
        item("/L/Application Support/Zed", LeftoverCategory::appSupport, 5),
        item("/L/Caches/A", LeftoverCategory::caches, 10),
        item("/L/Caches/big", LeftoverCategory::caches, 1000),
        item("/L/Logs/a", LeftoverCategory::logs, 10),
        item("/L/Application Support/a/", LeftoverCategory::appSupport, 1),
    };
    struct Case {
        LeftoverSortOrder order;
        QStringList expected;
    };
    const Case cases[] = {
        {LeftoverSortOrder::category,
            {"/L/Application Support/Zed", "/L/Application Support/a/", "/L/Caches/big", "/L/Caches/A", "/L/Caches/b",
                "/L/Logs/a"}},
        {LeftoverSortOrder::sizeDescending,
            {"/L/Caches/big", "/L/Caches/A", "/L/Logs/a", "/L/Caches/b", "/L/Application Support/Zed",
                "/L/Application Support/a/"}},
        {LeftoverSortOrder::nameAscending,
            {"/L/Caches/A", "/L/Logs/a", "/L/Application Support/a/", "/L/Caches/b", "/L/Caches/big",
                "/L/Application Support/Zed"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(rawValue(c.order).toStdString());
        EXPECT_EQ(pathsOf(sort(c.order, items, english)), c.expected);
    }
    QStringList raw;
    for (LeftoverSortOrder order : allCases<LeftoverSortOrder>())
        raw.append(rawValue(order));
    EXPECT_EQ(raw, QStringList({"category", "sizeDescending", "nameAscending"}));
}
