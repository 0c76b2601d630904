#include "app/models/AppsListModel.h"

#include "tests/support/RecordBuilders.h"

#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>

using namespace Qt::StringLiterals;

namespace {

StudioState stateWith(std::vector<InstalledAppRecord> apps)
{
    StudioState state;
    state.installedApps = std::move(apps);
    return state;
}

InstalledAppRecord app(const QString& name, qint64 size = 0)
{
    return AppRecordBuilder(name).bundleID(u"com.example."_s + name.toLower()).sizeBytes(size).build();
}

QStringList namesIn(const AppsListModel& model)
{
    QStringList names;
    for (int row = 0; row < model.rowCount(); ++row)
        names.append(model.data(model.index(row)).toString());
    return names;
}

const QLocale english(QLocale::English, QLocale::UnitedStates);

// Every structural signal the model sent, as short words, in order.
class ModelSignals final {
public:
    explicit ModelSignals(AppsListModel& model)
    {
        QObject::connect(&model, &QAbstractItemModel::modelReset, [this] { events.append(u"reset"_s); });
        QObject::connect(&model, &QAbstractItemModel::layoutChanged, [this] { events.append(u"layout"_s); });
        QObject::connect(&model, &QAbstractItemModel::rowsInserted,
            [this](const QModelIndex&, int first, int last) { events.append(u"insert %1-%2"_s.arg(first).arg(last)); });
        QObject::connect(&model, &QAbstractItemModel::rowsRemoved,
            [this](const QModelIndex&, int first, int last) { events.append(u"remove %1-%2"_s.arg(first).arg(last)); });
        QObject::connect(
            &model, &QAbstractItemModel::dataChanged, [this](const QModelIndex& from, const QModelIndex& to) {
                events.append(u"change %1-%2"_s.arg(from.row()).arg(to.row()));
            });
    }
    QStringList take() { return std::exchange(events, {}); }

    QStringList events;
};

} // namespace

TEST(AppsListModelTest, ListsChangeByTheRowsConcernedAndRelayOutOnlyWhenTheOrderChanges)
{
    AppsListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    ModelSignals heard(model);

    StudioState state = stateWith({app(u"Alpha"_s), app(u"Bravo"_s), app(u"Charlie"_s), app(u"Delta"_s)});
    model.sync(state, english);
    EXPECT_EQ(heard.take(), QStringList{u"insert 0-3"_s});
    EXPECT_EQ(namesIn(model), (QStringList{u"Alpha"_s, u"Bravo"_s, u"Charlie"_s, u"Delta"_s}));

    struct Step {
        const char* what;
        std::function<void(StudioState&)> change;
        QStringList events;
        QStringList names;
    };
    const Step steps[] = {
        {"sizes arrive for one app and two neighbours",
            [](StudioState& s) {
                s.installedApps[0].sizeBytes = 5;
                s.installedApps[2].sizeBytes = 20;
                s.installedApps[3].sizeBytes = 10;
            },
            {u"change 0-0"_s, u"change 2-3"_s}, {u"Alpha"_s, u"Bravo"_s, u"Charlie"_s, u"Delta"_s}},
        {"nothing changed: nothing is said", [](StudioState&) {}, {},
            {u"Alpha"_s, u"Bravo"_s, u"Charlie"_s, u"Delta"_s}},
        {"the search keeps two apps", [](StudioState& s) { s.appSearchQuery = u"HA "_s; },
            {u"remove 3-3"_s, u"remove 1-1"_s}, {u"Alpha"_s, u"Charlie"_s}},
        {"the search is cleared again", [](StudioState& s) { s.appSearchQuery.clear(); },
            {u"insert 1-1"_s, u"insert 3-3"_s}, {u"Alpha"_s, u"Bravo"_s, u"Charlie"_s, u"Delta"_s}},
        {"a new app and a gone one in one pass",
            [](StudioState& s) {
                s.installedApps.erase(s.installedApps.begin());
                s.installedApps.push_back(app(u"Echo"_s));
                s.installedApps.push_back(app(u"Foxtrot"_s));
            },
            {u"remove 0-0"_s, u"insert 3-4"_s}, {u"Bravo"_s, u"Charlie"_s, u"Delta"_s, u"Echo"_s, u"Foxtrot"_s}},
        {"an update found for Delta brings it first: the order changed",
            [](StudioState& s) {
                s.installedApps[2].updateAvailable = true;
                s.installedApps[2].latestVersion = u"2.0"_s;
            },
            {u"layout"_s, u"change 0-0"_s}, {u"Delta"_s, u"Bravo"_s, u"Charlie"_s, u"Echo"_s, u"Foxtrot"_s}},
        {"ignoring Delta sends it back to its place by name",
            [](StudioState& s) { s.config.ignoredBundleIDs = {u"COM.EXAMPLE.DELTA"_s}; },
            {u"layout"_s, u"change 2-2"_s}, {u"Bravo"_s, u"Charlie"_s, u"Delta"_s, u"Echo"_s, u"Foxtrot"_s}},
        {"the Updates chip with only an ignored update is empty",
            [](StudioState& s) { s.selectedFilter = AppFilterKind::updatesAvailable; }, {u"remove 0-4"_s}, {}},
    };
    for (const Step& step : steps) {
        SCOPED_TRACE(step.what);
        step.change(state);
        model.sync(state, english);
        EXPECT_EQ(heard.take(), step.events);
        EXPECT_EQ(namesIn(model), step.names);
    }
}

