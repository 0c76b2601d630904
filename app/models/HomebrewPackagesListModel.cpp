#include "app/models/HomebrewPackagesListModel.h"

HomebrewPackagesListModel::HomebrewPackagesListModel(QObject* parent)
    : KeyedListModel(parent)
{
}

const HomebrewItem* HomebrewPackagesListModel::itemAt(const QModelIndex& index) const
{
    if (!index.isValid() || index.model() != this || index.row() >= rowCount())
        return nullptr;
    return &rowAt(index.row());
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
