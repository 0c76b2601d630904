#pragma once

#include <QByteArray>
#include <QImage>
#include <QSize>

// Pictures for the feedback screenshot tests.
namespace FeedbackImages {

// Red, green and blue vertical thirds.
QImage stripes(QSize size);

// The image in the given format ("PNG", "TIFF", "BMP", "JPEG" ...).
QByteArray encoded(const QImage& image, const char* format);

// A PNG signature and header naming `size`, followed by a few bytes of junk: it claims a picture
// that would take gigabytes to decode.
QByteArray pngHeaderClaiming(QSize size);

} // namespace FeedbackImages
