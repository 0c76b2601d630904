#pragma once

#include "core/homebrew/BrewJsonShape.h"
#include "core/homebrew/FlexibleStringList.h"
#include "kit/platform/TruneJson.h"

#include <QString>

#include <optional>
#include <vector>

// The parts of `brew outdated --json=v2` that the merge uses; other keys are ignored.
// "installed_versions" may be a string or a list (casks print one, formulae a list).

struct BrewOutdatedItemDTO {
    QString name;
    std::optional<FlexibleStringList> installedVersions;
    std::optional<QString> currentVersion;
    std::optional<bool> pinned;
};

struct BrewOutdatedResponseDTO {
    std::vector<BrewOutdatedItemDTO> formulae;
    std::vector<BrewOutdatedItemDTO> casks;
};

template <> struct TruneJsonCoding<BrewOutdatedItemDTO> {
    static TruneJsonResult<BrewOutdatedItemDTO> decode(const QJsonValue& json);
};

template <> struct TruneJsonCoding<BrewOutdatedResponseDTO> {
    static TruneJsonResult<BrewOutdatedResponseDTO> decode(const QJsonValue& json);
};

// The keys of the document that the decoding above reads; parsing keeps nothing else.
const BrewJsonShape& brewOutdatedResponseShape();
