#pragma once

#include <QAbstractListModel>
#include <QHash>
#include <QString>

#include <vector>

// How a row names itself by default: its `key()`.
struct KeyedListRowKey {
    template <typename Row> QString operator()(const Row& row) const { return row.key(); }
};

// A list model of rows that each carry a stable key (`KeyOf` of the row, by default `Row::key()`)
// and compare by content (`Row::operator==`). replaceRows brings the model to a new list with the signals of what really
// changed: rows that went are removed, new rows inserted and rows whose content changed announced;
// only a new order of the rows that stay resets the model, as views cannot follow a move otherwise.
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
        if (!uniqueKeys || !keepsOrder(newPositions)) {
            beginResetModel();
            m_rows = std::move(rows);
            endResetModel();
            return;
        }
        removeRowsMissingFrom(newPositions);
        insertRowsNewIn(rows, oldPositions);
        announceChangedRows(rows);
    }

private:
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
        size_t row = 0;
        while (row < rows.size()) {
            if (m_rows[row] == rows[row]) {
                ++row;
                continue;
            }
            size_t end = row;
            while (end < rows.size() && !(m_rows[end] == rows[end])) {
                m_rows[end] = std::move(rows[end]);
                ++end;
            }
            emit dataChanged(index(static_cast<int>(row)), index(static_cast<int>(end - 1)));
            row = end;
        }
    }

    std::vector<Row> m_rows;
};
