#include "kit/ui/TruneAdaptiveGridLayout.h"

#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneProductPalette.h"
#include "tests/support/Screenshots.h"

#include <QWidget>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

#include <vector>

namespace {

const TruneAdaptiveGrid suiteHub{
    .minimumItemWidth = 270, .maximumItemWidth = 380, .columnSpacing = 14, .rowSpacing = 14};
const TruneAdaptiveGrid figureTiles{
    .minimumItemWidth = 155, .maximumItemWidth = std::nullopt, .columnSpacing = 8, .rowSpacing = 8};

// A widget that asks for a given size and may be stretched to its cell.
class Box final : public QWidget {
public:
    Box(QSize hint, QWidget* parent)
        : QWidget(parent)
        , m_hint(hint)
    {
    }
    QSize sizeHint() const override { return m_hint; }

private:
    QSize m_hint;
};

struct GridHost {
    QWidget window;
    TruneAdaptiveGridLayout* layout = nullptr;
    std::vector<Box*> boxes;

    GridHost(const TruneAdaptiveGrid& grid, const std::vector<int>& heights)
    {
        layout = new TruneAdaptiveGridLayout(grid, &window);
        layout->setContentsMargins(5, 6, 7, 8);
        for (const int height : heights) {
            boxes.push_back(new Box(QSize(50, height), &window));
            layout->addWidget(boxes.back());
        }
    }

    // Lays the items out in a layout `width` wide (margins included) and as tall as they need.
    void layOut(int width) { layout->setGeometry(QRect(0, 0, width, layout->heightForWidth(width))); }
};

} // namespace

TEST(TruneAdaptiveGridLayoutTest, FitsAsManyColumnsAsTheMinimumWidthAllows)
{
    struct Case {
        const TruneAdaptiveGrid& grid;
        int width;
        TruneAdaptiveGridColumns expected;
    };
    const Case cases[] = {
        // Narrower than one item: one column at the minimum width, overflowing.
        {suiteHub, 0, {.count = 1, .itemWidth = 270, .leadingOffset = 0}},
        {suiteHub, 200, {.count = 1, .itemWidth = 270, .leadingOffset = 0}},
        {suiteHub, 270, {.count = 1, .itemWidth = 270, .leadingOffset = 0}},
        // One column wider than the maximum: capped and centred.
        {suiteHub, 400, {.count = 1, .itemWidth = 380, .leadingOffset = 10}},
        {suiteHub, 553, {.count = 1, .itemWidth = 380, .leadingOffset = 86}},
        // 554 = 2 x 270 + 14: the second column fits exactly.
        {suiteHub, 554, {.count = 2, .itemWidth = 270, .leadingOffset = 0}},
        {suiteHub, 700, {.count = 2, .itemWidth = 343, .leadingOffset = 0}},
        {suiteHub, 800, {.count = 2, .itemWidth = 380, .leadingOffset = 13}},
        {suiteHub, 1000, {.count = 3, .itemWidth = 324, .leadingOffset = 0}},
        // A pixel the columns cannot share goes half to each side (rounded down).
        {suiteHub, 1002, {.count = 3, .itemWidth = 324, .leadingOffset = 1}},
        {suiteHub, 1400, {.count = 4, .itemWidth = 339, .leadingOffset = 1}},
        // No maximum: the items always fill the width.
        {figureTiles, 100, {.count = 1, .itemWidth = 155, .leadingOffset = 0}},
        {figureTiles, 317, {.count = 1, .itemWidth = 317, .leadingOffset = 0}},
        {figureTiles, 318, {.count = 2, .itemWidth = 155, .leadingOffset = 0}},
        {figureTiles, 700, {.count = 4, .itemWidth = 169, .leadingOffset = 0}},
        // A grid that cannot be divided by is made sane: items at least 1 wide, no negative spacing.
        {{.minimumItemWidth = 0, .maximumItemWidth = std::nullopt, .columnSpacing = 0, .rowSpacing = 0}, 3,
            {.count = 3, .itemWidth = 1, .leadingOffset = 0}},
        {{.minimumItemWidth = 10, .maximumItemWidth = std::nullopt, .columnSpacing = -10, .rowSpacing = 0}, 25,
            {.count = 2, .itemWidth = 12, .leadingOffset = 0}},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(testing::Message() << "min " << test.grid.minimumItemWidth << ", width " << test.width);
        const TruneAdaptiveGridColumns columns = truneAdaptiveGridColumns(test.grid, test.width);
        EXPECT_EQ(columns.count, test.expected.count);
        EXPECT_EQ(columns.itemWidth, test.expected.itemWidth);
        EXPECT_EQ(columns.leadingOffset, test.expected.leadingOffset);
    }
}

