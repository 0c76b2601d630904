#pragma once

#include "kit/platform/TruneJson.h"
#include "kit/suite/TruneScreenRect.h"

#include <QDateTime>
#include <QString>

#include <optional>
#include <tuple>

// The live status of the Dovel app (today's tasks, the suggested next task, its window frames,
// Stillo docked inside). Read leniently like StilloLiveStatus; a frame present must hold all
// four of its keys.
struct DovelLiveStatus {
    QDateTime timestamp;
    qint32 senderPID = 0;
    qint64 openTodayCount = 0;         // at least 0
    qint64 completedTodayCount = 0;    // at least 0
    qint64 overdueCount = 0;           // at least 0
    qint64 inProgressCount = 0;        // at least 0
    qint64 plannedMinutesToday = 0;    // at least 0
    qint64 dailyCapacityMinutes = 360; // at least 30
    std::optional<QString> nextBestTaskID;
    std::optional<QString> nextBestTaskTitle;
    qint64 nextBestTaskMinutes = 25; // at least 5
    std::optional<TruneScreenRect> miniPanelFrame;
    std::optional<TruneScreenRect> studioWindowFrame;
    bool isStilloDockedInside = false;

    // The same ranges as decoding applies; frames are kept as given.
    static DovelLiveStatus make(DovelLiveStatus fields);

    bool isFresh(const QDateTime& now, double maxAgeSeconds) const;

    auto fields() const
    {
        return std::tie(timestamp, senderPID, openTodayCount, completedTodayCount, overdueCount, inProgressCount,
            plannedMinutesToday, dailyCapacityMinutes, nextBestTaskID, nextBestTaskTitle, nextBestTaskMinutes,
            miniPanelFrame, studioWindowFrame, isStilloDockedInside);
    }
    friend bool operator==(const DovelLiveStatus& a, const DovelLiveStatus& b);
};

template <> struct TruneJsonCoding<DovelLiveStatus> {
    static QJsonValue encode(const DovelLiveStatus& status);
    static TruneJsonResult<DovelLiveStatus> decode(const QJsonValue& json);
};
