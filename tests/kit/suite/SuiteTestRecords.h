#pragma once

// Complete sample records for the suite tests, each the value of its golden JSON text.

#include "kit/suite/AudrelLiveStatus.h"
#include "kit/suite/DovelLiveStatus.h"
#include "kit/suite/HaltrixLiveStatus.h"
#include "kit/suite/LumbraLiveStatus.h"
#include "kit/suite/StilloLiveStatus.h"
#include "kit/suite/TruneLiveActivityTile.h"
#include "kit/suite/TuneloLiveStatus.h"
#include "kit/suite/VantorLiveStatus.h"

#include <QDateTime>

namespace SuiteTestRecords {

inline QDateTime morning()
{
    return QDateTime(QDate(2026, 3, 1), QTime(9, 30), Qt::UTC);
}

// A process that has ended: a child that ran and was reaped.
qint32 endedProcessId();

LumbraOffloadLiveProgress lumbraProgress();
LumbraLiveStatus lumbra(qint32 senderPID = 4321);
VantorLiveStatus vantor(qint32 senderPID = 4321);
HaltrixLiveStatus haltrix(qint32 senderPID = 4321);
AudrelLiveStatus audrel(qint32 senderPID = 4321);
TuneloLiveStatus tunelo(qint32 senderPID = 4321);
StilloLiveStatus stillo(qint32 senderPID = 4321);
DovelLiveStatus dovel(qint32 senderPID = 4321);
TruneLiveActivityTile tile(TruneSuiteApp app, qint64 priority, const QDateTime& timestamp, qint32 senderPID = 4321);

} // namespace SuiteTestRecords
