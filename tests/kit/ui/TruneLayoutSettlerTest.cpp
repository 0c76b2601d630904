#include "kit/ui/TruneLayoutSettler.h"

#include "tests/support/TestWaits.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

// A window with a label three widgets deep, each with a layout of its own, beside a stretch:
// the label gets only the room its size hint asks for.
class NestedWindow {
public:
    NestedWindow()
    {
        QWidget* outer = nest(&window);
        QWidget* inner = nest(outer);
        QWidget* holder = nest(inner);
        label = new QLabel(u"Short"_s, holder);
        (new QHBoxLayout(holder))->addWidget(label);
        window.resize(600, 200);
        window.show();
        settle();
    }

    QWidget window;
    QLabel* label = nullptr;

private:
    static QWidget* nest(QWidget* parent)
    {
        auto* layout = new QHBoxLayout(parent);
        auto* child = new QWidget(parent);
        layout->addWidget(child);
        layout->addStretch(1);
        return child;
    }
};

// Records the label's width each time it paints.
class PaintedWidths final : public QObject {
public:
    explicit PaintedWidths(QWidget& widget) { widget.installEventFilter(this); }

    std::vector<int> widths;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            widths.push_back(static_cast<QWidget*>(watched)->width());
        return false;
    }
};

const QString longText = u"A much longer text than the label was laid out for"_s;

} // namespace

TEST(TruneLayoutSettlerTest, SettleGivesANestedWidgetTheRoomItsNewSizeHintAsks)
{
    NestedWindow nested;
    nested.label->setText(longText);
    TruneLayoutSettler::settle(nested.window);
    EXPECT_GE(nested.label->width(), nested.label->sizeHint().width());
    EXPECT_GE(nested.label->parentWidget()->width(), nested.label->sizeHint().width());
}

// Without the settler the first frame after the change paints the label at its old width, the
// text cut off, and the layouts catch up over the following frames.
TEST(TruneLayoutSettlerTest, AWindowWithASettlerPaintsAChangeWholeInItsNextFrame)
{
    NestedWindow nested;
    new TruneLayoutSettler(nested.window);
    PaintedWidths painted(*nested.label);
    nested.label->setText(longText);
    ASSERT_TRUE(waitUntil([&] { return !painted.widths.empty(); }));
    EXPECT_GE(painted.widths.front(), nested.label->sizeHint().width());
}

// What the hook changes right before the frame (a model announcing its changes) is laid out and
// painted in that very frame.
TEST(TruneLayoutSettlerTest, WhatTheHookChangesBeforeAFrameShowsWholeInIt)
{
    NestedWindow nested;
    bool pending = true;
    new TruneLayoutSettler(nested.window, [&] {
        if (std::exchange(pending, false))
            nested.label->setText(longText);
    });
    PaintedWidths painted(*nested.label);
    nested.window.update();
    ASSERT_TRUE(waitUntil([&] { return !painted.widths.empty(); }));
    EXPECT_EQ(nested.label->text(), longText);
    EXPECT_GE(painted.widths.front(), nested.label->sizeHint().width());
}
