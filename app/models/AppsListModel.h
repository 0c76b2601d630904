#pragma once

#include "app/viewmodel/StudioState.h"

#include <QAbstractListModel>
#include <QLocale>

#include <vector>

// One row of the Apps tab's list: the app and what the row makes of it.
struct AppsListRow {
    InstalledAppRecord app;
    bool ignored = false;    // the user ignores the app's updates
    bool actionable = false; // an update the user has not ignored
    bool brewable = false;   // an actionable update that goes through the app's Homebrew cask

    bool operator==(const AppsListRow&) const = default;
};

// The apps the Apps tab lists, in the order the studio shows them, keyed by the apps' ids. A new
// list is applied as removals, insertions and changes of the rows concerned (so sizes arriving in
// batches only repaint their rows); the model is reset only when rows that stay change places.
class AppsListModel final : public QAbstractListModel {
    Q_OBJECT

public:
    enum Role {
        IdRole = Qt::UserRole + 1, // the app's id
    };

    explicit AppsListModel(QObject* parent = nullptr);

    // The rows for `state`: its filtered apps with their flags.
    static std::vector<AppsListRow> rowsFor(const StudioState& state, const QLocale& locale);

    void sync(const StudioState& state, const QLocale& locale) { setRows(rowsFor(state, locale)); }
    void setRows(std::vector<AppsListRow> rows);

    const AppsListRow& row(int index) const { return m_rows.at(static_cast<size_t>(index)); }
    // The row of the app with `id`, or -1.
    int rowOf(const QString& id) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

private:
    // Whether the apps that are in both lists keep their order (and no id is listed twice).
    bool keepsOrder(const std::vector<AppsListRow>& rows) const;
    void removeRowsMissingFrom(const QSet<QString>& ids);
    void insertRowsNewIn(const std::vector<AppsListRow>& rows);
    void announceChangedRows(std::vector<AppsListRow>& rows);

    std::vector<AppsListRow> m_rows;
};
