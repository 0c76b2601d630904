#include "kit/ui/TruneSymbols.h"

#include <QDirIterator>
#include <QFile>
#include <QGridLayout>
#include <QLabel>
#include <QPainter>
#include <QRegularExpression>
#include <QWidget>

#include "tests/support/Screenshots.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>

using namespace Qt::StringLiterals;

namespace {

// Every symbol the views draw.
const QStringList usedByTheViews = {
    u"app"_s,
    u"arrow.clockwise"_s,
    u"arrow.down.app.fill"_s,
    u"arrow.down.circle.fill"_s,
    u"arrow.down.circle"_s,
    u"arrow.right"_s,
    u"arrow.triangle.2.circlepath.circle.fill"_s,
    u"arrow.triangle.2.circlepath"_s,
    u"arrow.up.arrow.down"_s,
    u"arrow.up.circle.fill"_s,
    u"bag"_s,
    u"bolt.circle.fill"_s,
    u"bolt.fill"_s,
    u"bubble.left.and.bubble.right.fill"_s,
    u"bubble.left.and.exclamationmark.bubble.right"_s,
    u"chart.bar.xaxis"_s,
    u"checklist.checked"_s,
    u"checkmark.circle.fill"_s,
    u"checkmark.seal.fill"_s,
    u"checkmark.shield.fill"_s,
    u"checkmark.square.fill"_s,
    u"checkmark"_s,
    u"circle"_s,
    u"clock.arrow.circlepath"_s,
    u"cpu"_s,
    u"doc.on.clipboard"_s,
    u"doc.on.doc"_s,
    u"doc.text.magnifyingglass"_s,
    u"doc.text"_s,
    u"ellipsis.circle"_s,
    u"exclamationmark.triangle.fill"_s,
    u"externaldrive.badge.timemachine"_s,
    u"eye.fill"_s,
    u"eye.slash"_s,
    u"folder"_s,
    u"gearshape"_s,
    u"globe"_s,
    u"internaldrive"_s,
    u"ladybug.fill"_s,
    u"lightbulb.fill"_s,
    u"line.3.horizontal.decrease.circle"_s,
    u"macwindow"_s,
    u"magnifyingglass"_s,
    u"memorychip.fill"_s,
    u"memorychip"_s,
    u"music.note.list"_s,
    u"photo.on.rectangle.angled"_s,
    u"plus.circle"_s,
    u"rectangle.inset.topright.filled"_s,
    u"safari.fill"_s,
    u"safari"_s,
    u"scope"_s,
    u"shield.lefthalf.filled"_s,
    u"shippingbox.fill"_s,
    u"shippingbox"_s,
    u"slash.circle.fill"_s,
    u"slider.horizontal.3"_s,
    u"sparkles.rectangle.stack"_s,
    u"sparkles"_s,
    u"square.grid.2x2.fill"_s,
    u"square.grid.2x2"_s,
    u"square"_s,
    u"stop.fill"_s,
    u"sun.max.fill"_s,
    u"tag.fill"_s,
    u"terminal.fill"_s,
    u"terminal"_s,
    u"thermometer.medium"_s,
    u"timer"_s,
    u"trash.fill"_s,
    u"trash.slash.circle.fill"_s,
    u"trash.slash.fill"_s,
    u"trash.slash"_s,
    u"trash"_s,
    u"wand.and.stars"_s,
    u"waveform.path.ecg"_s,
    u"xmark.circle.fill"_s,
    u"xmark.octagon.fill"_s,
    u"xmark"_s,
};

const QColor tint(40, 170, 90);

struct InkSummary {
    int inkedPixels = 0;
    int offColourPixels = 0;
    int opaquePixels = 0;
};

// Counts the drawn pixels and those whose colour strays from `color` by more than antialiasing
// rounding explains (faint edge pixels lose precision when unpremultiplied, so they are skipped).
InkSummary summarize(const QImage& image, const QColor& color)
{
    const QImage pixels = image.convertToFormat(QImage::Format_ARGB32);
    InkSummary summary;
    for (int y = 0; y < pixels.height(); ++y) {
        for (int x = 0; x < pixels.width(); ++x) {
            const QRgb pixel = pixels.pixel(x, y);
            if (qAlpha(pixel) == 0) {
                continue;
            }
            ++summary.inkedPixels;
            summary.opaquePixels += qAlpha(pixel) == 255 ? 1 : 0;
            if (qAlpha(pixel) >= 96
                && (std::abs(qRed(pixel) - color.red()) > 2 || std::abs(qGreen(pixel) - color.green()) > 2
                    || std::abs(qBlue(pixel) - color.blue()) > 2)) {
                ++summary.offColourPixels;
            }
        }
    }
    return summary;
}

bool isPlaceholderMagenta(QRgb pixel)
{
    return qAlpha(pixel) == 255 && qRed(pixel) == 255 && qGreen(pixel) == 0 && qBlue(pixel) == 255;
}

int countPlaceholderPixels(const QImage& image)
{
    const QImage pixels = image.convertToFormat(QImage::Format_ARGB32);
    int count = 0;
    for (int y = 0; y < pixels.height(); ++y) {
        for (int x = 0; x < pixels.width(); ++x) {
            count += isPlaceholderMagenta(pixels.pixel(x, y)) ? 1 : 0;
        }
    }
    return count;
}

// The symbol names a source text hands to TruneSymbols. The scan is deliberately simple: it
// takes each call "TruneSymbols::<function>(" up to the end of its statement (the next ';')
// and collects the u"..."_s literals written inside it. Names that travel through variables
// are not seen here; the list of the views' names above covers those.
QStringList symbolNamesIn(const QString& source)
{
    static const QRegularExpression call(u"TruneSymbols::(?:contains|pixmap|image|paint|icon)\\s*\\(([^;]*)"_s);
    static const QRegularExpression literal(u"u\"([^\"\\\\]*)\"_s"_s);
    QStringList names;
    for (const auto& callMatch : call.globalMatch(source)) {
        for (const auto& literalMatch : literal.globalMatch(callMatch.captured(1))) {
            names << literalMatch.captured(1);
        }
    }
    return names;
}

// Every file below kit/ and app/ of the checkout, with the names it hands to TruneSymbols.
std::map<QString, QStringList> symbolNamesInTheSources()
{
    std::map<QString, QStringList> found;
    for (const QString& area : {u"kit"_s, u"app"_s}) {
        QDirIterator files(u"%1/%2"_s.arg(QStringLiteral(TRUNE_SOURCE_DIR), area), {u"*.cpp"_s, u"*.h"_s}, QDir::Files,
            QDirIterator::Subdirectories);
        while (files.hasNext()) {
            QFile file(files.next());
            if (!file.open(QIODevice::ReadOnly)) {
                ADD_FAILURE() << "cannot read " << file.fileName().toStdString();
                continue;
            }
            const QStringList names = symbolNamesIn(QString::fromUtf8(file.read(4 * 1024 * 1024)));
            if (!names.isEmpty()) {
                found[file.fileName()] = names;
            }
        }
    }
    return found;
}

} // namespace

