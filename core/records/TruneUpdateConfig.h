#pragma once

#include "kit/platform/TruneJson.h"

#include <QStringList>

// The user's settings. Every field is always stored; a document lacking any of them is not
// read at all (there are no per-key defaults).
// The defaults are the settings of a fresh installation.
struct TruneUpdateConfig {
    QStringList ignoredBundleIDs = {}; // apps left out of update checks, in stored order
    qint64 autoCheckIntervalHours = 6; // below 1: checks run only when asked
    bool watchTrashForLeftovers = true;
    bool includePrereleases = false;
    bool autoCleanupAfterBrewUpgrade = false;
    bool includeHomebrewFormulaeInBadge = false;

    bool operator==(const TruneUpdateConfig&) const = default;
};

template <> struct TruneJsonCoding<TruneUpdateConfig> {
    static QJsonValue encode(const TruneUpdateConfig& config);
    static TruneJsonResult<TruneUpdateConfig> decode(const QJsonValue& json);
};
