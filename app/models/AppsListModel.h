#pragma once

#include "app/models/KeyedListModel.h"
#include "app/viewmodel/StudioState.h"

#include <QLocale>

#include <vector>

// One row of the Apps tab's list: the app and what the row makes of it.
struct AppsListRow {
    InstalledAppRecord app;
    bool ignored = false;    // the user ignores the app's updates
    bool actionable = false; // an update the user has not ignored
    bool brewable = false;   // an actionable update that goes through the app's Homebrew cask

    QString key() const { return app.id(); }
    bool operator==(const AppsListRow&) const = default;
};

// The apps the Apps tab lists, in the order the studio shows them, keyed by the apps' ids. A new
// list is applied as removals, insertions and changes of the rows concerned (so sizes arriving in
// batches only repaint their rows); the model is reset only when rows that stay change places.
class AppsListModel final : public KeyedListModel<AppsListRow> {
    Q_OBJECT

public:
    enum Role {
        IdRole = Qt::UserRole + 1, // the app's id
    };

    explicit AppsListModel(QObject* parent = nullptr);

    // The rows for `state`: its filtered apps with their flags.
    static std::vector<AppsListRow> rowsFor(const StudioState& state, const QLocale& locale);

    void sync(const StudioState& state, const QLocale& locale) { setRows(rowsFor(state, locale)); }
    void setRows(std::vector<AppsListRow> rows) { replaceRows(std::move(rows)); }

    const AppsListRow& row(int index) const { return rowAt(index); }

    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;
};
