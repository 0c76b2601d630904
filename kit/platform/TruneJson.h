#pragma once

// The kit's JSON codec layer over QJsonDocument.
//
// A type is coded by a specialization of TruneJsonCoding<T> with
//     static QJsonValue encode(const T&);
//     static std::expected<T, TruneJsonError> decode(const QJsonValue&);
// Built in: bool, int, qint64, double, float, QString, QStringList, QUuid, QDateTime,
// TruneInternetDate, std::vector<T>, QMap<QString, T> (a JSON object)
// and every TruneRawValueEnum (coded as its raw value).
//
// Types are strict: nothing is coerced ("1" is no integer, 1.5 is no integer, 1 is no text),
// integers are exact in the whole signed 64-bit range, dates are ISO 8601 text.
//
// Records are coded with TruneJsonObjectReader / TruneJsonObjectWriter:
//
//     static std::expected<UpdateLogEntry, TruneJsonError> decode(const QJsonValue& json) {
//         return TruneJsonObjectReader::read<UpdateLogEntry>(json, [](TruneJsonObjectReader& in) {
//             UpdateLogEntry entry;
//             entry.id = in.required<QUuid>("id");
//             entry.fromVersion = in.optional<QString>("fromVersion");
//             return entry;
//         });
//     }
//     static QJsonValue encode(const UpdateLogEntry& entry) {
//         TruneJsonObjectWriter out;
//         out.write("id", entry.id);
//         out.write("fromVersion", entry.fromVersion); // absent optionals write no key
//         return out.object();
//     }

#include "kit/platform/TruneRawValue.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QMap>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <expected>
#include <functional>
#include <optional>
#include <type_traits>
#include <vector>

struct TruneJsonError {
    QString keyPath; // "entries[2].timestamp"; empty for the document itself
    QString reason;  // English, for logs and developers

    // "<keyPath>: <reason>", or the reason alone at the top level.
    QString description() const;

    // The same error one level further out: "[3]" or "key" in front of the path.
    TruneJsonError inKey(const QString& key) const;
    TruneJsonError atIndex(qsizetype index) const;

    bool operator==(const TruneJsonError&) const = default;
};

template <typename T> struct TruneJsonCoding; // specialize for each coded type

template <typename T> using TruneJsonResult = std::expected<T, TruneJsonError>;

namespace TruneJson {

// A human name of a JSON value's type, for error reasons ("string", "number", "null" ...).
QString typeName(const QJsonValue& value);
TruneJsonError typeMismatch(const char* expected, const QJsonValue& actual);

// ISO 8601 internet date-time: UTC, whole seconds, "Z" (2025-03-01T08:30:00Z).
QString formatDate(const QDateTime& date);
// Accepts YYYY-MM-DDTHH:MM:SS with optional fraction and "Z" or a ±HH:MM offset; UTC result.
std::optional<QDateTime> parseDate(const QString& text);
// The strict internet date-time of files shared with other programs: whole seconds only, "Z" or
// a ±HH:MM offset; a fraction of a second fails. UTC result.
std::optional<QDateTime> parseInternetDate(const QString& text);

// Whether two texts are canonically equivalent: equal once both are in Unicode NFC, so "é" as
// one code point equals "e" followed by a combining acute accent.
bool canonicallyEqual(const QString& a, const QString& b);

// The key path of the first number in `json` that is not finite; nullopt when there is none.
std::optional<QString> firstNonFiniteNumber(const QJsonValue& json);

} // namespace TruneJson

template <typename T> QJsonValue truneJsonEncode(const T& value)
{
    return TruneJsonCoding<T>::encode(value);
}

template <typename T> TruneJsonResult<T> truneJsonDecode(const QJsonValue& json)
{
    return TruneJsonCoding<T>::decode(json);
}

// Parses UTF-8 JSON text and decodes it; a syntax error is a TruneJsonError too.
TruneJsonResult<QJsonValue> truneJsonParse(const QByteArray& text);

template <typename T> TruneJsonResult<T> truneJsonDecode(const QByteArray& text)
{
    const TruneJsonResult<QJsonValue> json = truneJsonParse(text);
    if (!json)
        return std::unexpected(json.error());
    return truneJsonDecode<T>(*json);
}

