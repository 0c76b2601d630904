#pragma once

#include "core/records/InstalledAppRecord.h"

#include <QDateTime>
#include <QHash>
#include <QString>

#include <optional>
#include <vector>

// What a refresh pass finds out about an installed app beyond its bundle: whether a Homebrew
// cask manages it, and which update is available from where.
struct AppUpdateFacts {
    AppOriginKind origin = AppOriginKind::direct;
    std::optional<QString> homebrewCaskToken;
    std::optional<QString> latestVersion;
    bool updateAvailable = false;
    std::optional<QString> releaseNotesURL;
    std::optional<QString> downloadURL;
    std::optional<QDateTime> lastCheckedAt;

    static AppUpdateFacts of(const InstalledAppRecord& app);
    // The facts of each app, by the app's id.
    static QHash<QString, AppUpdateFacts> byID(const std::vector<InstalledAppRecord>& apps);
    void applyTo(InstalledAppRecord& app) const;

    bool operator==(const AppUpdateFacts&) const = default;
};

// How far a refresh pass has come before its feed results are merged.
enum class RefreshPassStage { scanned, homebrewMetadataApplied };

// The app list to show while a pass runs: the pass's own records (a new app at once, a removed
// one gone, the pass's order), each keeping what the list knew before the pass (`earlier`, by
// id) wherever the pass has no answer of its own yet. After the scan that is the Homebrew link
// and the update; after the Homebrew metadata, an update, its version and its links that only
// the feeds can confirm or withdraw. So no figure drops to zero in between.
std::vector<InstalledAppRecord> withEarlierFacts(
    std::vector<InstalledAppRecord> ownApps, const QHash<QString, AppUpdateFacts>& earlier, RefreshPassStage stage);

// `shown` with each app's facts put back to the pass's own (`own`, by id): the list the pass goes
// on from, keeping what else the list gained meanwhile (measured sizes).
std::vector<InstalledAppRecord> withOwnFacts(
    std::vector<InstalledAppRecord> shown, const QHash<QString, AppUpdateFacts>& own);
