#include "core/records/TruneUpdateConfig.h"

TruneUpdateConfig::TruneUpdateConfig(QStringList ignoredBundleIDs, qint64 autoCheckIntervalHours,
                                     bool watchTrashForLeftovers, bool includePrereleases,
                                     bool autoCleanupAfterBrewUpgrade, bool includeHomebrewFormulaeInBadge)
    : ignoredBundleIDs(std::move(ignoredBundleIDs))
    , autoCheckIntervalHours(autoCheckIntervalHours)
    , watchTrashForLeftovers(watchTrashForLeftovers)
    , includePrereleases(includePrereleases)
    , autoCleanupAfterBrewUpgrade(autoCleanupAfterBrewUpgrade)
    , includeHomebrewFormulaeInBadge(includeHomebrewFormulaeInBadge)
{
}

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
        return TruneUpdateConfig{in.required<QStringList>("ignoredBundleIDs"),
                                 in.required<qint64>("autoCheckIntervalHours"),
                                 in.required<bool>("watchTrashForLeftovers"),
                                 in.required<bool>("includePrereleases"),
                                 in.required<bool>("autoCleanupAfterBrewUpgrade"),
                                 in.required<bool>("includeHomebrewFormulaeInBadge")};
    });
}