// Objects are written with their keys sorted, as QJsonObject always is.
QByteArray truneJsonSerialize(const QJsonValue& json, QJsonDocument::JsonFormat format = QJsonDocument::Compact);

template <typename T>
QByteArray truneJsonSerialize(const T& value, QJsonDocument::JsonFormat format = QJsonDocument::Compact)
{
    return truneJsonSerialize(truneJsonEncode(value), format);
}

// As truneJsonSerialize, but a number that is not finite anywhere in the value is an error:
// JSON cannot hold it, and Qt would silently write null in its place.
TruneJsonResult<QByteArray> truneJsonSerializeFinite(
    const QJsonValue& json, QJsonDocument::JsonFormat format = QJsonDocument::Compact);

template <typename T>
requires(!std::is_convertible_v<T, QJsonValue> || std::is_arithmetic_v<T>)
    TruneJsonResult<QByteArray> truneJsonSerializeFinite(
        const T& value, QJsonDocument::JsonFormat format = QJsonDocument::Compact)
{
    return truneJsonSerializeFinite(truneJsonEncode(value), format);
}

class TruneJsonObjectReader final {
public:
    explicit TruneJsonObjectReader(QJsonObject object);

    // Decodes `json` as an object with `build`; the first key that fails becomes the error.
    template <typename T>
    static TruneJsonResult<T> read(const QJsonValue& json, const std::function<T(TruneJsonObjectReader&)>& build)
    {
        if (!json.isObject())
            return std::unexpected(TruneJson::typeMismatch("object", json));
        TruneJsonObjectReader reader(json.toObject());
        T value = build(reader);
        if (reader.m_error)
            return std::unexpected(*reader.m_error);
        return value;
    }

    // Missing, null or of the wrong type: an error (the returned value is then meaningless).
    template <typename T> T required(const char* key)
    {
        const QJsonValue json = m_object.value(QLatin1String(key));
        if (json.isUndefined())
            return fail<T>(key, TruneJsonError{{}, QStringLiteral("required key is missing")});
        return take<T>(key, TruneJsonCoding<T>::decode(json));
    }

    // Missing or null: nullopt. Present with the wrong type: an error.
    template <typename T> std::optional<T> optional(const char* key)
    {
        const QJsonValue json = m_object.value(QLatin1String(key));
        if (json.isUndefined() || json.isNull())
            return std::nullopt;
        return take<T>(key, TruneJsonCoding<T>::decode(json));
    }

    // Missing, null or undecodable: the fallback, never an error.
    template <typename T> T lenient(const char* key, T fallback)
    {
        auto decoded = TruneJsonCoding<T>::decode(m_object.value(QLatin1String(key)));
        return decoded ? std::move(*decoded) : std::move(fallback);
    }

    const QJsonObject& object() const { return m_object; }
    bool failed() const { return m_error.has_value(); }

private:
    template <typename T> T take(const char* key, TruneJsonResult<T> decoded)
    {
        if (!decoded)
            return fail<T>(key, decoded.error());
        return std::move(*decoded);
    }

    template <typename T> T fail(const char* key, const TruneJsonError& error)
    {
        if (!m_error)
            m_error = error.inKey(QLatin1String(key));
        return T{};
    }

    QJsonObject m_object;
    std::optional<TruneJsonError> m_error;
};

class TruneJsonObjectWriter final {
public:
    template <typename T> void write(const char* key, const T& value)
    {
        m_object.insert(QLatin1String(key), TruneJsonCoding<T>::encode(value));
    }

    // An absent optional writes no key at all.
    template <typename T> void write(const char* key, const std::optional<T>& value)
    {
        if (value)
            write(key, *value);
    }

    const QJsonObject& object() const { return m_object; }

private:
    QJsonObject m_object;
};

// ---- built-in codings ----

template <> struct TruneJsonCoding<bool> {
    static QJsonValue encode(bool value) { return value; }
    static TruneJsonResult<bool> decode(const QJsonValue& json);
};

template <> struct TruneJsonCoding<qint64> {
    static QJsonValue encode(qint64 value) { return value; }
    static TruneJsonResult<qint64> decode(const QJsonValue& json);
};

template <> struct TruneJsonCoding<int> {
    static QJsonValue encode(int value) { return value; }
    static TruneJsonResult<int> decode(const QJsonValue& json);
};

