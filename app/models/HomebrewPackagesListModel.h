#pragma once

#include "app/models/KeyedListModel.h"
#include "core/records/HomebrewItem.h"

#include <vector>

// A package names its row by its id ("formula::" or "cask::" and the token).
struct HomebrewItemKey {
    QString operator()(const HomebrewItem& item) const { return item.id(); }
};

// The packages the Homebrew tab lists, one row each, keyed by the item's id. setItems() moves the
// list to a new one with the fewest signals views need: removed and inserted rows as such, changed
// rows as dataChanged, and a reset only when packages both lists hold stand in another order.
class HomebrewPackagesListModel final : public KeyedListModel<HomebrewItem, HomebrewItemKey> {
    Q_OBJECT

public:
    enum Role {
        IdRole = Qt::UserRole + 1, // the item's id
    };

    explicit HomebrewPackagesListModel(QObject* parent = nullptr);

    void setItems(std::vector<HomebrewItem> items) { replaceRows(std::move(items)); }
    const std::vector<HomebrewItem>& items() const { return rows(); }
    // The package of a row of this model; nullptr for an invalid index or one of another model.
    const HomebrewItem* itemAt(const QModelIndex& index) const;

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;
};
