#include "kit/emblems/TruneEmblemRenderer.h"
#include "kit/emblems/TruneEmblemArtworkMedia.h"
#include "kit/emblems/TruneEmblemArtworkProductivity.h"
#include "kit/emblems/TruneEmblemArtworkSystemNet.h"

#include "EmblemProbe.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <limits>
#include <thread>
#include <vector>

namespace {

constexpr auto notANumber = std::numeric_limits<qreal>::quiet_NaN();
constexpr auto infinite = std::numeric_limits<qreal>::infinity();
constexpr TruneAppIdentity own = TruneAppIdentity::truneUpdate;

quint32 bigEndian32(const QByteArray& data, int offset)
{
    quint32 value = 0;
    for (int i = 0; i < 4; ++i)
        value = (value << 8) | quint8(data.at(offset + i));
    return value;
}

} // namespace

TEST(TruneEmblemRendererTest, ImageSizeFollowsPointSizeAndScale)
{
    struct Case {
        const char* name;
        qreal pointSize;
        qreal scale;
        int pixels;
        qreal points;
    };
    const std::array cases{
        Case{"8 pt at scale 2", 8, 2, 20, 10},
        Case{"5 pt at scale 1 is the minimum", 5, 1, 16, 10},
        Case{"scale 0.5 counts as 1", 20, 0.5, 20, 20},
        Case{"scale 5 counts as 3", 20, 5, 60, 20},
        Case{"scale 2.5 stays", 20, 2.5, 50, 20},
        Case{"25.5 pixels round away from zero", 10.2, 2.5, 26, 10.2},
        Case{"a point size that is not a number counts as 10", notANumber, 2, 20, 10},
        Case{"a scale that is not a number counts as 3", 20, notANumber, 60, 20},
        Case{"a negative infinite point size counts as 10", -infinite, 1, 16, 10},
        Case{"the pixel size is capped", 2000, 3, 4096, 2000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const QImage image = TruneEmblemRenderer::image(own, c.pointSize, c.scale);
        EXPECT_EQ(image.size(), QSize(c.pixels, c.pixels));
        EXPECT_NEAR(image.deviceIndependentSize().width(), c.points, 1e-9);
        EXPECT_NEAR(image.deviceIndependentSize().height(), c.points, 1e-9);
        EXPECT_EQ(image.format(), QImage::Format_ARGB32_Premultiplied);
    }
    EXPECT_TRUE(TruneEmblemRenderer::image(own, infinite, 2).isNull());
}

TEST(TruneEmblemRendererTest, EqualPixelCountsForOtherPointSizesAreOtherImages)
{
    const QImage small = TruneEmblemRenderer::image(TruneAppIdentity::quillet, 20, 2);
    const QImage large = TruneEmblemRenderer::image(TruneAppIdentity::quillet, 40, 1);
    EXPECT_EQ(small.size(), QSize(40, 40));
    EXPECT_EQ(large.size(), QSize(40, 40));
    EXPECT_EQ(small.deviceIndependentSize(), QSizeF(20, 20));
    EXPECT_EQ(large.deviceIndependentSize(), QSizeF(40, 40));
}

TEST(TruneEmblemRendererTest, RepeatedRequestsAreServedFromTheCache)
{
    const QImage first = TruneEmblemRenderer::image(TruneAppIdentity::marrowpad, 32, 2);
    const QImage again = TruneEmblemRenderer::image(TruneAppIdentity::marrowpad, 32, 2);
    EXPECT_EQ(first.cacheKey(), again.cacheKey());

    const QImage asTemplate = TruneEmblemRenderer::image(TruneAppIdentity::marrowpad, 32, 2, true);
    EXPECT_NE(asTemplate.cacheKey(), first.cacheKey());
    EXPECT_EQ(asTemplate, first);
    EXPECT_EQ(TruneEmblemRenderer::image(TruneAppIdentity::marrowpad, 32, 2, true).cacheKey(), asTemplate.cacheKey());
}

TEST(TruneEmblemRendererTest, PngDataIsAnRgbaPngOfThePixelSize)
{
    EXPECT_TRUE(TruneEmblemRenderer::pngData(own, 0).isEmpty());
    EXPECT_TRUE(TruneEmblemRenderer::pngData(own, -3).isEmpty());

    const QByteArray png = TruneEmblemRenderer::pngData(own, 64);
    ASSERT_GT(png.size(), 26);
    EXPECT_TRUE(png.startsWith("\x89PNG\r\n\x1a\n"));
    EXPECT_EQ(png.mid(12, 4), QByteArray("IHDR"));
    EXPECT_EQ(bigEndian32(png, 16), 64U);
    EXPECT_EQ(bigEndian32(png, 20), 64U);
    EXPECT_EQ(quint8(png.at(24)), 8) << "bits per sample";
    EXPECT_EQ(quint8(png.at(25)), 6) << "colour type RGBA";

    const QImage decoded = QImage::fromData(png, "PNG");
    EXPECT_EQ(decoded.size(), QSize(64, 64));
    EXPECT_EQ(decoded.convertToFormat(QImage::Format_ARGB32_Premultiplied),
        TruneEmblemRenderer::image(own, 64, 1).convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

TEST(TruneEmblemRendererTest, EveryCatalogueEntryHasADrawing)
{
    for (const TruneAppIdentity app : allCases<TruneAppIdentity>()) {
        SCOPED_TRACE(rawValue(app).toStdString());
        bool drawn = false;
        const QImage image = EmblemProbe::drawnInDesignSpace(48, [&](QPainter& painter) {
            drawn = TruneEmblemRenderer::drawFlatEmblem(app, painter, TruneEmblemTone::whiteGlass());
        });
        EXPECT_TRUE(drawn);
        EXPECT_FALSE(EmblemProbe::fullyTransparent(image));
    }
    EXPECT_EQ(allCases<TruneAppIdentity>().size(), 75U);

    const auto beyondTheCatalogue = static_cast<TruneAppIdentity>(75);
    bool drawn = true;
    const QImage image = EmblemProbe::drawnInDesignSpace(48, [&](QPainter& painter) {
        drawn = TruneEmblemRenderer::drawFlatEmblem(beyondTheCatalogue, painter, TruneEmblemTone::whiteGlass());
    });
    EXPECT_FALSE(drawn);
    EXPECT_TRUE(EmblemProbe::fullyTransparent(image));
}

TEST(TruneEmblemRendererTest, GroupsDrawOnlyTheirOwnEntries)
{
    struct Case {
        const char* name;
        bool (*draw)(TruneAppIdentity, QPainter&, const TruneEmblemTone&);
        int first;
        int last;
    };
    const std::array cases{
        Case{"productivity", TruneEmblemArtworkProductivity::draw, 0, 26},
        Case{"system and network", TruneEmblemArtworkSystemNet::draw, 43, 74},
    };
    for (const Case& c : cases) {
        for (int index = 0; index <= 75; ++index) {
            SCOPED_TRACE(std::string(c.name) + " " + std::to_string(index));
            bool drawn = false;
            const QImage image = EmblemProbe::drawnInDesignSpace(24, [&](QPainter& painter) {
                drawn = c.draw(static_cast<TruneAppIdentity>(index), painter, TruneEmblemTone::whiteGlass());
            });
            const bool own = index >= c.first && index <= c.last;
            EXPECT_EQ(drawn, own);
            EXPECT_EQ(EmblemProbe::fullyTransparent(image), !own);
        }
    }
}

// The media group has no dispatcher: the renderer asks it for positions 27 to 42 and draws 30 itself.
TEST(TruneEmblemRendererTest, MediaGroupHoldsItsDrawingsButTheScreenWithPlay)
{
    for (int index = 0; index <= 75; ++index) {
        SCOPED_TRACE(index);
        const bool own = index >= 27 && index <= 42 && index != 30;
        EXPECT_EQ(TruneEmblemArtworkMedia::drawing(static_cast<TruneAppIdentity>(index)).empty(), !own);
    }
    EXPECT_FALSE(TruneEmblemRenderer::drawing(TruneAppIdentity::snaplume).empty());
}

// The program's own emblem: a ring open at the top around an upward arrow, design y downward.
TEST(TruneEmblemRendererTest, OwnEmblemProbesInGlassAndFlatAtSeveralSizes)
{
    const QColor red(200, 30, 40);
    const QColor blue(20, 90, 220);
    const TruneEmblemTone flat = TruneEmblemTone::flatLight(red, blue);
    const QColor ringGlass(255, 255, 255, 250);
    const QColor arrowGlass(255, 255, 255, 184);
    const QColor clear(0, 0, 0, 0);

    struct Probe {
        const char* where;
        QPointF point;
        QColor inGlass;
        QColor inFlat;
    };
    const std::array probes{
        Probe{"ring at the right", {74, 50}, ringGlass, red},
        Probe{"ring at the bottom", {50, 74}, ringGlass, red},
        Probe{"ring at the left", {26, 50}, ringGlass, red},
        Probe{"arrowhead beyond the ring, upper right", {71.5, 29}, ringGlass, red},
        Probe{"arrowhead over the ring's start", {68.9, 33.1}, QColor(255, 255, 255, 255), red},
        Probe{"arrow shaft", {50, 55}, arrowGlass, blue},
        Probe{"arrow head's left arm", {45.5, 42.25}, arrowGlass, blue},
        Probe{"the gap at the top", {50, 26}, clear, clear},
        Probe{"between ring and arrow", {33, 50}, clear, clear},
        Probe{"outside the ring", {50, 80}, clear, clear},
    };
    for (const int pixels : {40, 64, 128, 256}) {
        const QImage glass = TruneEmblemRenderer::image(own, pixels, 1);
        const QImage flatImage = EmblemProbe::emblemIn(own, flat, pixels);
        for (const Probe& probe : probes) {
            SCOPED_TRACE(std::to_string(pixels) + " px, " + probe.where);
            const QColor inGlass = EmblemProbe::colorAt(glass, probe.point);
            const QColor inFlat = EmblemProbe::colorAt(flatImage, probe.point);
            EXPECT_TRUE(EmblemProbe::near(inGlass, probe.inGlass)) << inGlass.name(QColor::HexArgb).toStdString();
            EXPECT_TRUE(EmblemProbe::near(inFlat, probe.inFlat)) << inFlat.name(QColor::HexArgb).toStdString();
        }
    }
}

TEST(TruneEmblemRendererTest, OwnEmblemAtTheSmallestSizeKeepsItsGap)
{
    const QImage image = TruneEmblemRenderer::image(own, 16, 1);
    EXPECT_EQ(EmblemProbe::colorAt(image, {50, 24}).alpha(), 0);
    EXPECT_GT(EmblemProbe::colorAt(image, {50, 74}).alpha(), 128);
}

TEST(TruneEmblemRendererTest, ThreadsShareTheCacheSafely)
{
    constexpr int threadCount = 4;
    std::vector<QSize> sizes(threadCount * 2);
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([t, &sizes] {
            for (int round = 0; round < 2; ++round) {
                const int points = 18 + (t + round) % 3;
                sizes[size_t(t * 2 + round)] = TruneEmblemRenderer::image(TruneAppIdentity::tallyra, points, 2).size();
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (int t = 0; t < threadCount; ++t) {
        for (int round = 0; round < 2; ++round) {
            const int pixels = 2 * (18 + (t + round) % 3);
            EXPECT_EQ(sizes[size_t(t * 2 + round)], QSize(pixels, pixels));
        }
    }
}
