#include "kit/ui/TruneUnifiedTitlebar.h"

#include "kit/platform/TruneUserDefaults.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <QHBoxLayout>
#include <QLabel>
#include <QTest>

using namespace Qt::StringLiterals;

using Metrics = TruneUnifiedTitlebarMetrics;

TEST(UnifiedTitlebarTest, CalculateTurnsMeasurementsIntoMetrics)
{
    struct Case {
        const char* what;
        TruneTitlebarMeasurement measured;
        Metrics expected;
    };
    const Case cases[] = {
        {"full screen keeps only the leading margin",
            {.trafficLightMaxX = 70, .trafficLightCenterY = 20, .trafficLightBottomY = 30, .isFullScreen = true},
            {16, 26, 0, 16, true}},
        {"full screen with its own margin", {.isFullScreen = true, .fullscreenLeading = 24}, {24, 26, 0, 24, true}},
        {"all buttons hidden fall back", {}, {93, 26, 23, 37, false}},
        {"edges are rounded up", {.trafficLightMaxX = 52.3, .trafficLightCenterY = 18, .trafficLightBottomY = 28.5},
            {67, 18, 28.5, 43, false}},
        {"a wider gap",
            {.trafficLightMaxX = 60,
                .trafficLightCenterY = 14,
                .trafficLightBottomY = 21,
                .gap = 20,
                .sidebarVerticalGap = 10},
            {80, 14, 21, 31, false}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(Metrics::calculate(c.measured), c.expected);
    }
    EXPECT_EQ(Metrics(), (Metrics{93, 26, 33, 37, false})) << "what views read before a measurement";
}

TEST(UnifiedTitlebarTest, NativeDecorationsKeepTheButtonsOutOfTheContent)
{
    QWidget window;
    EXPECT_EQ(Metrics::forWindow(window), (Metrics{16, 26, 0, 16, false}));
    window.showFullScreen();
    EXPECT_EQ(Metrics::forWindow(window), (Metrics{16, 26, 0, 16, true}));
}

TEST(UnifiedTitlebarTest, TheDoubleClickActionFollowsTheUserDefault)
{
    struct Case {
        std::optional<QString> stored;
        TruneTitlebarDoubleClickAction expected;
    };
    const Case cases[] = {
        {u"Minimize"_s, TruneTitlebarDoubleClickAction::minimize},
        {u"None"_s, TruneTitlebarDoubleClickAction::none},
        {u"Maximize"_s, TruneTitlebarDoubleClickAction::zoom},
        {std::nullopt, TruneTitlebarDoubleClickAction::zoom},
        {u"minimize"_s, TruneTitlebarDoubleClickAction::zoom},
    };
    for (const Case& c : cases)
        EXPECT_EQ(TruneWindowDragArea::doubleClickAction(c.stored), c.expected)
            << c.stored.value_or(u"-"_s).toStdString();
}

// A double click on the header's empty part acts on the window; on a label of the header it
// does nothing.
TEST(UnifiedTitlebarTest, ADoubleClickOnTheEmptyHeaderActsOnTheWindow)
{
    const TempHome home;
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* header = new TruneUnifiedHeaderBar({.minHeight = 52, .trailingPadding = 18, .verticalPadding = 8});
    auto* title = new QLabel(u"Title"_s);
    header->row()->addWidget(title);
    header->row()->addStretch(1);
    layout->addWidget(header);
    layout->addStretch(1);
    window.resize(600, 300);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    EXPECT_GE(header->height(), 52);
    EXPECT_EQ(header->row()->contentsMargins(), QMargins(16, 8, 18, 8));

    const QPoint empty(header->width() - 40, header->height() / 2);
    TruneUserDefaults::standard().setString(u"AppleActionOnDoubleClick"_s, u"None"_s);
    QTest::mouseDClick(header->dragArea(), Qt::LeftButton, {}, empty);
    EXPECT_FALSE(window.isMaximized());
    EXPECT_FALSE(window.isMinimized());

    TruneUserDefaults::standard().remove(u"AppleActionOnDoubleClick"_s);
    QTest::mouseDClick(header->dragArea(), Qt::LeftButton, {}, empty);
    EXPECT_TRUE(window.isMaximized());
    QTest::mouseDClick(header->dragArea(), Qt::LeftButton, {}, empty);
    EXPECT_FALSE(window.isMaximized());

    TruneUserDefaults::standard().setString(u"AppleActionOnDoubleClick"_s, u"Minimize"_s);
    QTest::mouseDClick(title, Qt::LeftButton);
    EXPECT_FALSE(window.isMinimized()) << "the label is not the header's empty part";
    QTest::mouseDClick(header->dragArea(), Qt::LeftButton, {}, empty);
    EXPECT_TRUE(window.isMinimized());
}

TEST(UnifiedTitlebarTest, ADragPastTheDragDistanceHandsTheMoveToTheWindowManager)
{
    QWidget window;
    auto* area = new TruneWindowDragArea(&window);
    area->resize(200, 50);
    window.resize(200, 50);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    int moves = 0;
    QObject::connect(area, &TruneWindowDragArea::systemMoveStarted, [&] { ++moves; });

    QTest::mousePress(area, Qt::LeftButton, {}, QPoint(20, 20));
    QTest::mouseMove(area, QPoint(21, 20));
    EXPECT_EQ(moves, 0) << "a click that hardly moves is still a click";
    QTest::mouseMove(area, QPoint(60, 30));
    EXPECT_EQ(moves, 1);
    QTest::mouseMove(area, QPoint(90, 30));
    EXPECT_EQ(moves, 1) << "one move per press";
    QTest::mouseRelease(area, Qt::LeftButton, {}, QPoint(90, 30));
}
