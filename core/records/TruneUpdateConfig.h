#pragma once

#include "kit/platform/TruneJson.h"

#include <QStringList>

// The user's settings. Every field is always stored; a document lacking any of them is not
// read at all (there are no per-key defaults).
struct TruneUpdateConfig {
    TruneUpdateConfig(QStringList ignoredBundleIDs, qint64 autoCheckIntervalHours, bool watchTrashForLeftovers,
                      bool includePrereleases, bool autoCleanupAfterBrewUpgrade, bool includeHomebrewFormulaeInBadge);

    QStringList ignoredBundleIDs;  // apps left out of update checks, in stored order
    qint64 autoCheckIntervalHours; // below 1: checks run only when asked
    bool watchTrashForLeftovers;
    bool includePrereleases;
    bool autoCleanupAfterBrewUpgrade;
    bool includeHomebrewFormulaeInBadge;

    bool operator==(const TruneUpdateConfig&) const = default;
};

template <>
struct TruneJsonCoding<TruneUpdateConfig> {
    static QJsonValue encode(const TruneUpdateConfig& config);
    static TruneJsonResult<TruneUpdateConfig> decode(const QJsonValue& json);
};
