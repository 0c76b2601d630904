#include "kit/foundation/TruneLogEntry.h"

#include <QStringView>

namespace {

void appendUtf8(QByteArray& out, char32_t codePoint)
{
    if (codePoint < 0x800) {
        out.append(char(0xC0 | (codePoint >> 6)));
    } else if (codePoint < 0x10000) {
        out.append(char(0xE0 | (codePoint >> 12)));
        out.append(char(0x80 | ((codePoint >> 6) & 0x3F)));
    } else {
        out.append(char(0xF0 | (codePoint >> 18)));
        out.append(char(0x80 | ((codePoint >> 12) & 0x3F)));
        out.append(char(0x80 | ((codePoint >> 6) & 0x3F)));
    }
    out.append(char(0x80 | (codePoint & 0x3F)));
}

void appendEscapedAscii(QByteArray& out, char16_t c)
{
    switch (c) {
    case u'"':
        out.append("\\\"");
        return;
    case u'\\':
        out.append("\\\\");
        return;
    case u'/':
        out.append("\\/");
        return;
    case u'\b':
        out.append("\\b");
        return;
    case u'\f':
        out.append("\\f");
        return;
    case u'\n':
        out.append("\\n");
        return;
    case u'\r':
        out.append("\\r");
        return;
    case u'\t':
        out.append("\\t");
        return;
    default:
        break;
    }
    if (c < 0x20) {
        static constexpr char hex[] = "0123456789abcdef";
        out.append("\\u00");
        out.append(hex[c >> 4]);
        out.append(hex[c & 0xF]);
    } else {
        out.append(char(c));
    }
}

// A JSON string literal. A surrogate without its partner cannot be written as UTF-8; it becomes
// U+FFFD so the line stays valid UTF-8 and readable.
void appendJsonString(QByteArray& out, QStringView text)
{
    out.append('"');
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < 0x80) {
            appendEscapedAscii(out, c);
        } else if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            appendUtf8(out, QChar::surrogateToUcs4(c, text[i + 1].unicode()));
            ++i;
        } else {
            appendUtf8(out, QChar::isSurrogate(c) ? char32_t(QChar::ReplacementCharacter) : char32_t(c));
        }
    }
    out.append('"');
}

void appendMember(QByteArray& out, const char* key, QStringView value)
{
    out.append(out.isEmpty() ? '{' : ',');
    out.append('"').append(key).append("\":");
    appendJsonString(out, value);
}

} // namespace

QString label(TruneLogLevel level)
{
    return rawValue(level).toUpper();
}

QByteArray TruneLogEntry::jsonLine() const
{
    QByteArray line;
    line.reserve(160 + 3 * (category.size() + message.size()));
    appendMember(line, "build", build);
    appendMember(line, "category", category);
    appendMember(line, "id", id);
    appendMember(line, "level", rawValue(level));
    appendMember(line, "message", message);
    appendMember(line, "timestamp", timestamp);
    appendMember(line, "version", version);
    line.append('}');
    return line;
}

QJsonValue TruneJsonCoding<TruneLogEntry>::encode(const TruneLogEntry& entry)
{
    TruneJsonObjectWriter out;
    out.write("id", entry.id);
    out.write("timestamp", entry.timestamp);
    out.write("level", entry.level);
    out.write("category", entry.category);
    out.write("message", entry.message);
    out.write("version", entry.version);
    out.write("build", entry.build);
    return out.object();
}

TruneJsonResult<TruneLogEntry> TruneJsonCoding<TruneLogEntry>::decode(const QJsonValue& json)
{
    return TruneJsonObjectReader::read<TruneLogEntry>(json, [](TruneJsonObjectReader& in) {
        TruneLogEntry entry;
        entry.id = in.required<QString>("id");
        entry.timestamp = in.required<QString>("timestamp");
        entry.level = in.required<TruneLogLevel>("level");
        entry.category = in.required<QString>("category");
        entry.message = in.required<QString>("message");
        entry.version = in.required<QString>("version");
        entry.build = in.required<QString>("build");
        return entry;
    });
}
