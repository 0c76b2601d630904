#include "app/models/HomebrewPackagesListModel.h"
#include "tests/support/RecordBuilders.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>

using namespace Qt::StringLiterals;

namespace {

HomebrewItem formula(const QString& name, const QString& version = u"1.0"_s)
{
    return HomebrewItemBuilder(name).installed().installedVersion(version).latestVersion(version).build();
}

std::vector<HomebrewItem> formulae(const QStringList& names)
{
    std::vector<HomebrewItem> items;
    for (const QString& name : names)
        items.push_back(formula(name));
    return items;
}

QStringList namesIn(const HomebrewPackagesListModel& model)
{
    QStringList names;
    for (int row = 0; row < model.rowCount(); ++row)
        names.append(model.index(row).data(HomebrewPackagesListModel::IdRole).toString().section(u"::"_s, 1));
    return names;
}

// Every signal a view follows, as "kind first-last" in the order they came.
class ModelSignals {
public:
    explicit ModelSignals(HomebrewPackagesListModel& model)
    {
        QObject::connect(&model, &QAbstractItemModel::rowsInserted,
            [this](const QModelIndex&, int first, int last) { log.append(u"insert %1-%2"_s.arg(first).arg(last)); });
        QObject::connect(&model, &QAbstractItemModel::rowsRemoved,
            [this](const QModelIndex&, int first, int last) { log.append(u"remove %1-%2"_s.arg(first).arg(last)); });
        QObject::connect(
            &model, &QAbstractItemModel::dataChanged, [this](const QModelIndex& from, const QModelIndex& to) {
                log.append(u"change %1-%2"_s.arg(from.row()).arg(to.row()));
            });
        QObject::connect(&model, &QAbstractItemModel::modelReset, [this] { log.append(u"reset"_s); });
        QObject::connect(&model, &QAbstractItemModel::layoutChanged, [this] { log.append(u"layout"_s); });
    }

    QStringList log;
};

} // namespace

TEST(HomebrewPackagesListModelTest, MovesToEachNewListWithTheFewestSignals)
{
    struct Case {
        const char* what;
        QStringList before;
        QStringList after;
        QStringList signalLog;
    };
    const std::vector<Case> cases{
        {"first fill", {}, {u"a"_s, u"b"_s}, {u"insert 0-1"_s}},
        {"same list", {u"a"_s, u"b"_s}, {u"a"_s, u"b"_s}, {}},
        {"removals in two runs", {u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s}, {u"a"_s, u"d"_s},
            {u"remove 4-4"_s, u"remove 1-2"_s}},
        {"insertions at both ends and between", {u"b"_s, u"d"_s}, {u"a"_s, u"b"_s, u"c"_s, u"d"_s, u"e"_s},
            {u"insert 0-0"_s, u"insert 2-2"_s, u"insert 4-4"_s}},
        {"removal and insertion together", {u"a"_s, u"b"_s, u"c"_s}, {u"a"_s, u"x"_s, u"c"_s},
            {u"remove 1-1"_s, u"insert 1-1"_s}},
        {"everything goes", {u"a"_s, u"b"_s}, {}, {u"remove 0-1"_s}},
        {"two kept packages swap places", {u"a"_s, u"b"_s, u"c"_s}, {u"c"_s, u"b"_s, u"a"_s}, {u"layout"_s}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        HomebrewPackagesListModel model;
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
        model.setItems(formulae(c.before));
        ModelSignals spy(model);
        model.setItems(formulae(c.after));
        EXPECT_EQ(spy.log, c.signalLog);
        EXPECT_EQ(namesIn(model), c.after);
    }
}

TEST(HomebrewPackagesListModelTest, AChangedPackageIsOneDataChangeInItsRow)
{
    HomebrewPackagesListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.setItems(formulae({u"a"_s, u"b"_s, u"c"_s}));
    ModelSignals spy(model);

    std::vector<HomebrewItem> upgraded = formulae({u"a"_s, u"b"_s, u"c"_s});
    upgraded[1] = formula(u"b"_s, u"2.0"_s);
    model.setItems(upgraded);

    EXPECT_EQ(spy.log, QStringList{u"change 1-1"_s});
    EXPECT_EQ(model.items()[1].installedVersion, u"2.0"_s);
    EXPECT_EQ(model.index(1).data().toString(), u"b"_s);
}

// A formula and a cask may share a name: their ids differ, so they are two rows.
TEST(HomebrewPackagesListModelTest, KeysRowsByIdNotByName)
{
    HomebrewPackagesListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    const HomebrewItem cask = HomebrewItemBuilder(u"docker"_s).cask().latestVersion(u"4.0"_s).build();
    const HomebrewItem tool = HomebrewItemBuilder(u"docker"_s).latestVersion(u"27.0"_s).build();
    model.setItems({cask});
    ModelSignals spy(model);
    model.setItems({cask, tool});
    EXPECT_EQ(spy.log, QStringList{u"insert 1-1"_s});
    EXPECT_EQ(model.index(1).data(HomebrewPackagesListModel::IdRole).toString(), u"formula::docker"_s);
    EXPECT_EQ(model.itemAt(model.index(0))->isCask, true);
    EXPECT_EQ(model.itemAt(QModelIndex()), nullptr);
}
