#include "kit/ui/TruneFlowLayout.h"
#include "kit/ui/TruneAnimations.h"
#include "kit/ui/TruneGlassButtons.h"
#include "kit/ui/TruneGroundBackground.h"
#include "tests/support/Screenshots.h"

#include <QWidget>

#include <gtest/gtest.h>

#include <QStringList>

#include <limits>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

struct MeasureCase {
    const char* name;
    QList<QSizeF> sizes;
    qreal spacing;
    qreal lineSpacing;
    std::optional<qreal> proposedWidth;
    QSizeF expected;
};

struct PlaceCase {
    const char* name;
    QList<QSizeF> sizes;
    QRectF bounds;
    qreal spacing;
    qreal lineSpacing;
    QList<QPointF> expected;
};

} // namespace

TEST(TruneFlowLayoutTest, MeasuresRowsWrappingExactlyAtTheAvailableWidth)
{
    const std::vector<MeasureCase> cases{
        {"empty without a proposal", {}, 4, 6, std::nullopt, {0, 0}},
        {"empty with a proposal", {}, 4, 6, 100, {100, 0}},
        // The spacing after the last item is not counted.
        {"no proposal puts all on one row", {{50, 10}, {30, 20}, {40, 12}}, 4, 6, std::nullopt, {128, 20}},
        {"50 + 4 + 50 exceeds 100", {{50, 10}, {50, 10}}, 4, 6, 100, {100, 26}},
        {"50 + 4 + 46 fits exactly", {{50, 10}, {46, 14}}, 4, 6, 100, {100, 14}},
        {"a half point over wraps", {{50, 10}, {46.5, 14}}, 4, 6, 100, {100, 30}},
        {"a first item wider than the width stays", {{150, 10}}, 4, 6, 100, {100, 10}},
        {"the item after a too-wide one wraps", {{150, 10}, {10, 8}}, 4, 6, 100, {100, 24}},
        {"rows take their tallest item", {{60, 10}, {30, 25}, {60, 5}, {20, 12}}, 2, 3, 100, {100, 40}},
        {"infinite proposal is the widest row", {{50, 10}, {50, 10}}, 4, 6, std::numeric_limits<qreal>::infinity(),
            {104, 10}},
    };
    for (const MeasureCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TruneFlowLayout::sizeThatFits(c.sizes, c.spacing, c.lineSpacing, c.proposedWidth), c.expected);
    }
}

TEST(TruneFlowLayoutTest, PlacesItemsAllowingHalfAPixelOfOverflow)
{
    const std::vector<PlaceCase> cases{
        {"empty", {}, {0, 0, 100, 50}, 4, 6, {}},
        // Measured at 100 this wraps; placed in 104 it does not.
        {"two 50s in 104 keep one row", {{50, 10}, {50, 10}}, {0, 0, 104, 40}, 4, 6, {{0, 0}, {54, 0}}},
        {"two 50s in 100 wrap", {{50, 10}, {50, 10}}, {0, 0, 100, 40}, 4, 6, {{0, 0}, {0, 16}}},
        {"a half point over stays", {{50, 10}, {46.5, 10}}, {0, 0, 100, 40}, 4, 6, {{0, 0}, {54, 0}}},
        {"more than a half point over wraps", {{50, 10}, {46.6, 10}}, {0, 0, 100, 40}, 4, 6, {{0, 0}, {0, 16}}},
        {"a too-wide first item stays, the next wraps", {{150, 10}, {10, 8}}, {0, 0, 100, 40}, 4, 6, {{0, 0}, {0, 16}}},
        {"bounds are offset", {{60, 10}, {30, 25}, {60, 5}}, {10, 20, 100, 80}, 2, 3, {{10, 20}, {72, 20}, {10, 48}}},
    };
    for (const PlaceCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(TruneFlowLayout::placements(c.sizes, c.bounds, c.spacing, c.lineSpacing), c.expected);
    }
}

namespace {

// A widget that asks for a fixed size.
class Chip final : public QWidget {
public:
    Chip(QSize size, QWidget* parent)
        : QWidget(parent)
        , m_size(size)
    {
    }
    QSize sizeHint() const override { return m_size; }

private:
    QSize m_size;
};

} // namespace

