#include "kit/ui/feedback/TruneFeedbackScreenshotIntake.h"

#include "kit/feedback/TruneFeedbackService.h"
#include "tests/kit/ui/feedback/FeedbackImages.h"

#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <chrono>
#include <future>
#include <tuple>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace {

namespace Intake = TruneFeedbackScreenshotIntake;
using Outcome = Intake::FileIntake::Outcome;

const QDateTime pasteTime = QDateTime::fromSecsSinceEpoch(1'765'432'100, Qt::UTC);

std::expected<TruneFeedbackScreenshot, Intake::ImageRefusal> pasted(const QMimeData& mime)
{
    return Intake::screenshotFromClipboard(Intake::takeClipboardImage(&mime), pasteTime);
}

} // namespace

TEST(FeedbackScreenshotIntakeTest, TheClipboardGivesPngAsItIsAndOtherImagesReEncoded)
{
    const QImage picture = FeedbackImages::stripes(QSize(40, 24));
    const QByteArray png = FeedbackImages::encoded(picture, "PNG");
    struct Case {
        const char* name;
        std::function<void(QMimeData&)> fill;
    };
    const std::vector<Case> cases{
        {"PNG", [&](QMimeData& mime) { mime.setData(u"image/png"_s, png); }},
        {"TIFF", [&](QMimeData& mime) { mime.setData(u"image/tiff"_s, FeedbackImages::encoded(picture, "TIFF")); }},
        {"BMP", [&](QMimeData& mime) { mime.setData(u"image/bmp"_s, FeedbackImages::encoded(picture, "BMP")); }},
        {"the platform's image", [&](QMimeData& mime) { mime.setImageData(picture); }},
        {"empty PNG beside TIFF",
            [&](QMimeData& mime) {
                mime.setData(u"image/png"_s, {});
                mime.setData(u"image/tiff"_s, FeedbackImages::encoded(picture, "TIFF"));
            }},
        {"undecodable TIFF beside BMP",
            [&](QMimeData& mime) {
                mime.setData(u"image/tiff"_s, "not a tiff");
                mime.setData(u"image/bmp"_s, FeedbackImages::encoded(picture, "BMP"));
            }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        QMimeData mime;
        c.fill(mime);
        const auto screenshot = pasted(mime);
        ASSERT_TRUE(screenshot);
        EXPECT_EQ(screenshot->filename, u"clipboard-1765432100.png"_s);
        EXPECT_EQ(screenshot->mimeType, u"image/png"_s);
        EXPECT_TRUE(screenshot->data.startsWith("\x89PNG\r\n\x1a\n"));
        const QImage decoded = QImage::fromData(screenshot->data, "PNG");
        EXPECT_EQ(decoded.size(), picture.size());
        EXPECT_EQ(decoded.pixelColor(2, 12), picture.pixelColor(2, 12));
        EXPECT_EQ(decoded.pixelColor(37, 12), picture.pixelColor(37, 12));
    }

    QMimeData onlyPng;
    onlyPng.setData(u"image/png"_s, png);
    EXPECT_EQ(pasted(onlyPng)->data, png) << "PNG data is attached byte for byte";
}

TEST(FeedbackScreenshotIntakeTest, TheClipboardWithoutAnImageGivesNothing)
{
    const std::vector<std::pair<const char*, std::function<void(QMimeData&)>>> cases{
        {"nothing at all", [](QMimeData&) {}},
        {"text", [](QMimeData& mime) { mime.setText(u"a screenshot"_s); }},
        {"undecodable image bytes", [](QMimeData& mime) { mime.setData(u"image/bmp"_s, "BM garbage"); }},
        {"an image too large to decode",
            [](QMimeData& mime) {
                mime.setData(u"image/tiff"_s, {});
                mime.setData(u"image/x-png-bomb"_s, FeedbackImages::pngHeaderClaiming(QSize(100'000, 100'000)));
            }},
    };
    for (const auto& [name, fill] : cases) {
        SCOPED_TRACE(name);
        QMimeData mime;
        fill(mime);
        EXPECT_FALSE(pasted(mime));
    }
    EXPECT_FALSE(Intake::screenshotFromClipboard(Intake::takeClipboardImage(nullptr), pasteTime));
}

TEST(FeedbackScreenshotIntakeTest, PickedFilesAreReadWithinTheLimitAndOnlyWhenRegular)
{
    QTemporaryDir dir;
    const auto file = [&](const QString& name, const QByteArray& bytes) {
        QFile out(dir.filePath(name));
        EXPECT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(bytes);
        return out.fileName();
    };
    const qint64 limit = TruneFeedbackService::maxScreenshotBytes;
    const QString atLimit = file(u"at-limit.png"_s, QByteArray(limit, 'x'));
    const QString overLimit = file(u"over-limit.png"_s, QByteArray(limit + 1, 'x'));
    const QString empty = file(u"empty.png"_s, {});
    const QString fifo = dir.filePath(u"pipe.png"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"folder.png"_s));
    // The user chose the file: a link into their pictures is followed, to a regular file only.
    const QString link = dir.filePath(u"link.png"_s);
    ASSERT_TRUE(QFile::link(atLimit, link));
    const QString linkOverLimit = dir.filePath(u"link-over-limit.png"_s);
    ASSERT_TRUE(QFile::link(overLimit, linkOverLimit));
    const QString linkToFifo = dir.filePath(u"link-to-pipe.png"_s);
    ASSERT_TRUE(QFile::link(fifo, linkToFifo));
    const QString linkToZero = dir.filePath(u"link-to-zero.png"_s);
    ASSERT_TRUE(QFile::link(u"/dev/zero"_s, linkToZero));
    const QString dangling = dir.filePath(u"dangling.png"_s);
    ASSERT_TRUE(QFile::link(dir.filePath(u"gone.png"_s), dangling));

    struct Case {
        QString path;
        Outcome outcome;
    };
    const std::vector<Case> cases{
        {atLimit, Outcome::accepted},
        {overLimit, Outcome::tooLarge},
        {empty, Outcome::skipped},
        {fifo, Outcome::skipped}, // read without waiting for a writer
        {dir.filePath(u"folder.png"_s), Outcome::skipped},
        {link, Outcome::accepted},
        {linkOverLimit, Outcome::tooLarge},
        {linkToFifo, Outcome::skipped}, // without waiting for a writer either
        {linkToZero, Outcome::skipped},
        {dangling, Outcome::skipped},
        {dir.filePath(u"missing.png"_s), Outcome::skipped},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path.toStdString());
        auto reading = std::async(std::launch::async, [&] { return Intake::readScreenshotFile(c.path); });
        if (reading.wait_for(std::chrono::seconds(20)) == std::future_status::timeout) {
            ADD_FAILURE() << "the read blocked";
            std::abort();
        }
        const Intake::FileIntake intake = reading.get();
        EXPECT_EQ(intake.outcome, c.outcome);
        EXPECT_EQ(intake.screenshot.has_value(), c.outcome == Outcome::accepted);
    }
    const Intake::FileIntake accepted = Intake::readScreenshotFile(atLimit);
    EXPECT_EQ(accepted.screenshot->filename, u"at-limit.png"_s);
    EXPECT_EQ(accepted.screenshot->data.size(), limit);
    EXPECT_EQ(Intake::readScreenshotFile(link).screenshot->filename, u"link.png"_s) << "named as the user chose it";
}

