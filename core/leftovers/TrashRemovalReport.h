#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <QtGlobal>

// What a move to the Trash did.
struct TrashRemovalReport {
    QStringList trashedPaths;           // in processing order: selected items first, the app bundle last
    QMap<QString, QString> failedPaths; // path -> why it was not moved
    qint64 reclaimedBytes = 0;          // the sizes of everything moved, added up

    bool operator==(const TrashRemovalReport&) const = default;
};
