#include "kit/ui/TruneBrandMark.h"
#include "kit/ui/TruneBrandMarkGeometry.h"
#include "kit/ui/TruneGroundBackground.h"
#include "tests/kit/ui/GlassPixels.h"
#include "tests/support/Screenshots.h"

#include <QHBoxLayout>
#include <QPolygonF>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using GlassPixels::expectPixel;

namespace {

// Linear interpolation through (position, value) stops, clamped at both ends.
double throughStops(std::initializer_list<std::pair<double, double>> stops, double t)
{
    auto previous = *stops.begin();
    if (t <= previous.first)
        return previous.second;
    for (const auto& stop : stops) {
        if (t <= stop.first)
            return previous.second
                + (stop.second - previous.second) * (t - previous.first) / (stop.first - previous.first);
        previous = stop;
    }
    return previous.second;
}

// The suite mark's colour at the centre of pixel (x, y) of a 64 x 64 canvas: the body shading
// along the top-left to bottom-right diagonal, lit by the sheen band across the other diagonal.
QColor suiteColourAt(int x, int y)
{
    const double px = x + 0.5;
    const double py = y + 0.5;
    const double body = (px + py) / 128;
    const double sheenT = (px + 64 - py) / 128;
    const double sheen = throughStops({{0.3, 0}, {0.5, 0.55}, {0.7, 0}}, sheenT);
    const auto channel = [&](double middle, double end) {
        const double shaded = throughStops({{0, 255}, {0.55, middle}, {1, end}}, body);
        return qRound(shaded * (1 - sheen) + 255 * sheen);
    };
    return {channel(238, 195), channel(241, 202), channel(246, 216)};
}

bool insidePiece(QPointF point)
{
    for (const QList<QPointF>& piece : TruneBrandMarkGeometry::allPieces()) {
        if (QPolygonF(piece).containsPoint(point, Qt::WindingFill))
            return true;
    }
    return false;
}

} // namespace

TEST(TruneBrandMarkGeometryTest, MapsDesignPointsOntoTheCanvas)
{
    const QPointF mapped = TruneBrandMarkGeometry::mapped({60.73, 37.39}, {32, 32});
    EXPECT_NEAR(mapped.x(), 30.365, 1e-9);
    EXPECT_NEAR(mapped.y(), 18.695, 1e-9);
    EXPECT_EQ(TruneBrandMarkGeometry::mapped({64, 64}, {100, 50}), QPointF(100, 50));

    const auto& pieces = TruneBrandMarkGeometry::allPieces();
    ASSERT_EQ(pieces.size(), 3);
    EXPECT_EQ(pieces[0], TruneBrandMarkGeometry::topRightPiece());
    EXPECT_EQ(pieces[1], TruneBrandMarkGeometry::leftPiece());
    EXPECT_EQ(pieces[2], TruneBrandMarkGeometry::bottomRightPiece());
    for (const QList<QPointF>& piece : pieces)
        EXPECT_EQ(piece.size(), 8);
    EXPECT_EQ(TruneBrandMarkGeometry::topRightPiece().front(), QPointF(31.95, 3.93));
    EXPECT_EQ(TruneBrandMarkGeometry::leftPiece()[4], QPointF(13.71, 59.01));
    EXPECT_EQ(TruneBrandMarkGeometry::bottomRightPiece().back(), QPointF(16.33, 47.27));
}

