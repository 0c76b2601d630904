#pragma once

#include "kit/platform/TruneJson.h"

#include <QDateTime>
#include <QString>

#include <optional>
#include <tuple>

// The live status of the Stillo app (focus session, shield, daily figures, docking into Dovel).
// Read leniently: only "timestamp" and "senderPID" are required; a missing or null key takes the
// default below, a badly typed one fails the whole status, counts are brought into range.
struct StilloLiveStatus {
    QDateTime timestamp;
    qint32 senderPID = 0;
    bool isRunning = false;
    bool isBreak = false;
    QString sessionModeRaw = QStringLiteral("pomodoro25");
    qint64 remainingSeconds = 1500; // at least 0
    qint64 totalSeconds = 1500;     // at least 1
    QString currentIntention;
    std::optional<QString> activeTaskID;
    std::optional<QString> activeTaskTitle;
    std::optional<QString> activeProjectName;
    bool isShieldActive = false;
    qint64 lockedAppsCount = 0;     // at least 0
    qint64 blockedDomainsCount = 0; // at least 0
    bool isStrictMode = false;
    bool isAmbientPlaying = false;
    qint64 focusScorePercent = 0;      // 0 to 100
    qint64 completedSessionsToday = 0; // at least 0
    qint64 currentStreakDays = 0;      // at least 0
    double todayProductiveSeconds = 0; // at least 0
    bool isDockedInsideDovel = false;

    // The same ranges as decoding applies.
    static StilloLiveStatus make(StilloLiveStatus fields);

    bool isFresh(const QDateTime& now, double maxAgeSeconds) const;
    // How much of the current session or break has passed, 0 to 1.
    double progress() const;

    auto fields() const
    {
        return std::tie(timestamp, senderPID, isRunning, isBreak, sessionModeRaw, remainingSeconds, totalSeconds,
            currentIntention, activeTaskID, activeTaskTitle, activeProjectName, isShieldActive, lockedAppsCount,
            blockedDomainsCount, isStrictMode, isAmbientPlaying, focusScorePercent, completedSessionsToday,
            currentStreakDays, todayProductiveSeconds, isDockedInsideDovel);
    }
    friend bool operator==(const StilloLiveStatus& a, const StilloLiveStatus& b);
};

template <> struct TruneJsonCoding<StilloLiveStatus> {
    static QJsonValue encode(const StilloLiveStatus& status);
    static TruneJsonResult<StilloLiveStatus> decode(const QJsonValue& json);
};
