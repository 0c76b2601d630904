#include "app/views/shell/SegmentedStudioTab.h"

#include "app/views/parts/UpdateHoverState.h"

#include "kit/ui/TruneAnimations.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneProductPalette.h"
#include "tests/support/Screenshots.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QEnterEvent>
#include <QHBoxLayout>

using namespace Qt::StringLiterals;

namespace {

void hover(QWidget& widget, bool inside)
{
    if (inside) {
        QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), widget.mapToGlobal(QPointF(2, 2)));
        QApplication::sendEvent(&widget, &enter);
    } else {
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(&widget, &leave);
    }
}

class SegmentedStudioTabTest : public ::testing::Test {
protected:
    SegmentedStudioTabTest() { TruneAnimations::setEnabled(false); }
    ~SegmentedStudioTabTest() override { TruneAnimations::setEnabled(true); }

    const QColor accent = accentColor(TruneProductPalette::deepEmerald);
};

} // namespace

TEST_F(SegmentedStudioTabTest, TheBadgeShowsFromOneUpWithEveryDigit)
{
    SegmentedStudioTab tab(u"shippingbox"_s, u"Homebrew"_s, accent);
    const int plainWidth = tab.sizeHint().width();
    struct Case {
        int count;
        QString shown;
    };
    const Case cases[] = {{0, QString()}, {-3, QString()}, {1, u"1"_s}, {1234, u"1234"_s}};
    for (const Case& c : cases) {
        tab.setBadgeCount(c.count);
        EXPECT_EQ(tab.badgeText(), c.shown) << c.count;
    }
    tab.setBadgeCount(1);
    const int oneDigit = tab.sizeHint().width();
    tab.setBadgeCount(1234);
    EXPECT_GT(oneDigit, plainWidth);
    EXPECT_GT(tab.sizeHint().width(), oneDigit) << "four digits take more room than one";
}

TEST_F(SegmentedStudioTabTest, HoverBrightensOnlyAnInactiveTab)
{
    SegmentedStudioTab tab(u"gearshape"_s, u"Settings"_s, accent);
    tab.setBadgeCount(3);
    const SegmentedStudioTab::Look resting = tab.look();
    EXPECT_EQ(resting.title, TruneGlassTokens::textSecondary());
    EXPECT_EQ(resting.plate.alpha(), 0);
    EXPECT_EQ(resting.badgeText, accent);

    hover(tab, true);
    EXPECT_TRUE(tab.hover().isHovered());
    EXPECT_EQ(tab.look().title, TruneGlassTokens::textPrimary());
    EXPECT_EQ(tab.look().icon, TruneGlassTokens::textPrimary());
    EXPECT_NEAR(tab.look().plate.alphaF(), 0.05, 0.01);
    hover(tab, false);
    EXPECT_EQ(tab.look().title, resting.title);

    tab.setActive(true);
    const SegmentedStudioTab::Look active = tab.look();
    EXPECT_EQ(active.icon, accent);
    EXPECT_EQ(active.title, QColor(Qt::white));
    EXPECT_EQ(active.badgeFill, accent);
    EXPECT_NEAR(active.badgeText.alphaF(), 0.88, 0.01);
    hover(tab, true);
    EXPECT_EQ(tab.look().title, active.title) << "the active look wins over hover";
    EXPECT_EQ(tab.look().plate, active.plate);
}

TEST_F(SegmentedStudioTabTest, Screenshots)
{
    QWidget strip;
    strip.setAutoFillBackground(true);
    QPalette palette = strip.palette();
    palette.setColor(QPalette::Window, QColor(0x06, 0x2E, 0x25));
    strip.setPalette(palette);
    auto* layout = new QHBoxLayout(&strip);
    auto* active = new SegmentedStudioTab(u"square.grid.2x2"_s, u"Apps"_s, accent);
    active->setActive(true);
    active->setBadgeCount(1);
    auto* counted = new SegmentedStudioTab(u"shippingbox"_s, u"Homebrew"_s, accent);
    counted->setBadgeCount(1234);
    auto* hovered = new SegmentedStudioTab(u"trash.slash"_s, u"Uninstaller"_s, accent);
    auto* plain = new SegmentedStudioTab(u"gearshape"_s, u"Settings"_s, accent);
    for (QWidget* tab : {static_cast<QWidget*>(active), static_cast<QWidget*>(counted), static_cast<QWidget*>(hovered),
             static_cast<QWidget*>(plain)})
        layout->addWidget(tab);
    strip.show();
    hover(*hovered, true);
    saveScreenshot(strip, u"header-tabs-states-en"_s);

    // One tab of each state: active with a one, a four-figure count, hovered, plain.
    EXPECT_TRUE(active->isActive());
    EXPECT_EQ(active->badgeText(), u"1"_s);
    EXPECT_EQ(counted->badgeText(), u"1234"_s);
    EXPECT_TRUE(hovered->hover().isHovered());
    for (const SegmentedStudioTab* tab : {counted, hovered, plain})
        EXPECT_FALSE(tab->isActive()) << tab->icon().toStdString();
    EXPECT_TRUE(plain->badgeText().isEmpty());
    EXPECT_FALSE(plain->hover().isHovered());
    for (const SegmentedStudioTab* tab : {active, counted, hovered, plain})
        EXPECT_GE(tab->width(), tab->sizeHint().width()) << tab->icon().toStdString();
    expectEveryWidgetShownWhole(strip);
    expectNoneOverlap({active, counted, hovered, plain});
}
