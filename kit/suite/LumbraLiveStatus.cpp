#include "kit/suite/LumbraLiveStatus.h"

#include "kit/platform/TruneCanonicalEquality.h"
#include "kit/suite/TruneSuiteFreshness.h"
#include "kit/suite/TruneSuiteRanges.h"

#include <limits>

using TruneSuiteRanges::saturatedSum;

LumbraOffloadLiveProgress LumbraOffloadLiveProgress::make(LumbraOffloadLiveProgress fields)
{
    fields.totalSteps = std::max<qint64>(fields.totalSteps, 1);
    fields.fractionCompleted = TruneSuiteRanges::within(fields.fractionCompleted, 0.0, 1.0);
    return fields;
}

bool operator==(const LumbraOffloadLiveProgress& a, const LumbraOffloadLiveProgress& b)
{
    return truneCanonicallyEqual(a.fields(), b.fields());
}

bool operator==(const LumbraLiveStatus& a, const LumbraLiveStatus& b)
{
    return truneCanonicallyEqual(a.fields(), b.fields());
}

bool LumbraLiveStatus::isFresh(const QDateTime& now, double maxAgeSeconds) const
{
    return TruneSuiteFreshness::isFresh(timestamp, senderPID, now, maxAgeSeconds);
}

bool LumbraLiveStatus::hasVirtualDiskExpansion() const
{
    return activeDiskPoolCount > 0 || mountedSparseDiskCount > 0 || mountedRAMDiskCount > 0;
}

qint64 LumbraLiveStatus::totalVirtualPoolCapacityBytes() const
{
    return saturatedSum(diskPoolVirtualBytes, sparseDiskVirtualBytes);
}

qint64 LumbraLiveStatus::totalVirtualDiskActualBytes() const
{
    return saturatedSum(diskPoolActualDiskBytes, sparseDiskActualBytes);
}

QJsonValue TruneJsonCoding<LumbraOffloadLiveProgress>::encode(const LumbraOffloadLiveProgress& progress)
{
    TruneJsonObjectWriter out;
    out.write("timestamp", TruneInternetDate{progress.timestamp});
    out.write("isRunning", progress.isRunning);
    out.write("isCompletedSummary", progress.isCompletedSummary);
    out.write("stepIndex", progress.stepIndex);
    out.write("totalSteps", progress.totalSteps);
    out.write("fractionCompleted", progress.fractionCompleted);
    out.write("phaseTitleEN", progress.phaseTitleEN);
    out.write("phaseTitleTR", progress.phaseTitleTR);
    out.write("detailEN", progress.detailEN);
    out.write("detailTR", progress.detailTR);
    out.write("allocatedBytes", progress.allocatedBytes);
    out.write("targetBytes", progress.targetBytes);
    out.write("frozenAppNames", progress.frozenAppNames);
    out.write("livePressure", progress.livePressure);
    return out.object();
}

TruneJsonResult<LumbraOffloadLiveProgress> TruneJsonCoding<LumbraOffloadLiveProgress>::decode(const QJsonValue& json)
{
    return TruneJsonObjectReader::read<LumbraOffloadLiveProgress>(json, [](TruneJsonObjectReader& in) {
        LumbraOffloadLiveProgress progress;
        progress.timestamp = in.required<TruneInternetDate>("timestamp").value;
        progress.isRunning = in.required<bool>("isRunning");
        progress.isCompletedSummary = in.required<bool>("isCompletedSummary");
        progress.stepIndex = in.required<qint64>("stepIndex");
        progress.totalSteps = in.required<qint64>("totalSteps");
        progress.fractionCompleted = in.required<double>("fractionCompleted");
        progress.phaseTitleEN = in.required<QString>("phaseTitleEN");
        progress.phaseTitleTR = in.required<QString>("phaseTitleTR");
        progress.detailEN = in.required<QString>("detailEN");
        progress.detailTR = in.required<QString>("detailTR");
        progress.allocatedBytes = in.required<qint64>("allocatedBytes");
        progress.targetBytes = in.required<qint64>("targetBytes");
        progress.frozenAppNames = in.required<QStringList>("frozenAppNames");
        progress.livePressure = in.required<QString>("livePressure");
        return progress;
    });
}

