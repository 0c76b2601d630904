#include "kit/emblems/TruneEmblemGrammar.h"
#include "kit/emblems/TruneEmblemInterpreter.h"
#include "kit/emblems/TruneEmblemRenderer.h"
#include "kit/emblems/TruneFlatDraw.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>
#include <QPainterPathStroker>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

namespace {

using Role = TruneEmblemPaintRole;
using Layer = TruneEmblemLayer;

// Qt draws arcs as cubic curves, which stray this far from the true circle.
constexpr qreal curveTolerance = 0.02;

// What a drawing may do beyond the group's vocabulary, as its own description gives it.
struct Allowances {
    // The stop sign (given in full), the struck-through dial and the envelope have no accent piece.
    bool needsAccent = true;
    // Only the drawings described with a piece "clearance cut in white glass" erase room for it in
    // that look alone; every other clearance is cut in both looks.
    bool glassOnlyClearance = true;
};

Allowances allowancesOf(TruneAppIdentity app)
{
    using App = TruneAppIdentity;
    static const std::set<App> withoutAccent{App::haltrix, App::tallyra, App::calvine};
    static const std::set<App> withGlassOnlyClearance{App::ledgera, App::glimmet, App::dovel, App::dockery,
        App::calvine, App::portello, App::keyrook, App::iplume, App::routrix};
    return {.needsAccent = !withoutAccent.contains(app), .glassOnlyClearance = withGlassOnlyClearance.contains(app)};
}

// The shared display frame is given with its outline centred on x 21 and 79, so half its stroke
// (1.5 units) lies beyond the ink square at both sides.
bool isDisplayFrameOutline(const TruneEmblemOp& op)
{
    const auto* shape = std::get_if<TruneEmblemRect>(&op.shape);
    return op.how == TruneEmblemPutDown::stroke && shape && shape->rect == TruneFlatDraw::Shapes::screen.rect;
}

const TruneEmblemVocabulary& vocabularyOf(TruneAppIdentity app)
{
    const int index = static_cast<int>(app);
    if (index <= 26)
        return TruneEmblemGrammar::productivity;
    if (index <= 42)
        return TruneEmblemGrammar::media;
    return TruneEmblemGrammar::systemNet;
}

bool listed(qreal value, std::span<const qreal> list, std::span<const qreal> shared = {})
{
    const auto same = [value](qreal entry) { return std::abs(entry - value) < 1e-9; };
    return std::ranges::any_of(list, same) || std::ranges::any_of(shared, same);
}

bool isAccentMotif(TruneEmblemPaintRef paint)
{
    return paint.role == Role::accent || paint.role == Role::accentAlpha || paint.role == Role::onPrimaryAccent;
}

bool isFullCut(TruneEmblemPaintRef paint)
{
    return (paint.role == Role::cutout || paint.role == Role::erase) && paint.alpha == 1;
}

std::string describe(std::size_t index, const char* fault)
{
    return "operation " + std::to_string(index) + ": " + fault;
}

// What is wrong with one paint of an operation, in the group's vocabulary.
const char* paintFault(TruneEmblemPaintRef paint, const TruneEmblemVocabulary& words)
{
    switch (paint.role) {
    case Role::primaryAlpha:
        return listed(paint.alpha, words.primaryAlphas, TruneEmblemGrammar::sharedPrimaryAlphas)
            ? nullptr
            : "a primary alpha outside the group's list";
    case Role::accentAlpha:
        return listed(paint.alpha, words.accentAlphas) ? nullptr : "an accent alpha outside the group's list";
    case Role::erase:
        return listed(paint.alpha, words.erasures, TruneEmblemGrammar::sharedErasures)
            ? nullptr
            : "an erasure outside the group's list";
    case Role::cutout:
        return paint.alpha >= words.faintestCut && paint.alpha <= 1 ? nullptr : "a cut fainter than the group's";
    default:
        return nullptr;
    }
}

std::vector<std::string> faultsOf(
    std::span<const TruneEmblemOp> ops, const TruneEmblemVocabulary& words, Allowances allowed = {})
{
    if (ops.empty())
        return {"no drawing"};
    const QRectF ink(TruneEmblemGrammar::inkMin, TruneEmblemGrammar::inkMin,
        TruneEmblemGrammar::inkMax - TruneEmblemGrammar::inkMin,
        TruneEmblemGrammar::inkMax - TruneEmblemGrammar::inkMin);
    std::vector<std::string> faults;
    bool accentMotif = false;
    bool afterBadge = false;
    for (std::size_t i = 0; i < ops.size(); ++i) {
        const TruneEmblemOp& op = ops[i];
        const bool stroked = op.how == TruneEmblemPutDown::stroke;
        const qreal halfStroke = stroked ? op.lineWidth / 2 : 0;
        const QRectF covered = TruneEmblemInterpreter::outlineOf(op).boundingRect().adjusted(
            -halfStroke, -halfStroke, halfStroke, halfStroke);
        const bool inside
            = ink.adjusted(-curveTolerance, -curveTolerance, curveTolerance, curveTolerance).contains(covered);
        if (!inside && !isDisplayFrameOutline(op))
            faults.push_back(describe(i, "leaves the ink square"));
        if (stroked && !listed(op.lineWidth, words.strokeWidths, TruneEmblemGrammar::sharedStrokeWidths))
            faults.push_back(describe(i, "a stroke width outside the group's list"));
        for (const TruneEmblemPaintRef paint : {op.paint.glass, op.paint.flat}) {
            if (const char* fault = paintFault(paint, words))
                faults.push_back(describe(i, fault));
            accentMotif = accentMotif || isAccentMotif(paint);
        }
        faults.erase(std::unique(faults.begin(), faults.end()), faults.end());
        const bool glassOnly = op.paint.flat.role == Role::none;
        if (op.paint.glass.role == Role::none)
            faults.push_back(describe(i, "drawn in the flat look only"));
        if (glassOnly && op.layer != Layer::clearance)
            faults.push_back(describe(i, "drawn in white glass only but not a clearance"));
        if (glassOnly && op.layer == Layer::clearance && !allowed.glassOnlyClearance)
            faults.push_back(describe(i, "a clearance left out of the flat look in a drawing that cuts it in both"));
        if (op.layer == Layer::clearance) {
            if (!isFullCut(op.paint.glass) || !(glassOnly || isFullCut(op.paint.flat)))
                faults.push_back(describe(i, "a clearance that is not a full cut"));
            const bool clearsAPiece
                = i + 1 < ops.size() && (ops[i + 1].layer == Layer::plain || ops[i + 1].layer == Layer::badge);
            if (!clearsAPiece)
                faults.push_back(describe(i, "a clearance not followed by the piece it makes room for"));
        }
        if (op.layer == Layer::badgeSymbol && (!isFullCut(op.paint.glass) || op.paint.flat.role != Role::cutout))
            faults.push_back(describe(i, "a badge symbol that is not cut through"));
        if (op.layer == Layer::badgeSymbol && !afterBadge)
            faults.push_back(describe(i, "a badge symbol without a badge"));
        const bool partOfBadge = op.layer == Layer::badge || op.layer == Layer::badgeSymbol;
        if (afterBadge && !partOfBadge)
            faults.push_back(describe(i, "drawn after a badge but not its symbol"));
        afterBadge = afterBadge || op.layer == Layer::badge;
    }
    if (!accentMotif && allowed.needsAccent)
        faults.push_back("no accent motif");
    return faults;
}

// What an operation covers, its stroke with round caps included.
QPainterPath coverOf(const TruneEmblemOp& op)
{
    const QPainterPath outline = TruneEmblemInterpreter::outlineOf(op);
    if (op.how == TruneEmblemPutDown::fill)
        return outline;
    QPainterPathStroker stroker;
    stroker.setWidth(op.lineWidth);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(outline);
}

// A design-space mask at 8 pixels per unit, without smoothing, so a pixel is in or out.
class DesignMask final {
public:
    DesignMask()
        : m_image(800, 800, QImage::Format_Grayscale8)
    {
        m_image.fill(0);
    }

