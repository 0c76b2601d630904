#include "kit/ui/TruneGlassCard.h"
#include "kit/ui/TruneGroundBackground.h"
#include "kit/ui/panels/TruneDraggableFloatingPanel.h"
#include "kit/ui/panels/TruneFirstClickHostingView.h"
#include "kit/ui/panels/TruneFloatingPanelController.h"
#include "kit/ui/panels/TruneTearOffDragRegion.h"

#include "tests/support/Screenshots.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QTest>
#include <QVBoxLayout>

#include <functional>

using namespace Qt::StringLiterals;

namespace {

// Counts the mouse events it is given, to show what the content sees of a press.
class MouseRecorder final : public QWidget {
public:
    using QWidget::QWidget;
    int moves = 0;
    int releases = 0;
    QPointF lastRelease;

protected:
    void mousePressEvent(QMouseEvent* event) override { event->accept(); }
    void mouseMoveEvent(QMouseEvent*) override { ++moves; }
    void mouseReleaseEvent(QMouseEvent* event) override
    {
        ++releases;
        lastRelease = event->position();
    }
};

class OwnDragsView final : public QWidget, public TruneCustomDragTrackingView {
public:
    using QWidget::QWidget;
};

// A draggable panel at a known place with a few kinds of content, driven through its window as
// the window system would, with the pointer position the panel reads kept beside the events.
class PanelFixture {
public:
    PanelFixture()
    {
        panel.screenMouseLocationProvider = [this] { return pointer; };
        panel.onDragBegan = [this](QRect frame) { calls.append(u"began %1,%2"_s.arg(frame.x()).arg(frame.y())); };
        panel.onDragEnded = [this](QPoint origin) { calls.append(u"ended %1,%2"_s.arg(origin.x()).arg(origin.y())); };
        panel.onDragCancelled = [this] { calls.append(u"cancelled"_s); };
        panel.onEscapePressed = [this] { calls.append(u"escape"_s); };

        auto* layout = new QVBoxLayout(&panel);
        layout->addWidget(recorder);
        layout->addWidget(button);
        layout->addWidget(lineEdit);
        layout->addWidget(slider);
        layout->addWidget(textEdit);
        layout->addWidget(ownDrags);
        new QLabel(u"inside"_s, ownDrags);
        recorder->setMinimumHeight(40);
        ownDrags->setMinimumHeight(40);
        panel.resize(300, 400);
        panel.move(start);
        panel.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&panel));
    }

    QWindow* window() { return panel.windowHandle(); }

    void press(QWidget* target)
    {
        const QPoint local = target->mapTo(&panel, target->rect().center());
        pointer = QPointF(panel.mapToGlobal(local));
        pressPoint = local;
        QTest::mousePress(window(), Qt::LeftButton, {}, local);
    }

    // Moves the pointer `delta` away from where it was pressed.
    void dragBy(QPointF delta)
    {
        pointer = QPointF(start + pressPoint) + delta;
        QTest::mouseMove(window(), pressPoint + delta.toPoint());
    }

    void release() { QTest::mouseRelease(window(), Qt::LeftButton, {}, pressPoint); }

    const QPoint start{200, 150};
    TruneDraggableFloatingPanel panel;
    MouseRecorder* recorder = new MouseRecorder;
    QPushButton* button = new QPushButton(u"Apply"_s);
    QLineEdit* lineEdit = new QLineEdit;
    QSlider* slider = new QSlider(Qt::Horizontal);
    QPlainTextEdit* textEdit = new QPlainTextEdit;
    OwnDragsView* ownDrags = new OwnDragsView;
    QPointF pointer;
    QPoint pressPoint;
    QStringList calls;
};

class DraggableFloatingPanelTest : public ::testing::Test, public PanelFixture { };

} // namespace

