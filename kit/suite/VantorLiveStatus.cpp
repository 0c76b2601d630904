#include "kit/suite/VantorLiveStatus.h"

#include "kit/platform/TruneCanonicalEquality.h"
#include "kit/suite/TruneSuiteFreshness.h"

bool operator==(const VantorLiveStatus& a, const VantorLiveStatus& b)
{
    return truneCanonicallyEqual(a.fields(), b.fields());
}

bool VantorLiveStatus::isFresh(const QDateTime& now, double maxAgeSeconds) const
{
    return TruneSuiteFreshness::isFresh(timestamp, senderPID, now, maxAgeSeconds);
}

std::optional<double> VantorLiveStatus::headlineTempCelsius() const
{
    if (cpuTempCelsius)
        return cpuTempCelsius;
    if (socTempCelsius)
        return socTempCelsius;
    return gpuTempCelsius;
}

QJsonValue TruneJsonCoding<VantorLiveStatus>::encode(const VantorLiveStatus& status)
{
    TruneJsonObjectWriter out;
    out.write("timestamp", TruneInternetDate{status.timestamp});
    out.write("senderPID", status.senderPID);
    out.write("cpuTotalPercent", status.cpuTotalPercent);
    out.write("gpuTotalPercent", status.gpuTotalPercent);
    out.write("memoryUsedPercent", status.memoryUsedPercent);
    out.write("swapUsedBytes", status.swapUsedBytes);
    out.write("cpuTempCelsius", status.cpuTempCelsius);
    out.write("gpuTempCelsius", status.gpuTempCelsius);
    out.write("socTempCelsius", status.socTempCelsius);
    out.write("fanMaxRPM", status.fanMaxRPM);
    out.write("systemWatts", status.systemWatts);
    out.write("healthScore", status.healthScore);
    out.write("thermalState", status.thermalState);
    out.write("nvmeHealthPercent", status.nvmeHealthPercent);
    return out.object();
}

TruneJsonResult<VantorLiveStatus> TruneJsonCoding<VantorLiveStatus>::decode(const QJsonValue& json)
{
    return TruneJsonObjectReader::read<VantorLiveStatus>(json, [](TruneJsonObjectReader& in) {
        VantorLiveStatus status;
        status.timestamp = in.required<TruneInternetDate>("timestamp").value;
        status.senderPID = in.required<int>("senderPID");
        status.cpuTotalPercent = in.required<double>("cpuTotalPercent");
        status.gpuTotalPercent = in.required<double>("gpuTotalPercent");
        status.memoryUsedPercent = in.required<double>("memoryUsedPercent");
        status.swapUsedBytes = in.required<qint64>("swapUsedBytes");
        status.cpuTempCelsius = in.optional<double>("cpuTempCelsius");
        status.gpuTempCelsius = in.optional<double>("gpuTempCelsius");
        status.socTempCelsius = in.optional<double>("socTempCelsius");
        status.fanMaxRPM = in.optional<qint64>("fanMaxRPM");
        status.systemWatts = in.optional<double>("systemWatts");
        status.healthScore = in.required<qint64>("healthScore");
        status.thermalState = in.required<QString>("thermalState");
        status.nvmeHealthPercent = in.optional<qint64>("nvmeHealthPercent");
        return status;
    });
}
