#pragma once

#include "app/models/KeyedListModel.h"

#include <QStringList>

// One ignored bundle identifier as the settings list shows it. A hand-edited list may hold the
// same identifier twice; the occurrence tells those rows apart.
struct IgnoredAppsListRow {
    QString bundleID;
    // The identifier and its occurrence, made once: a long list asks for it several times a row.
    QString rowKey;

    QString key() const { return rowKey; }
    bool operator==(const IgnoredAppsListRow&) const = default;
};

// The ignored bundle identifiers in stored order, one row each.
class IgnoredAppsListModel final : public KeyedListModel<IgnoredAppsListRow> {
    Q_OBJECT

public:
    using KeyedListModel::KeyedListModel;

    static std::vector<IgnoredAppsListRow> rowsFor(const QStringList& bundleIDs);

    // Qt::DisplayRole and Qt::AccessibleTextRole: the identifier.
    QVariant data(const QModelIndex& index, int role) const override;
};
