#include "core/records/InstalledAppRecord.h"

QString shortLabel(AppArchitecture architecture)
{
    switch (architecture) {
    case AppArchitecture::appleSilicon:
        return QStringLiteral("Apple Silicon");
    case AppArchitecture::intel:
        return QStringLiteral("Intel");
    case AppArchitecture::universal:
        return QStringLiteral("Universal");
    case AppArchitecture::unknown:
        break;
    }
    return QStringLiteral("Unknown");
}

namespace {

QString derivedId(const QString& bundleID, const QString& path)
{
    return bundleID.isEmpty() ? path : bundleID + QStringLiteral("::") + path;
}

} // namespace

InstalledAppRecord::InstalledAppRecord(std::optional<QString> id, QString name, QString bundleID, QString path,
    QString installedVersion, QString buildVersion, std::optional<QString> latestVersion, bool updateAvailable,
    std::optional<QString> releaseNotesURL, std::optional<QString> downloadURL, std::optional<QString> sparkleFeedURL,
    std::optional<QString> homebrewCaskToken, AppOriginKind origin, AppArchitecture architecture, qint64 sizeBytes,
    std::optional<QDateTime> modifiedAt, std::optional<QDateTime> lastCheckedAt)
    : name(std::move(name))
    , bundleID(std::move(bundleID))
    , path(std::move(path))
    , installedVersion(std::move(installedVersion))
    , buildVersion(std::move(buildVersion))
    , latestVersion(std::move(latestVersion))
    , updateAvailable(updateAvailable)
    , releaseNotesURL(std::move(releaseNotesURL))
    , downloadURL(std::move(downloadURL))
    , sparkleFeedURL(std::move(sparkleFeedURL))
    , homebrewCaskToken(std::move(homebrewCaskToken))
    , origin(origin)
    , architecture(architecture)
    , sizeBytes(sizeBytes)
    , modifiedAt(std::move(modifiedAt))
    , lastCheckedAt(std::move(lastCheckedAt))
    , m_id(id ? std::move(*id) : derivedId(this->bundleID, this->path))
{
}

QString InstalledAppRecord::displayVersion() const
{
    if (!installedVersion.isEmpty())
        return installedVersion;
    if (!buildVersion.isEmpty())
        return buildVersion;
    return QStringLiteral("\u2014");
}

size_t qHash(const InstalledAppRecord& record, size_t seed)
{
    return qHashMulti(seed, record.id(), record.name, record.bundleID, record.path, record.installedVersion,
        record.buildVersion, record.latestVersion.has_value(), record.latestVersion.value_or(QString()),
        record.updateAvailable, record.releaseNotesURL.has_value(), record.releaseNotesURL.value_or(QString()),
        record.downloadURL.has_value(), record.downloadURL.value_or(QString()), record.sparkleFeedURL.has_value(),
        record.sparkleFeedURL.value_or(QString()), record.homebrewCaskToken.has_value(),
        record.homebrewCaskToken.value_or(QString()), qToUnderlying(record.origin), qToUnderlying(record.architecture),
        record.sizeBytes, record.modifiedAt.has_value(), record.modifiedAt.value_or(QDateTime()),
        record.lastCheckedAt.has_value(), record.lastCheckedAt.value_or(QDateTime()));
}

QJsonValue TruneJsonCoding<InstalledAppRecord>::encode(const InstalledAppRecord& record)
{
    TruneJsonObjectWriter out;
    out.write("id", record.id());
    out.write("name", record.name);
    out.write("bundleID", record.bundleID);
    out.write("path", record.path);
    out.write("installedVersion", record.installedVersion);
    out.write("buildVersion", record.buildVersion);
    out.write("latestVersion", record.latestVersion);
    out.write("updateAvailable", record.updateAvailable);
    out.write("releaseNotesURL", record.releaseNotesURL);
    out.write("downloadURL", record.downloadURL);
    out.write("sparkleFeedURL", record.sparkleFeedURL);
    out.write("homebrewCaskToken", record.homebrewCaskToken);
    out.write("origin", record.origin);
    out.write("architecture", record.architecture);
    out.write("sizeBytes", record.sizeBytes);
    out.write("modifiedAt", record.modifiedAt);
    out.write("lastCheckedAt", record.lastCheckedAt);
    return out.object();
}

TruneJsonResult<InstalledAppRecord> TruneJsonCoding<InstalledAppRecord>::decode(const QJsonValue& json)
{
    return TruneJsonObjectReader::read<InstalledAppRecord>(json, [](TruneJsonObjectReader& in) {
        // Stored ids are taken as they are; the derivation applies only to new records. Braces
        // read the keys in order, so the first bad key is the one reported.
        return InstalledAppRecord{in.required<QString>("id"), in.required<QString>("name"),
            in.required<QString>("bundleID"), in.required<QString>("path"), in.required<QString>("installedVersion"),
            in.required<QString>("buildVersion"), in.optional<QString>("latestVersion"),
            in.required<bool>("updateAvailable"), in.optional<QString>("releaseNotesURL"),
            in.optional<QString>("downloadURL"), in.optional<QString>("sparkleFeedURL"),
            in.optional<QString>("homebrewCaskToken"), in.required<AppOriginKind>("origin"),
            in.required<AppArchitecture>("architecture"), in.required<qint64>("sizeBytes"),
            in.optional<QDateTime>("modifiedAt"), in.optional<QDateTime>("lastCheckedAt")};
    });
}
