#include "kit/emblems/TruneEmblemRenderer.h"
#include "kit/vision/TruneImageFeaturePrint.h"

#include "EmblemProbe.h"

#include <QPainter>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>
#include <thread>
#include <vector>

namespace {

constexpr std::array sizes{16, 20, 32, 40, 48, 56, 64, 128, 256};
const TruneEmblemTone flat = TruneEmblemTone::flatLight(QColor(0x1f, 0x5f, 0xd6), QColor(0xff, 0x8a, 0x1f));
const QColor ground(0x2a, 0x1a, 0x5e);

struct Look {
    const char* name;
    bool glass;
};
constexpr std::array looks{Look{"glass", true}, Look{"flat", false}};

QImage drawn(TruneAppIdentity app, const Look& look, int pixels)
{
    return look.glass ? TruneEmblemRenderer::image(app, pixels, 1) : EmblemProbe::emblemIn(app, flat, pixels);
}

// Where an image's ink lies, in design units, and how much of the bitmap it covers.
struct InkSummary {
    qreal coverage = 0;
    QPointF centroid;
    QRectF bounds;
};

InkSummary summarise(const QImage& image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    const int side = argb.width();
    const qreal k = side * 0.88 / 60;
    double total = 0;
    double sumX = 0;
    double sumY = 0;
    int left = side, top = side, right = -1, bottom = -1;
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side; ++x) {
            const int alpha = qAlpha(argb.pixel(x, y));
            if (alpha == 0)
                continue;
            total += alpha / 255.0;
            sumX += (x + 0.5) * alpha / 255.0;
            sumY += (y + 0.5) * alpha / 255.0;
            left = std::min(left, x);
            right = std::max(right, x);
            top = std::min(top, y);
            bottom = std::max(bottom, y);
        }
    }
    const auto design = [&](qreal pixel) { return 50 + (pixel - side / 2.0) / k; };
    InkSummary summary;
    summary.coverage = total / (double(side) * side);
    if (total > 0) {
        summary.centroid = {design(sumX / total), design(sumY / total)};
        summary.bounds = QRectF(QPointF(design(left), design(top)), QPointF(design(right + 1), design(bottom + 1)));
    }
    return summary;
}

// Each pixel's alpha, 0 to 1.
std::vector<double> alphas(const QImage& image)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    std::vector<double> values;
    values.reserve(std::size_t(argb.width() * argb.height()));
    for (int y = 0; y < argb.height(); ++y)
        for (int x = 0; x < argb.width(); ++x)
            values.push_back(qAlpha(argb.pixel(x, y)) / 255.0);
    return values;
}

double meanDifference(const std::vector<double>& a, const std::vector<double>& b)
{
    double sum = 0;
    for (std::size_t i = 0; i < a.size(); ++i)
        sum += std::abs(a[i] - b[i]);
    return sum / double(a.size());
}

} // namespace