    // `grow` widens the area by half that many units on every side.
    void add(const QPainterPath& area, qreal grow = 0)
    {
        QPainter painter(&m_image);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.scale(8, 8);
        painter.fillPath(area, Qt::white);
        if (grow > 0)
            painter.strokePath(area, QPen(Qt::white, grow));
    }

    // How many pixels of this mask `other` leaves uncovered.
    int pixelsOutside(const DesignMask& other) const
    {
        int outside = 0;
        for (int y = 0; y < m_image.height(); ++y) {
            const uchar* mine = m_image.constScanLine(y);
            const uchar* theirs = other.m_image.constScanLine(y);
            for (int x = 0; x < m_image.width(); ++x)
                outside += mine[x] != 0 && theirs[x] == 0;
        }
        return outside;
    }

private:
    QImage m_image;
};

bool startsWithSplitShield(std::span<const TruneEmblemOp> ops)
{
    const auto& shield = TruneFlatDraw::Shapes::splitShield;
    return ops.size() >= shield.size()
        && std::ranges::equal(ops.first(shield.size()), shield, [](const TruneEmblemOp& a, const TruneEmblemOp& b) {
               return TruneEmblemInterpreter::outlineOf(a) == TruneEmblemInterpreter::outlineOf(b);
           });
}

// In the flat look a cut is pale paint, not a hole: wherever it reaches past the pieces beneath it,
// it shows as a pale patch outside the emblem's shape. A clearance is left out: its pale rim is
// the outline of the piece it makes room for.
std::vector<std::string> flatCutsOutsideTheirBody(std::span<const TruneEmblemOp> ops)
{
    std::vector<std::string> faults;
    DesignMask beneath;
    // The narrow gap down the split shield lies inside the shield's shape.
    if (startsWithSplitShield(ops)) {
        QPainterPath gap;
        gap.addRect(48.7, 23, 2.6, 53);
        beneath.add(gap);
    }
    for (std::size_t i = 0; i < ops.size(); ++i) {
        const TruneEmblemOp& op = ops[i];
        const Role role = op.paint.flat.role;
        if (role == Role::none || role == Role::erase || op.layer == Layer::clearance)
            continue;
        if (role != Role::cutout) {
            // Grown by a tenth of a unit each side, so that a cut along a piece's own edge passes.
            beneath.add(coverOf(op), 0.2);
            continue;
        }
        DesignMask cut;
        cut.add(coverOf(op));
        if (const int outside = cut.pixelsOutside(beneath); outside > 0)
            faults.push_back(
                describe(i, "a cut reaching past its body in the flat look") + " (" + std::to_string(outside) + " px)");
    }
    return faults;
}

} // namespace

