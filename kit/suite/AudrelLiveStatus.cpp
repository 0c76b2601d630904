#include "kit/suite/AudrelLiveStatus.h"

#include "kit/platform/TruneCanonicalEquality.h"
#include "kit/suite/TruneSuiteFreshness.h"
#include "kit/suite/TruneSuiteRanges.h"

#include <algorithm>

AudrelAudioAppItem AudrelAudioAppItem::make(AudrelAudioAppItem fields)
{
    fields.volume = TruneSuiteRanges::withinPreferringHigh(fields.volume, 0.0, 2.0);
    fields.rmsLevel = TruneSuiteRanges::atLeast(fields.rmsLevel, 0.0f);
    return fields;
}

bool operator==(const AudrelAudioAppItem& a, const AudrelAudioAppItem& b)
{
    return truneCanonicallyEqual(a.fields(), b.fields());
}

AudrelLiveStatus AudrelLiveStatus::make(AudrelLiveStatus fields)
{
    fields.masterVolume = TruneSuiteRanges::withinPreferringHigh(fields.masterVolume, 0.0, 1.0);
    return fields;
}

bool operator==(const AudrelLiveStatus& a, const AudrelLiveStatus& b)
{
    return truneCanonicallyEqual(a.fields(), b.fields());
}

bool AudrelLiveStatus::isFresh(const QDateTime& now, double maxAgeSeconds) const
{
    return TruneSuiteFreshness::isFresh(timestamp, senderPID, now, maxAgeSeconds);
}

qint64 AudrelLiveStatus::activePlayingCount() const
{
    return std::ranges::count_if(channels, [](const AudrelAudioAppItem& c) { return c.isPlayingAudio && !c.isMuted; });
}

qint64 AudrelLiveStatus::mutedCount() const
{
    return std::ranges::count_if(channels, &AudrelAudioAppItem::isMuted);
}

QJsonValue TruneJsonCoding<AudrelAudioAppItem>::encode(const AudrelAudioAppItem& item)
{
    TruneJsonObjectWriter out;
    out.write("id", item.id);
    out.write("bundleID", item.bundleID);
    out.write("appName", item.appName);
    out.write("isPlayingAudio", item.isPlayingAudio);
    out.write("isMuted", item.isMuted);
    out.write("volume", item.volume);
    out.write("rmsLevel", item.rmsLevel);
    return out.object();
}

TruneJsonResult<AudrelAudioAppItem> TruneJsonCoding<AudrelAudioAppItem>::decode(const QJsonValue& json)
{
    return TruneJsonObjectReader::read<AudrelAudioAppItem>(json, [](TruneJsonObjectReader& in) {
        AudrelAudioAppItem item;
        item.id = in.required<QString>("id");
        item.bundleID = in.required<QString>("bundleID");
        item.appName = in.required<QString>("appName");
        item.isPlayingAudio = in.required<bool>("isPlayingAudio");
        item.isMuted = in.required<bool>("isMuted");
        item.volume = in.required<double>("volume");
        item.rmsLevel = in.required<float>("rmsLevel");
        return item;
    });
}

QJsonValue TruneJsonCoding<AudrelLiveStatus>::encode(const AudrelLiveStatus& status)
{
    TruneJsonObjectWriter out;
    out.write("timestamp", TruneInternetDate{status.timestamp});
    out.write("senderPID", status.senderPID);
    out.write("masterVolume", status.masterVolume);
    out.write("outputDeviceName", status.outputDeviceName);
    out.write("channels", status.channels);
    return out.object();
}

TruneJsonResult<AudrelLiveStatus> TruneJsonCoding<AudrelLiveStatus>::decode(const QJsonValue& json)
{
    return TruneJsonObjectReader::read<AudrelLiveStatus>(json, [](TruneJsonObjectReader& in) {
        AudrelLiveStatus status;
        status.timestamp = in.required<TruneInternetDate>("timestamp").value;
        status.senderPID = in.required<int>("senderPID");
        status.masterVolume = in.required<double>("masterVolume");
        status.outputDeviceName = in.required<QString>("outputDeviceName");
        status.channels = in.required<std::vector<AudrelAudioAppItem>>("channels");
        return status;
    });
}