TEST(TruneAdaptiveGridLayoutTest, PlacesItemsInRowsAsTallAsTheirTallestItem)
{
    struct Case {
        int width;
        std::vector<QRect> rects;
        int height;
    };
    // Inside the margins (5, 6, 7, 8) the width is 12 less; items are 40, 60, 50, 30 and 20 tall.
    const Case cases[] = {
        // 800 wide inside: two columns of 380, centred 13 in.
        {812, {{18, 6, 380, 60}, {412, 6, 380, 60}, {18, 80, 380, 50}, {412, 80, 380, 50}, {18, 144, 380, 20}},
            6 + 60 + 14 + 50 + 14 + 20 + 8},
        // 1000 wide inside: three columns of 324.
        {1012, {{5, 6, 324, 60}, {343, 6, 324, 60}, {681, 6, 324, 60}, {5, 80, 324, 30}, {343, 80, 324, 30}},
            6 + 60 + 14 + 30 + 8},
        // Narrower than the minimum: one column of 270 per row, from the leading edge.
        {212, {{5, 6, 270, 40}, {5, 60, 270, 60}, {5, 134, 270, 50}, {5, 198, 270, 30}, {5, 242, 270, 20}},
            6 + 40 + 60 + 50 + 30 + 20 + 4 * 14 + 8},
    };
    for (const Case& test : cases) {
        SCOPED_TRACE(testing::Message() << "width " << test.width);
        GridHost host(suiteHub, {40, 60, 50, 30, 20});
        EXPECT_EQ(host.layout->heightForWidth(test.width), test.height);
        host.layOut(test.width);
        for (std::size_t index = 0; index < host.boxes.size(); ++index)
            EXPECT_EQ(host.boxes[index]->geometry(), test.rects[index]) << "item " << index;
    }
}

TEST(TruneAdaptiveGridLayoutTest, HiddenItemsTakeNoCell)
{
    GridHost host(figureTiles, {10, 20, 30});
    host.boxes[0]->hide();
    // 330 inside: two columns of 161.
    host.layOut(342);
    EXPECT_EQ(host.boxes[1]->geometry(), QRect(5, 6, 161, 30));
    EXPECT_EQ(host.boxes[2]->geometry(), QRect(174, 6, 161, 30));
    EXPECT_EQ(host.layout->heightForWidth(342), 6 + 30 + 8);

    for (Box* box : host.boxes)
        box->hide();
    EXPECT_EQ(host.layout->heightForWidth(342), 6 + 8);
}

TEST(TruneAdaptiveGridLayoutTest, RightToLeftStartsAtTheRightEdge)
{
    GridHost host(suiteHub, {40, 40, 40});
    host.window.setLayoutDirection(Qt::RightToLeft);
    host.layOut(812);
    // The mirror of the left-to-right rects within the area (5 ... 804).
    EXPECT_EQ(host.boxes[0]->geometry(), QRect(412, 6, 380, 40));
    EXPECT_EQ(host.boxes[1]->geometry(), QRect(18, 6, 380, 40));
    EXPECT_EQ(host.boxes[2]->geometry(), QRect(412, 60, 380, 40));
}

TEST(TruneAdaptiveGridLayoutTest, ShrinksNoNarrowerThanOneItemAndFollowsAGridChange)
{
    GridHost host(suiteHub, {40, 70});
    host.boxes[1]->setMinimumHeight(70);
    EXPECT_EQ(host.layout->minimumSize(), QSize(270 + 12, 70 + 14));
    EXPECT_TRUE(host.layout->hasHeightForWidth());

    host.layout->setGrid(figureTiles);
    EXPECT_EQ(host.layout->grid(), figureTiles);
    EXPECT_EQ(host.layout->minimumSize(), QSize(155 + 12, 70 + 14));
    host.layOut(330 + 12);
    EXPECT_EQ(host.boxes[1]->geometry(), QRect(174, 6, 161, 70));
}

TEST(TruneAdaptiveGridLayoutTest, Screenshots)
{
    struct Shot {
        int width;
        const char* state;
    };
    for (const Shot shot : {Shot{500, "narrow"}, Shot{820, "capped"}, Shot{1040, "wide"}}) {
        QWidget ground;
        ground.setAutoFillBackground(true);
        QPalette palette = ground.palette();
        palette.setColor(QPalette::Window, groundStops(TruneProductPalette::deepEmerald).middle);
        ground.setPalette(palette);
        GridHost host(suiteHub, {90, 120, 90, 90, 100});
        for (Box* box : host.boxes) {
            box->setAutoFillBackground(true);
            QPalette fill = box->palette();
            fill.setColor(QPalette::Window, TruneGlassTokens::surface3());
            box->setPalette(fill);
        }
        host.window.setParent(&ground);
        host.window.setGeometry(0, 0, shot.width, host.layout->heightForWidth(shot.width));
        ground.resize(host.window.size());
        saveScreenshot(ground, u"kit-widgets-grid-"_s + QString::fromLatin1(shot.state));

        // Every box shown whole in its cell, none over another.
        expectEveryWidgetShownWhole(ground);
        expectNoneOverlap(QList<QWidget*>(host.boxes.begin(), host.boxes.end()));
    }
}