TEST(FloatingPanelPlacementTest, CentresAboveTheMiddleAndKeepsTheLowerEdgeClearOfTheScreensEdge)
{
    // A 1440 x 900 screen whose lowest 25 are taken: visible from y 0 to 875.
    const QRectF screen(0, 0, 1440, 875);
    // A second screen to the right and lower down.
    const QRectF secondScreen(1440, 100, 1280, 800);
    struct Case {
        QRectF visible;
        QSizeF size;
        QPointF origin;
    };
    const Case cases[] = {
        {screen, {400, 300}, {520, 247.5}},      // centred, 40 above the middle
        {screen, {400, 1000}, {520, -149}},      // taller than the screen: lower edge held 24 above
        {secondScreen, {400, 300}, {1880, 310}}, // on the screen's own coordinates
    };
    for (const Case& c : cases)
        EXPECT_EQ(TruneFloatingPanelPlacement::centeredOrigin(c.visible, c.size), c.origin) << c.size.height();

    EXPECT_EQ(
        TruneFloatingPanelPlacement::anchoredOrigin(QRectF(100, 200, 50, 30), QSizeF(400, 300)), QPointF(100, -70));
}

TEST_F(DraggableFloatingPanelTest, ADragStartsAtFourPixelsAndMovesThePanelByTheWholeDistance)
{
    struct Case {
        QPointF delta;
        bool moves;
    };
    const Case cases[] = {{{3.9, 0}, false}, {{0, -3.9}, false}, {{4, 0}, true}, {{0, -4}, true}, {{12, -7}, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.delta.x() * 100 + c.delta.y());
        panel.move(start);
        QApplication::processEvents();
        recorder->moves = 0;
        calls.clear();

        press(recorder);
        dragBy(c.delta);

        EXPECT_EQ(panel.pos(), c.moves ? start + c.delta.toPoint() : start);
        // Below the threshold the content sees the drag; once the panel moves, it does not.
        EXPECT_EQ(recorder->moves, c.moves ? 0 : 1);
        release();
        EXPECT_EQ(calls.size(), c.moves ? 2 : 0);
    }
}

TEST_F(DraggableFloatingPanelTest, TheReleaseAfterADragDoesNotClickTheButtonUnderThePointer)
{
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });

    press(button);
    dragBy({30, 20});
    dragBy({40, 25});
    release();

    EXPECT_EQ(clicks, 0);
    EXPECT_FALSE(button->isDown());
    EXPECT_EQ(panel.pos(), start + QPoint(40, 25));
    EXPECT_EQ(calls, (QStringList{u"began 230,170"_s, u"ended 240,175"_s}));

    // Without a drag the button is an ordinary button.
    press(button);
    release();
    EXPECT_EQ(clicks, 1);

    // The content that saw the press sees it end far outside itself.
    press(recorder);
    dragBy({10, 0});
    release();
    EXPECT_EQ(recorder->releases, 1);
    EXPECT_LT(recorder->lastRelease.x(), -5000);
    EXPECT_LT(recorder->lastRelease.y(), -5000);
}

TEST_F(DraggableFloatingPanelTest, PressesOnControlsThatTrackTheirOwnDragsNeverMoveThePanel)
{
    const std::pair<const char*, QWidget*> targets[] = {
        {"line edit", lineEdit},
        {"slider", slider},
        {"inside a text edit", textEdit->viewport()},
        {"marker view", ownDrags},
        {"inside a marker view", ownDrags->findChild<QLabel*>()},
    };
    for (const auto& [name, target] : targets) {
        SCOPED_TRACE(name);
        press(target);
        dragBy({50, 30});
        release();
        EXPECT_EQ(panel.pos(), start);
        EXPECT_TRUE(calls.isEmpty());
    }
}

