#include "app/viewmodel/AppUpdateFacts.h"

AppUpdateFacts AppUpdateFacts::of(const InstalledAppRecord& app)
{
    return {
        .origin = app.origin,
        .homebrewCaskToken = app.homebrewCaskToken,
        .latestVersion = app.latestVersion,
        .updateAvailable = app.updateAvailable,
        .releaseNotesURL = app.releaseNotesURL,
        .downloadURL = app.downloadURL,
        .lastCheckedAt = app.lastCheckedAt,
    };
}

QHash<QString, AppUpdateFacts> AppUpdateFacts::byID(const std::vector<InstalledAppRecord>& apps)
{
    QHash<QString, AppUpdateFacts> facts;
    facts.reserve(qsizetype(apps.size()));
    for (const InstalledAppRecord& app : apps)
        facts.insert(app.id(), of(app));
    return facts;
}

void AppUpdateFacts::applyTo(InstalledAppRecord& app) const
{
    app.origin = origin;
    app.homebrewCaskToken = homebrewCaskToken;
    app.latestVersion = latestVersion;
    app.updateAvailable = updateAvailable;
    app.releaseNotesURL = releaseNotesURL;
    app.downloadURL = downloadURL;
    app.lastCheckedAt = lastCheckedAt;
}

namespace {

void keepEarlierFacts(InstalledAppRecord& app, const AppUpdateFacts& earlier, RefreshPassStage stage)
{
    // Only the Homebrew metadata links an app to its cask.
    if (stage == RefreshPassStage::scanned && !app.homebrewCaskToken && earlier.homebrewCaskToken) {
        app.homebrewCaskToken = earlier.homebrewCaskToken;
        if (earlier.origin == AppOriginKind::homebrewCask)
            app.origin = earlier.origin;
    }
    // An update the pass has found is its own answer; the absence of one is not, until the feeds
    // have been heard.
    if (!app.updateAvailable && (earlier.updateAvailable || !app.latestVersion)) {
        app.latestVersion = earlier.latestVersion;
        app.updateAvailable = earlier.updateAvailable;
    }
    if (!app.releaseNotesURL)
        app.releaseNotesURL = earlier.releaseNotesURL;
    if (!app.downloadURL)
        app.downloadURL = earlier.downloadURL;
    if (!app.lastCheckedAt)
        app.lastCheckedAt = earlier.lastCheckedAt;
}

} // namespace

std::vector<InstalledAppRecord> withEarlierFacts(
    std::vector<InstalledAppRecord> ownApps, const QHash<QString, AppUpdateFacts>& earlier, RefreshPassStage stage)
{
    for (InstalledAppRecord& app : ownApps) {
        if (const auto found = earlier.constFind(app.id()); found != earlier.constEnd())
            keepEarlierFacts(app, *found, stage);
    }
    return ownApps;
}

std::vector<InstalledAppRecord> withOwnFacts(
    std::vector<InstalledAppRecord> shown, const QHash<QString, AppUpdateFacts>& own)
{
    for (InstalledAppRecord& app : shown) {
        if (const auto found = own.constFind(app.id()); found != own.constEnd())
            found->applyTo(app);
    }
    return shown;
}
