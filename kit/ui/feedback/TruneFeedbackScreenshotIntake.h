#pragma once

#include "kit/feedback/TruneFeedbackScreenshot.h"
#include "kit/localization/TruneLanguage.h"

#include <QByteArray>
#include <QDateTime>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

#include <expected>
#include <functional>
#include <optional>

class QMimeData;
class QWidget;

// What the clipboard offered, copied on the GUI thread so that decoding and re-encoding can
// happen on a worker.
struct TruneClipboardImage {
    QByteArray pngData;
    QByteArray tiffData;
    QByteArray otherData; // the bytes of another image type the clipboard named ("image/bmp" ...)
    QImage image;         // an image the platform's clipboard decoded itself

    bool isEmpty() const { return pngData.isEmpty() && tiffData.isEmpty() && otherData.isEmpty() && image.isNull(); }
};

// Asks the user for image files to attach; an empty list when they cancel.
using TruneScreenshotChooser = std::function<QStringList(QWidget* parent, TruneLanguage language)>;

// How feedback screenshots come in: from the clipboard and from image files the user picks. Nothing
// here grabs the screen. Only raster images (PNG, JPEG, TIFF, GIF, BMP, WebP, HEIC where Qt reads
// them), told by their content, are decoded, never a vector format such as SVG; and only after
// their size was read from their header: above maxDecodedPixels they are refused.
namespace TruneFeedbackScreenshotIntake {

// Why image data was not decoded.
enum class ImageRefusal {
    notAnImage,    // no raster image, or one that does not decode
    tooManyPixels, // more than maxDecodedPixels
};

// An image above this many pixels (16384 x 4096, 256 MiB as 32-bit pixels) is never decoded.
inline constexpr qint64 maxDecodedPixels = qint64(64) * 1024 * 1024;

// The logical size of a thumbnail in the sheet's strip.
inline constexpr QSize thumbnailSize{112, 68};

// Takes a copy of the clipboard's image data. GUI thread only.
TruneClipboardImage takeClipboardImage(const QMimeData* mime);

// The clipboard's image as a PNG attachment named "clipboard-<seconds since 1970>.png": PNG data as
// it is, else TIFF, another image type or the platform's image re-encoded as PNG. When none of them
// yields an image, why: tooManyPixels when an image was refused for its size. Any thread.
std::expected<TruneFeedbackScreenshot, ImageRefusal> screenshotFromClipboard(
    const TruneClipboardImage& clipboard, const QDateTime& now);

// What picking one file gave.
struct FileIntake {
    enum class Outcome {
        accepted, // `screenshot` holds the file
        skipped,  // unreadable, empty or not a regular file: dropped without a word
        tooLarge, // more than the upload allows for one screenshot
    };
    Outcome outcome = Outcome::skipped;
    std::optional<TruneFeedbackScreenshot> screenshot = {};
};

// Reads a chosen file without blocking on a FIFO, and at most one byte more than a screenshot may
// have. The user chose it, so a symbolic link to a regular file is followed. Any thread.
FileIntake readScreenshotFile(const QString& path);

// "image/jpeg", "image/webp" or "image/gif" by the file's extension in any letter case, else
// "image/png".
QString mimeTypeForFileName(const QString& fileName);

// The image, decoded only when it is a raster image whose header names a size within
// maxDecodedPixels. Any thread.
std::expected<QImage, ImageRefusal> decodeImage(const QByteArray& data);

// The image scaled to fill `logicalSize` at `devicePixelRatio`, centred and cropped; decoded at the
// reduced size where the format allows. A null image when decodeImage would refuse the data. Any
// thread.
QImage thumbnail(const QByteArray& data, QSize logicalSize, qreal devicePixelRatio);

// The platform's file dialog for PNG, JPEG, WebP and GIF files, several at once.
QStringList chooseScreenshotFiles(QWidget* parent, TruneLanguage language);

} // namespace TruneFeedbackScreenshotIntake
