#include "tests/kit/ui/feedback/FeedbackImages.h"

#include <QBuffer>
#include <QPainter>
#include <QtEndian>

#include <array>

namespace {

quint32 crc32(const QByteArray& bytes)
{
    quint32 crc = 0xffffffffu;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

QByteArray bigEndian(quint32 value)
{
    std::array<char, 4> bytes{};
    qToBigEndian(value, bytes.data());
    return QByteArray(bytes.data(), 4);
}

QByteArray chunk(const QByteArray& type, const QByteArray& data)
{
    return bigEndian(quint32(data.size())) + type + data + bigEndian(crc32(type + data));
}

} // namespace

namespace FeedbackImages {

QImage stripes(QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    QPainter painter(&image);
    const int third = size.width() / 3;
    painter.fillRect(0, 0, third, size.height(), Qt::red);
    painter.fillRect(third, 0, size.width() - 2 * third, size.height(), Qt::green);
    painter.fillRect(size.width() - third, 0, third, size.height(), Qt::blue);
    return image;
}

QByteArray encoded(const QImage& image, const char* format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

QByteArray pngHeaderClaiming(QSize size)
{
    // Width, height, 8 bits per sample, truecolour with alpha, deflate, adaptive filter, no interlace.
    const QByteArray header
        = bigEndian(quint32(size.width())) + bigEndian(quint32(size.height())) + QByteArray("\x08\x06\x00\x00\x00", 5);
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + chunk("IHDR", header) + chunk("IDAT", QByteArray(64, '\x78'));
}

} // namespace FeedbackImages