TEST_F(DraggableFloatingPanelTest, EscapeDuringADragCancelsItBeforeReportingTheEscape)
{
    press(recorder);
    dragBy({20, 0});
    calls.clear();
    QTest::keyClick(&panel, Qt::Key_Escape);
    EXPECT_EQ(calls, (QStringList{u"cancelled"_s, u"escape"_s}));

    // The drag is over: moving on changes nothing and the release is no drag end.
    dragBy({60, 0});
    release();
    EXPECT_EQ(panel.pos(), start + QPoint(20, 0));
    EXPECT_EQ(calls, (QStringList{u"cancelled"_s, u"escape"_s}));

    calls.clear();
    QTest::keyClick(&panel, Qt::Key_Escape);
    EXPECT_EQ(calls, QStringList{u"escape"_s});
}

TEST_F(DraggableFloatingPanelTest, HidingThePanelDuringADragCancelsIt)
{
    press(recorder);
    dragBy({20, 0});
    panel.hide();
    EXPECT_EQ(calls.last(), u"cancelled"_s);
}

TEST(FloatingPanelControllerTest, HideAndToggleAlwaysReportTheDismissalOnce)
{
    int dismissals = 0;
    TruneFloatingPanelController controller(QSize(240, 120), false, [&] { ++dismissals; });
    controller.hide();
    EXPECT_EQ(dismissals, 1);
    EXPECT_EQ(controller.panel(), nullptr);

    const auto content = [] { return new QLabel(u"Panel"_s); };
    controller.toggle(true, std::nullopt, content);
    ASSERT_TRUE(QTest::qWaitForWindowExposed(controller.panel()));
    EXPECT_TRUE(controller.isVisible());
    EXPECT_EQ(dismissals, 1);
    controller.toggle(true, std::nullopt, content);
    EXPECT_FALSE(controller.isVisible());
    EXPECT_EQ(dismissals, 2);
}

TEST(FloatingPanelControllerTest, ShowPlacesThePanelAndReplacesItsContent)
{
    TruneFloatingPanelController controller(QSize(240, 120), false, {});
    controller.show(true, std::nullopt, [] { return new QLabel(u"First"_s); });
    QWidget& panel = *controller.panel();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    const QRectF visible = panel.screen()->availableGeometry();
    EXPECT_EQ(panel.pos(), TruneFloatingPanelPlacement::centeredOrigin(visible, QSizeF(240, 120)).toPoint());
    EXPECT_EQ(panel.size(), QSize(240, 120));

    controller.show(false, QRectF(50, 60, 100, 200), [] { return new QLabel(u"Second"_s); });
    QApplication::processEvents();
    EXPECT_EQ(panel.pos(), QPoint(50, 140));
    const QList<QLabel*> labels = panel.findChildren<QLabel*>();
    ASSERT_EQ(labels.size(), 1);
    EXPECT_EQ(labels.first()->text(), u"Second"_s);

    // Neither anchored nor centred: it stays where it was.
    controller.show(false, std::nullopt, [] { return new QLabel(u"Third"_s); });
    EXPECT_EQ(panel.pos(), QPoint(50, 140));
}

TEST(FloatingPanelControllerTest, EscapeAndLosingActivationDismissAsAsked)
{
    for (const bool dismissOnResignKey : {false, true}) {
        SCOPED_TRACE(dismissOnResignKey);
        int dismissals = 0;
        TruneFloatingPanelController controller(QSize(200, 100), dismissOnResignKey, [&] { ++dismissals; });
        controller.show(true, std::nullopt, [] { return new QLabel(u"Panel"_s); });
        ASSERT_TRUE(QTest::qWaitForWindowActive(controller.panel()));

        QWidget other;
        other.resize(100, 100);
        other.show();
        other.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
        EXPECT_EQ(controller.isVisible(), !dismissOnResignKey);
        EXPECT_EQ(dismissals, dismissOnResignKey ? 1 : 0);

        controller.show(true, std::nullopt, [] { return new QLabel(u"Panel"_s); });
        ASSERT_TRUE(QTest::qWaitForWindowActive(controller.panel()));
        dismissals = 0;
        QTest::keyClick(controller.panel(), Qt::Key_Escape);
        QApplication::processEvents();
        EXPECT_FALSE(controller.isVisible());
        EXPECT_EQ(dismissals, 1);
    }
}

