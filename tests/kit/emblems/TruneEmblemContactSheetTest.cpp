#include "kit/emblems/TruneEmblemRenderer.h"

#include "EmblemProbe.h"
#include "tests/support/Screenshots.h"

#include <QLabel>
#include <QPainter>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QColor ground(0x2a, 0x1a, 0x5e);
const QColor paper(0xf4, 0xf5, 0xf8);
const TruneEmblemTone ocean = TruneEmblemTone::flatLight(QColor(0x1f, 0x5f, 0xd6), QColor(0xff, 0x8a, 0x1f));
const TruneEmblemTone forest = TruneEmblemTone::flatLight(QColor(0x1d, 0x6b, 0x4a), QColor(0xe0, 0x3e, 0x8c));

constexpr int columns = 5;
constexpr int large = 64;
constexpr int small = 16;
constexpr int gap = 6;
constexpr int labelHeight = 16;
constexpr int cellWidth = 3 * (large + gap) + small + 2 * gap;
constexpr int cellHeight = labelHeight + large + 2 * gap;

void drawCell(QPainter& painter, QPoint origin, TruneAppIdentity app)
{
    const int index = static_cast<int>(app);
    painter.setPen(Qt::black);
    painter.drawText(QRect(origin + QPoint(gap, 2), QSize(cellWidth, labelHeight)), Qt::AlignLeft | Qt::AlignVCenter,
        u"%1 %2"_s.arg(index).arg(rawValue(app)));
    QPoint at = origin + QPoint(gap, labelHeight + gap);
    painter.fillRect(QRect(at, QSize(large, large)), ground);
    painter.drawImage(at, TruneEmblemRenderer::image(app, large, 1));
    for (const TruneEmblemTone* tone : {&ocean, &forest}) {
        at += QPoint(large + gap, 0);
        painter.fillRect(QRect(at, QSize(large, large)), paper);
        painter.drawImage(at, EmblemProbe::emblemIn(app, *tone, large));
    }
    at += QPoint(large + gap, (large - small) / 2);
    painter.fillRect(QRect(at - QPoint(4, 4), QSize(small + 8, small + 8)), ground);
    painter.drawImage(at, TruneEmblemRenderer::image(app, small, 1));
}

} // namespace

// Every emblem in white glass on the ground at 64 and 16 pixels and flat in two colour pairs, for
// a person to check that each reads as what it shows.
TEST(TruneEmblemContactSheetTest, ShowsEveryEmblemInEachLook)
{
    const auto apps = allCases<TruneAppIdentity>();
    const int rows = int((apps.size() + columns - 1) / columns);
    QImage sheet(columns * cellWidth, rows * cellHeight, QImage::Format_ARGB32_Premultiplied);
    sheet.fill(Qt::white);
    {
        QPainter painter(&sheet);
        for (std::size_t i = 0; i < apps.size(); ++i) {
            const QPoint origin(int(i % columns) * cellWidth, int(i / columns) * cellHeight);
            drawCell(painter, origin, apps[i]);
        }
    }
    QLabel label;
    label.setPixmap(QPixmap::fromImage(sheet));
    label.resize(sheet.size());
    const QString path = saveScreenshot(label, u"emblems-contact-sheet"_s);
    EXPECT_EQ(QImage(path).size(), sheet.size());
}