TEST(TruneBrandMarkTest, SuiteMarkFillsThePiecesWithBodyAndSheen)
{
    TruneBrandMark mark(64, TruneBrandMarkStyle::quorvaneSuite());
    EXPECT_EQ(mark.shownApp(), std::nullopt);
    EXPECT_EQ(mark.sizeHint(), QSize(64, 64));
    const QImage image = GlassPixels::rendered(mark, {64, 64});

    struct Probe {
        const char* where;
        int x;
        int y;
    };
    const Probe insideProbes[] = {
        {"top-right piece", 40, 24},
        {"left piece", 8, 46},
        {"bottom-right piece", 55, 50},
        {"where the sheen peaks", 38, 36},
        {"top-right piece, near its top", 32, 8},
    };
    for (const Probe& probe : insideProbes) {
        ASSERT_TRUE(insidePiece({probe.x + 0.5, probe.y + 0.5})) << probe.where;
        expectPixel(image.pixel(probe.x, probe.y), suiteColourAt(probe.x, probe.y), 255, probe.where, 3);
    }
    const Probe outsideProbes[] = {{"top-left corner", 2, 2}, {"top-right corner", 62, 4}, {"bottom-left", 3, 62}};
    for (const Probe& probe : outsideProbes) {
        ASSERT_FALSE(insidePiece({probe.x + 0.5, probe.y + 0.5})) << probe.where;
        EXPECT_EQ(qAlpha(image.pixel(probe.x, probe.y)), 0) << probe.where;
    }
}

TEST(TruneBrandMarkTest, CentresTheMarkInALargerWidget)
{
    TruneBrandMark mark(32, TruneBrandMarkStyle::quorvaneSuite());
    const QImage image = GlassPixels::rendered(mark, {96, 64});
    // The 32 px mark sits at (32, 16); the top-right piece's tip (60.73, 37.39) lands near (62.4, 34.7).
    EXPECT_GT(qAlpha(image.pixel(61, 34)), 0);
    for (int y = 0; y < 64; ++y) {
        EXPECT_EQ(qAlpha(image.pixel(31, y)), 0);
        EXPECT_EQ(qAlpha(image.pixel(64, y)), 0);
    }
}

TEST(TruneBrandMarkTest, StylesChooseTheEmblemOrTheSuiteMark)
{
    const TruneBrandMark app(32, TruneBrandMarkStyle::app(TruneAppIdentity::tunelo));
    EXPECT_EQ(app.shownApp(), TruneAppIdentity::tunelo);
    EXPECT_EQ(app.style().kind(), TruneBrandMarkStyle::Kind::app);

    // This program is in the catalogue: its own emblem is shown.
    const TruneBrandMark program(48, TruneBrandMarkStyle::currentApp());
    EXPECT_EQ(program.shownApp(), TruneAppIdentity::truneUpdate);

    // A program that is not in the catalogue shows the suite mark.
    const TruneBundle unknownProgram(QVariantMap{{u"CFBundleIdentifier"_s, u"org.example.notepad"_s}}, QString());
    ASSERT_EQ(TruneAppIdentityCatalog::current(unknownProgram), std::nullopt);
    TruneBrandMark current(48, TruneBrandMarkStyle::currentApp(), unknownProgram);
    TruneBrandMark suite(48, TruneBrandMarkStyle::quorvaneSuite());
    EXPECT_EQ(current.shownApp(), std::nullopt);
    const QImage currentImage = GlassPixels::rendered(current, {48, 48});
    EXPECT_EQ(currentImage, GlassPixels::rendered(suite, {48, 48}));
    EXPECT_GT(qAlpha(currentImage.pixel(30, 18)), 0);
}

TEST(TruneBrandMarkTest, Screenshots)
{
    TruneGroundBackground ground(TruneProductPalette::deepEmerald);
    auto* row = new QHBoxLayout(&ground);
    row->setContentsMargins(20, 20, 20, 20);
    row->setSpacing(20);
    QList<QWidget*> marks;
    for (const qreal size : {16.0, 32.0, 64.0, 128.0}) {
        marks.append(new TruneBrandMark(size, TruneBrandMarkStyle::quorvaneSuite()));
        row->addWidget(marks.last(), 0, Qt::AlignCenter);
    }
    ground.resize(360, 170);
    ground.layout()->activate();
    saveScreenshot(ground, u"kit-glass-brandmark-suite"_s);

    // Four marks at their own sizes, growing from left to right.
    for (const QWidget* mark : marks)
        EXPECT_EQ(mark->size(), mark->sizeHint());
    for (qsizetype index = 1; index < marks.size(); ++index)
        EXPECT_GT(marks[index]->width(), marks[index - 1]->width());
    expectEveryWidgetShownWhole(ground);
    expectNoneOverlap(marks);
}
