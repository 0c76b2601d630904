#include "kit/platform/TruneJson.h"

#include <QJsonParseError>
#include <QRegularExpression>

#include <charconv>
#include <cmath>
#include <limits>
#include <utility>
#include <vector>

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

namespace {

std::optional<QDateTime> parseShapedDate(const QString& text, const QRegularExpression& shape)
{
    if (!shape.match(text).hasMatch())
        return std::nullopt;
    const QDateTime date = QDateTime::fromString(text, Qt::ISODateWithMs);
    if (!date.isValid())
        return std::nullopt;
    return date.toUTC();
}

} // namespace

std::optional<QDateTime> parseDate(const QString& text)
{
    static const QRegularExpression shape(
        QStringLiteral(R"(^\d{4}-\d{2}-\d{2}T\d{2}:\d{2}:\d{2}(\.\d{1,9})?(Z|[+-]\d{2}:\d{2})$)"));
    return parseShapedDate(text, shape);
}

std::optional<QDateTime> parseInternetDate(const QString& text)
{
    static const QRegularExpression shape(
        QStringLiteral(R"(^\d{4}-\d{2}-\d{2}T\d{2}:\d{2}:\d{2}(Z|[+-]\d{2}:\d{2})$)"));
    return parseShapedDate(text, shape);
}

bool canonicallyEqual(const QString& a, const QString& b)
{
    return a == b || a.normalized(QString::NormalizationForm_C) == b.normalized(QString::NormalizationForm_C);
}

std::optional<QString> firstNonFiniteNumber(const QJsonValue& json)
{
    if (json.isDouble())
        return std::isfinite(json.toDouble()) ? std::nullopt : std::optional<QString>(QString());
    if (json.isArray()) {
        const QJsonArray array = json.toArray();
        for (qsizetype index = 0; index < array.size(); ++index) {
            if (auto inner = firstNonFiniteNumber(array.at(index)))
                return TruneJsonError{*inner, {}}.atIndex(index).keyPath;
        }
    }
    if (json.isObject()) {
        const QJsonObject object = json.toObject();
        for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
            if (auto inner = firstNonFiniteNumber(it.value()))
                return TruneJsonError{*inner, {}}.inKey(it.key()).keyPath;
        }
    }
    return std::nullopt;
}

} // namespace TruneJson

namespace {

struct TextSpan {
    qsizetype start = 0;
    qsizetype length = 0;
};

// Qt reads every number that rounds to -2^63 as the exact integer -9223372036854775808, so
// "-9223372036854775809" would pass for it while its positive twin stays an out-of-range double.
// These are the number tokens of `json` that round so without being that integer.
std::vector<TextSpan> numbersFoldingOntoInt64Min(QByteArrayView json)
{
    constexpr double int64Min = -9223372036854775808.0;
    std::vector<TextSpan> folding;
    qsizetype position = 0;
    while (position < json.size()) {
        const char c = json[position];
        if (c == '"') {
            for (++position; position < json.size() && json[position] != '"'; ++position) {
                if (json[position] == '\\')
                    ++position;
            }
            ++position;
            continue;
        }
        if (c != '-') {
            ++position;
            continue;
        }
        const qsizetype start = position;
        for (++position; position < json.size() && QByteArrayView("+-.0123456789eE").contains(json[position]);)
            ++position;
        const QByteArrayView token = json.sliced(start, position - start);
        double value = 0;
        const auto [end, error] = std::from_chars(token.begin(), token.end(), value);
        if (error == std::errc() && end == token.end() && value == int64Min && token != "-9223372036854775808")
            folding.push_back({start, token.size()});
    }
    return folding;
}

// One pass over `json`: replacing the spans in place would move the rest of the document once per
// span.
QByteArray withNulls(QByteArrayView json, const std::vector<TextSpan>& spans)
{
    QByteArray marked;
    marked.reserve(json.size());
    qsizetype copied = 0;
    for (const TextSpan& span : spans) {
        marked.append(json.sliced(copied, span.start - copied));
        marked.append("null");
        copied = span.start + span.length;
    }
    marked.append(json.sliced(copied));
    return marked;
}

// `parsed` with each number that is null in `marked` (the same document with the folded numbers
// written as null) turned back into the double it was written as.
QJsonValue unfolded(const QJsonValue& parsed, const QJsonValue& marked)
{
    if (parsed.isDouble() && marked.isNull())
        return QJsonValue(parsed.toDouble());
    if (parsed.isArray()) {
        QJsonArray array = parsed.toArray();
        const QJsonArray markedArray = marked.toArray();
        for (qsizetype index = 0; index < array.size(); ++index)
            array[index] = unfolded(array.at(index), markedArray.at(index));
        return array;
    }
    if (parsed.isObject()) {
        QJsonObject object = parsed.toObject();
        const QJsonObject markedObject = marked.toObject();
        for (auto it = object.begin(); it != object.end(); ++it)
            *it = unfolded(*it, markedObject.value(it.key()));
        return object;
    }
    return parsed;
}

} // namespace

