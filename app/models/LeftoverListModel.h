#pragma once

#include "app/models/KeyedListModel.h"
#include "core/records/LeftoverFileItem.h"
#include "kit/localization/TruneLanguage.h"

#include <optional>

// One row of the leftover inspector's list: a category's header (grouped lists only) or one
// leftover, with the texts it shows.
struct LeftoverListRow {
    enum class Kind { header, item };

    Kind kind = Kind::item;
    LeftoverCategory category = LeftoverCategory::other;
    QString title = {}; // header: the category's title in upper case
    int count = 0;      // header: the items of the group, selected or not
    std::optional<LeftoverFileItem> item = {};
    std::optional<QString> tag = {}; // item: the category's short title, in flat lists only

    QString key() const;
    bool operator==(const LeftoverListRow&) const = default;
};

// The leftovers of the uninstaller's target, keyed by the item's id (headers by their category).
class LeftoverListModel final : public KeyedListModel<LeftoverListRow> {
    Q_OBJECT

public:
    enum Role {
        IsHeaderRole = Qt::UserRole + 1,
        IdRole,       // item: its id
        PathRole,     // item: its full path
        SizeTextRole, // item: its formatted size
        IsSelectedRole,
        TagRole,   // item: the short category title, or empty
        CountRole, // header: its count as text
    };

    using KeyedListModel::KeyedListModel;

    // The rows of `sortedItems` (already in display order): grouped by category in the
    // categories' order, each non-empty group under its header, or flat with a tag on every row.
    static std::vector<LeftoverListRow> rowsFor(
        const std::vector<LeftoverFileItem>& sortedItems, bool grouped, TruneLanguage language);

    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;
};
