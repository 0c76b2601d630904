#include "tests/support/MultipartForm.h"

#include <QRegularExpression>

namespace {

constexpr QByteArrayView crlf("\r\n");

std::optional<QByteArray> dispositionParameter(const QByteArray& disposition, const char* parameter)
{
    const QRegularExpression pattern(QStringLiteral("(?:^|;)\\s*%1=\"([^\"]*)\"").arg(QString::fromLatin1(parameter)));
    const QRegularExpressionMatch match = pattern.match(QString::fromUtf8(disposition));
    if (!match.hasMatch())
        return std::nullopt;
    return match.captured(1).toUtf8();
}

std::optional<MultipartPart> parsePart(const QByteArray& text)
{
    const qsizetype headerEnd = text.indexOf("\r\n\r\n");
    if (headerEnd < 0)
        return std::nullopt;
    MultipartPart part;
    for (const QByteArray& line : text.left(headerEnd).split('\n')) {
        const QByteArray trimmedLine = line.endsWith('\r') ? line.chopped(1) : line;
        const qsizetype colon = trimmedLine.indexOf(':');
        if (colon <= 0)
            return std::nullopt;
        part.headers.append({trimmedLine.left(colon), trimmedLine.mid(colon + 1).trimmed()});
    }
    for (const auto& [name, value] : part.headers) {
        if (name.compare("Content-Disposition", Qt::CaseInsensitive) == 0) {
            if (!value.startsWith("form-data"))
                return std::nullopt;
            part.name = dispositionParameter(value, "name").value_or(QByteArray());
            part.filename = dispositionParameter(value, "filename");
        } else if (name.compare("Content-Type", Qt::CaseInsensitive) == 0) {
            part.contentType = value;
        }
    }
    part.data = text.mid(headerEnd + 4);
    return part;
}

} // namespace

namespace MultipartForm {

std::optional<QByteArray> boundaryOf(const QByteArray& contentType)
{
    const QByteArray prefix = "multipart/form-data; boundary=";
    if (!contentType.startsWith(prefix) || contentType.size() == prefix.size())
        return std::nullopt;
    return contentType.mid(prefix.size());
}

std::optional<std::vector<MultipartPart>> parse(const QByteArray& body, const QByteArray& boundary)
{
    const QByteArray delimiter = "--" + boundary;
    const QByteArray closing = delimiter + "--\r\n";
    if (!body.endsWith(closing))
        return std::nullopt;
    std::vector<MultipartPart> parts;
    qsizetype position = 0;
    // Every part reads "--boundary" CRLF headers CRLF CRLF data CRLF; the data runs up to the next
    // CRLF "--boundary".
    while (body.mid(position, delimiter.size() + 2) == delimiter + crlf.toByteArray()) {
        const qsizetype start = position + delimiter.size() + 2;
        const qsizetype next = body.indexOf("\r\n" + delimiter, start);
        if (next < 0)
            return std::nullopt;
        std::optional<MultipartPart> part = parsePart(body.mid(start, next - start));
        if (!part)
            return std::nullopt;
        parts.push_back(std::move(*part));
        position = next + 2;
    }
    if (position != body.size() - closing.size())
        return std::nullopt;
    return parts;
}

} // namespace MultipartForm