TEST(FeedbackScreenshotIntakeTest, TheTypeFollowsTheExtensionInAnyLetterCase)
{
    const std::vector<std::pair<QString, QString>> cases{
        {u"shot.JPG"_s, u"image/jpeg"_s},
        {u"shot.jpeg"_s, u"image/jpeg"_s},
        {u"shot.Jpeg"_s, u"image/jpeg"_s},
        {u"shot.webp"_s, u"image/webp"_s},
        {u"shot.GIF"_s, u"image/gif"_s},
        {u"shot.png"_s, u"image/png"_s},
        {u"shot.bmp"_s, u"image/png"_s},
        {u"shot"_s, u"image/png"_s},
        {u"archive.tar.jpg"_s, u"image/jpeg"_s},
    };
    for (const auto& [name, type] : cases)
        EXPECT_EQ(Intake::mimeTypeForFileName(name), type) << name.toStdString();
}

TEST(FeedbackScreenshotIntakeTest, ThumbnailsFillTheFrameAndRefuseWhatIsNotASafeImage)
{
    const QImage picture = FeedbackImages::stripes(QSize(600, 150)); // red, green, blue thirds
    const QImage thumbnail = Intake::thumbnail(FeedbackImages::encoded(picture, "PNG"), QSize(112, 68), 2);
    ASSERT_FALSE(thumbnail.isNull());
    EXPECT_EQ(thumbnail.size(), QSize(224, 136));
    EXPECT_EQ(thumbnail.deviceIndependentSize(), QSizeF(112, 68));
    // Scaled to the frame's height, the middle third fills the centre and the sides are cropped.
    EXPECT_EQ(thumbnail.pixelColor(112, 68), QColor(Qt::green));
    EXPECT_EQ(thumbnail.pixelColor(1, 68), QColor(Qt::red));
    EXPECT_EQ(thumbnail.pixelColor(222, 68), QColor(Qt::blue));

    const QImage small
        = Intake::thumbnail(FeedbackImages::encoded(FeedbackImages::stripes(QSize(9, 6)), "JPEG"), QSize(112, 68), 1);
    EXPECT_EQ(small.size(), QSize(112, 68)) << "a small picture is enlarged to fill the frame";

    EXPECT_TRUE(Intake::thumbnail("not an image", QSize(112, 68), 2).isNull());
    const QByteArray bomb = FeedbackImages::pngHeaderClaiming(QSize(60'000, 60'000));
    EXPECT_TRUE(Intake::thumbnail(bomb, QSize(112, 68), 2).isNull());
    EXPECT_FALSE(Intake::decodeImage(bomb));
    EXPECT_TRUE(Intake::decodeImage(FeedbackImages::encoded(picture, "PNG")));
}