TEST(TruneSymbolsTest, EveryViewSymbolDrawsOnlyInTheTint)
{
    for (const QString& name : usedByTheViews) {
        SCOPED_TRACE(name.toStdString());
        ASSERT_TRUE(TruneSymbols::contains(name));
        const InkSummary summary = summarize(TruneSymbols::image(name, 24, tint, 1), tint);
        EXPECT_GT(summary.inkedPixels, 24) << "draws next to nothing";
        EXPECT_GT(summary.opaquePixels, 8) << "draws no solid ink";
        EXPECT_EQ(summary.offColourPixels, 0);
        EXPECT_EQ(countPlaceholderPixels(TruneSymbols::image(name, 24, tint, 1)), 0);
    }
}

TEST(TruneSymbolsTest, CutOutsInFilledGlyphsAreTransparent)
{
    // The centre of a filled circle's check or cross is a hole, its rim is ink.
    struct Case {
        QString name;
        QPoint hole;
        QPoint ink;
    };
    const std::vector<Case> cases = {
        {u"xmark.circle.fill"_s, {24, 24}, {24, 8}},
        {u"xmark.octagon.fill"_s, {24, 24}, {24, 8}},
        {u"terminal.fill"_s, {28, 31}, {40, 12}},
        {u"eye.fill"_s, {19, 24}, {8, 24}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name.toStdString());
        const QImage glyph = TruneSymbols::image(c.name, 48, tint, 1).convertToFormat(QImage::Format_ARGB32);
        EXPECT_EQ(qAlpha(glyph.pixel(c.hole)), 0);
        EXPECT_EQ(qAlpha(glyph.pixel(c.ink)), 255);
    }
}

TEST(TruneSymbolsTest, UnknownOrMalformedNamesDrawThePlaceholder)
{
    for (const QString& name :
        {u"no.such.symbol"_s, u""_s, u"../symbols/trash"_s, u"Trash"_s, u"trash.svg"_s, u"trash/"_s}) {
        SCOPED_TRACE(name.toStdString());
        EXPECT_FALSE(TruneSymbols::contains(name));
        const QImage glyph = TruneSymbols::image(name, 24, tint, 1);
        EXPECT_GT(countPlaceholderPixels(glyph), 40);
        EXPECT_EQ(summarize(glyph, QColor(255, 0, 255)).offColourPixels, 0);
    }
}

