#pragma once

#include "core/homebrew/BrewCaskArtifactDTO.h"
#include "core/homebrew/BrewJsonShape.h"
#include "core/homebrew/FlexibleStringList.h"
#include "kit/platform/TruneJson.h"

#include <QString>
#include <QStringList>

#include <optional>
#include <vector>

// The parts of `brew info --json=v2 --installed` that the Homebrew list is built from. Other keys
// are ignored. Types are strict (a number where text belongs fails the whole document) except in
// the spots Homebrew itself fills with varying shapes: a cask's "installed" and its artifacts.

struct BrewFormulaVersionsDTO {
    std::optional<QString> stable;
};

// One installed keg of a formula.
struct BrewInstalledFormulaDTO {
    QString version;
    std::optional<bool> installedOnRequest;
};

struct BrewFormulaDTO {
    QString name;
    std::optional<QString> fullName;
    std::optional<QString> desc;
    std::optional<QString> homepage;
    std::optional<BrewFormulaVersionsDTO> versions;
    std::optional<std::vector<BrewInstalledFormulaDTO>> installed;
    std::optional<bool> outdated;
};

struct BrewCaskDTO {
    QString token;
    std::optional<QStringList> name;
    std::optional<QString> desc;
    std::optional<QString> homepage;
    std::optional<QString> version;
    std::optional<FlexibleStringList> installed;
    std::optional<bool> outdated;
    std::optional<std::vector<BrewCaskArtifactDTO>> artifacts;
};

struct BrewInfoResponseDTO {
    std::vector<BrewFormulaDTO> formulae;
    std::vector<BrewCaskDTO> casks;
};

template <> struct TruneJsonCoding<BrewFormulaVersionsDTO> {
    static TruneJsonResult<BrewFormulaVersionsDTO> decode(const QJsonValue& json);
};

template <> struct TruneJsonCoding<BrewInstalledFormulaDTO> {
    static TruneJsonResult<BrewInstalledFormulaDTO> decode(const QJsonValue& json);
};

template <> struct TruneJsonCoding<BrewFormulaDTO> {
    static TruneJsonResult<BrewFormulaDTO> decode(const QJsonValue& json);
};

template <> struct TruneJsonCoding<BrewCaskDTO> {
    static TruneJsonResult<BrewCaskDTO> decode(const QJsonValue& json);
};

template <> struct TruneJsonCoding<BrewInfoResponseDTO> {
    static TruneJsonResult<BrewInfoResponseDTO> decode(const QJsonValue& json);
};

// The keys of the document that the decoding above reads; parsing keeps nothing else.
const BrewJsonShape& brewInfoResponseShape();
