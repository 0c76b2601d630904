#pragma once

#include "kit/platform/TruneJson.h"

#include <QStringList>

// The application bundles named by one element of a cask's "artifacts" list. Artifacts come in
// many shapes ({"app": [...]}, {"zap": [...]}, plain strings ...); reading one never fails, and
// only the "app" key of an object counts.
struct BrewCaskArtifactDTO {
    QStringList appNames;

    bool operator==(const BrewCaskArtifactDTO&) const = default;
};

template <> struct TruneJsonCoding<BrewCaskArtifactDTO> {
    static TruneJsonResult<BrewCaskArtifactDTO> decode(const QJsonValue& json);
};
