#include "kit/ui/TruneAppEmblem.h"

#include "EmblemProbe.h"
#include "tests/support/Screenshots.h"

#include <QHBoxLayout>
#include <QPalette>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

constexpr TruneAppIdentity own = TruneAppIdentity::truneUpdate;

QImage rendered(TruneAppEmblem& emblem)
{
    emblem.resize(emblem.sizeHint());
    QImage image(emblem.size(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(1);
    image.fill(Qt::transparent);
    emblem.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image;
}

} // namespace

TEST(TruneAppEmblemTest, IsASquareOfItsSizeNamedForItsEntry)
{
    const TruneAppEmblem emblem(own, 28);
    EXPECT_EQ(emblem.sizeHint(), QSize(28, 28));
    EXPECT_EQ(emblem.accessibleName(), u"truneupdate"_s);
}

TEST(TruneAppEmblemTest, ShowsTheGlassEmblemOrTintsTheTemplateWithTheTextColour)
{
    const QColor ink(30, 160, 90);
    struct Case {
        const char* name;
        bool asTemplate;
        QColor ring;
        QColor arrow;
    };
    const std::array cases{
        Case{"glass", false, QColor(255, 255, 255, 250), QColor(255, 255, 255, 184)},
        Case{"template", true, QColor(30, 160, 90, 250), QColor(30, 160, 90, 184)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TruneAppEmblem emblem(own, 64, c.asTemplate);
        QPalette palette = emblem.palette();
        palette.setColor(emblem.foregroundRole(), ink);
        emblem.setPalette(palette);
        const QImage image = rendered(emblem);
        const QColor ring = EmblemProbe::colorAt(image, {74, 50});
        const QColor arrow = EmblemProbe::colorAt(image, {50, 55});
        EXPECT_TRUE(EmblemProbe::near(ring, c.ring)) << ring.name(QColor::HexArgb).toStdString();
        EXPECT_TRUE(EmblemProbe::near(arrow, c.arrow)) << arrow.name(QColor::HexArgb).toStdString();
        EXPECT_EQ(EmblemProbe::colorAt(image, {50, 26}).alpha(), 0);
    }
}

TEST(TruneAppEmblemTest, ScreenshotsOfTheOwnEmblemFrom16To256Pixels)
{
    for (const int size : {16, 24, 32, 48, 64, 128, 256}) {
        QWidget ground;
        ground.setAutoFillBackground(true);
        QPalette palette = ground.palette();
        palette.setColor(QPalette::Window, QColor(0x2a, 0x1a, 0x5e));
        ground.setPalette(palette);
        auto* layout = new QHBoxLayout(&ground);
        layout->setContentsMargins(8, 8, 8, 8);
        auto* emblem = new TruneAppEmblem(own, size);
        layout->addWidget(emblem);
        ground.adjustSize();
        saveScreenshot(ground, u"kit-emblem-truneupdate-%1"_s.arg(size));

        EXPECT_EQ(emblem->size(), QSize(size, size));
        expectEveryWidgetShownWhole(ground);
    }
}
