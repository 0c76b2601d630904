#include "app/models/AppsListModel.h"

#include "app/viewmodel/StudioDerived.h"

#include <QSet>

AppsListModel::AppsListModel(QObject* parent)
    : KeyedListModel(parent)
{
}

std::vector<AppsListRow> AppsListModel::rowsFor(const StudioState& state, const QLocale& locale)
{
    const QSet<QString> ignoredSet = StudioDerived::ignoredBundleSet(state.config);
    std::vector<AppsListRow> rows;
    for (InstalledAppRecord& app : StudioDerived::filteredApps(state, locale)) {
        AppsListRow row{.app = std::move(app)};
        row.ignored = StudioDerived::isIgnored(row.app, ignoredSet);
        row.actionable = row.app.updateAvailable && !row.ignored;
        row.brewable = row.actionable && StudioDerived::canUpgradeAppViaHomebrew(state, row.app);
        rows.push_back(std::move(row));
    }
    return rows;
}

QVariant AppsListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const AppsListRow& shown = row(index.row());
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return shown.app.name;
    case IdRole:
        return shown.app.id();
    default:
        return {};
    }
}

QHash<int, QByteArray> AppsListModel::roleNames() const
{
    QHash<int, QByteArray> names = QAbstractListModel::roleNames();
    names.insert(IdRole, "appId");
    return names;
}
