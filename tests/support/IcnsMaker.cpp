#include "tests/support/IcnsMaker.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QtEndian>

namespace {

QByteArray entryType(int edge)
{
    switch (edge) {
    case 16:
        return "icp4";
    case 32:
        return "ic11";
    case 64:
        return "ic12";
    case 128:
        return "ic07";
    case 256:
        return "ic08";
    case 512:
        return "ic09";
    case 1024:
        return "ic10";
    default:
        ADD_FAILURE() << "no icon entry holds " << edge << " px";
        return "????";
    }
}

QByteArray bigEndian32(quint32 value)
{
    QByteArray bytes(4, '\0');
    qToBigEndian(value, bytes.data());
    return bytes;
}

QByteArray png(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

} // namespace

namespace IcnsMaker {

QByteArray icns(const QList<QImage>& images)
{
    QByteArray entries;
    for (const QImage& image : images) {
        const QByteArray data = png(image);
        entries += entryType(image.width()) + bigEndian32(static_cast<quint32>(8 + data.size())) + data;
    }
    return "icns" + bigEndian32(static_cast<quint32>(8 + entries.size())) + entries;
}

QImage filled(int edge, const QColor& color)
{
    QImage image(edge, edge, QImage::Format_ARGB32);
    image.fill(color);
    return image;
}

} // namespace IcnsMaker
