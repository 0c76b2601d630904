#include "app/models/KeyedListModel.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QPersistentModelIndex>

using namespace Qt::StringLiterals;

namespace {

struct Row {
    QString name;
    int version = 1;

    QString key() const { return name; }
    bool operator==(const Row&) const = default;
};

class RowsModel final : public KeyedListModel<Row> {
public:
    QVariant data(const QModelIndex& index, int role) const override
    {
        return role == Qt::DisplayRole ? QVariant(rowAt(index.row()).name) : QVariant();
    }
};

std::vector<Row> rowsNamed(const QStringList& names)
{
    std::vector<Row> rows;
    for (const QString& name : names)
        rows.push_back({name});
    return rows;
}

QStringList numbered(int count, int step = 1)
{
    QStringList names;
    for (int number = 0; number < count; number += step)
        names.append(u"row %1"_s.arg(number, 3, 10, QLatin1Char('0')));
    return names;
}

// The layout changes (with their hint), resets and row changes the model announced.
struct Heard {
    explicit Heard(RowsModel& model)
    {
        QObject::connect(&model, &QAbstractItemModel::layoutChanged,
            [this](const QList<QPersistentModelIndex>&, QAbstractItemModel::LayoutChangeHint hint) {
                log.append(hint == QAbstractItemModel::VerticalSortHint ? u"sorted"_s : u"layout"_s);
            });
        QObject::connect(&model, &QAbstractItemModel::modelReset, [this] { log.append(u"reset"_s); });
        QObject::connect(&model, &QAbstractItemModel::rowsRemoved, [this] { log.append(u"remove"_s); });
        QObject::connect(&model, &QAbstractItemModel::rowsInserted, [this] { log.append(u"insert"_s); });
        QObject::connect(
            &model, &QAbstractItemModel::dataChanged, [this](const QModelIndex& from, const QModelIndex& to) {
                log.append(u"change %1-%2"_s.arg(from.row()).arg(to.row()));
            });
    }
    QStringList log;
};

// The current row of a view and a pressed button are persistent indexes: they must follow their
// row through a new order, as through a sort.
TEST(KeyedListModelTest, ANewOrderMovesEveryPersistentIndexWithItsRow)
{
    RowsModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.replaceRows(rowsNamed({u"a"_s, u"b"_s, u"c"_s, u"d"_s}));
    const QPersistentModelIndex current = model.index(1);
    const QPersistentModelIndex last = model.index(3);
    Heard heard(model);

    std::vector<Row> reordered = rowsNamed({u"d"_s, u"c"_s, u"b"_s, u"a"_s});
    reordered[0].version = 2;
    model.replaceRows(reordered);

    EXPECT_EQ(heard.log, (QStringList{u"sorted"_s, u"change 0-0"_s}));
    EXPECT_EQ(current.row(), 2);
    EXPECT_EQ(current.data().toString(), u"b"_s);
    EXPECT_EQ(last.row(), 0);
    EXPECT_EQ(model.rows(), reordered);
}

// A filter typed over a long list leaves scattered rows: one layout change, not one signal per
// run, and the index of a row that went becomes invalid.
TEST(KeyedListModelTest, AChangeScatteredOverManyPlacesIsOneLayoutChange)
{
    RowsModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.replaceRows(rowsNamed(numbered(300)));
    const QPersistentModelIndex kept = model.index(150);
    const QPersistentModelIndex filteredOut = model.index(151);
    Heard heard(model);

    model.replaceRows(rowsNamed(numbered(300, 3)));

    EXPECT_EQ(heard.log, QStringList{u"layout"_s});
    EXPECT_EQ(model.rowCount(), 100);
    EXPECT_EQ(kept.row(), 50);
    EXPECT_EQ(kept.data().toString(), u"row 150"_s);
    EXPECT_FALSE(filteredOut.isValid());

    heard.log.clear();
    model.replaceRows(rowsNamed(numbered(300)));
    EXPECT_EQ(heard.log, QStringList{u"layout"_s});
    EXPECT_EQ(kept.row(), 150);
}

TEST(KeyedListModelTest, AFewRunsInTheSameOrderAreRemovedAndInsertedOneByOne)
{
    RowsModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.replaceRows(rowsNamed(numbered(300)));
    Heard heard(model);

    QStringList names = numbered(300);
    names.removeAt(200);
    names.removeAt(100);
    names.insert(0, u"new"_s);
    model.replaceRows(rowsNamed(names));

    EXPECT_EQ(heard.log, (QStringList{u"remove"_s, u"remove"_s, u"insert"_s}));
}

} // namespace