TruneJsonResult<QJsonValue> truneJsonParse(const QByteArray& text)
{
    QJsonParseError error;
    // Qt only parses documents whose top level is an object or an array; wrap the text so any
    // JSON value can be read.
    const QByteArray wrapped = "[" + text + "]";
    const QJsonDocument document = QJsonDocument::fromJson(wrapped, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray() || document.array().size() != 1) {
        const QString reason = error.error != QJsonParseError::NoError
            ? QStringLiteral("invalid JSON at offset %1: %2")
                  .arg(std::max(0, error.offset - 1))
                  .arg(error.errorString())
            : QStringLiteral("invalid JSON: expected exactly one value");
        return std::unexpected(TruneJsonError{{}, reason});
    }
    const std::vector<TextSpan> folded = numbersFoldingOntoInt64Min(wrapped);
    if (folded.empty())
        return document.array().at(0);
    const QJsonDocument marked = QJsonDocument::fromJson(withNulls(wrapped, folded));
    return unfolded(document.array().at(0), marked.array().at(0));
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

TruneJsonResult<QByteArray> truneJsonSerializeFinite(const QJsonValue& json, QJsonDocument::JsonFormat format)
{
    if (auto keyPath = TruneJson::firstNonFiniteNumber(json))
        return std::unexpected(
            TruneJsonError{*keyPath, QStringLiteral("a number that is not finite cannot be written")});
    return truneJsonSerialize(json, format);
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
    // A number written outside 64 bits may round onto either bound, so neither bound is taken
    // from a double: -2^63 itself always arrives as an exact integer above.
    const double number = json.toDouble();
    constexpr double limit = 9223372036854775808.0; // 2^63
    if (std::isfinite(number) && number == std::trunc(number) && number > -limit && number < limit)
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

QJsonValue TruneJsonCoding<float>::encode(float value)
{
    if (!std::isfinite(value))
        return static_cast<double>(value);
    // The shortest text that reads back as this float, read as a double: 0.1f is written as
    // 0.1, not as 0.10000000149011612.
    char text[32];
    const auto [end, error] = std::to_chars(std::begin(text), std::end(text), value);
    double shortest = static_cast<double>(value);
    if (error == std::errc())
        std::from_chars(std::begin(text), end, shortest);
    return shortest;
}

TruneJsonResult<float> TruneJsonCoding<float>::decode(const QJsonValue& json)
{
    const TruneJsonResult<double> number = TruneJsonCoding<double>::decode(json);
    if (!number)
        return std::unexpected(number.error());
    if (!std::isfinite(*number) || std::fabs(*number) > static_cast<double>(std::numeric_limits<float>::max()))
        return std::unexpected(TruneJsonError{{}, QStringLiteral("%1 is outside the 32-bit float range").arg(*number)});
    return static_cast<float>(*number);
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

TruneJsonResult<TruneInternetDate> TruneJsonCoding<TruneInternetDate>::decode(const QJsonValue& json)
{
    if (!json.isString())
        return std::unexpected(TruneJson::typeMismatch("string", json));
    if (auto date = TruneJson::parseInternetDate(json.toString()))
        return TruneInternetDate{*date};
    return std::unexpected(TruneJsonError{
        {}, QStringLiteral("invalid internet date-time \"%1\" (whole seconds only)").arg(json.toString())});
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