// SVG is a program more than a picture: it may name other files, a FIFO that never answers or a
// local picture that would be drawn into the upload. Only raster images are decoded.
TEST(FeedbackScreenshotIntakeTest, OnlyRasterImagesAreDecodedNeverSvg)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath(u"pipe.png"_s);
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    const QString picture = dir.filePath(u"private.png"_s);
    {
        QFile out(picture);
        ASSERT_TRUE(out.open(QIODevice::WriteOnly));
        out.write(FeedbackImages::encoded(FeedbackImages::stripes(QSize(30, 20)), "PNG"));
    }
    const auto svgNaming = [](const QString& path) {
        return QByteArray(R"(<svg xmlns="http://www.w3.org/2000/svg" xmlns:xlink="http://www.w3.org/1999/xlink" )"
                          R"(width="40" height="30"><image width="40" height="30" xlink:href=")")
            + QUrl::fromLocalFile(path).toEncoded() + R"("/></svg>)";
    };
    for (const QString& named : {fifo, picture}) {
        SCOPED_TRACE(named.toStdString());
        const QByteArray svg = svgNaming(named);
        auto decoding = std::async(std::launch::async, [&] {
            QMimeData mime;
            mime.setData(u"image/svg+xml"_s, svg);
            return std::tuple(Intake::decodeImage(svg), Intake::thumbnail(svg, QSize(112, 68), 1), pasted(mime));
        });
        if (decoding.wait_for(std::chrono::seconds(20)) == std::future_status::timeout) {
            ADD_FAILURE() << "decoding the SVG blocked";
            std::abort();
        }
        const auto [decoded, thumbnail, screenshot] = decoding.get();
        ASSERT_FALSE(decoded);
        EXPECT_EQ(decoded.error(), Intake::ImageRefusal::notAnImage);
        EXPECT_TRUE(thumbnail.isNull());
        EXPECT_FALSE(screenshot);
    }
    const QImage stripes = FeedbackImages::stripes(QSize(30, 20));
    for (const char* format : {"PNG", "JPEG", "TIFF", "BMP"}) {
        SCOPED_TRACE(format);
        EXPECT_TRUE(Intake::decodeImage(FeedbackImages::encoded(stripes, format)));
    }
}

// The stated limit is 64 megapixels; Qt's own allocation limit must not stop a picture below it.
TEST(FeedbackScreenshotIntakeTest, ImagesUpToThePixelLimitDecodeAndLargerOnesSayWhy)
{
    QImage wide(8000, 5000, QImage::Format_Mono); // 40 megapixels, 5 MB as one bit each
    wide.fill(1);
    QMimeData mime;
    mime.setData(u"image/bmp"_s, FeedbackImages::encoded(wide, "BMP"));
    const auto screenshot = pasted(mime);
    ASSERT_TRUE(screenshot) << "refused below the stated limit";
    EXPECT_EQ(QImage::fromData(screenshot->data, "PNG").size(), wide.size());

    const QByteArray tooLarge = FeedbackImages::pngHeaderClaiming(QSize(10'000, 7'000)); // 70 megapixels
    ASSERT_FALSE(Intake::decodeImage(tooLarge));
    EXPECT_EQ(Intake::decodeImage(tooLarge).error(), Intake::ImageRefusal::tooManyPixels);
    QMimeData huge;
    huge.setData(u"image/tiff"_s, tooLarge);
    ASSERT_FALSE(pasted(huge));
    EXPECT_EQ(pasted(huge).error(), Intake::ImageRefusal::tooManyPixels);
}