TEST(TruneSymbolsTest, PixmapsAreKeyedByPixelRatio)
{
    const QPixmap single = TruneSymbols::pixmap(u"trash"_s, 16, tint, 1);
    const QPixmap doubled = TruneSymbols::pixmap(u"trash"_s, 16, tint, 2);
    EXPECT_EQ(single.size(), QSize(16, 16));
    EXPECT_EQ(doubled.size(), QSize(32, 32));
    EXPECT_EQ(single.deviceIndependentSize(), doubled.deviceIndependentSize());
    EXPECT_EQ(doubled.devicePixelRatio(), 2);
    // Asked again, the cache hands back the same glyph for each ratio and colour.
    EXPECT_EQ(TruneSymbols::pixmap(u"trash"_s, 16, tint, 1).size(), QSize(16, 16));
    EXPECT_EQ(TruneSymbols::pixmap(u"trash"_s, 16, tint, 2).size(), QSize(32, 32));
    EXPECT_EQ(summarize(TruneSymbols::image(u"trash"_s, 16, Qt::red, 2), Qt::red).offColourPixels, 0);
}

TEST(TruneSymbolsTest, PaintIsCrispAtThePaintersPixelRatio)
{
    QImage target(48, 48, QImage::Format_ARGB32_Premultiplied);
    target.setDevicePixelRatio(2);
    target.fill(Qt::transparent);
    QPainter painter(&target);
    TruneSymbols::paint(painter, QRectF(0, 0, 24, 24), u"stop.fill"_s, tint);
    painter.end();
    // Drawn at full resolution, the square's edge is one sharp step between two device pixels.
    const QImage expected = TruneSymbols::image(u"stop.fill"_s, 24, tint, 2).convertToFormat(QImage::Format_ARGB32);
    const QImage painted = target.convertToFormat(QImage::Format_ARGB32);
    for (const QPoint probe : {QPoint(24, 24), QPoint(9, 24), QPoint(10, 24), QPoint(11, 24), QPoint(2, 2)}) {
        SCOPED_TRACE(probe.x());
        EXPECT_NEAR(qAlpha(painted.pixel(probe)), qAlpha(expected.pixel(probe)), 2);
    }
}

TEST(TruneSymbolsTest, IconsCarryBothPixelRatios)
{
    const QIcon icon = TruneSymbols::icon(u"gearshape"_s, tint);
    EXPECT_FALSE(icon.isNull());
    EXPECT_EQ(icon.pixmap(QSize(16, 16), 2.0).size(), QSize(32, 32));
}

TEST(TruneSymbolsTest, SourceScanFindsTheLiteralsOfEachCall)
{
    struct Case {
        const char* source;
        QStringList names;
    };
    const std::vector<Case> cases = {
        {R"(TruneSymbols::paint(p, r, u"trash"_s, c);)", {u"trash"_s}},
        {R"(auto i = TruneSymbols::icon(
                 u"xmark.circle.fill"_s,
                 color);)",
            {u"xmark.circle.fill"_s}},
        {R"(TruneSymbols::pixmap(active ? u"checkmark"_s : u"circle"_s, 12, c, 2);)", {u"checkmark"_s, u"circle"_s}},
        {R"(label(u"not.a.symbol"_s); TruneSymbols::contains(name);)", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        EXPECT_EQ(symbolNamesIn(QString::fromUtf8(c.source)), c.names);
    }
}

TEST(TruneSymbolsTest, EverySymbolNameInTheSourcesResolves)
{
    for (const auto& [file, names] : symbolNamesInTheSources()) {
        for (const QString& name : names) {
            EXPECT_TRUE(TruneSymbols::contains(name)) << file.toStdString() << ": " << name.toStdString();
        }
    }
}

TEST(TruneSymbolsTest, SheetOfAllSymbols)
{
    // Each row: the name, the glyph at 16 and at 24, white on a dark ground.
    QWidget sheet;
    sheet.setAutoFillBackground(true);
    QPalette palette = sheet.palette();
    palette.setColor(QPalette::Window, QColor(22, 24, 30));
    palette.setColor(QPalette::WindowText, QColor(200, 200, 210));
    sheet.setPalette(palette);
    auto* grid = new QGridLayout(&sheet);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(4);
    const int rows = static_cast<int>((usedByTheViews.size() + 2) / 3);
    for (int i = 0; i < usedByTheViews.size(); ++i) {
        const QString& name = usedByTheViews[i];
        const int row = i % rows;
        const int column = (i / rows) * 3;
        auto* small = new QLabel;
        small->setPixmap(TruneSymbols::pixmap(name, 16, Qt::white, 1));
        auto* large = new QLabel;
        large->setPixmap(TruneSymbols::pixmap(name, 24, Qt::white, 1));
        // Every row shows a glyph, not an empty square.
        EXPECT_GT(summarize(small->pixmap().toImage(), Qt::white).inkedPixels, 0) << name.toStdString();
        EXPECT_GT(summarize(large->pixmap().toImage(), Qt::white).inkedPixels, 0) << name.toStdString();
        auto* label = new QLabel(name);
        label->setTextFormat(Qt::PlainText);
        grid->addWidget(small, row, column);
        grid->addWidget(large, row, column + 1);
        grid->addWidget(label, row, column + 2);
    }
    sheet.adjustSize();
    saveScreenshot(sheet, u"kit-symbols-sheet"_s);
    expectEveryWidgetShownWhole(sheet);
}
