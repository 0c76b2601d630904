#include "core/records/TruneUpdateConfig.h"

QJsonValue TruneJsonCoding<TruneUpdateConfig>::encode(const TruneUpdateConfig& config)
{
    TruneJsonObjectWriter out;
    out.write("ignoredBundleIDs", config.ignoredBundleIDs);
    out.write("autoCheckIntervalHours", config.autoCheckIntervalHours);
    out.write("watchTrashForLeftovers", config.watchTrashForLeftovers);
    out.write("includePrereleases", config.includePrereleases);
    out.write("autoCleanupAfterBrewUpgrade", config.autoCleanupAfterBrewUpgrade);
    out.write("includeHomebrewFormulaeInBadge", config.includeHomebrewFormulaeInBadge);
    return out.object();
}

TruneJsonResult<TruneUpdateConfig> TruneJsonCoding<TruneUpdateConfig>::decode(const QJsonValue& json)
{
    return TruneJsonObjectReader::read<TruneUpdateConfig>(json, [](TruneJsonObjectReader& in) {
        // Braces read the keys in order, so the first bad key is the one reported.
        return TruneUpdateConfig{
            .ignoredBundleIDs = in.required<QStringList>("ignoredBundleIDs"),
            .autoCheckIntervalHours = in.required<qint64>("autoCheckIntervalHours"),
            .watchTrashForLeftovers = in.required<bool>("watchTrashForLeftovers"),
            .includePrereleases = in.required<bool>("includePrereleases"),
            .autoCleanupAfterBrewUpgrade = in.required<bool>("autoCleanupAfterBrewUpgrade"),
            .includeHomebrewFormulaeInBadge = in.required<bool>("includeHomebrewFormulaeInBadge"),
        };
    });
}
