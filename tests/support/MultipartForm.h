#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

// A small reader of multipart/form-data bodies, strict enough to catch a malformed one: every
// delimiter line, every part's header block and the closing delimiter must be where RFC 7578 puts
// them, or parsing fails.
struct MultipartPart {
    QList<std::pair<QByteArray, QByteArray>> headers; // as written
    QByteArray name;                                  // from Content-Disposition
    std::optional<QByteArray> filename;
    QByteArray contentType; // empty when the part has none
    QByteArray data;
};

namespace MultipartForm {

// The boundary parameter of a "multipart/form-data; boundary=..." header value.
std::optional<QByteArray> boundaryOf(const QByteArray& contentType);

// The parts in order; nullopt when the body is not well formed for this boundary.
std::optional<std::vector<MultipartPart>> parse(const QByteArray& body, const QByteArray& boundary);

} // namespace MultipartForm