// Every emblem in both looks at every size: ink present and centred, a sensible share of the
// bitmap covered, nothing beyond the ink square, and the same shape at every size.
TEST(TruneEmblemArtworkRenderTest, EveryEmblemRendersAtEverySizeInBothLooks)
{
    constexpr qreal centreTolerance = 4;    // of the ink's bounding box, design units
    constexpr qreal centroidTolerance = 12; // of the ink's weight: some drawings are heavier below
    constexpr qreal leastCoverage = 0.08;
    constexpr qreal mostCoverage = 0.7;
    // Mean alpha difference from the largest drawing scaled down to the same size.
    constexpr double sameShapeTolerance = 0.06;
    for (const TruneAppIdentity app : allCases<TruneAppIdentity>()) {
        for (const Look& look : looks) {
            const QImage largest = drawn(app, look, 256);
            for (const int pixels : sizes) {
                SCOPED_TRACE(std::to_string(static_cast<int>(app)) + " " + rawValue(app).toStdString() + " " + look.name
                    + " " + std::to_string(pixels) + " px");
                const QImage image = drawn(app, look, pixels);
                ASSERT_EQ(image.size(), QSize(pixels, pixels));
                const InkSummary ink = summarise(image);
                ASSERT_GT(ink.coverage, 0);
                EXPECT_GE(ink.coverage, leastCoverage);
                EXPECT_LE(ink.coverage, mostCoverage);
                const QPointF boxOffset = ink.bounds.center() - QPointF(50, 50);
                const QPointF weightOffset = ink.centroid - QPointF(50, 50);
                EXPECT_LE(std::hypot(boxOffset.x(), boxOffset.y()), centreTolerance + 60.0 / pixels);
                EXPECT_LE(std::hypot(weightOffset.x(), weightOffset.y()), centroidTolerance);
                // One pixel of antialiasing may spill past the ink square.
                const qreal pixel = 60.0 / (pixels * 0.88);
                EXPECT_GE(ink.bounds.left(), 20 - 1.5 - pixel);
                EXPECT_GE(ink.bounds.top(), 20 - 1.5 - pixel);
                EXPECT_LE(ink.bounds.right(), 80 + 1.5 + pixel);
                EXPECT_LE(ink.bounds.bottom(), 80 + 1.5 + pixel);
                const QImage reference
                    = largest.scaled(pixels, pixels, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
                EXPECT_LE(meanDifference(alphas(image), alphas(reference)), sameShapeTolerance);
            }
        }
    }
}

namespace {

struct Pair {
    TruneAppIdentity first;
    TruneAppIdentity second;
    float distance = 0;
};

// The white-glass emblem at 64 px on the ground, as it is seen.
TruneImageFeaturePrint printOf(TruneAppIdentity app)
{
    QImage seen(64, 64, QImage::Format_ARGB32_Premultiplied);
    seen.fill(ground);
    QPainter painter(&seen);
    painter.drawImage(0, 0, TruneEmblemRenderer::image(app, 64, 1));
    painter.end();
    return *TruneImageFeaturePrint::compute(seen);
}

std::string nameOf(TruneAppIdentity app)
{
    return std::to_string(static_cast<int>(app)) + " " + rawValue(app).toStdString();
}

} // namespace

// No emblem is mistaken for another. The drawings that share a shape on purpose (the split shield,
// the one-piece shield, the display frame) are the most alike the family means to be: the closest
// of them sets the floor every other pair must stay above, and they themselves must still differ
// clearly by what they carry.
TEST(TruneEmblemArtworkRenderTest, NoTwoEmblemsAreAlike)
{
    using App = TruneAppIdentity;
    const std::vector<std::vector<App>> sharingAShape{
        {App::thermix, App::shellwyn, App::dockwise},
        {App::firewick, App::hashling, App::bootrel},
        {App::snaplume, App::pingrel},
    };
    constexpr float sharedShapeLeast = 0.1f;

    const std::vector<App> apps = allCases<App>();
    std::vector<TruneImageFeaturePrint> prints;
    for (const App app : apps)
        prints.push_back(printOf(app));
    std::vector<Pair> pairs;
    for (std::size_t i = 0; i < apps.size(); ++i)
        for (std::size_t j = i + 1; j < apps.size(); ++j)
            pairs.push_back({apps[i], apps[j], prints[i].distance(prints[j])});
    std::ranges::sort(pairs, {}, &Pair::distance);

    const auto shareAShape = [&](App a, App b) {
        return std::ranges::any_of(sharingAShape, [&](const std::vector<App>& group) {
            return std::ranges::count(group, a) + std::ranges::count(group, b) == 2;
        });
    };
    float floor = 2;
    for (const Pair& pair : pairs)
        if (shareAShape(pair.first, pair.second))
            floor = std::min(floor, pair.distance);

    std::printf("ten closest pairs (floor %.3f, the closest pair sharing a shape):\n", floor);
    for (std::size_t i = 0; i < 10 && i < pairs.size(); ++i)
        std::printf(
            "  %.3f  %s / %s\n", pairs[i].distance, nameOf(pairs[i].first).c_str(), nameOf(pairs[i].second).c_str());
    EXPECT_GT(floor, sharedShapeLeast);
    for (const Pair& pair : pairs) {
        if (!shareAShape(pair.first, pair.second)) {
            EXPECT_GT(pair.distance, floor) << nameOf(pair.first) << " and " << nameOf(pair.second);
        }
    }
}

// Four threads draw every emblem at once, each in its own order, through the shared cache: every
// picture is the one a single thread draws.
TEST(TruneEmblemArtworkRenderTest, FourThreadsDrawEveryEmblemAsOneThreadDoes)
{
    constexpr int threadCount = 4;
    // A pixel size no other test asks for, so the threads start from an empty cache.
    constexpr int pixels = 37;
    const std::vector<TruneAppIdentity> apps = allCases<TruneAppIdentity>();
    std::vector<std::vector<QImage>> seen(threadCount, std::vector<QImage>(apps.size()));
    std::vector<std::thread> threads;
    for (int t = 0; t < threadCount; ++t) {
        threads.emplace_back([t, &apps, &seen] {
            for (std::size_t step = 0; step < apps.size(); ++step) {
                // Thread t starts a quarter further along, and the odd ones walk backwards.
                const std::size_t offset = (step + std::size_t(t) * apps.size() / threadCount) % apps.size();
                const std::size_t i = t % 2 ? apps.size() - 1 - offset : offset;
                seen[std::size_t(t)][i] = TruneEmblemRenderer::image(apps[i], pixels, 1);
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (std::size_t i = 0; i < apps.size(); ++i) {
        SCOPED_TRACE(nameOf(apps[i]));
        const QImage alone = EmblemProbe::emblemIn(apps[i], TruneEmblemTone::whiteGlass(), pixels);
        for (int t = 0; t < threadCount; ++t)
            EXPECT_EQ(seen[std::size_t(t)][i].convertToFormat(QImage::Format_ARGB32_Premultiplied), alone);
    }
}
