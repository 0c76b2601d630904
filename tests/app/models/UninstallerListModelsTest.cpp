#include "app/models/LeftoverListModel.h"
#include "app/models/UninstallerAppListModel.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>

using namespace Qt::StringLiterals;

namespace {

InstalledAppRecord app(const QString& name, qint64 size, std::optional<QDateTime> modifiedAt = std::nullopt)
{
    return InstalledAppRecord(std::nullopt, name, u"com.example."_s + name.toLower(),
        u"/Applications/"_s + name + u".app"_s, u"1.0"_s, u"1"_s, std::nullopt, false, std::nullopt, std::nullopt,
        std::nullopt, std::nullopt, AppOriginKind::direct, AppArchitecture::appleSilicon, size, modifiedAt,
        std::nullopt);
}

LeftoverFileItem leftover(const QString& path, LeftoverCategory category, qint64 size, bool selected = true)
{
    return LeftoverFileItem(std::nullopt, path, category, size, selected);
}

QStringList keysOf(const std::vector<LeftoverListRow>& rows)
{
    QStringList keys;
    for (const LeftoverListRow& row : rows)
        keys.append(row.key());
    return keys;
}

// What a view of the model saw: the signals, in order, as short words.
class ModelSignals {
public:
    explicit ModelSignals(QAbstractItemModel& model)
    {
        QObject::connect(&model, &QAbstractItemModel::rowsInserted, &m_context,
            [this](const QModelIndex&, int first, int last) { seen.append(u"insert %1-%2"_s.arg(first).arg(last)); });
        QObject::connect(&model, &QAbstractItemModel::rowsRemoved, &m_context,
            [this](const QModelIndex&, int first, int last) { seen.append(u"remove %1-%2"_s.arg(first).arg(last)); });
        QObject::connect(&model, &QAbstractItemModel::dataChanged, &m_context,
            [this](const QModelIndex& from, const QModelIndex& to) {
                seen.append(u"change %1-%2"_s.arg(from.row()).arg(to.row()));
            });
        QObject::connect(&model, &QAbstractItemModel::modelReset, &m_context, [this] { seen.append(u"reset"_s); });
        QObject::connect(&model, &QAbstractItemModel::layoutChanged, &m_context, [this] { seen.append(u"layout"_s); });
    }
    QStringList seen;

private:
    QObject m_context; // ends the connections with this object
};

} // namespace

