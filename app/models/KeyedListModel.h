#pragma once

#include <QAbstractListModel>
#include <QHash>
#include <QString>

#include <algorithm>
#include <vector>

// How a row names itself by default: its `key()`.
struct KeyedListRowKey {
    template <typename Row> QString operator()(const Row& row) const { return row.key(); }
};

// A list model of rows that each carry a stable key (`KeyOf` of the row, by default `Row::key()`)
// and compare by content (`Row::operator==`). replaceRows brings the model to a new list with the
// signals of what really changed: rows that went are removed, new rows inserted and rows whose
// content changed announced. A new order of the rows that stay, or a change scattered over many
// places (a filter typed over a long list), is one layout change instead, which moves the current
// row and every other persistent index with its row; only rows that share a key reset the model.
template <typename Row, typename KeyOf = KeyedListRowKey> class KeyedListModel : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = {}) const override
    {
        return parent.isValid() ? 0 : static_cast<int>(m_rows.size());
    }

    const std::vector<Row>& rows() const { return m_rows; }
    const Row& rowAt(int row) const { return m_rows.at(static_cast<size_t>(row)); }
    // The row with `key`, or -1.
    int rowOf(const QString& key) const
    {
        for (size_t row = 0; row < m_rows.size(); ++row) {
            if (KeyOf{}(m_rows[row]) == key)
                return static_cast<int>(row);
        }
        return -1;
    }

    void replaceRows(std::vector<Row> rows)
    {
        QHash<QString, int> newPositions;
        for (size_t row = 0; row < rows.size(); ++row)
            newPositions.insert(KeyOf{}(rows[row]), static_cast<int>(row));
        QHash<QString, int> oldPositions;
        for (size_t row = 0; row < m_rows.size(); ++row)
            oldPositions.insert(KeyOf{}(m_rows[row]), static_cast<int>(row));
        const bool uniqueKeys = newPositions.size() == static_cast<qsizetype>(rows.size())
            && oldPositions.size() == static_cast<qsizetype>(m_rows.size());
        if (!uniqueKeys) {
            beginResetModel();
            m_rows = std::move(rows);
            endResetModel();
            return;
        }
        if (!keepsOrder(newPositions) || stepCount(rows, newPositions, oldPositions) > maximumSteps) {
            relayout(std::move(rows), newPositions);
            return;
        }
        removeRowsMissingFrom(newPositions);
        insertRowsNewIn(rows, oldPositions);
        announceChangedRows(rows);
    }

private:
    // Each removal or insertion makes a view lay out its rows again; past this many, one layout
    // change costs less.
    static constexpr int maximumSteps = 16;

    // How many runs of removed and of inserted rows lead from the rows to `rows`.
    int stepCount(const std::vector<Row>& rows, const QHash<QString, int>& newPositions,
        const QHash<QString, int>& oldPositions) const
    {
        return runsMissingFrom(m_rows, newPositions) + runsMissingFrom(rows, oldPositions);
    }

    static int runsMissingFrom(const std::vector<Row>& rows, const QHash<QString, int>& positions)
    {
        int runs = 0;
        bool inRun = false;
        for (const Row& row : rows) {
            const bool missing = !positions.contains(KeyOf{}(row));
            runs += missing && !inRun ? 1 : 0;
            inRun = missing;
        }
        return runs;
    }

    // Moves to `rows` in one layout change, as a sorting proxy does: persistent indexes follow
    // their row by key, and those of rows that went become invalid. Rows that stayed but changed
    // are announced afterwards.
    void relayout(std::vector<Row> rows, const QHash<QString, int>& newPositions)
    {
        const bool onlyOrderChanges = newPositions.size() == static_cast<qsizetype>(m_rows.size())
            && std::ranges::all_of(m_rows, [&](const Row& row) { return newPositions.contains(KeyOf{}(row)); });
        emit layoutAboutToBeChanged(
            {}, onlyOrderChanges ? QAbstractItemModel::VerticalSortHint : QAbstractItemModel::NoLayoutChangeHint);
        const QModelIndexList before = persistentIndexList();
        QModelIndexList after;
        after.reserve(before.size());
        // The new rows are not in place yet, so index() would check against the old count.
        for (const QModelIndex& index : before) {
            const int row = newPositions.value(KeyOf{}(m_rows[static_cast<size_t>(index.row())]), -1);
            after.append(row < 0 ? QModelIndex() : createIndex(row, index.column()));
        }
        std::vector<bool> changed(rows.size(), false);
        for (const Row& row : m_rows) {
            const auto found = newPositions.constFind(KeyOf{}(row));
            if (found != newPositions.cend() && !(row == rows[static_cast<size_t>(*found)]))
                changed[static_cast<size_t>(*found)] = true;
        }
        m_rows = std::move(rows);
        changePersistentIndexList(before, after);
        emit layoutChanged(
            {}, onlyOrderChanges ? QAbstractItemModel::VerticalSortHint : QAbstractItemModel::NoLayoutChangeHint);
        announceRowsMarked(changed);
    }

    void announceRowsMarked(const std::vector<bool>& marked)
    {
        size_t row = 0;
        while (row < marked.size()) {
            if (!marked[row]) {
                ++row;
                continue;
            }
            size_t end = row;
            while (end < marked.size() && marked[end])
                ++end;
            emit dataChanged(index(static_cast<int>(row)), index(static_cast<int>(end - 1)));
            row = end;
        }
    }

    // Whether the rows present before and after stand in the same order in both lists.
    bool keepsOrder(const QHash<QString, int>& newPositions) const
    {
        int last = -1;
        for (const Row& row : m_rows) {
            const auto found = newPositions.constFind(KeyOf{}(row));
            if (found == newPositions.cend())
                continue;
            if (*found < last)
                return false;
            last = *found;
        }
        return true;
    }

    void removeRowsMissingFrom(const QHash<QString, int>& newPositions)
    {
        int end = static_cast<int>(m_rows.size());
        while (end > 0) {
            if (newPositions.contains(KeyOf{}(m_rows[static_cast<size_t>(end - 1)]))) {
                --end;
                continue;
            }
            int first = end - 1;
            while (first > 0 && !newPositions.contains(KeyOf{}(m_rows[static_cast<size_t>(first - 1)])))
                --first;
            beginRemoveRows({}, first, end - 1);
            m_rows.erase(m_rows.begin() + first, m_rows.begin() + end);
            endRemoveRows();
            end = first;
        }
    }

    void insertRowsNewIn(const std::vector<Row>& rows, const QHash<QString, int>& oldPositions)
    {
        size_t row = 0;
        while (row < rows.size()) {
            if (oldPositions.contains(KeyOf{}(rows[row]))) {
                ++row;
                continue;
            }
            size_t end = row + 1;
            while (end < rows.size() && !oldPositions.contains(KeyOf{}(rows[end])))
                ++end;
            beginInsertRows({}, static_cast<int>(row), static_cast<int>(end - 1));
            m_rows.insert(m_rows.begin() + static_cast<qsizetype>(row), rows.begin() + static_cast<qsizetype>(row),
                rows.begin() + static_cast<qsizetype>(end));
            endInsertRows();
            row = end;
        }
    }

    void announceChangedRows(std::vector<Row>& rows)
    {
        std::vector<bool> changed(rows.size(), false);
        for (size_t row = 0; row < rows.size(); ++row) {
            if (!(m_rows[row] == rows[row])) {
                m_rows[row] = std::move(rows[row]);
                changed[row] = true;
            }
        }
        announceRowsMarked(changed);
    }

    std::vector<Row> m_rows;
};
