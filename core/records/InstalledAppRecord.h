#pragma once

#include "kit/platform/TruneJson.h"
#include "kit/platform/TruneRawValue.h"

#include <QDateTime>
#include <QHashFunctions>
#include <QString>

#include <optional>

// How an app came onto the machine, and so which update path applies to it.
enum class AppOriginKind { quorvane, homebrewCask, appStore, sparkle, direct };

template <> struct TruneRawValues<AppOriginKind> {
    static constexpr std::array cases{
        TruneRawCase{AppOriginKind::quorvane, "quorvane"},
        TruneRawCase{AppOriginKind::homebrewCask, "homebrewCask"},
        TruneRawCase{AppOriginKind::appStore, "appStore"},
        TruneRawCase{AppOriginKind::sparkle, "sparkle"},
        TruneRawCase{AppOriginKind::direct, "direct"},
    };
};

// The processors an app's main executable is built for.
enum class AppArchitecture { appleSilicon, intel, universal, unknown };

template <> struct TruneRawValues<AppArchitecture> {
    static constexpr std::array cases{
        TruneRawCase{AppArchitecture::appleSilicon, "appleSilicon"},
        TruneRawCase{AppArchitecture::intel, "intel"},
        TruneRawCase{AppArchitecture::universal, "universal"},
        TruneRawCase{AppArchitecture::unknown, "unknown"},
    };
};

// "Apple Silicon", "Intel", "Universal", "Unknown": the same English text in every language.
QString shortLabel(AppArchitecture architecture);

// One installed application bundle with what the update sources found out about it.
// `id` is chosen once, by the constructor; every other field may be changed in place.
struct InstalledAppRecord {
    // A given `id` is kept as it is (even an empty one); nullopt derives it from the bundle:
    // "<bundleID>::<path>", or the path alone when the bundle declares no identifier.
    InstalledAppRecord(std::optional<QString> id, QString name, QString bundleID, QString path,
        QString installedVersion, QString buildVersion, std::optional<QString> latestVersion, bool updateAvailable,
        std::optional<QString> releaseNotesURL, std::optional<QString> downloadURL,
        std::optional<QString> sparkleFeedURL, std::optional<QString> homebrewCaskToken, AppOriginKind origin,
        AppArchitecture architecture, qint64 sizeBytes, std::optional<QDateTime> modifiedAt,
        std::optional<QDateTime> lastCheckedAt);

    const QString& id() const { return m_id; }

    // The installed version, else the build version, else an em dash.
    QString displayVersion() const;

    QString name;
    QString bundleID;         // empty when the bundle declares none
    QString path;             // absolute path of the .app bundle
    QString installedVersion; // may be empty
    QString buildVersion;     // may be empty
    std::optional<QString> latestVersion;
    bool updateAvailable = false;
    std::optional<QString> releaseNotesURL;
    std::optional<QString> downloadURL;
    std::optional<QString> sparkleFeedURL;
    std::optional<QString> homebrewCaskToken;
    AppOriginKind origin = AppOriginKind::direct;
    AppArchitecture architecture = AppArchitecture::unknown;
    qint64 sizeBytes = 0; // allocated size on disk; 0 until measured
    std::optional<QDateTime> modifiedAt;
    std::optional<QDateTime> lastCheckedAt;

    bool operator==(const InstalledAppRecord&) const = default;

private:
    QString m_id;
};

size_t qHash(const InstalledAppRecord& record, size_t seed = 0);

template <> struct TruneJsonCoding<InstalledAppRecord> {
    static QJsonValue encode(const InstalledAppRecord& record);
    static TruneJsonResult<InstalledAppRecord> decode(const QJsonValue& json);
};
