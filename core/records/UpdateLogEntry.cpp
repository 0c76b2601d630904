#include "core/records/UpdateLogEntry.h"

UpdateLogEntry::UpdateLogEntry(QUuid id, QDateTime timestamp, QString appName, UpdateLogAction action,
    std::optional<QString> fromVersion, std::optional<QString> toVersion, UpdateLogStatus status, QString details)
    : timestamp(std::move(timestamp))
    , appName(std::move(appName))
    , action(action)
    , fromVersion(std::move(fromVersion))
    , toVersion(std::move(toVersion))
    , status(status)
    , details(std::move(details))
    , m_id(id)
{
}

size_t qHash(const UpdateLogEntry& entry, size_t seed)
{
    return qHashMulti(seed, entry.id(), entry.timestamp, entry.appName, qToUnderlying(entry.action),
        entry.fromVersion.has_value(), entry.fromVersion.value_or(QString()), entry.toVersion.has_value(),
        entry.toVersion.value_or(QString()), qToUnderlying(entry.status), entry.details);
}

QJsonValue TruneJsonCoding<UpdateLogEntry>::encode(const UpdateLogEntry& entry)
{
    TruneJsonObjectWriter out;
    out.write("id", entry.id());
    out.write("timestamp", entry.timestamp);
    out.write("appName", entry.appName);
    out.write("action", entry.action);
    out.write("fromVersion", entry.fromVersion);
    out.write("toVersion", entry.toVersion);
    out.write("status", entry.status);
    out.write("details", entry.details);
    return out.object();
}

TruneJsonResult<UpdateLogEntry> TruneJsonCoding<UpdateLogEntry>::decode(const QJsonValue& json)
{
    return TruneJsonObjectReader::read<UpdateLogEntry>(json, [](TruneJsonObjectReader& in) {
        // Braces read the keys in order, so the first bad key is the one reported.
        return UpdateLogEntry{in.required<QUuid>("id"), in.required<QDateTime>("timestamp"),
            in.required<QString>("appName"), in.required<UpdateLogAction>("action"),
            in.optional<QString>("fromVersion"), in.optional<QString>("toVersion"),
            in.required<UpdateLogStatus>("status"), in.required<QString>("details")};
    });
}
