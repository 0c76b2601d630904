#include "kit/suite/TruneLiveActivityTile.h"

#include "kit/platform/TruneCanonicalEquality.h"
#include "kit/suite/TruneSuiteFreshness.h"
#include "kit/suite/TruneSuiteRanges.h"

TruneLiveActivityTile TruneLiveActivityTile::make(const Arguments& arguments)
{
    TruneLiveActivityTile tile;
    tile.app = arguments.app;
    tile.timestamp = arguments.timestamp;
    tile.senderPID = arguments.senderPID;
    tile.titleEN = arguments.titleEN;
    tile.titleTR = arguments.titleTR;
    tile.primaryMetric = arguments.primaryMetric;
    tile.secondaryMetric = arguments.secondaryMetric;
    if (arguments.progress)
        tile.progress = TruneSuiteRanges::within(*arguments.progress, 0.0, 1.0);
    tile.symbolName = arguments.symbolName.value_or(TruneSuiteCatalog::symbolName(arguments.app));
    tile.tone = arguments.tone;
    tile.priority = arguments.priority;
    return tile;
}

QString TruneLiveActivityTile::id() const
{
    return rawValue(app);
}

bool TruneLiveActivityTile::isFresh(const QDateTime& now, double maxAgeSeconds) const
{
    return TruneSuiteFreshness::isFresh(timestamp, senderPID, now, maxAgeSeconds);
}

bool operator==(const TruneLiveActivityTile& a, const TruneLiveActivityTile& b)
{
    return truneCanonicallyEqual(a.fields(), b.fields());
}

QJsonValue TruneJsonCoding<TruneLiveActivityTile>::encode(const TruneLiveActivityTile& tile)
{
    TruneJsonObjectWriter out;
    out.write("app", tile.app);
    out.write("timestamp", TruneInternetDate{tile.timestamp});
    out.write("senderPID", tile.senderPID);
    out.write("titleEN", tile.titleEN);
    out.write("titleTR", tile.titleTR);
    out.write("primaryMetric", tile.primaryMetric);
    out.write("secondaryMetric", tile.secondaryMetric);
    out.write("progress", tile.progress);
    out.write("symbolName", tile.symbolName);
    out.write("tone", tile.tone);
    out.write("priority", tile.priority);
    return out.object();
}

TruneJsonResult<TruneLiveActivityTile> TruneJsonCoding<TruneLiveActivityTile>::decode(const QJsonValue& json)
{
    return TruneJsonObjectReader::read<TruneLiveActivityTile>(json, [](TruneJsonObjectReader& in) {
        TruneLiveActivityTile tile;
        tile.app = in.required<TruneSuiteApp>("app");
        tile.timestamp = in.required<TruneInternetDate>("timestamp").value;
        tile.senderPID = in.required<int>("senderPID");
        tile.titleEN = in.required<QString>("titleEN");
        tile.titleTR = in.required<QString>("titleTR");
        tile.primaryMetric = in.required<QString>("primaryMetric");
        tile.secondaryMetric = in.optional<QString>("secondaryMetric");
        tile.progress = in.optional<double>("progress");
        tile.symbolName = in.required<QString>("symbolName");
        tile.tone = in.required<TruneLiveActivityTone>("tone");
        tile.priority = in.required<qint64>("priority");
        return tile;
    });
}