TEST(TruneEmblemArtworkLintTest, InTheFlatLookEveryCutStaysOnItsBody)
{
    // Cuts that their drawings give running off the body: the wrench's open jaw, and the lens
    // blades whose given ends lie within their round caps' reach of the lens's edge.
    const std::set<TruneAppIdentity> givenRunningOff{TruneAppIdentity::focusel, TruneAppIdentity::pixmire};
    for (const TruneAppIdentity app : allCases<TruneAppIdentity>()) {
        if (givenRunningOff.contains(app))
            continue;
        const std::vector<std::string> faults = flatCutsOutsideTheirBody(TruneEmblemRenderer::drawing(app));
        std::string all;
        for (const std::string& fault : faults)
            all += "\n  " + fault;
        EXPECT_TRUE(faults.empty()) << static_cast<int>(app) << " " << rawValue(app).toStdString() << ":" << all;
    }
}

TEST(TruneEmblemArtworkLintTest, EveryDrawingKeepsToTheGrammar)
{
    for (const TruneAppIdentity app : allCases<TruneAppIdentity>()) {
        const std::vector<std::string> faults
            = faultsOf(TruneEmblemRenderer::drawing(app), vocabularyOf(app), allowancesOf(app));
        std::string all;
        for (const std::string& fault : faults)
            all += "\n  " + fault;
        EXPECT_TRUE(faults.empty()) << static_cast<int>(app) << " " << rawValue(app).toStdString() << ":" << all;
    }
}

