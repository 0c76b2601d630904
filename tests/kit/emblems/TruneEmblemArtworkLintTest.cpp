#include "kit/emblems/TruneEmblemGrammar.h"
#include "kit/emblems/TruneEmblemInterpreter.h"
#include "kit/emblems/TruneEmblemRenderer.h"
#include "kit/emblems/TruneFlatDraw.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

using Role = TruneEmblemPaintRole;
using Layer = TruneEmblemLayer;

// Qt draws arcs as cubic curves, which stray this far from the true circle.
constexpr qreal curveTolerance = 0.02;

// The stop sign is given in full with its cross as its only detail, and no accent.
constexpr TruneAppIdentity givenWithoutAccent = TruneAppIdentity::haltrix;

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
    std::span<const TruneEmblemOp> ops, const TruneEmblemVocabulary& words, bool needsAccent = true)
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
        if ((op.layer == Layer::clearance) != glassOnly)
            faults.push_back(describe(i, "a clearance must be drawn in white glass only, and only a clearance"));
        if (op.layer == Layer::clearance) {
            if (!isFullCut(op.paint.glass))
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
    if (!accentMotif && needsAccent)
        faults.push_back("no accent motif");
    return faults;
}

} // namespace

TEST(TruneEmblemArtworkLintTest, EveryDrawingKeepsToTheGrammar)
{
    for (const TruneAppIdentity app : allCases<TruneAppIdentity>()) {
        const std::vector<std::string> faults
            = faultsOf(TruneEmblemRenderer::drawing(app), vocabularyOf(app), app != givenWithoutAccent);
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
}
