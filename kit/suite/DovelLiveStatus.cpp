#include "kit/suite/DovelLiveStatus.h"

#include "kit/platform/TruneCanonicalEquality.h"
#include "kit/suite/TruneSuiteFreshness.h"

#include <algorithm>

DovelLiveStatus DovelLiveStatus::make(DovelLiveStatus fields)
{
    fields.openTodayCount = std::max<qint64>(fields.openTodayCount, 0);
    fields.completedTodayCount = std::max<qint64>(fields.completedTodayCount, 0);
    fields.overdueCount = std::max<qint64>(fields.overdueCount, 0);
    fields.inProgressCount = std::max<qint64>(fields.inProgressCount, 0);
    fields.plannedMinutesToday = std::max<qint64>(fields.plannedMinutesToday, 0);
    fields.dailyCapacityMinutes = std::max<qint64>(fields.dailyCapacityMinutes, 30);
    fields.nextBestTaskMinutes = std::max<qint64>(fields.nextBestTaskMinutes, 5);
    return fields;
}

bool operator==(const DovelLiveStatus& a, const DovelLiveStatus& b)
{
    return truneCanonicallyEqual(a.fields(), b.fields());
}

bool DovelLiveStatus::isFresh(const QDateTime& now, double maxAgeSeconds) const
{
    return TruneSuiteFreshness::isFresh(timestamp, senderPID, now, maxAgeSeconds);
}

QJsonValue TruneJsonCoding<DovelLiveStatus>::encode(const DovelLiveStatus& status)
{
    TruneJsonObjectWriter out;
    out.write("timestamp", TruneInternetDate{status.timestamp});
    out.write("senderPID", status.senderPID);
    out.write("openTodayCount", status.openTodayCount);
    out.write("completedTodayCount", status.completedTodayCount);
    out.write("overdueCount", status.overdueCount);
    out.write("inProgressCount", status.inProgressCount);
    out.write("plannedMinutesToday", status.plannedMinutesToday);
    out.write("dailyCapacityMinutes", status.dailyCapacityMinutes);
    out.write("nextBestTaskID", status.nextBestTaskID);
    out.write("nextBestTaskTitle", status.nextBestTaskTitle);
    out.write("nextBestTaskMinutes", status.nextBestTaskMinutes);
    out.write("miniPanelFrame", status.miniPanelFrame);
    out.write("studioWindowFrame", status.studioWindowFrame);
    out.write("isStilloDockedInside", status.isStilloDockedInside);
    return out.object();
}

TruneJsonResult<DovelLiveStatus> TruneJsonCoding<DovelLiveStatus>::decode(const QJsonValue& json)
{
    return TruneJsonObjectReader::read<DovelLiveStatus>(json, [](TruneJsonObjectReader& in) {
        const DovelLiveStatus defaults;
        DovelLiveStatus status;
        status.timestamp = in.required<TruneInternetDate>("timestamp").value;
        status.senderPID = in.required<int>("senderPID");
        status.openTodayCount = in.optional<qint64>("openTodayCount").value_or(defaults.openTodayCount);
        status.completedTodayCount = in.optional<qint64>("completedTodayCount").value_or(defaults.completedTodayCount);
        status.overdueCount = in.optional<qint64>("overdueCount").value_or(defaults.overdueCount);
        status.inProgressCount = in.optional<qint64>("inProgressCount").value_or(defaults.inProgressCount);
        status.plannedMinutesToday = in.optional<qint64>("plannedMinutesToday").value_or(defaults.plannedMinutesToday);
        status.dailyCapacityMinutes
            = in.optional<qint64>("dailyCapacityMinutes").value_or(defaults.dailyCapacityMinutes);
        status.nextBestTaskID = in.optional<QString>("nextBestTaskID");
        status.nextBestTaskTitle = in.optional<QString>("nextBestTaskTitle");
        status.nextBestTaskMinutes = in.optional<qint64>("nextBestTaskMinutes").value_or(defaults.nextBestTaskMinutes);
        status.miniPanelFrame = in.optional<TruneScreenRect>("miniPanelFrame");
        status.studioWindowFrame = in.optional<TruneScreenRect>("studioWindowFrame");
        status.isStilloDockedInside = in.optional<bool>("isStilloDockedInside").value_or(defaults.isStilloDockedInside);
        return DovelLiveStatus::make(status);
    });
}
