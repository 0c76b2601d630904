#include "core/homebrew/BrewJsonShape.h"

#include <QJsonArray>
#include <QJsonObject>

#include <simdjson.h>

#include <algorithm>
#include <optional>

namespace {

namespace ondemand = simdjson::ondemand;
using simdjson::error_code;

// Nested values are freed recursively, so a deeper document is refused rather than risking the
// stack; the parser itself must never be led past its own limit of 1024 levels.
constexpr size_t maximumDepth = 1000;

// The shape of `key`'s value inside an object of `shape`, or nullopt when the key is not kept.
// Inside a value kept whole (no shape) every key is kept whole.
std::optional<const BrewJsonShape*> shapeOfKey(const BrewJsonShape* shape, std::string_view key)
{
    if (!shape)
        return nullptr;
    const auto found = std::ranges::find(shape->fields, key, &BrewJsonField::key);
    if (found == shape->fields.end())
        return std::nullopt;
    return found->shape;
}

QString textOf(std::string_view utf8)
{
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

QJsonValue numberValue(ondemand::number number)
{
    if (number.is_int64())
        return QJsonValue(static_cast<qint64>(number.get_int64()));
    return QJsonValue(number.as_double());
}

// Reads one value, building it only when `keep`: a value that is not kept is still checked
// through, so the whole text must be valid JSON, yet costs no allocation of its own. Works on the
// root document as on any value inside it.
class PrunedReader {
public:
    template <typename Value> error_code read(Value& value, const BrewJsonShape* shape, bool keep, QJsonValue* out)
    {
        ondemand::json_type type;
        if (const error_code error = value.type().get(type))
            return error;
        switch (type) {
        case ondemand::json_type::object:
            return readObject(value, shape, keep, out);
        case ondemand::json_type::array:
            return readArray(value, shape, keep, out);
        case ondemand::json_type::string:
            return keep ? readString(value, out) : checkString(value);
        case ondemand::json_type::number: {
            ondemand::number number;
            if (const error_code error = value.get_number().get(number))
                return error;
            if (keep)
                *out = numberValue(number);
            return simdjson::SUCCESS;
        }
        case ondemand::json_type::boolean: {
            bool flag = false;
            if (const error_code error = value.get_bool().get(flag))
                return error;
            if (keep)
                *out = flag;
            return simdjson::SUCCESS;
        }
        case ondemand::json_type::null: {
            bool isNull = false;
            if (const error_code error = value.is_null().get(isNull))
                return error;
            if (!isNull)
                return simdjson::N_ATOM_ERROR;
            if (keep)
                *out = QJsonValue::Null;
            return simdjson::SUCCESS;
        }
        }
        return simdjson::TAPE_ERROR;
    }

private:
    template <typename Value>
    error_code readObject(Value& value, const BrewJsonShape* shape, bool keep, QJsonValue* out)
    {
        if (m_depth == maximumDepth)
            return simdjson::DEPTH_ERROR;
        const DepthGuard guard(m_depth);
        ondemand::object object;
        if (const error_code error = value.get_object().get(object))
            return error;
        QJsonObject kept;
        for (auto member : object) {
            ondemand::field field;
            if (const error_code error = std::move(member).get(field))
                return error;
            std::string_view key;
            if (const error_code error = field.unescaped_key().get(key))
                return error;
            const std::optional<const BrewJsonShape*> childShape = shapeOfKey(shape, key);
            const bool keepChild = keep && childShape.has_value();
            QJsonValue child;
            if (const error_code error = read(field.value(), childShape.value_or(nullptr), keepChild, &child))
                return error;
            if (keepChild)
                kept.insert(textOf(key), std::move(child));
        }
        if (keep)
            *out = std::move(kept);
        return simdjson::SUCCESS;
    }

    template <typename Value> error_code readArray(Value& value, const BrewJsonShape* shape, bool keep, QJsonValue* out)
    {
        if (m_depth == maximumDepth)
            return simdjson::DEPTH_ERROR;
        const DepthGuard guard(m_depth);
        ondemand::array array;
        if (const error_code error = value.get_array().get(array))
            return error;
        QJsonArray kept;
        for (auto item : array) {
            ondemand::value element;
            if (const error_code error = std::move(item).get(element))
                return error;
            QJsonValue child;
            if (const error_code error = read(element, shape, keep, &child))
                return error;
            if (keep)
                kept.append(std::move(child));
        }
        if (keep)
            *out = std::move(kept);
        return simdjson::SUCCESS;
    }

    template <typename Value> error_code readString(Value& value, QJsonValue* out)
    {
        std::string_view text;
        if (const error_code error = value.get_string().get(text))
            return error;
        *out = textOf(text);
        return simdjson::SUCCESS;
    }

    // The parser has already checked the text's UTF-8 and found where each string ends; only an
    // escape can still be wrong, so a string without one is not unescaped at all.
    template <typename Value> error_code checkString(Value& value)
    {
        std::string_view token;
        // A value hands its token over as it is, the root document as a result.
        if (const error_code error = simdjson::simdjson_result<std::string_view>(value.raw_json_token()).get(token))
            return error;
        if (token.find('\\') == std::string_view::npos)
            return simdjson::SUCCESS;
        std::string_view text;
        return value.get_string().get(text);
    }

    struct DepthGuard {
        explicit DepthGuard(size_t& counter)
            : depth(++counter)
        {
        }
        ~DepthGuard() { --depth; }
        size_t& depth;
    };

    size_t m_depth = 0;
};

TruneJsonError syntaxError(error_code error)
{
    return TruneJsonError{{}, QStringLiteral("invalid JSON: %1").arg(QLatin1String(simdjson::error_message(error)))};
}

} // namespace

TruneJsonResult<QJsonValue> parseBrewJson(QByteArray json, const BrewJsonShape& shape)
{
    const auto size = static_cast<size_t>(json.size());
    // The parser reads a little past the text; room already allocated behind it serves.
    if (static_cast<size_t>(json.capacity()) < size + simdjson::SIMDJSON_PADDING)
        json.reserve(json.size() + static_cast<qsizetype>(simdjson::SIMDJSON_PADDING));
    ondemand::parser parser;
    ondemand::document document;
    if (const error_code error
        = parser.iterate(json.constData(), size, static_cast<size_t>(json.capacity())).get(document))
        return std::unexpected(syntaxError(error));
    QJsonValue value;
    PrunedReader reader;
    if (const error_code error = reader.read(document, &shape, true, &value))
        return std::unexpected(syntaxError(error));
    // Anything after the one value is not JSON.
    if (const error_code error = document.current_location().error(); error != simdjson::OUT_OF_BOUNDS)
        return std::unexpected(syntaxError(error == simdjson::SUCCESS ? simdjson::TRAILING_CONTENT : error));
    return value;
}
