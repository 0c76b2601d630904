#include "kit/suite/HaltrixLiveStatus.h"

#include "kit/platform/TruneCanonicalEquality.h"
#include "kit/suite/TruneSuiteFreshness.h"

bool operator==(const HaltrixLiveStatus& a, const HaltrixLiveStatus& b)
{
    return truneCanonicallyEqual(a.fields(), b.fields());
}

bool HaltrixLiveStatus::isFresh(const QDateTime& now, double maxAgeSeconds) const
{
    return TruneSuiteFreshness::isFresh(timestamp, senderPID, now, maxAgeSeconds);
}

QJsonValue TruneJsonCoding<HaltrixLiveStatus>::encode(const HaltrixLiveStatus& status)
{
    TruneJsonObjectWriter out;
    out.write("timestamp", TruneInternetDate{status.timestamp});
    out.write("senderPID", status.senderPID);
    out.write("totalProcessCount", status.totalProcessCount);
    out.write("unresponsiveCount", status.unresponsiveCount);
    out.write("problematicCount", status.problematicCount);
    out.write("unresponsiveAppNames", status.unresponsiveAppNames);
    out.write("memoryLeakCount", status.memoryLeakCount);
    out.write("autoFrozenPIDs", status.autoFrozenPIDs);
    out.write("activeFocusProfileName", status.activeFocusProfileName);
    out.write("reclaimedFocusBytes", status.reclaimedFocusBytes);
    out.write("listeningPortCount", status.listeningPortCount);
    return out.object();
}

TruneJsonResult<HaltrixLiveStatus> TruneJsonCoding<HaltrixLiveStatus>::decode(const QJsonValue& json)
{
    return TruneJsonObjectReader::read<HaltrixLiveStatus>(json, [](TruneJsonObjectReader& in) {
        HaltrixLiveStatus status;
        status.timestamp = in.required<TruneInternetDate>("timestamp").value;
        status.senderPID = in.required<int>("senderPID");
        status.totalProcessCount = in.required<qint64>("totalProcessCount");
        status.unresponsiveCount = in.required<qint64>("unresponsiveCount");
        status.problematicCount = in.required<qint64>("problematicCount");
        status.unresponsiveAppNames = in.required<QStringList>("unresponsiveAppNames");
        status.memoryLeakCount = in.required<qint64>("memoryLeakCount");
        status.autoFrozenPIDs = in.required<std::vector<qint32>>("autoFrozenPIDs");
        status.activeFocusProfileName = in.optional<QString>("activeFocusProfileName");
        status.reclaimedFocusBytes = in.required<qint64>("reclaimedFocusBytes");
        status.listeningPortCount = in.required<qint64>("listeningPortCount");
        return status;
    });
}
