#include "kit/suite/StilloLiveStatus.h"

#include "kit/platform/TruneCanonicalEquality.h"
#include "kit/suite/TruneSuiteFreshness.h"
#include "kit/suite/TruneSuiteRanges.h"

#include <algorithm>

StilloLiveStatus StilloLiveStatus::make(StilloLiveStatus fields)
{
    fields.remainingSeconds = std::max<qint64>(fields.remainingSeconds, 0);
    fields.totalSeconds = std::max<qint64>(fields.totalSeconds, 1);
    fields.lockedAppsCount = std::max<qint64>(fields.lockedAppsCount, 0);
    fields.blockedDomainsCount = std::max<qint64>(fields.blockedDomainsCount, 0);
    fields.focusScorePercent = std::clamp<qint64>(fields.focusScorePercent, 0, 100);
    fields.completedSessionsToday = std::max<qint64>(fields.completedSessionsToday, 0);
    fields.currentStreakDays = std::max<qint64>(fields.currentStreakDays, 0);
    fields.todayProductiveSeconds = TruneSuiteRanges::atLeast(fields.todayProductiveSeconds, 0.0);
    return fields;
}

bool operator==(const StilloLiveStatus& a, const StilloLiveStatus& b)
{
    return truneCanonicallyEqual(a.fields(), b.fields());
}

bool StilloLiveStatus::isFresh(const QDateTime& now, double maxAgeSeconds) const
{
    return TruneSuiteFreshness::isFresh(timestamp, senderPID, now, maxAgeSeconds);
}

double StilloLiveStatus::progress() const
{
    const double total = static_cast<double>(std::max<qint64>(totalSeconds, 1));
    return std::min(std::max(1.0 - static_cast<double>(remainingSeconds) / total, 0.0), 1.0);
}

QJsonValue TruneJsonCoding<StilloLiveStatus>::encode(const StilloLiveStatus& status)
{
    TruneJsonObjectWriter out;
    out.write("timestamp", TruneInternetDate{status.timestamp});
    out.write("senderPID", status.senderPID);
    out.write("isRunning", status.isRunning);
    out.write("isBreak", status.isBreak);
    out.write("sessionModeRaw", status.sessionModeRaw);
    out.write("remainingSeconds", status.remainingSeconds);
    out.write("totalSeconds", status.totalSeconds);
    out.write("currentIntention", status.currentIntention);
    out.write("activeTaskID", status.activeTaskID);
    out.write("activeTaskTitle", status.activeTaskTitle);
    out.write("activeProjectName", status.activeProjectName);
    out.write("isShieldActive", status.isShieldActive);
    out.write("lockedAppsCount", status.lockedAppsCount);
    out.write("blockedDomainsCount", status.blockedDomainsCount);
    out.write("isStrictMode", status.isStrictMode);
    out.write("isAmbientPlaying", status.isAmbientPlaying);
    out.write("focusScorePercent", status.focusScorePercent);
    out.write("completedSessionsToday", status.completedSessionsToday);
    out.write("currentStreakDays", status.currentStreakDays);
    out.write("todayProductiveSeconds", status.todayProductiveSeconds);
    out.write("isDockedInsideDovel", status.isDockedInsideDovel);
    return out.object();
}

TruneJsonResult<StilloLiveStatus> TruneJsonCoding<StilloLiveStatus>::decode(const QJsonValue& json)
{
    return TruneJsonObjectReader::read<StilloLiveStatus>(json, [](TruneJsonObjectReader& in) {
        const StilloLiveStatus defaults;
        StilloLiveStatus status;
        status.timestamp = in.required<TruneInternetDate>("timestamp").value;
        status.senderPID = in.required<int>("senderPID");
        status.isRunning = in.optional<bool>("isRunning").value_or(defaults.isRunning);
        status.isBreak = in.optional<bool>("isBreak").value_or(defaults.isBreak);
        status.sessionModeRaw = in.optional<QString>("sessionModeRaw").value_or(defaults.sessionModeRaw);
        status.remainingSeconds = in.optional<qint64>("remainingSeconds").value_or(defaults.remainingSeconds);
        status.totalSeconds = in.optional<qint64>("totalSeconds").value_or(defaults.totalSeconds);
        status.currentIntention = in.optional<QString>("currentIntention").value_or(defaults.currentIntention);
        status.activeTaskID = in.optional<QString>("activeTaskID");
        status.activeTaskTitle = in.optional<QString>("activeTaskTitle");
        status.activeProjectName = in.optional<QString>("activeProjectName");
        status.isShieldActive = in.optional<bool>("isShieldActive").value_or(defaults.isShieldActive);
        status.lockedAppsCount = in.optional<qint64>("lockedAppsCount").value_or(defaults.lockedAppsCount);
        status.blockedDomainsCount = in.optional<qint64>("blockedDomainsCount").value_or(defaults.blockedDomainsCount);
        status.isStrictMode = in.optional<bool>("isStrictMode").value_or(defaults.isStrictMode);
        status.isAmbientPlaying = in.optional<bool>("isAmbientPlaying").value_or(defaults.isAmbientPlaying);
        status.focusScorePercent = in.optional<qint64>("focusScorePercent").value_or(defaults.focusScorePercent);
        status.completedSessionsToday
            = in.optional<qint64>("completedSessionsToday").value_or(defaults.completedSessionsToday);
        status.currentStreakDays = in.optional<qint64>("currentStreakDays").value_or(defaults.currentStreakDays);
        status.todayProductiveSeconds
            = in.optional<double>("todayProductiveSeconds").value_or(defaults.todayProductiveSeconds);
        status.isDockedInsideDovel = in.optional<bool>("isDockedInsideDovel").value_or(defaults.isDockedInsideDovel);
        return StilloLiveStatus::make(status);
    });
}