TEST(TruneEmblemArtworkLintTest, OutlinesOfTurnedShapesAreWhereTheyAreDrawn)
{
    using namespace TruneEmblemGrammar;
    const TruneEmblemOp bar = turned(designCentre, -45, fill(rect(-30, -2, 60, 4), primary));
    const QRectF bounds = TruneEmblemInterpreter::outlineOf(bar).boundingRect();
    // Turned by -45 degrees the bar rises from the lower left to the upper right.
    EXPECT_NEAR(bounds.left(), 50 - 30 * M_SQRT1_2 - 2 * M_SQRT1_2, 1e-6);
    EXPECT_NEAR(bounds.top(), 50 - 30 * M_SQRT1_2 - 2 * M_SQRT1_2, 1e-6);
    EXPECT_TRUE(TruneEmblemInterpreter::outlineOf(bar).contains(QPointF(65, 35)));
    EXPECT_FALSE(TruneEmblemInterpreter::outlineOf(bar).contains(QPointF(65, 65)));
}

TEST(TruneEmblemArtworkLintTest, CatchesEachBrokenRule)
{
    using namespace TruneEmblemGrammar;
    const TruneEmblemOp body = fill(rect(30, 30, 40, 40, bodyRadius), primary);
    const TruneEmblemOp mark = fill(disc(50, 50, 8), onPrimaryAccent);
    struct Case {
        const char* fault;
        std::vector<TruneEmblemOp> ops;
    };
    const std::vector<Case> cases{
        {"no drawing", {}},
        {"leaves the ink square", {body, mark, strokeWith(line(30, 21, 70, 21), primary, 3)}},
        {"stroke width", {body, mark, strokeWith(line(30, 40, 70, 40), primary, 3.3)}},
        {"primary alpha", {fill(rect(30, 30, 40, 40), primaryAt(0.5)), mark}},
        {"cut fainter", {body, mark, fill(disc(40, 40, 6), cut(0.3))}},
        {"no accent motif", {body}},
        {"white glass only", {body, mark, fill(disc(40, 40, 6), byLook(primary, nothing))}},
        {"not followed by the piece", {body, mark, clearance(disc(60, 60, 14))}},
        {"not its symbol", {body, clearance(disc(60, 60, 14)), badge(fill(disc(60, 60, 10), accent)), mark}},
        {"not cut through",
            {body, clearance(disc(60, 60, 14)), badge(fill(disc(60, 60, 10), accent)),
                badgeSymbol(fill(disc(60, 60, 4), cut(0.6)))}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fault);
        const std::vector<std::string> faults = faultsOf(c.ops, productivity);
        ASSERT_EQ(faults.size(), 1U);
        EXPECT_NE(faults.front().find(c.fault), std::string::npos) << faults.front();
    }

    const std::vector<TruneEmblemOp> badged{body, clearance(disc(60, 60, 14)), badge(fill(disc(60, 60, 10), accent))};
    const std::vector<std::string> faults = faultsOf(badged, productivity, {.glassOnlyClearance = false});
    ASSERT_EQ(faults.size(), 1U);
    EXPECT_NE(faults.front().find("left out of the flat look"), std::string::npos) << faults.front();
    EXPECT_TRUE(faultsOf(badged, productivity).empty());
    EXPECT_TRUE(faultsOf(std::vector{body}, productivity, {.needsAccent = false}).empty());
}
