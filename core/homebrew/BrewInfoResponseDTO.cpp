#include "core/homebrew/BrewInfoResponseDTO.h"

TruneJsonResult<BrewFormulaVersionsDTO> TruneJsonCoding<BrewFormulaVersionsDTO>::decode(const QJsonValue& json)
{
    return TruneJsonObjectReader::read<BrewFormulaVersionsDTO>(json,
        [](TruneJsonObjectReader& in) { return BrewFormulaVersionsDTO{.stable = in.optional<QString>("stable")}; });
}

TruneJsonResult<BrewInstalledFormulaDTO> TruneJsonCoding<BrewInstalledFormulaDTO>::decode(const QJsonValue& json)
{
    return TruneJsonObjectReader::read<BrewInstalledFormulaDTO>(json, [](TruneJsonObjectReader& in) {
        return BrewInstalledFormulaDTO{
            .version = in.required<QString>("version"),
            .installedOnRequest = in.optional<bool>("installed_on_request"),
        };
    });
}

TruneJsonResult<BrewFormulaDTO> TruneJsonCoding<BrewFormulaDTO>::decode(const QJsonValue& json)
{
    return TruneJsonObjectReader::read<BrewFormulaDTO>(json, [](TruneJsonObjectReader& in) {
        return BrewFormulaDTO{
            .name = in.required<QString>("name"),
            .fullName = in.optional<QString>("full_name"),
            .desc = in.optional<QString>("desc"),
            .homepage = in.optional<QString>("homepage"),
            .versions = in.optional<BrewFormulaVersionsDTO>("versions"),
            .installed = in.optional<std::vector<BrewInstalledFormulaDTO>>("installed"),
            .outdated = in.optional<bool>("outdated"),
        };
    });
}

TruneJsonResult<BrewCaskDTO> TruneJsonCoding<BrewCaskDTO>::decode(const QJsonValue& json)
{
    return TruneJsonObjectReader::read<BrewCaskDTO>(json, [](TruneJsonObjectReader& in) {
        return BrewCaskDTO{
            .token = in.required<QString>("token"),
            .name = in.optional<QStringList>("name"),
            .desc = in.optional<QString>("desc"),
            .homepage = in.optional<QString>("homepage"),
            .version = in.optional<QString>("version"),
            .installed = in.optional<FlexibleStringList>("installed"),
            .outdated = in.optional<bool>("outdated"),
            .artifacts = in.optional<std::vector<BrewCaskArtifactDTO>>("artifacts"),
        };
    });
}

TruneJsonResult<BrewInfoResponseDTO> TruneJsonCoding<BrewInfoResponseDTO>::decode(const QJsonValue& json)
{
    return TruneJsonObjectReader::read<BrewInfoResponseDTO>(json, [](TruneJsonObjectReader& in) {
        return BrewInfoResponseDTO{
            .formulae = in.optional<std::vector<BrewFormulaDTO>>("formulae").value_or(std::vector<BrewFormulaDTO>{}),
            .casks = in.optional<std::vector<BrewCaskDTO>>("casks").value_or(std::vector<BrewCaskDTO>{}),
        };
    });
}

namespace {

constexpr BrewJsonField formulaVersionsFields[] = {{"stable"}};
constexpr BrewJsonShape formulaVersionsShape{formulaVersionsFields};

constexpr BrewJsonField installedFormulaFields[] = {{"version"}, {"installed_on_request"}};
constexpr BrewJsonShape installedFormulaShape{installedFormulaFields};

constexpr BrewJsonField formulaFields[] = {
    {"name"},
    {"full_name"},
    {"desc"},
    {"homepage"},
    {"versions", &formulaVersionsShape},
    {"installed", &installedFormulaShape},
    {"outdated"},
};
constexpr BrewJsonShape formulaShape{formulaFields};

// Of an artifact only its "app" list counts.
constexpr BrewJsonField caskArtifactFields[] = {{"app"}};
constexpr BrewJsonShape caskArtifactShape{caskArtifactFields};

constexpr BrewJsonField caskFields[] = {
    {"token"},
    {"name"},
    {"desc"},
    {"homepage"},
    {"version"},
    {"installed"},
    {"outdated"},
    {"artifacts", &caskArtifactShape},
};
constexpr BrewJsonShape caskShape{caskFields};

constexpr BrewJsonField infoResponseFields[] = {{"formulae", &formulaShape}, {"casks", &caskShape}};
constexpr BrewJsonShape infoResponseShape{infoResponseFields};

} // namespace

const BrewJsonShape& brewInfoResponseShape()
{
    return infoResponseShape;
}
