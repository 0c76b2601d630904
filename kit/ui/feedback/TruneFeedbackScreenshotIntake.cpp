#include "kit/ui/feedback/TruneFeedbackScreenshotIntake.h"

#include "kit/feedback/TruneFeedbackService.h"
#include "kit/localization/TruneText.h"
#include "kit/platform/TruneSafeFile.h"

#include <QBuffer>
#include <QFileDialog>
#include <QFileInfo>
#include <QImageReader>
#include <QMimeData>
#include <QSet>

#include <algorithm>
#include <cmath>
#include <memory>

using namespace Qt::StringLiterals;

namespace TruneFeedbackScreenshotIntake {

namespace {

bool isOtherImageType(const QString& format)
{
    return format.startsWith("image/"_L1) && format != "image/png"_L1 && format != "image/tiff"_L1;
}

QByteArray pngData(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG"))
        return {};
    return bytes;
}

// Raster formats only, recognised by their content. A vector format is a program more than a
// picture: SVG may pull in other files (a FIFO that never answers, a local picture that would be
// drawn into the upload).
const QSet<QByteArray>& rasterFormats()
{
    static const QSet<QByteArray> formats{"png", "jpeg", "jpg", "tiff", "tif", "gif", "bmp", "webp", "heic", "heif"};
    return formats;
}

// Qt's own allocation limit (128 MiB by default) is below what maxDecodedPixels promises: room for
// the largest accepted image as 32-bit pixels.
constexpr int allocationLimitMiB = int(maxDecodedPixels * 4 / (1024 * 1024));

// A reader of `buffer` when it holds a raster image whose header names a size within the limit.
std::expected<std::unique_ptr<QImageReader>, ImageRefusal> rasterReader(QBuffer& buffer)
{
    const QByteArray format = QImageReader::imageFormat(&buffer);
    if (!rasterFormats().contains(format))
        return std::unexpected(ImageRefusal::notAnImage);
    auto reader = std::make_unique<QImageReader>(&buffer, format);
    reader->setAutoDetectImageFormat(false);
    reader->setAllocationLimit(allocationLimitMiB);
    const QSize size = reader->size();
    if (!size.isValid() || size.isEmpty())
        return std::unexpected(ImageRefusal::notAnImage);
    if (qint64(size.width()) * size.height() > maxDecodedPixels)
        return std::unexpected(ImageRefusal::tooManyPixels);
    return reader;
}

} // namespace

TruneClipboardImage takeClipboardImage(const QMimeData* mime)
{
    TruneClipboardImage clipboard;
    if (mime == nullptr)
        return clipboard;
    clipboard.pngData = mime->data(u"image/png"_s);
    if (!clipboard.pngData.isEmpty())
        return clipboard;
    clipboard.tiffData = mime->data(u"image/tiff"_s);
    const QStringList formats = mime->formats();
    const auto other = std::find_if(formats.cbegin(), formats.cend(), isOtherImageType);
    if (other != formats.cend())
        clipboard.otherData = mime->data(*other);
    if (mime->hasImage())
        clipboard.image = qvariant_cast<QImage>(mime->imageData());
    return clipboard;
}

std::expected<TruneFeedbackScreenshot, ImageRefusal> screenshotFromClipboard(
    const TruneClipboardImage& clipboard, const QDateTime& now)
{
    QByteArray png = clipboard.pngData;
    ImageRefusal refusal = ImageRefusal::notAnImage;
    for (const QByteArray* encoded : {&clipboard.tiffData, &clipboard.otherData}) {
        if (!png.isEmpty() || encoded->isEmpty())
            continue;
        const std::expected<QImage, ImageRefusal> image = decodeImage(*encoded);
        if (image)
            png = pngData(*image);
        else if (image.error() == ImageRefusal::tooManyPixels)
            refusal = ImageRefusal::tooManyPixels;
    }
    if (png.isEmpty() && !clipboard.image.isNull())
        png = pngData(clipboard.image);
    if (png.isEmpty())
        return std::unexpected(refusal);
    const QString seconds = QString::number(now.toSecsSinceEpoch());
    return TruneFeedbackScreenshot{
        .filename = u"clipboard-"_s + seconds + u".png"_s, .mimeType = u"image/png"_s, .data = png};
}

FileIntake readScreenshotFile(const QString& path)
{
    const auto bytes = TruneSafeFile::readChosenFile(path, TruneFeedbackService::maxScreenshotBytes);
    if (!bytes) {
        const bool tooLarge = bytes.error().kind == TruneSafeFileError::Kind::tooLarge;
        return {tooLarge ? FileIntake::Outcome::tooLarge : FileIntake::Outcome::skipped};
    }
    if (bytes->isEmpty())
        return {FileIntake::Outcome::skipped};
    const QString name = QFileInfo(path).fileName();
    return {FileIntake::Outcome::accepted,
        TruneFeedbackScreenshot{.filename = name, .mimeType = mimeTypeForFileName(name), .data = *bytes}};
}

QString mimeTypeForFileName(const QString& fileName)
{
    const QString extension = QFileInfo(fileName).suffix().toLower();
    if (extension == "jpg"_L1 || extension == "jpeg"_L1)
        return u"image/jpeg"_s;
    if (extension == "webp"_L1)
        return u"image/webp"_s;
    if (extension == "gif"_L1)
        return u"image/gif"_s;
    return u"image/png"_s;
}

std::expected<QImage, ImageRefusal> decodeImage(const QByteArray& data)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    const auto reader = rasterReader(buffer);
    if (!reader)
        return std::unexpected(reader.error());
    QImage image = (*reader)->read();
    if (image.isNull())
        return std::unexpected(ImageRefusal::notAnImage);
    return image;
}

QImage thumbnail(const QByteArray& data, QSize logicalSize, qreal devicePixelRatio)
{
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    const auto opened = rasterReader(buffer);
    if (!opened)
        return {};
    QImageReader& reader = **opened;
    const QSize size = reader.size();
    const QSize target = (QSizeF(logicalSize) * devicePixelRatio).toSize();
    const qreal fill = std::max(qreal(target.width()) / size.width(), qreal(target.height()) / size.height());
    // Large pictures are decoded straight at the size that covers the frame.
    if (fill < 1)
        reader.setScaledSize(
            QSize(std::max(1, int(std::ceil(size.width() * fill))), std::max(1, int(std::ceil(size.height() * fill)))));
    const QImage image = reader.read();
    if (image.isNull())
        return {};
    const QImage covering = image.scaled(target, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    QImage cropped = covering.copy((covering.width() - target.width()) / 2, (covering.height() - target.height()) / 2,
        target.width(), target.height());
    cropped.setDevicePixelRatio(devicePixelRatio);
    return cropped;
}

QStringList chooseScreenshotFiles(QWidget* parent, TruneLanguage language)
{
    // File names are case-sensitive here, so every pattern comes in both cases.
    const QString filter = truneText(u"Images"_s, u"Görseller"_s, language)
        + u" (*.png *.PNG *.jpg *.JPG *.jpeg *.JPEG *.webp *.WEBP *.gif *.GIF)"_s;
    return QFileDialog::getOpenFileNames(
        parent, truneText(u"Choose Image…"_s, u"Görsel Seç…"_s, language), QString(), filter);
}

} // namespace TruneFeedbackScreenshotIntake
