#pragma once

#include "core/records/HomebrewItem.h"

#include <QAbstractListModel>

#include <vector>

// The packages the Homebrew tab lists, one row each, keyed by the item's id. setItems() moves the
// list to a new one with the fewest signals views need: removed and inserted rows as such, changed
// rows as dataChanged, and a reset only when packages both lists hold stand in another order.
class HomebrewPackagesListModel final : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role {
        IdRole = Qt::UserRole + 1, // the item's id
    };

    explicit HomebrewPackagesListModel(QObject* parent = nullptr);

    void setItems(std::vector<HomebrewItem> items);
    const std::vector<HomebrewItem>& items() const { return m_items; }
    // The package of a row of this model; nullptr for an invalid index or one of another model.
    const HomebrewItem* itemAt(const QModelIndex& index) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    bool keepsRelativeOrder(const std::vector<HomebrewItem>& items) const;
    void removeRowsMissingFrom(const std::vector<HomebrewItem>& items);
    void insertRowsNewIn(const std::vector<HomebrewItem>& items);
    void updateChangedRows(const std::vector<HomebrewItem>& items);

    std::vector<HomebrewItem> m_items;
};
