#include "kit/ui/TruneUnifiedTitlebar.h"
#include "kit/ui/TruneUnifiedTitlebarWindow.h"

#include "kit/platform/TruneUserDefaults.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QSignalSpy>
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
    EXPECT_EQ(Metrics::forWindow(window, 24, 20), (Metrics{24, 26, 0, 24, false}));
    window.showFullScreen();
    EXPECT_EQ(Metrics::forWindow(window), (Metrics{16, 26, 0, 16, true}));
}

// The content measures its window once and every header and sidebar in it reads that one value:
// at first, after full screen comes and goes, and after moving into other content. Outside any
// such content they read the default.
TEST(UnifiedTitlebarTest, ViewsInsideTheContentReadItsOneMetricsValue)
{
    QWidget window;
    auto* content = new QWidget(&window);
    auto* titlebar = new TruneUnifiedTitlebarWindow(*content,
        {.mode = TruneUnifiedTitlebarMode::fullHeightSidebar, .fullscreenLeading = 24, .trafficLightGap = 20});
    EXPECT_EQ(titlebar->mode(), TruneUnifiedTitlebarMode::fullHeightSidebar);
    auto* layout = new QVBoxLayout(content);
    auto* header = new TruneUnifiedHeaderBar({.minHeight = 40, .trailingPadding = 10, .verticalPadding = 4});
    auto* sidebar = new QWidget;
    sidebar->setContentsMargins(3, 5, 7, 9);
    truneSidebarTitlebarClearance(*sidebar, 12);
    layout->addWidget(header);
    layout->addWidget(sidebar);
    auto* nested = new TruneUnifiedHeaderBar({});
    layout->addWidget(nested);
    QSignalSpy reports(titlebar, &TruneUnifiedTitlebarWindow::metricsChanged);

    window.resize(500, 300);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const Metrics windowed{24, 26, 0, 24, false};
    EXPECT_EQ(titlebar->metrics(), windowed);
    EXPECT_EQ(header->metrics(), windowed);
    EXPECT_EQ(header->row()->contentsMargins(), QMargins(24, 4, 10, 4));
    EXPECT_EQ(nested->metrics(), windowed);
    EXPECT_EQ(sidebar->contentsMargins(), QMargins(3, 36, 7, 9)) << "12 above the clearance of 24";
    window.resize(520, 320);
    QApplication::processEvents();
    EXPECT_EQ(reports.count(), 0) << "a resize that changes no metric reports nothing";

    // Full screen comes and goes as a state change of the window, sent as it happens.
    window.showFullScreen();
    EXPECT_TRUE(header->metrics().isFullScreen);
    EXPECT_TRUE(nested->metrics().isFullScreen);
    EXPECT_EQ(reports.count(), 1);
    window.showNormal();
    EXPECT_EQ(header->metrics(), windowed);

    QWidget elsewhere;
    header->setParent(&elsewhere);
    sidebar->setParent(&elsewhere);
    EXPECT_EQ(header->metrics(), Metrics{});
    EXPECT_EQ(header->row()->contentsMargins(), QMargins(93, 4, 10, 4));
    EXPECT_EQ(sidebar->contentsMargins(), QMargins(3, 49, 7, 9)) << "12 above the default clearance of 37";
}

TEST(UnifiedTitlebarTest, TheHeaderPaintsItsBackgroundColourUnderItsRow)
{
    for (const QColor& background : {QColor(Qt::transparent), QColor(200, 30, 40)}) {
        QWidget window;
        window.setAutoFillBackground(true);
        QPalette palette = window.palette();
        palette.setColor(QPalette::Window, QColor(20, 90, 220));
        window.setPalette(palette);
        auto* header = new TruneUnifiedHeaderBar({.backgroundColor = background}, &window);
        header->row()->addWidget(new QLabel(u"Title"_s));
        window.resize(300, 80);
        header->resize(300, 52);
        const QImage image = window.grab().toImage();
        const QColor expected = background.alpha() == 0 ? QColor(20, 90, 220) : background;
        EXPECT_EQ(QColor(image.pixel(250, 26)), expected);
        EXPECT_EQ(QColor(image.pixel(250, 70)), QColor(20, 90, 220)) << "below the header";
    }
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
    new TruneUnifiedTitlebarWindow(window, {});
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
