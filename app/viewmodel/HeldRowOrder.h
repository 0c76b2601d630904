#pragma once

#include "kit/platform/TruneStableSort.h"

#include <QHash>
#include <QString>
#include <QStringList>

#include <limits>
#include <vector>

// The ids of `rows`, in their order.
template <typename Row> QStringList rowIDs(const std::vector<Row>& rows)
{
    QStringList ids;
    ids.reserve(qsizetype(rows.size()));
    for (const Row& row : rows)
        ids.append(row.id());
    return ids;
}

// Puts `rows` in the order that `held` names their ids, so that a list does not move under the
// pointer while it is being worked through; rows whose id `held` does not name go last, in the
// order they came in.
template <typename Row> void sortByHeldOrder(std::vector<Row>& rows, const QStringList& held)
{
    QHash<QString, qsizetype> position;
    for (qsizetype index = 0; index < held.size(); ++index)
        position.insert(held[index], index);
    const auto placeOf
        = [&](const Row& row) { return position.value(row.id(), std::numeric_limits<qsizetype>::max()); };
    truneStableSort(rows, [&](const Row& left, const Row& right) { return placeOf(left) < placeOf(right); });
}