TEST(TruneFlowLayoutTest, LaysOutWidgetsAndReportsHeightForWidth)
{
    QWidget host;
    auto* flow = new TruneFlowLayout(4, 6, &host);
    flow->setContentsMargins(2, 3, 2, 3);
    auto* first = new Chip({50, 10}, &host);
    auto* second = new Chip({50, 12}, &host);
    auto* hidden = new Chip({500, 500}, &host);
    auto* third = new Chip({20, 10}, &host);
    flow->addWidget(first);
    flow->addWidget(second);
    flow->addWidget(hidden);
    flow->addWidget(third);
    hidden->hide();

    EXPECT_TRUE(flow->hasHeightForWidth());
    // Hidden widgets take no room.
    EXPECT_EQ(flow->sizeHint(), QSize(128 + 4, 12 + 6));
    EXPECT_EQ(flow->heightForWidth(128 + 4), 12 + 6);
    EXPECT_EQ(flow->heightForWidth(104 + 4), 12 + 6 + 10 + 6);
    EXPECT_EQ(flow->heightForWidth(60 + 4), 10 + 6 + 12 + 6 + 10 + 6);
    // At least the largest item; the height at a width comes from heightForWidth.
    EXPECT_EQ(flow->minimumSize(), QSize(50 + 4, 12 + 6));

    flow->setGeometry(QRect(0, 0, 108, 100));
    EXPECT_EQ(first->geometry(), QRect(2, 3, 50, 10));
    EXPECT_EQ(second->geometry(), QRect(56, 3, 50, 12));
    EXPECT_EQ(third->geometry(), QRect(2, 3 + 12 + 6, 20, 10));

    EXPECT_EQ(flow->count(), 4);
    QLayoutItem* taken = flow->takeAt(0);
    ASSERT_NE(taken, nullptr);
    EXPECT_EQ(taken->widget(), first);
    delete taken;
    EXPECT_EQ(flow->takeAt(7), nullptr);
}

TEST(TruneFlowLayoutTest, Screenshots)
{
    TruneAnimations::setEnabled(false);
    const std::pair<const char*, QStringList> languages[] = {
        {"en",
            {u"All"_s, u"Outdated"_s, u"Homebrew casks"_s, u"App Store"_s, u"Sparkle"_s, u"Direct downloads"_s,
                u"Apple silicon"_s, u"Intel"_s}},
        {"tr",
            {u"Tümü"_s, u"Güncel olmayanlar"_s, u"Homebrew fıçıları"_s, u"App Store"_s, u"Sparkle"_s,
                u"Doğrudan indirilenler"_s, u"Apple silikon"_s, u"Intel"_s}},
    };
    for (const auto& [lang, titles] : languages) {
        TruneGroundBackground ground(TruneProductPalette::deepEmerald);
        auto* flow = new TruneFlowLayout(8, 8, &ground);
        flow->setContentsMargins(16, 16, 16, 16);
        QList<QWidget*> buttons;
        for (const QString& title : titles) {
            buttons.append(new TruneGlassButton(title, title == titles.first()));
            flow->addWidget(buttons.last());
        }
        ground.resize(340, flow->heightForWidth(340));
        flow->activate();
        saveScreenshot(ground, u"kit-glass-flow-%1"_s.arg(QString::fromLatin1(lang)));

        // Every chip at its full size, in reading order, wrapped onto more than one line.
        for (const QWidget* button : buttons)
            EXPECT_EQ(button->size(), button->sizeHint())
                << static_cast<const QAbstractButton*>(button)->text().toStdString();
        for (qsizetype index = 1; index < buttons.size(); ++index) {
            const QRect before = buttons[index - 1]->geometry();
            const QRect after = buttons[index]->geometry();
            EXPECT_TRUE(after.top() > before.top() || (after.top() == before.top() && after.left() > before.right()))
                << "chip " << index << " is not after the one before it";
        }
        EXPECT_GT(buttons.last()->y(), buttons.first()->y());
        expectEveryWidgetShownWhole(ground);
        expectNoneOverlap(buttons);
    }
    TruneAnimations::setEnabled(true);
}
