#pragma once

#include "app/models/KeyedListModel.h"
#include "core/records/UninstallerAppSortOrder.h"

#include <QLocale>

#include <optional>

// One row of the uninstaller's app picker, with the texts it shows.
struct UninstallerAppRow {
    QString id;
    QString name;
    QString path;
    QString sizeText;                     // the formatted size, or an em dash while unmeasured
    bool sizeHighlighted = false;         // in the accent colour, while the list is ordered by size
    std::optional<QString> dateText = {}; // "· " and the modification date, while ordered by date
    bool isSelected = false;              // the uninstaller's target

    const QString& key() const { return id; }
    bool operator==(const UninstallerAppRow&) const = default;
};

// The apps of the uninstaller's picker, keyed by the app's id.
class UninstallerAppListModel final : public KeyedListModel<UninstallerAppRow> {
    Q_OBJECT

public:
    enum Role {
        IdRole = Qt::UserRole + 1,
        PathRole,
        SizeTextRole,
        SizeHighlightedRole,
        DateTextRole, // empty when no date is shown
        IsSelectedRole,
    };

    using KeyedListModel::KeyedListModel;

    // The rows for `apps` (in that order) under `order`, with the row of `targetID` selected.
    // Dates are written in `dateLocale`'s medium style.
    static std::vector<UninstallerAppRow> rowsFor(const std::vector<InstalledAppRecord>& apps,
        UninstallerAppSortOrder order, const std::optional<QString>& targetID, const QLocale& dateLocale = QLocale());

    QVariant data(const QModelIndex& index, int role) const override;
    QHash<int, QByteArray> roleNames() const override;
};

// The locale's date of medium length ("Dec 11, 2026", "11 Ara 2026"): its long date without the
// weekday, with the month's short name.
QString mediumDateText(const QDateTime& date, const QLocale& locale);
