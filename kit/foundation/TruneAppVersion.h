#pragma once

#include "kit/foundation/TruneSemVer.h"
#include "kit/platform/TruneBundle.h"

#include <QString>

#include <optional>

// The marketing version and build number of a bundle, with the two display forms every
// product of the kit shows.
struct TruneAppVersion {
    QString shortVersion;
    QString buildNumber;

    // "v" + shortVersion
    QString tag() const;
    // "v" + shortVersion + " (" + buildNumber + ")"
    QString detailedDisplay() const;
    // shortVersion read as a strict MAJOR.MINOR.PATCH version; absent when it does not parse.
    std::optional<TruneSemVer> semVer() const;

    // The bundle's "CFBundleShortVersionString" and "CFBundleVersion", trimmed; a missing,
    // non-text or blank value falls back to the given text unchanged. Never fails.
    static TruneAppVersion current(const TruneBundle& bundle = TruneBundle::main(),
        const QString& fallbackVersion = QStringLiteral("1.0.0"), const QString& fallbackBuild = QStringLiteral("100"));

    bool operator==(const TruneAppVersion&) const = default;
};
