#pragma once

#include "kit/platform/TruneJson.h"
#include "kit/platform/TruneRawValue.h"

#include <QHashFunctions>
#include <QString>
#include <QtGlobal>

#include <array>
#include <compare>
#include <expected>
#include <optional>

// One step of a release.
enum class TruneVersionBumpKind { build, patch, minor, major };

template <> struct TruneRawValues<TruneVersionBumpKind> {
    static constexpr std::array cases{
        TruneRawCase{TruneVersionBumpKind::build, "build"},
        TruneRawCase{TruneVersionBumpKind::patch, "patch"},
        TruneRawCase{TruneVersionBumpKind::minor, "minor"},
        TruneRawCase{TruneVersionBumpKind::major, "major"},
    };
};

// A refused version text or release transition. The descriptions are English in every
// interface language: they are policy messages for release tooling, not for end users.
struct TruneSemVerError {
    enum class Case { invalidFormat, downgradeNotAllowed, multiStepJumpBlocked, unexpectedBumpKind };

    Case errorCase = Case::invalidFormat;
    QString input; // invalidFormat: the text, untrimmed
    QString from;  // the transition's versions, as text
    QString to;
    TruneVersionBumpKind expected = TruneVersionBumpKind::build; // unexpectedBumpKind

    static TruneSemVerError invalidFormat(const QString& input);
    static TruneSemVerError downgradeNotAllowed(const QString& from, const QString& to);
    static TruneSemVerError multiStepJumpBlocked(const QString& from, const QString& to);
    static TruneSemVerError unexpectedBumpKind(TruneVersionBumpKind expected, const QString& from, const QString& to);

    QString description() const;

    bool operator==(const TruneSemVerError&) const = default;
};

// A strict MAJOR.MINOR.PATCH version (no prerelease or build suffix) with a release policy that
// permits only single +1 steps.
struct TruneSemVer {
    qint64 major = 0;
    qint64 minor = 0;
    qint64 patch = 0;

    TruneSemVer() = default;
    // Each negative argument becomes 0.
    TruneSemVer(qint64 major, qint64 minor, qint64 patch);

    // Trims white space, drops one leading "v" or "V", then wants exactly three "."-separated
    // base-10 integers, each with an optional sign, in the 64-bit range and not below 0
    // ("01.2.03" is 1.2.3; "1.2.3-beta.1" fails).
    static std::optional<TruneSemVer> parsing(const QString& text);
    // The same parse; the error carries the text unchanged.
    static std::expected<TruneSemVer, TruneSemVerError> parse(const QString& text);

    // One step of `kind` above this version (`build` is the same version), with negative
    // fields raised to 0. Absent when the field to step is already the largest 64-bit value.
    std::optional<TruneSemVer> bumped(TruneVersionBumpKind kind) const;

    // Accepts `to` only when it is exactly one step of `kind` above `from`.
    static std::expected<void, TruneSemVerError> validateTransition(
        const TruneSemVer& from, const TruneSemVer& to, TruneVersionBumpKind kind);

    // "1.10.0"
    QString description() const;

    bool operator==(const TruneSemVer&) const = default;
    // By major, then minor, then patch.
    auto operator<=>(const TruneSemVer&) const = default;
};

inline size_t qHash(const TruneSemVer& version, size_t seed = 0)
{
    return qHashMulti(seed, version.major, version.minor, version.patch);
}

// {"major": 1, "minor": 2, "patch": 3}; decoded as the integers stand, without raising
// negative ones.
template <> struct TruneJsonCoding<TruneSemVer> {
    static QJsonValue encode(const TruneSemVer& version);
    static TruneJsonResult<TruneSemVer> decode(const QJsonValue& json);
};
