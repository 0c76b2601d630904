#include "app/models/UninstallerAppListModel.h"

#include "kit/foundation/TruneByteFormatter.h"

#include <QRegularExpression>

using namespace Qt::StringLiterals;

namespace {

bool sortsBySize(UninstallerAppSortOrder order)
{
    return order == UninstallerAppSortOrder::sizeDescending || order == UninstallerAppSortOrder::sizeAscending;
}

bool sortsByDate(UninstallerAppSortOrder order)
{
    return order == UninstallerAppSortOrder::newestFirst || order == UninstallerAppSortOrder::oldestFirst;
}

} // namespace

QString mediumDateText(const QDateTime& date, const QLocale& locale)
{
    static const QRegularExpression weekday(u"[,.\\s]*dddd[,.\\s]*"_s);
    QString format = locale.dateFormat(QLocale::LongFormat);
    const QRegularExpressionMatch match = weekday.match(format);
    if (match.hasMatch()) {
        const bool atEdge = match.capturedStart() == 0 || match.capturedEnd() == format.size();
        format.replace(match.capturedStart(), match.capturedLength(), atEdge ? QString() : u" "_s);
    }
    format.replace(u"MMMM"_s, u"MMM"_s);
    return locale.toString(date.toLocalTime().date(), format.trimmed());
}

std::vector<UninstallerAppRow> UninstallerAppListModel::rowsFor(const std::vector<InstalledAppRecord>& apps,
    UninstallerAppSortOrder order, const std::optional<QString>& targetID, const QLocale& dateLocale)
{
    std::vector<UninstallerAppRow> rows;
    rows.reserve(apps.size());
    for (const InstalledAppRecord& app : apps) {
        UninstallerAppRow row{
            .id = app.id(),
            .name = app.name,
            .path = app.path,
            .sizeText = app.sizeBytes >= 1 ? TruneByteFormatter::format(app.sizeBytes) : u"—"_s,
            .sizeHighlighted = sortsBySize(order),
            .isSelected = targetID == app.id(),
        };
        if (sortsByDate(order) && app.modifiedAt)
            row.dateText = u"· "_s + mediumDateText(*app.modifiedAt, dateLocale);
        rows.push_back(std::move(row));
    }
    return rows;
}

QVariant UninstallerAppListModel::data(const QModelIndex& index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const UninstallerAppRow& row = rowAt(index.row());
    switch (role) {
    case Qt::DisplayRole:
        return row.name;
    case Qt::AccessibleTextRole:
        return row.name + u", "_s + row.sizeText;
    case IdRole:
        return row.id;
    case PathRole:
        return row.path;
    case SizeTextRole:
        return row.sizeText;
    case SizeHighlightedRole:
        return row.sizeHighlighted;
    case DateTextRole:
        return row.dateText.value_or(QString());
    case IsSelectedRole:
        return row.isSelected;
    default:
        return {};
    }
}

QHash<int, QByteArray> UninstallerAppListModel::roleNames() const
{
    QHash<int, QByteArray> names = KeyedListModel::roleNames();
    names.insert(IdRole, "id");
    names.insert(PathRole, "path");
    names.insert(SizeTextRole, "sizeText");
    names.insert(SizeHighlightedRole, "sizeHighlighted");
    names.insert(DateTextRole, "dateText");
    names.insert(IsSelectedRole, "isSelected");
    return names;
}
