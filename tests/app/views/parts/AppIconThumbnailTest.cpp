#include "app/views/parts/AppIconThumbnail.h"
#include "tests/app/StudioTestHome.h"
#include "tests/support/BundleMaker.h"
#include "tests/support/IcnsMaker.h"
#include "tests/support/TestWaits.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>

using namespace Qt::StringLiterals;

namespace {

const QColor green(30, 200, 60);
const QColor red(220, 30, 30);

// The tile of `appPath` painted `edge` logical pixels square at `ratio` device pixels each.
QImage tileImage(const QString& appPath, int edge, qreal ratio = 1)
{
    QImage image(qCeil(edge * ratio), qCeil(edge * ratio), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    AppIconThumbnail::paintTile(painter, QRectF(0, 0, edge, edge), appPath);
    return image;
}

// Counts the pixels `image` holds that are not fully transparent.
int paintedPixels(const QImage& image)
{
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += qAlpha(image.pixel(x, y)) > 0 ? 1 : 0;
    }
    return count;
}

// What the widget paints, on transparency rather than a window's background.
QImage rendered(QWidget& widget)
{
    QImage image(widget.size(), QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    widget.render(&image, {}, {}, QWidget::DrawChildren);
    return image;
}

QColor centre(const QImage& image)
{
    return image.pixelColor(image.width() / 2, image.height() / 2);
}

class AppIconThumbnailTest : public ::testing::Test {
protected:
    QString bundle(const QString& name, const QVariant& iconFile)
    {
        QVariantMap info;
        if (iconFile.isValid())
            info.insert(u"CFBundleIconFile"_s, iconFile);
        return BundleMaker::makeAppBundle(m_dir.filePath(name + u".app"_s), {.info = info});
    }

    // Waits until every path of `paths` has been announced as loaded.
    static bool waitForLoads(QSignalSpy& spy, const QStringList& paths)
    {
        return waitUntil([&] {
            QStringList announced;
            for (const QList<QVariant>& arguments : spy)
                announced.append(arguments.first().toString());
            return std::ranges::all_of(paths, [&](const QString& path) { return announced.contains(path); });
        });
    }

    QTemporaryDir m_dir;
};

TEST_F(AppIconThumbnailTest, AMissingBundleStillGetsAFullTileAndAZeroSizeNone)
{
    AppIconThumbnail tile(u"/nonexistent/Gone.app"_s, 32);
    EXPECT_EQ(tile.sizeHint(), QSize(32, 32));

    const QImage image = tileImage(tile.appPath(), 32);
    EXPECT_GT(paintedPixels(image), 32 * 32 / 2);
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "the corners are rounded off";

    AppIconThumbnail empty(u"/nonexistent/Gone.app"_s, 0);
    EXPECT_EQ(empty.sizeHint(), QSize(0, 0));
    EXPECT_EQ(paintedPixels(tileImage(u"/nonexistent/Gone.app"_s, 0)), 0);
}

TEST_F(AppIconThumbnailTest, ShowsTheBundlesIconOnceLoadedAtTheDevicePixelsItCovers)
{
    const QString app = bundle(u"Real"_s, u"AppIcon"_s);
    BundleMaker::writeFile(app + u"/Contents/Resources/AppIcon.icns"_s,
        IcnsMaker::icns({IcnsMaker::filled(32, green), IcnsMaker::filled(64, red)}));
    QSignalSpy loaded(&AppIconLoads::instance(), &AppIconLoads::loaded);

    AppIconThumbnail widget(app, 32);
    const QImage before = rendered(widget);
    EXPECT_NE(centre(before), green) << "the glyph stands in while the icon loads";

    ASSERT_TRUE(waitForLoads(loaded, {app}));
    const QImage shown = rendered(widget);
    EXPECT_EQ(centre(shown), green);
    EXPECT_EQ(qAlpha(shown.pixel(0, 0)), 0) << "the icon is clipped to the rounded tile";

    // At twice the density the tile reads the 64 px entry, not the 32 px one enlarged.
    tileImage(app, 32, 2);
    ASSERT_TRUE(waitUntil([&] { return centre(tileImage(app, 32, 2)) == red; }));
}

TEST_F(AppIconThumbnailTest, HostileIconsFallBackToTheGlyphWithoutBlocking)
{
    const QString none = bundle(u"None"_s, QVariant());

    const QString fifo = bundle(u"Fifo"_s, u"Pipe"_s);
    BundleMaker::makeFifo(fifo + u"/Contents/Resources/Pipe.icns"_s);
    const QString zero = bundle(u"Zero"_s, u"Zero"_s);
    BundleMaker::makeSymlink(u"/dev/zero"_s, zero + u"/Contents/Resources/Zero.icns"_s);
    const QString escaping = bundle(u"Escaping"_s, u"../../x"_s);
    BundleMaker::writeFile(escaping + u"/x.icns"_s, IcnsMaker::icns({IcnsMaker::filled(32, red)}));
    const QString huge = bundle(u"Huge"_s, u"Huge"_s);
    BundleMaker::writeFile(huge + u"/Contents/Resources/Huge.icns"_s,
        IcnsMaker::icns({IcnsMaker::filled(32, red)}) + QByteArray(20 * 1024 * 1024, '\0'));

    QSignalSpy loaded(&AppIconLoads::instance(), &AppIconLoads::loaded);
    const QStringList hostile{fifo, zero, escaping, huge};
    // Every paint returns at once with the glyph; the loads end on the pool.
    for (const QString& app : hostile + QStringList{none})
        tileImage(app, 32);
    ASSERT_TRUE(waitForLoads(loaded, hostile + QStringList{none}));

    const QImage glyph = tileImage(none, 32);
    for (const QString& app : hostile)
        EXPECT_EQ(tileImage(app, 32), glyph) << app.toStdString();
}

} // namespace
