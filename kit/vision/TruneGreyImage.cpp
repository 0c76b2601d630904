#include "kit/vision/TruneGreyImage.h"

#include <QColor>

QImage truneGreyImage(const QImage& image)
{
    if (image.isNull())
        return {};
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    QImage grey(argb.size(), QImage::Format_Grayscale8);
    for (int y = 0; y < argb.height(); ++y) {
        const auto* source = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
        uchar* target = grey.scanLine(y);
        for (int x = 0; x < argb.width(); ++x) {
            const int alpha = qAlpha(source[x]);
            target[x] = static_cast<uchar>((qGray(source[x]) * alpha + 255 * (255 - alpha) + 127) / 255);
        }
    }
    return grey;
}

std::vector<double> truneGreySamples(const QImage& image, int width, int height)
{
    const QImage scaled = truneGreyImage(image)
                              .scaled(width, height, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                              .convertToFormat(QImage::Format_Grayscale8);
    std::vector<double> samples;
    samples.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < scaled.height(); ++y) {
        const uchar* row = scaled.constScanLine(y);
        for (int x = 0; x < scaled.width(); ++x)
            samples.push_back(row[x] / 255.0);
    }
    return samples;
}
