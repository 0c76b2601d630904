#include "kit/platform/TruneJson.h"

#include <QJsonParseError>
#include <QRegularExpression>

#include <cmath>
#include <limits>

QString TruneJsonError::description() const
{
    return keyPath.isEmpty() ? reason : keyPath + QStringLiteral(": ") + reason;
}

TruneJsonError TruneJsonError::inKey(const QString& key) const
{
    if (keyPath.isEmpty())
        return {key, reason};
    const QString separator = keyPath.startsWith(QLatin1Char('[')) ? QString() : QStringLiteral(".");
    return {key + separator + keyPath, reason};
}

TruneJsonError TruneJsonError::atIndex(qsizetype index) const
{
    const QString position = QStringLiteral("[%1]").arg(index);
    if (keyPath.isEmpty() || keyPath.startsWith(QLatin1Char('[')))
        return {position + keyPath, reason};
    return {position + QLatin1Char('.') + keyPath, reason};
}

namespace TruneJson {

QString typeName(const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::Null:
        return QStringLiteral("null");
    case QJsonValue::Bool:
        return QStringLiteral("boolean");
    case QJsonValue::Double:
        return QStringLiteral("number");
    case QJsonValue::String:
        return QStringLiteral("string");
    case QJsonValue::Array:
        return QStringLiteral("array");
    case QJsonValue::Object:
        return QStringLiteral("object");
    case QJsonValue::Undefined:
        break;
    }
    return QStringLiteral("nothing");
}

TruneJsonError typeMismatch(const char* expected, const QJsonValue& actual)
{
    return {{}, QStringLiteral("expected %1, found %2").arg(QLatin1String(expected), typeName(actual))};
}

QString formatDate(const QDateTime& date)
{
    return date.toUTC().toString(QStringLiteral("yyyy-MM-ddTHH:mm:ss")) + QLatin1Char('Z');
}

std::optional<QDateTime> parseDate(const QString& text)
{
    static const QRegularExpression shape(QStringLiteral(
        R"(^\d{4}-\d{2}-\d{2}T\d{2}:\d{2}:\d{2}(\.\d{1,9})?(Z|[+-]\d{2}:\d{2})$)"));
    if (!shape.match(text).hasMatch())
        return std::nullopt;
    const QDateTime date = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!date.isValid())
        return std::nullopt;
    return date.toUTC();
}

} // namespace TruneJson

TruneJsonResult<QJsonValue> truneJsonParse(const QByteArray& text)
{
    QJsonParseError error;
    // Qt only parses documents whose top level is an object or an array; wrap the text so any
    // JSON value can be read.
    const QJsonDocument document = QJsonDocument::fromJson("[" + text + "]", &error);
    if (error.error != QJsonParseError::NoError || !document.isArray() || document.array().size() != 1) {
        const QString reason = error.error != QJsonParseError::NoError
            ? QStringLiteral("invalid JSON at offset %1: %2").arg(std::max(0, error.offset - 1)).arg(error.errorString())
            : QStringLiteral("invalid JSON: expected exactly one value");
        return std::unexpected(TruneJsonError{{}, reason});
    }
    return document.array().at(0);
}

QByteArray truneJsonSerialize(const QJsonValue& json, QJsonDocument::JsonFormat format)
{
    if (json.isObject())
        return QJsonDocument(json.toObject()).toJson(format);
    if (json.isArray())
        return QJsonDocument(json.toArray()).toJson(format);
    // A scalar: serialize inside an array and take the element's text back out.
    QByteArray wrapped = QJsonDocument(QJsonArray{json}).toJson(QJsonDocument::Compact);
    return wrapped.mid(1, wrapped.size() - 2);
}

TruneJsonResult<bool> TruneJsonCoding<bool>::decode(const QJsonValue& json)
{
    if (!json.isBool())
        return std::unexpected(TruneJson::typeMismatch("boolean", json));
    return json.toBool();
}

TruneJsonResult<qint64> TruneJsonCoding<qint64>::decode(const QJsonValue& json)
{
    if (!json.isDouble())
        return std::unexpected(TruneJson::typeMismatch("integer", json));
    // Integers that fit are held exactly; a fraction or a value outside 64 bits is no integer.
    const QVariant exact = json.toVariant();
    if (exact.typeId() == QMetaType::LongLong)
        return exact.toLongLong();
    const double number = json.toDouble();
    constexpr double limit = 9223372036854775808.0; // 2^63
    if (std::isfinite(number) && number == std::trunc(number) && number >= -limit && number < limit)
        return static_cast<qint64>(number);
    return std::unexpected(TruneJsonError{{}, QStringLiteral("expected a 64-bit integer, found %1").arg(number)});
}

TruneJsonResult<int> TruneJsonCoding<int>::decode(const QJsonValue& json)
{
    const TruneJsonResult<qint64> value = TruneJsonCoding<qint64>::decode(json);
    if (!value)
        return std::unexpected(value.error());
    if (*value < std::numeric_limits<int>::min() || *value > std::numeric_limits<int>::max())
        return std::unexpected(TruneJsonError{{}, QStringLiteral("integer %1 is out of range").arg(*value)});
    return static_cast<int>(*value);
}

TruneJsonResult<double> TruneJsonCoding<double>::decode(const QJsonValue& json)
{
    if (!json.isDouble())
        return std::unexpected(TruneJson::typeMismatch("number", json));
    return json.toDouble();
}

TruneJsonResult<QString> TruneJsonCoding<QString>::decode(const QJsonValue& json)
{
    if (!json.isString())
        return std::unexpected(TruneJson::typeMismatch("string", json));
    return json.toString();
}

QJsonValue TruneJsonCoding<QUuid>::encode(const QUuid& value)
{
    return value.toString(QUuid::WithoutBraces).toUpper();
}

TruneJsonResult<QUuid> TruneJsonCoding<QUuid>::decode(const QJsonValue& json)
{
    if (!json.isString())
        return std::unexpected(TruneJson::typeMismatch("string", json));
    const QString text = json.toString();
    static const QRegularExpression shape(
        QStringLiteral("^[0-9A-Fa-f]{8}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{4}-[0-9A-Fa-f]{12}$"));
    if (!shape.match(text).hasMatch())
        return std::unexpected(TruneJsonError{{}, QStringLiteral("invalid UUID \"%1\"").arg(text)});
    return QUuid::fromString(text);
}

TruneJsonResult<QDateTime> TruneJsonCoding<QDateTime>::decode(const QJsonValue& json)
{
    if (!json.isString())
        return std::unexpected(TruneJson::typeMismatch("string", json));
    if (auto date = TruneJson::parseDate(json.toString()))
        return *date;
    return std::unexpected(TruneJsonError{{}, QStringLiteral("invalid ISO 8601 date \"%1\"").arg(json.toString())});
}

TruneJsonResult<QStringList> TruneJsonCoding<QStringList>::decode(const QJsonValue& json)
{
    const TruneJsonResult<std::vector<QString>> values = TruneJsonCoding<std::vector<QString>>::decode(json);
    if (!values)
        return std::unexpected(values.error());
    return QStringList(values->begin(), values->end());
}

TruneJsonObjectReader::TruneJsonObjectReader(QJsonObject object)
    : m_object(std::move(object))
{
}
