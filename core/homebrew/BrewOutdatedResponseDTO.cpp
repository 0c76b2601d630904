#include "core/homebrew/BrewOutdatedResponseDTO.h"

TruneJsonResult<BrewOutdatedItemDTO> TruneJsonCoding<BrewOutdatedItemDTO>::decode(const QJsonValue& json)
{
    return TruneJsonObjectReader::read<BrewOutdatedItemDTO>(json, [](TruneJsonObjectReader& in) {
        return BrewOutdatedItemDTO{
            .name = in.required<QString>("name"),
            .installedVersions = in.optional<FlexibleStringList>("installed_versions"),
            .currentVersion = in.optional<QString>("current_version"),
            .pinned = in.optional<bool>("pinned"),
        };
    });
}

TruneJsonResult<BrewOutdatedResponseDTO> TruneJsonCoding<BrewOutdatedResponseDTO>::decode(const QJsonValue& json)
{
    return TruneJsonObjectReader::read<BrewOutdatedResponseDTO>(json, [](TruneJsonObjectReader& in) {
        using Items = std::vector<BrewOutdatedItemDTO>;
        return BrewOutdatedResponseDTO{
            .formulae = in.optional<Items>("formulae").value_or(Items{}),
            .casks = in.optional<Items>("casks").value_or(Items{}),
        };
    });
}

namespace {

constexpr BrewJsonField outdatedItemFields[] = {{"name"}, {"installed_versions"}, {"current_version"}, {"pinned"}};
constexpr BrewJsonShape outdatedItemShape{outdatedItemFields};

constexpr BrewJsonField outdatedResponseFields[] = {{"formulae", &outdatedItemShape}, {"casks", &outdatedItemShape}};
constexpr BrewJsonShape outdatedResponseShape{outdatedResponseFields};

} // namespace

const BrewJsonShape& brewOutdatedResponseShape()
{
    return outdatedResponseShape;
}
