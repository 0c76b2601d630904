#include "app/models/HomebrewPackagesListModel.h"

#include <QSet>

#include <algorithm>

namespace {

QSet<QString> idsOf(const std::vector<HomebrewItem>& items)
{
    QSet<QString> ids;
    ids.reserve(qsizetype(items.size()));
    for (const HomebrewItem& item : items)
        ids.insert(item.id());
    return ids;
}

bool hasUniqueIds(const std::vector<HomebrewItem>& items)
{
    return idsOf(items).size() == qsizetype(items.size());
}

// The ids of `items` that `other` holds too, in the order of `items`.
QStringList sharedIdsInOrder(const std::vector<HomebrewItem>& items, const QSet<QString>& other)
{
    QStringList ids;
    for (const HomebrewItem& item : items) {
        if (other.contains(item.id()))
            ids.append(item.id());
    }
    return ids;
}

} // namespace

HomebrewPackagesListModel::HomebrewPackagesListModel(QObject* parent)
    : QAbstractListModel(parent)
{
}

void HomebrewPackagesListModel::setItems(std::vector<HomebrewItem> items)
{
    if (!hasUniqueIds(items) || !keepsRelativeOrder(items)) {
        beginResetModel();
        m_items = std::move(items);
        endResetModel();
        return;
    }
    removeRowsMissingFrom(items);
    insertRowsNewIn(items);
    updateChangedRows(items);
}

bool HomebrewPackagesListModel::keepsRelativeOrder(const std::vector<HomebrewItem>& items) const
{
    return sharedIdsInOrder(m_items, idsOf(items)) == sharedIdsInOrder(items, idsOf(m_items));
}

// From the end, a run of neighbouring rows at a time.
void HomebrewPackagesListModel::removeRowsMissingFrom(const std::vector<HomebrewItem>& items)
{
    const QSet<QString> kept = idsOf(items);
    int row = int(m_items.size()) - 1;
    while (row >= 0) {
        if (kept.contains(m_items[size_t(row)].id())) {
            --row;
            continue;
        }
        const int last = row;
        while (row > 0 && !kept.contains(m_items[size_t(row - 1)].id()))
            --row;
        beginRemoveRows({}, row, last);
        m_items.erase(m_items.begin() + row, m_items.begin() + last + 1);
        endRemoveRows();
        --row;
    }
}

// The rows left are the shared packages in the new order, so each new package goes in at its
// own position in `items`.
void HomebrewPackagesListModel::insertRowsNewIn(const std::vector<HomebrewItem>& items)
{
    const QSet<QString> present = idsOf(m_items);
    size_t row = 0;
    while (row < items.size()) {
        if (present.contains(items[row].id())) {
            ++row;
            continue;
        }
        size_t end = row;
        while (end < items.size() && !present.contains(items[end].id()))
            ++end;
        beginInsertRows({}, int(row), int(end) - 1);
        m_items.insert(
            m_items.begin() + qsizetype(row), items.begin() + qsizetype(row), items.begin() + qsizetype(end));
        endInsertRows();
        row = end;
    }
}

void HomebrewPackagesListModel::updateChangedRows(const std::vector<HomebrewItem>& items)
{
    for (size_t row = 0; row < items.size(); ++row) {
        if (m_items[row] == items[row])
            continue;
        m_items[row] = items[row];
        const QModelIndex changed = index(int(row));
        emit dataChanged(changed, changed);
    }
}

const HomebrewItem* HomebrewPackagesListModel::itemAt(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this || index.row() >= int(m_items.size()))
        return nullptr;
    return &m_items[size_t(index.row())];
}

int HomebrewPackagesListModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_items.size());
}

QVariant HomebrewPackagesListModel::data(const QModelIndex& index, int role) const
{
    const HomebrewItem* item = itemAt(index);
    if (!item)
        return {};
    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return item->fullName;
    case IdRole:
        return item->id();
    default:
        return {};
    }
}

QHash<int, QByteArray> HomebrewPackagesListModel::roleNames() const
{
    QHash<int, QByteArray> names = QAbstractListModel::roleNames();
    names.insert(IdRole, "id");
    return names;
}
