#include "app/models/AppsListModel.h"

#include "app/viewmodel/StudioDerived.h"

#include <QSet>

namespace {

QSet<QString> idsOf(const std::vector<AppsListRow>& rows)
{
    QSet<QString> ids;
    ids.reserve(static_cast<qsizetype>(rows.size()));
    for (const AppsListRow& row : rows)
        ids.insert(row.app.id());
    return ids;
}

// The ids of `rows` that `other` holds too, in the order of `rows`.
QStringList sharedIdsInOrder(const std::vector<AppsListRow>& rows, const QSet<QString>& other)
{
    QStringList ids;
    for (const AppsListRow& row : rows) {
        if (other.contains(row.app.id()))
            ids.append(row.app.id());
    }
    return ids;
}

} // namespace

AppsListModel::AppsListModel(QObject* parent)
    : QAbstractListModel(parent)
{
}

std::vector<AppsListRow> AppsListModel::rowsFor(const StudioState& state, const QLocale& locale)
{
    const QSet<QString> ignoredSet = StudioDerived::ignoredBundleSet(state.config);
    std::vector<AppsListRow> rows;
    for (InstalledAppRecord& app : StudioDerived::filteredApps(state, locale)) {
        AppsListRow row{.app = std::move(app)};
        row.ignored = !row.app.bundleID.isEmpty() && ignoredSet.contains(row.app.bundleID.toLower());
        row.actionable = row.app.updateAvailable && !row.ignored;
        row.brewable = row.actionable && StudioDerived::canUpgradeAppViaHomebrew(state, row.app);
        rows.push_back(std::move(row));
    }
    return rows;
}

void AppsListModel::setRows(std::vector<AppsListRow> rows)
{
    if (!keepsOrder(rows)) {
        beginResetModel();
        m_rows = std::move(rows);
        endResetModel();
        return;
    }
    removeRowsMissingFrom(idsOf(rows));
    insertRowsNewIn(rows);
    announceChangedRows(rows);
}

int AppsListModel::rowOf(const QString& id) const
{
    for (size_t index = 0; index < m_rows.size(); ++index) {
        if (m_rows[index].app.id() == id)
            return static_cast<int>(index);
    }
    return -1;
}

int AppsListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
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

bool AppsListModel::keepsOrder(const std::vector<AppsListRow>& rows) const
{
    const QSet<QString> newIds = idsOf(rows);
    if (newIds.size() != static_cast<qsizetype>(rows.size()))
        return false;
    const QSet<QString> oldIds = idsOf(m_rows);
    return sharedIdsInOrder(m_rows, newIds) == sharedIdsInOrder(rows, oldIds);
}

// From the end, so the rows still to look at keep their numbers; neighbours go in one range.
void AppsListModel::removeRowsMissingFrom(const QSet<QString>& ids)
{
    int last = static_cast<int>(m_rows.size()) - 1;
    while (last >= 0) {
        if (ids.contains(m_rows[static_cast<size_t>(last)].app.id())) {
            --last;
            continue;
        }
        int first = last;
        while (first > 0 && !ids.contains(m_rows[static_cast<size_t>(first - 1)].app.id()))
            --first;
        beginRemoveRows({}, first, last);
        m_rows.erase(m_rows.begin() + first, m_rows.begin() + last + 1);
        endRemoveRows();
        last = first - 1;
    }
}

// The rows left are the new list without its new rows, in its order: each run of new rows goes in
// before the next row that is already there.
void AppsListModel::insertRowsNewIn(const std::vector<AppsListRow>& rows)
{
    size_t position = 0;
    while (position < rows.size()) {
        if (position < m_rows.size() && m_rows[position].app.id() == rows[position].app.id()) {
            ++position;
            continue;
        }
        size_t end = position;
        while (end < rows.size() && (position >= m_rows.size() || rows[end].app.id() != m_rows[position].app.id()))
            ++end;
        beginInsertRows({}, static_cast<int>(position), static_cast<int>(end - 1));
        m_rows.insert(m_rows.begin() + static_cast<std::ptrdiff_t>(position),
            rows.begin() + static_cast<std::ptrdiff_t>(position), rows.begin() + static_cast<std::ptrdiff_t>(end));
        endInsertRows();
        position = end;
    }
}

// The rows now match the new list id for id; each run of changed rows is announced once.
void AppsListModel::announceChangedRows(std::vector<AppsListRow>& rows)
{
    size_t index = 0;
    while (index < m_rows.size()) {
        if (m_rows[index] == rows[index]) {
            ++index;
            continue;
        }
        const size_t first = index;
        while (index < m_rows.size() && !(m_rows[index] == rows[index])) {
            m_rows[index] = std::move(rows[index]);
            ++index;
        }
        emit dataChanged(createIndex(static_cast<int>(first), 0), createIndex(static_cast<int>(index - 1), 0));
    }
}
