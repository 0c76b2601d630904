#include "kit/suite/TuneloLiveStatus.h"

#include "kit/platform/TruneCanonicalEquality.h"
#include "kit/suite/TruneSuiteFreshness.h"
#include "kit/suite/TruneSuiteRanges.h"

TuneloLiveStatus TuneloLiveStatus::make(TuneloLiveStatus fields)
{
    fields.elapsedSeconds = TruneSuiteRanges::atLeast(fields.elapsedSeconds, 0.0);
    fields.durationSeconds = TruneSuiteRanges::atLeast(fields.durationSeconds, 0.0);
    fields.volume = TruneSuiteRanges::within(fields.volume, 0.0, 1.0);
    return fields;
}

bool operator==(const TuneloLiveStatus& a, const TuneloLiveStatus& b)
{
    return truneCanonicallyEqual(a.fields(), b.fields());
}

bool TuneloLiveStatus::isFresh(const QDateTime& now, double maxAgeSeconds) const
{
    return TruneSuiteFreshness::isFresh(timestamp, senderPID, now, maxAgeSeconds);
}

double TuneloLiveStatus::progress() const
{
    if (!(durationSeconds > 0))
        return 0;
    return TruneSuiteRanges::within(elapsedSeconds / durationSeconds, 0.0, 1.0);
}

QJsonValue TruneJsonCoding<TuneloLiveStatus>::encode(const TuneloLiveStatus& status)
{
    TruneJsonObjectWriter out;
    out.write("timestamp", TruneInternetDate{status.timestamp});
    out.write("senderPID", status.senderPID);
    out.write("title", status.title);
    out.write("artist", status.artist);
    out.write("album", status.album);
    out.write("qualityBadge", status.qualityBadge);
    out.write("isPlaying", status.isPlaying);
    out.write("elapsedSeconds", status.elapsedSeconds);
    out.write("durationSeconds", status.durationSeconds);
    out.write("volume", status.volume);
    return out.object();
}

TruneJsonResult<TuneloLiveStatus> TruneJsonCoding<TuneloLiveStatus>::decode(const QJsonValue& json)
{
    return TruneJsonObjectReader::read<TuneloLiveStatus>(json, [](TruneJsonObjectReader& in) {
        TuneloLiveStatus status;
        status.timestamp = in.required<TruneInternetDate>("timestamp").value;
        status.senderPID = in.required<int>("senderPID");
        status.title = in.required<QString>("title");
        status.artist = in.required<QString>("artist");
        status.album = in.required<QString>("album");
        status.qualityBadge = in.required<QString>("qualityBadge");
        status.isPlaying = in.required<bool>("isPlaying");
        status.elapsedSeconds = in.required<double>("elapsedSeconds");
        status.durationSeconds = in.required<double>("durationSeconds");
        status.volume = in.required<double>("volume");
        return status;
    });
}