template <> struct TruneJsonCoding<double> {
    static QJsonValue encode(double value) { return value; }
    static TruneJsonResult<double> decode(const QJsonValue& json);
};

// A 32-bit float: written as its shortest decimal text (0.1f as 0.1); a number outside the
// float range fails to decode.
template <> struct TruneJsonCoding<float> {
    static QJsonValue encode(float value);
    static TruneJsonResult<float> decode(const QJsonValue& json);
};

template <> struct TruneJsonCoding<QString> {
    static QJsonValue encode(const QString& value) { return value; }
    static TruneJsonResult<QString> decode(const QJsonValue& json);
};

// Canonical upper-case hyphenated form, without braces; either letter case is read.
template <> struct TruneJsonCoding<QUuid> {
    static QJsonValue encode(const QUuid& value);
    static TruneJsonResult<QUuid> decode(const QJsonValue& json);
};

template <> struct TruneJsonCoding<QDateTime> {
    static QJsonValue encode(const QDateTime& value) { return TruneJson::formatDate(value); }
    static TruneJsonResult<QDateTime> decode(const QJsonValue& json);
};

// A date read by the strict internet date-time rule (TruneJson::parseInternetDate) and written
// as TruneJson::formatDate writes every date. Records shared with other programs code their
// dates through it: `in.required<TruneInternetDate>("timestamp").value`.
struct TruneInternetDate {
    QDateTime value;
};

template <> struct TruneJsonCoding<TruneInternetDate> {
    static QJsonValue encode(const TruneInternetDate& date) { return TruneJson::formatDate(date.value); }
    static TruneJsonResult<TruneInternetDate> decode(const QJsonValue& json);
};

template <typename T> struct TruneJsonCoding<std::vector<T>> {
    static QJsonValue encode(const std::vector<T>& values)
    {
        QJsonArray array;
        for (const T& value : values)
            array.append(TruneJsonCoding<T>::encode(value));
        return array;
    }

    static TruneJsonResult<std::vector<T>> decode(const QJsonValue& json)
    {
        if (!json.isArray())
            return std::unexpected(TruneJson::typeMismatch("array", json));
        const QJsonArray array = json.toArray();
        std::vector<T> values;
        values.reserve(static_cast<size_t>(array.size()));
        for (qsizetype i = 0; i < array.size(); ++i) {
            auto element = TruneJsonCoding<T>::decode(array.at(i));
            if (!element)
                return std::unexpected(element.error().atIndex(i));
            values.push_back(std::move(*element));
        }
        return values;
    }
};

// A JSON object whose values all decode as T.
template <typename T> struct TruneJsonCoding<QMap<QString, T>> {
    static QJsonValue encode(const QMap<QString, T>& values)
    {
        QJsonObject object;
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            object.insert(it.key(), TruneJsonCoding<T>::encode(it.value()));
        return object;
    }

    static TruneJsonResult<QMap<QString, T>> decode(const QJsonValue& json)
    {
        if (!json.isObject())
            return std::unexpected(TruneJson::typeMismatch("object", json));
        const QJsonObject object = json.toObject();
        QMap<QString, T> values;
        for (auto it = object.constBegin(); it != object.constEnd(); ++it) {
            auto value = TruneJsonCoding<T>::decode(it.value());
            if (!value)
                return std::unexpected(value.error().inKey(it.key()));
            values.insert(it.key(), std::move(*value));
        }
        return values;
    }
};

template <> struct TruneJsonCoding<QStringList> {
    static QJsonValue encode(const QStringList& values) { return QJsonArray::fromStringList(values); }
    static TruneJsonResult<QStringList> decode(const QJsonValue& json);
};

template <TruneRawValueEnum E> struct TruneJsonCoding<E> {
    static QJsonValue encode(E value) { return rawValue(value); }

    static TruneJsonResult<E> decode(const QJsonValue& json)
    {
        if (!json.isString())
            return std::unexpected(TruneJson::typeMismatch("string", json));
        if (auto value = fromRawValue<E>(json.toString()))
            return *value;
        return std::unexpected(TruneJsonError{{}, QStringLiteral("unknown value \"%1\"").arg(json.toString())});
    }
};
