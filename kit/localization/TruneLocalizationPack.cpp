#include "kit/localization/TruneLocalizationPack.h"

namespace {

QJsonObject encodeTable(const QMap<QString, QString>& table)
{
    QJsonObject object;
    for (auto entry = table.cbegin(); entry != table.cend(); ++entry)
        object.insert(entry.key(), entry.value());
    return object;
}

// A table key that is missing or null is an empty table.
QMap<QString, QString> readTable(TruneJsonObjectReader& in, const char* key, std::optional<TruneJsonError>& error)
{
    const QJsonValue json = in.object().value(QLatin1String(key));
    if (json.isUndefined() || json.isNull())
        return {};
    auto table = TruneLocalizationPack::decodeFlatMap(json);
    if (!table) {
        if (!error)
            error = table.error().inKey(QLatin1String(key));
        return {};
    }
    return std::move(*table);
}

} // namespace

TruneJsonResult<QMap<QString, QString>> TruneLocalizationPack::decodeFlatMap(const QJsonValue& json)
{
    if (!json.isObject())
        return std::unexpected(TruneJson::typeMismatch("object", json));
    const QJsonObject object = json.toObject();
    QMap<QString, QString> table;
    for (auto entry = object.constBegin(); entry != object.constEnd(); ++entry) {
        if (!entry.value().isString())
            return std::unexpected(TruneJson::typeMismatch("string", entry.value()).inKey(entry.key()));
        table.insert(entry.key(), entry.value().toString());
    }
    return table;
}

QJsonValue TruneJsonCoding<TruneLocalizationPack>::encode(const TruneLocalizationPack& pack)
{
    TruneJsonObjectWriter out;
    out.write("code", pack.code);
    out.write("nativeName", pack.nativeName);
    out.write("englishName", pack.englishName);
    out.write("isRTL", pack.isRTL);
    QJsonObject object = out.object();
    object.insert(QStringLiteral("strings"), encodeTable(pack.strings));
    object.insert(QStringLiteral("templates"), encodeTable(pack.templates));
    return object;
}

TruneJsonResult<TruneLocalizationPack> TruneJsonCoding<TruneLocalizationPack>::decode(const QJsonValue& json)
{
    std::optional<TruneJsonError> tableError;
    auto pack = TruneJsonObjectReader::read<TruneLocalizationPack>(json, [&tableError](TruneJsonObjectReader& in) {
        TruneLocalizationPack decoded;
        decoded.code = in.optional<QString>("code").value_or(QString());
        decoded.nativeName = in.optional<QString>("nativeName").value_or(QString());
        decoded.englishName = in.optional<QString>("englishName").value_or(QString());
        decoded.isRTL = in.optional<bool>("isRTL").value_or(false);
        decoded.strings = readTable(in, "strings", tableError);
        decoded.templates = readTable(in, "templates", tableError);
        return decoded;
    });
    if (pack && tableError)
        return std::unexpected(*tableError);
    return pack;
}