// The keyed model tells views what changed, so that rows keep their place and scroll position.
TEST(UninstallerListModelsTest, ReplacingRowsAnnouncesOnlyWhatChanged)
{
    UninstallerAppListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    const auto rows = [](std::vector<InstalledAppRecord> apps, std::optional<QString> target = std::nullopt) {
        return UninstallerAppListModel::rowsFor(apps, UninstallerAppSortOrder::nameAscending, target);
    };
    const InstalledAppRecord a = app(u"A"_s, 10), b = app(u"B"_s, 20), c = app(u"C"_s, 30), d = app(u"D"_s, 40);
    model.replaceRows(rows({a, b, c}));

    struct Step {
        const char* what;
        std::vector<UninstallerAppRow> next;
        QStringList expected;
    };
    InstalledAppRecord bigger = b;
    bigger.sizeBytes = 2'000'000;
    const Step steps[] = {
        {"nothing", rows({a, b, c}), {}},
        {"one removed", rows({a, c}), {u"remove 1-1"_s}},
        {"two inserted", rows({d, a, b, c}), {u"insert 0-0"_s, u"insert 2-2"_s}},
        {"a size and the target", rows({d, a, bigger, c}, a.id()), {u"change 1-2"_s}},
        {"a new order", rows({c, d, a, bigger}, a.id()), {u"layout"_s}},
        {"all gone", rows({}), {u"remove 0-3"_s}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        ModelSignals seen(model);
        model.replaceRows(step.next);
        EXPECT_EQ(seen.seen, step.expected);
        EXPECT_EQ(model.rows(), step.next);
    }
}

TEST(UninstallerListModelsTest, AppRowsShowSizeAndDateAsTheOrderAsks)
{
    const QDateTime modified(QDate(2026, 3, 9), QTime(12, 0), Qt::UTC);
    const std::vector<InstalledAppRecord> apps{app(u"Sized"_s, 1'234'567, modified), app(u"Fresh"_s, 0)};
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    struct Case {
        UninstallerAppSortOrder order;
        bool highlighted;
        bool dated;
    };
    const Case cases[] = {
        {UninstallerAppSortOrder::sizeDescending, true, false},
        {UninstallerAppSortOrder::sizeAscending, true, false},
        {UninstallerAppSortOrder::nameAscending, false, false},
        {UninstallerAppSortOrder::nameDescending, false, false},
        {UninstallerAppSortOrder::newestFirst, false, true},
        {UninstallerAppSortOrder::oldestFirst, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(rawValue(c.order).toStdString());
        const std::vector<UninstallerAppRow> rows
            = UninstallerAppListModel::rowsFor(apps, c.order, apps[1].id(), english);
        EXPECT_EQ(rows[0].sizeText, u"1.2 MB"_s);
        EXPECT_EQ(rows[1].sizeText, u"—"_s);
        EXPECT_EQ(rows[0].sizeHighlighted, c.highlighted);
        EXPECT_EQ(rows[0].dateText, c.dated ? std::optional(u"· Mar 9, 2026"_s) : std::nullopt);
        EXPECT_EQ(rows[1].dateText, std::nullopt) << "no date, nothing extra";
        EXPECT_FALSE(rows[0].isSelected);
        EXPECT_TRUE(rows[1].isSelected);
    }
}

TEST(UninstallerListModelsTest, MediumDatesDropTheWeekdayAndShortenTheMonth)
{
    const QDateTime date(QDate(2026, 12, 11), QTime(12, 0), Qt::UTC);
    EXPECT_EQ(mediumDateText(date, QLocale(QLocale::English, QLocale::UnitedStates)), u"Dec 11, 2026"_s);
    EXPECT_EQ(mediumDateText(date, QLocale(QLocale::German, QLocale::Germany)), u"11. Dez. 2026"_s);
    EXPECT_EQ(mediumDateText(date, QLocale(QLocale::Turkish, QLocale::Turkey)), u"11 Ara 2026"_s);
}

TEST(UninstallerListModelsTest, GroupedRowsHaveAHeaderPerFilledCategoryAndFlatRowsATag)
{
    const std::vector<LeftoverFileItem> sorted{
        leftover(u"/L/Caches/big"_s, LeftoverCategory::caches, 900),
        leftover(u"/L/Application Support/a"_s, LeftoverCategory::appSupport, 500, false),
        leftover(u"/L/Caches/small"_s, LeftoverCategory::caches, 100),
        leftover(u"/L/LaunchAgents/x.plist"_s, LeftoverCategory::launchAgents, 4),
        leftover(u"/L/Saved Application State/s"_s, LeftoverCategory::savedState, 3),
    };
    const std::vector<LeftoverListRow> grouped = LeftoverListModel::rowsFor(sorted, true, TruneLanguage::tr);
    EXPECT_EQ(keysOf(grouped),
        (QStringList{u"header::appSupport"_s, u"/L/Application Support/a"_s, u"header::caches"_s, u"/L/Caches/big"_s,
            u"/L/Caches/small"_s, u"header::launchAgents"_s, u"/L/LaunchAgents/x.plist"_s, u"header::savedState"_s,
            u"/L/Saved Application State/s"_s}));
    EXPECT_EQ(grouped[0].title, u"UYGULAMA DESTEĞİ (APPLİCATİON SUPPORT)"_s) << "upper case in Turkish";
    EXPECT_EQ(grouped[0].count, 1);
    EXPECT_EQ(grouped[2].title, u"ÖNBELLEKLER (CACHES / HTTP / WEBKİT)"_s);
    EXPECT_EQ(grouped[2].count, 2) << "selected or not, every item counts";
    for (const LeftoverListRow& row : grouped)
        EXPECT_EQ(row.tag, std::nullopt);
    EXPECT_EQ(LeftoverListModel::rowsFor(sorted, true, TruneLanguage::en)[7].title, u"SAVED APPLICATION STATE"_s);

    const std::vector<LeftoverListRow> flat = LeftoverListModel::rowsFor(sorted, false, TruneLanguage::tr);
    QStringList tags;
    for (const LeftoverListRow& row : flat)
        tags.append(row.tag.value_or(u"-"_s));
    EXPECT_EQ(tags, (QStringList{u"Önbellek"_s, u"App Support"_s, u"Önbellek"_s, u"LaunchAgent"_s, u"Saved State"_s}));
}

TEST(UninstallerListModelsTest, LeftoverModelFollowsTogglesAndRegrouping)
{
    LeftoverListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    std::vector<LeftoverFileItem> items{
        leftover(u"/L/Caches/c"_s, LeftoverCategory::caches, 9), leftover(u"/L/Logs/l"_s, LeftoverCategory::logs, 5)};
    model.replaceRows(LeftoverListModel::rowsFor(items, true, TruneLanguage::en));
    ASSERT_EQ(model.rowCount(), 4);
    EXPECT_TRUE(model.index(0).data(LeftoverListModel::IsHeaderRole).toBool());
    EXPECT_EQ(model.index(0).data(LeftoverListModel::CountRole), u"1"_s);
    EXPECT_EQ(model.index(1).data(Qt::DisplayRole), u"c"_s);
    EXPECT_EQ(model.index(1).data(LeftoverListModel::SizeTextRole), u"9 B"_s);

    ModelSignals seen(model);
    items[1].isSelected = false;
    model.replaceRows(LeftoverListModel::rowsFor(items, true, TruneLanguage::en));
    EXPECT_EQ(seen.seen, QStringList{u"change 3-3"_s});
    EXPECT_EQ(model.index(3).data(Qt::CheckStateRole), Qt::Unchecked);

    model.replaceRows(LeftoverListModel::rowsFor(items, false, TruneLanguage::en));
    EXPECT_EQ(seen.seen.last(), u"change 0-1"_s) << "headers go, and the items gain their tags";
    EXPECT_EQ(model.rowCount(), 2);
}
