#include "app/models/IgnoredAppsListModel.h"

#include <QHash>

std::vector<IgnoredAppsListRow> IgnoredAppsListModel::rowsFor(const QStringList& bundleIDs)
{
    QHash<QString, int> seen;
    std::vector<IgnoredAppsListRow> rows;
    rows.reserve(static_cast<size_t>(bundleIDs.size()));
    for (const QString& bundleID : bundleIDs)
        rows.push_back({.bundleID = bundleID, .rowKey = bundleID + u'\n' + QString::number(seen[bundleID]++)});
    return rows;
}

QVariant IgnoredAppsListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return rowAt(index.row()).bundleID;
    default:
        return {};
    }
}