TEST(AppsListModelTest, RowsKnowWhetherTheyAreIgnoredActionableAndBrewable)
{
    StudioState state = stateWith({
        AppRecordBuilder(u"Cask"_s).bundleID(u"org.cask"_s).updateAvailable().homebrewCaskToken(u"cask"_s).build(),
        AppRecordBuilder(u"Feed"_s).bundleID(u"net.feed"_s).updateAvailable().downloadURL(u"https://d/f.zip"_s).build(),
        AppRecordBuilder(u"Hushed"_s)
            .bundleID(u"com.Hushed"_s)
            .updateAvailable()
            .homebrewCaskToken(u"hushed"_s)
            .build(),
        AppRecordBuilder(u"Nameless"_s).build(),
        AppRecordBuilder(u"Current"_s).bundleID(u"com.current"_s).homebrewCaskToken(u"current"_s).build(),
    });
    state.config.ignoredBundleIDs = {u"COM.hushed"_s};
    state.brewExecutablePath = u"/opt/homebrew/bin/brew"_s;

    struct Expected {
        QString name;
        bool ignored, actionable, brewable;
    };
    const Expected expected[] = {
        {u"Cask"_s, false, true, true}, // no download of its own: Homebrew it is
        {u"Feed"_s, false, true, false},
        {u"Current"_s, false, false, false},
        {u"Hushed"_s, true, false, false},
        {u"Nameless"_s, false, false, false},
    };
    std::vector<AppsListRow> rows = AppsListModel::rowsFor(state, english);
    ASSERT_EQ(rows.size(), std::size(expected));
    for (size_t index = 0; index < rows.size(); ++index) {
        SCOPED_TRACE(expected[index].name.toStdString());
        EXPECT_EQ(rows[index].app.name, expected[index].name);
        EXPECT_EQ(rows[index].ignored, expected[index].ignored);
        EXPECT_EQ(rows[index].actionable, expected[index].actionable);
        EXPECT_EQ(rows[index].brewable, expected[index].brewable);
    }

    state.brewExecutablePath.reset();
    EXPECT_FALSE(AppsListModel::rowsFor(state, english).front().brewable) << "no brew, no Homebrew route";
}

TEST(AppsListModelTest, TwoRowsWithOneIdAreListedAfterAReset)
{
    AppsListModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    model.sync(stateWith({app(u"Alpha"_s)}), english);
    ModelSignals heard(model);
    const InstalledAppRecord twin = AppRecordBuilder(u"Twin"_s).id(u"same"_s).build();
    const InstalledAppRecord other = AppRecordBuilder(u"Other"_s).id(u"same"_s).build();
    model.sync(stateWith({twin, other}), english);
    EXPECT_EQ(heard.take(), QStringList{u"reset"_s});
    EXPECT_EQ(namesIn(model), (QStringList{u"Other"_s, u"Twin"_s}));
    EXPECT_EQ(model.data(model.index(0), AppsListModel::IdRole).toString(), u"same"_s);
}