TEST(TearOffDragRegionTest, ReportsLeavingAndReturningAndADropOutsideTheWindow)
{
    QStringList calls;
    QWidget host;
    host.setGeometry(300, 200, 200, 150);
    auto* region = new TruneTearOffDragRegion([&](bool outside) { calls.append(outside ? u"out"_s : u"in"_s); },
        [&](QPointF point) { calls.append(u"drop %1,%2"_s.arg(point.x()).arg(point.y())); }, &host);
    region->setGeometry(10, 10, 40, 20);
    host.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&host));
    const QPoint grip(20, 10);

    // Out and back, then released inside: no drop.
    QTest::mousePress(region, Qt::LeftButton, {}, grip);
    QTest::mouseMove(region, grip + QPoint(0, 5));
    QTest::mouseMove(region, QPoint(-400, 10));
    QTest::mouseMove(region, QPoint(-400, 40));
    QTest::mouseMove(region, QPoint(60, 40));
    QTest::mouseRelease(region, Qt::LeftButton, {}, QPoint(60, 40));
    EXPECT_EQ(calls, (QStringList{u"out"_s, u"in"_s}));

    // Within the edge's slack is still inside; past it is outside, and a release there is a drop
    // at the screen point.
    calls.clear();
    const QRect frame = host.frameGeometry();
    const QPoint inSlack = region->mapFromGlobal(QPoint(frame.left() - 3, frame.top() + 30));
    const QPoint pastSlack = region->mapFromGlobal(QPoint(frame.left() - 5, frame.top() + 30));
    QTest::mousePress(region, Qt::LeftButton, {}, grip);
    QTest::mouseMove(region, inSlack);
    EXPECT_TRUE(calls.isEmpty());
    QTest::mouseMove(region, pastSlack);
    QTest::mouseRelease(region, Qt::LeftButton, {}, pastSlack);
    EXPECT_EQ(calls, (QStringList{u"out"_s, u"in"_s, u"drop %1,%2"_s.arg(frame.left() - 5).arg(frame.top() + 30)}));
}

TEST(FirstClickHostingViewTest, AClickIntoAnInactivePanelReachesItsControl)
{
    int clicks = 0;
    auto* button = new QPushButton(u"Go"_s);
    QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
    TruneDraggableFloatingPanel panel;
    auto* layout = new QVBoxLayout(&panel);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(new TruneFirstClickHostingView(button));
    panel.setAttribute(Qt::WA_ShowWithoutActivating);
    panel.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&panel));
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));

    QTest::mouseClick(panel.windowHandle(), Qt::LeftButton, {}, button->mapTo(&panel, button->rect().center()));
    EXPECT_EQ(clicks, 1);
}

TEST(FloatingPanelControllerTest, Screenshot)
{
    TruneFloatingPanelController controller(QSize(320, 180), true, {});
    controller.show(true, std::nullopt, [] {
        auto* ground = new TruneGroundBackground(TruneProductPalette::deepEmerald);
        auto* card = new TruneGlassCard(14, 12);
        auto* content = new QWidget;
        auto* rows = new QVBoxLayout(content);
        rows->addWidget(new QLabel(u"Clipboard"_s));
        rows->addWidget(new QLineEdit(u"Drag anywhere but here"_s));
        rows->addWidget(new QSlider(Qt::Horizontal));
        card->setContent(content);
        auto* layout = new QVBoxLayout(ground);
        layout->setContentsMargins(16, 16, 16, 16);
        layout->addWidget(card);
        return ground;
    });
    ASSERT_TRUE(QTest::qWaitForWindowExposed(controller.panel()));
    saveScreenshot(*controller.panel(), u"floating-panel-glass-en"_s);
}
