#include "core/homebrew/BrewJsonShape.h"

#include <QJsonArray>
#include <QJsonObject>

#include <simdjson.h>

#include <algorithm>
#include <optional>
#include <type_traits>

namespace {

namespace ondemand = simdjson::ondemand;
using simdjson::error_code;

// Unescaping copies each string into the parser's string buffer, which is never reused within a
// document and so grows with every key and kept string of it. A string without an escape is read in
// the text itself instead: `token` is its raw token (quotes and any white space after it included)
// and the text between its quotes is the string. nullopt when the string holds an escape.
std::optional<std::string_view> unescapedInPlace(std::string_view token)
{
    const size_t closingQuote = token.find('"', 1);
    const std::string_view text = token.substr(1, closingQuote - 1);
    if (text.find('\\') != std::string_view::npos)
        return std::nullopt;
    return text;
}

// A key as unescapedInPlace reads a string: in place without an escape, otherwise unescaped (which
// also checks the escapes). The text is checked already, so the key ends at the next quote.
simdjson::simdjson_result<std::string_view> keyOf(ondemand::field& field)
{
    const char* const begin = field.key().raw();
    const char* end = begin;
    while (*end != '"' && *end != '\\')
        ++end;
    if (*end == '"')
        return std::string_view(begin, static_cast<size_t>(end - begin));
    return field.unescaped_key();
}

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
            if (const error_code error = keyOf(field).get(key))
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
        // A string inside the document is passed over when its parent moves on; the root document's
        // own string must be read through, or the check for text after it would find it again.
        if constexpr (!std::is_same_v<Value, ondemand::document>) {
            std::string_view token;
            if (const error_code error = rawTokenOf(value).get(token))
                return error;
            if (const std::optional<std::string_view> text = unescapedInPlace(token)) {
                *out = textOf(*text);
                return simdjson::SUCCESS;
            }
        }
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
        if (const error_code error = rawTokenOf(value).get(token))
            return error;
        if (unescapedInPlace(token))
            return simdjson::SUCCESS;
        std::string_view text;
        return value.get_string().get(text);
    }

    // A value hands its token over as it is, the root document as a result.
    template <typename Value> static simdjson::simdjson_result<std::string_view> rawTokenOf(Value& value)
    {
        return simdjson::simdjson_result<std::string_view>(value.raw_json_token());
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

bool isJsonWhiteSpace(char byte)
{
    return byte == ' ' || byte == '\n' || byte == '\r' || byte == '\t';
}

bool isJsonPunctuation(char byte)
{
    return byte == '{' || byte == '}' || byte == '[' || byte == ']' || byte == ',' || byte == ':';
}

// brew indents its JSON: about a third of the text is white space between tokens. Where a bracket,
// comma or colon stands on either side (or the text begins or ends) the white space separates
// nothing and is dropped, in place; elsewhere one space stays, so two tokens that were apart stay
// apart and a faulty text stays as faulty. Strings, escapes included, are copied as they are.
void dropSeparatedWhiteSpace(QByteArray& json)
{
    char* const begin = json.data();
    const char* const end = begin + json.size();
    const char* in = begin;
    char* out = begin;
    while (in < end) {
        if (*in == '"') {
            *out++ = *in++;
            while (in < end) {
                const char byte = *in++;
                *out++ = byte;
                if (byte == '\\' && in < end)
                    *out++ = *in++;
                else if (byte == '"')
                    break;
            }
        } else if (isJsonWhiteSpace(*in)) {
            const char* next = in;
            while (next < end && isJsonWhiteSpace(*next))
                ++next;
            if (out != begin && next != end && !isJsonPunctuation(out[-1]) && !isJsonPunctuation(*next))
                *out++ = ' ';
            in = next;
        } else {
            *out++ = *in++;
        }
    }
    json.truncate(out - begin);
}

TruneJsonError syntaxError(error_code error)
{
    return TruneJsonError{{}, QStringLiteral("invalid JSON: %1").arg(QLatin1String(simdjson::error_message(error)))};
}

} // namespace

TruneJsonResult<QJsonValue> parseBrewJson(QByteArray json, const BrewJsonShape& shape)
{
    dropSeparatedWhiteSpace(json);
    // Pages the text no longer needs go back before the parser indexes it; the parser reads a
    // little past the text, so that much room stays behind it.
    json.squeeze();
    json.reserve(json.size() + static_cast<qsizetype>(simdjson::SIMDJSON_PADDING));
    ondemand::parser parser;
    ondemand::document document;
    if (const error_code error
        = parser.iterate(json.constData(), static_cast<size_t>(json.size()), static_cast<size_t>(json.capacity()))
              .get(document))
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