QJsonValue TruneJsonCoding<LumbraLiveStatus>::encode(const LumbraLiveStatus& status)
{
    TruneJsonObjectWriter out;
    out.write("timestamp", TruneInternetDate{status.timestamp});
    out.write("senderPID", status.senderPID);
    out.write("physicalTotalBytes", status.physicalTotalBytes);
    out.write("physicalUsedBytes", status.physicalUsedBytes);
    out.write("compressedBytes", status.compressedBytes);
    out.write("usedPercent", status.usedPercent);
    out.write("swapTotalBytes", status.swapTotalBytes);
    out.write("swapUsedBytes", status.swapUsedBytes);
    out.write("swapFileCount", status.swapFileCount);
    out.write("swapEncrypted", status.swapEncrypted);
    out.write("pressureLevel", status.pressureLevel);
    out.write("healthScore", status.healthScore);
    out.write("activeDiskPoolCount", status.activeDiskPoolCount);
    out.write("diskPoolVirtualBytes", status.diskPoolVirtualBytes);
    out.write("diskPoolActualDiskBytes", status.diskPoolActualDiskBytes);
    out.write("diskPoolNames", status.diskPoolNames);
    out.write("mountedSparseDiskCount", status.mountedSparseDiskCount);
    out.write("sparseDiskVirtualBytes", status.sparseDiskVirtualBytes);
    out.write("sparseDiskActualBytes", status.sparseDiskActualBytes);
    out.write("sparseDiskNames", status.sparseDiskNames);
    out.write("mountedRAMDiskCount", status.mountedRAMDiskCount);
    out.write("ramDiskTotalBytes", status.ramDiskTotalBytes);
    out.write("ramDiskNames", status.ramDiskNames);
    out.write("frozenAppCount", status.frozenAppCount);
    out.write("frozenPIDs", status.frozenPIDs);
    out.write("reclaimedFromFrozenBytes", status.reclaimedFromFrozenBytes);
    out.write("offloadProgress", status.offloadProgress);
    return out.object();
}

TruneJsonResult<LumbraLiveStatus> TruneJsonCoding<LumbraLiveStatus>::decode(const QJsonValue& json)
{
    return TruneJsonObjectReader::read<LumbraLiveStatus>(json, [](TruneJsonObjectReader& in) {
        LumbraLiveStatus status;
        status.timestamp = in.required<TruneInternetDate>("timestamp").value;
        status.senderPID = in.required<int>("senderPID");
        status.physicalTotalBytes = in.required<qint64>("physicalTotalBytes");
        status.physicalUsedBytes = in.required<qint64>("physicalUsedBytes");
        status.compressedBytes = in.required<qint64>("compressedBytes");
        status.usedPercent = in.required<double>("usedPercent");
        status.swapTotalBytes = in.required<qint64>("swapTotalBytes");
        status.swapUsedBytes = in.required<qint64>("swapUsedBytes");
        status.swapFileCount = in.required<qint64>("swapFileCount");
        status.swapEncrypted = in.required<bool>("swapEncrypted");
        status.pressureLevel = in.required<QString>("pressureLevel");
        status.healthScore = in.required<qint64>("healthScore");
        status.activeDiskPoolCount = in.required<qint64>("activeDiskPoolCount");
        status.diskPoolVirtualBytes = in.required<qint64>("diskPoolVirtualBytes");
        status.diskPoolActualDiskBytes = in.required<qint64>("diskPoolActualDiskBytes");
        status.diskPoolNames = in.required<QStringList>("diskPoolNames");
        status.mountedSparseDiskCount = in.required<qint64>("mountedSparseDiskCount");
        status.sparseDiskVirtualBytes = in.required<qint64>("sparseDiskVirtualBytes");
        status.sparseDiskActualBytes = in.required<qint64>("sparseDiskActualBytes");
        status.sparseDiskNames = in.required<QStringList>("sparseDiskNames");
        status.mountedRAMDiskCount = in.required<qint64>("mountedRAMDiskCount");
        status.ramDiskTotalBytes = in.required<qint64>("ramDiskTotalBytes");
        status.ramDiskNames = in.required<QStringList>("ramDiskNames");
        status.frozenAppCount = in.required<qint64>("frozenAppCount");
        status.frozenPIDs = in.required<std::vector<qint32>>("frozenPIDs");
        status.reclaimedFromFrozenBytes = in.required<qint64>("reclaimedFromFrozenBytes");
        status.offloadProgress = in.optional<LumbraOffloadLiveProgress>("offloadProgress");
        return status;
    });
}
