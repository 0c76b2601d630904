#include "app/models/LeftoverListModel.h"

#include "app/views/uninstaller/UninstallerTexts.h"
#include "kit/foundation/TruneByteFormatter.h"

using namespace Qt::StringLiterals;

QString LeftoverListRow::key() const
{
    return kind == Kind::header ? u"header::"_s + rawValue(category) : item->id();
}

std::vector<LeftoverListRow> LeftoverListModel::rowsFor(
    const std::vector<LeftoverFileItem>& sortedItems, bool grouped, TruneLanguage language)
{
    std::vector<LeftoverListRow> rows;
    if (!grouped) {
        for (const LeftoverFileItem& item : sortedItems) {
            rows.push_back({.kind = LeftoverListRow::Kind::item,
                .category = item.category,
                .item = item,
                .tag = UninstallerTexts::categoryShortTitle(item.category, language)});
        }
        return rows;
    }
    for (const LeftoverCategory category : allCases<LeftoverCategory>()) {
        std::vector<LeftoverListRow> group;
        for (const LeftoverFileItem& item : sortedItems) {
            if (item.category == category)
                group.push_back({.kind = LeftoverListRow::Kind::item, .category = category, .item = item});
        }
        if (group.empty())
            continue;
        rows.push_back({.kind = LeftoverListRow::Kind::header,
            .category = category,
            .title = language.locale().toUpper(UninstallerTexts::categoryTitle(category, language)),
            .count = static_cast<int>(group.size())});
        rows.insert(rows.end(), group.begin(), group.end());
    }
    return rows;
}

QVariant LeftoverListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const LeftoverListRow& row = rowAt(index.row());
    if (row.kind == LeftoverListRow::Kind::header) {
        switch (role) {
        case Qt::DisplayRole:
        case Qt::AccessibleTextRole:
            return row.title;
        case IsHeaderRole:
            return true;
        case CountRole:
            return QString::number(row.count);
        default:
            return {};
        }
    }
    const LeftoverFileItem& item = *row.item;
    switch (role) {
    case Qt::DisplayRole:
        return item.fileName();
    case Qt::AccessibleTextRole:
        return item.fileName() + u", "_s + TruneByteFormatter::format(item.sizeBytes);
    case Qt::CheckStateRole:
        return item.isSelected ? Qt::Checked : Qt::Unchecked;
    case IsHeaderRole:
        return false;
    case IdRole:
        return item.id();
    case PathRole:
        return item.path;
    case SizeTextRole:
        return TruneByteFormatter::format(item.sizeBytes);
    case IsSelectedRole:
        return item.isSelected;
    case TagRole:
        return row.tag.value_or(QString());
    default:
        return {};
    }
}

QHash<int, QByteArray> LeftoverListModel::roleNames() const
{
    QHash<int, QByteArray> names = KeyedListModel::roleNames();
    names.insert(IsHeaderRole, "isHeader");
    names.insert(IdRole, "id");
    names.insert(PathRole, "path");
    names.insert(SizeTextRole, "sizeText");
    names.insert(IsSelectedRole, "isSelected");
    names.insert(TagRole, "tag");
    names.insert(CountRole, "count");
    return names;
}
