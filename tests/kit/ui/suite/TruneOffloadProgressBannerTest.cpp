#include "kit/ui/suite/TruneOffloadProgressBanner.h"

#include "kit/ui/TruneAnimations.h"
#include "kit/ui/TruneCapsuleBadge.h"
#include "kit/ui/TruneElidedLabel.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneSpinner.h"
#include "kit/ui/suite/TruneSuiteAccents.h"
#include "tests/kit/ui/suite/SuiteWidgetStage.h"

#include <QAbstractButton>
#include <QLabel>
#include <QTest>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;
using State = TruneOffloadProgressBanner::StepState;

namespace {

LumbraOffloadLiveProgress runningRun()
{
    LumbraOffloadLiveProgress run;
    run.timestamp = QDateTime::currentDateTimeUtc();
    run.isRunning = true;
    run.stepIndex = 2;
    run.totalSteps = 4;
    run.fractionCompleted = 0.42;
    run.phaseTitleEN = u"Freezing idle apps"_s;
    run.phaseTitleTR = u"Boştaki uygulamalar donduruluyor"_s;
    run.detailEN = u"Mail, Photos and Music are paused; 1.2 GB waits for the swap wave"_s;
    run.detailTR = u"Mail, Fotoğraflar ve Müzik duraklatıldı; 1,2 GB swap dalgasını bekliyor"_s;
    run.allocatedBytes = 1'200'000'000;
    run.targetBytes = 3'000'000'000;
    run.livePressure = u"normal"_s;
    return run;
}

LumbraOffloadLiveProgress completedRun()
{
    LumbraOffloadLiveProgress run = runningRun();
    run.isRunning = false;
    run.isCompletedSummary = true;
    run.stepIndex = 4;
    run.fractionCompleted = 1;
    run.phaseTitleEN = u"2.8 GB released"_s;
    run.phaseTitleTR = u"2,8 GB serbest bırakıldı"_s;
    return run;
}

template <typename W> W* part(const QWidget& banner, const QString& name)
{
    auto* found = banner.findChild<W*>(name);
    EXPECT_NE(found, nullptr) << name.toStdString();
    return found;
}

bool shown(const QWidget& banner, const QString& name)
{
    const auto* widget = banner.findChild<QWidget*>(name);
    return widget && !widget->isHidden();
}

std::vector<State> pillStates(const LumbraOffloadLiveProgress& run)
{
    std::vector<State> states;
    for (int index = 1; index <= 4; ++index)
        states.push_back(TruneOffloadProgressBanner::stepState(run, index));
    return states;
}

class OffloadBannerTest : public ::testing::Test {
protected:
    void SetUp() override { TruneAnimations::setEnabled(false); }
    void TearDown() override { TruneAnimations::setEnabled(true); }
};

} // namespace

TEST_F(OffloadBannerTest, ARunningStepShowsItsCounterBytesPercentAndFill)
{
    int cancels = 0;
    SuiteStage stage(760);
    auto* banner = stage.add(new TruneOffloadProgressBanner(
        runningRun(), TruneLanguage::en, false, [&] { ++cancels; }, [] { ADD_FAILURE() << "dismissed"; }));
    stage.shoot(u"suite-offload-banner-running-en"_s);

    EXPECT_TRUE(shown(*banner, u"offloadSpinner"_s));
    EXPECT_FALSE(shown(*banner, u"offloadSeal"_s));
    EXPECT_EQ(part<TruneCapsuleBadge>(*banner, u"offloadStepBadge"_s)->text(), u"STEP 2/4"_s);
    EXPECT_EQ(part<TruneElidedLabel>(*banner, u"offloadPhase"_s)->text(), u"Freezing idle apps"_s);
    EXPECT_EQ(part<QLabel>(*banner, u"offloadBytes"_s)->text(), u"1.20 GB / 3.00 GB"_s);
    EXPECT_TRUE(shown(*banner, u"offloadBytes"_s));
    EXPECT_EQ(part<QLabel>(*banner, u"offloadPercent"_s)->text(), u"42%"_s);
    EXPECT_NEAR(banner->progressFillWidth(), 0.42 * banner->progressTrackRect().width(), 0.01);
    EXPECT_EQ(pillStates(runningRun()), (std::vector{State::done, State::active, State::pending, State::pending}));
    EXPECT_EQ(part<TruneCapsuleBadge>(*banner, u"offloadStepPill2"_s)->symbol(), u"bolt.circle.fill"_s);
    EXPECT_EQ(part<TruneCapsuleBadge>(*banner, u"offloadStepPill3"_s)->symbol(), u"circle"_s);

    EXPECT_FALSE(shown(*banner, u"offloadDismiss"_s));
    ASSERT_TRUE(shown(*banner, u"offloadCancel"_s));
    QTest::mouseClick(part<QAbstractButton>(*banner, u"offloadCancel"_s), Qt::LeftButton);
    EXPECT_EQ(cancels, 1);

    // Bytes only with a target; a cancel button only when the host can cancel.
    LumbraOffloadLiveProgress untargeted = runningRun();
    untargeted.targetBytes = 0;
    TruneOffloadProgressBanner bare(untargeted, TruneLanguage::en, false, nullptr, nullptr);
    EXPECT_FALSE(shown(bare, u"offloadBytes"_s));
    EXPECT_FALSE(shown(bare, u"offloadCancel"_s));
    EXPECT_FALSE(shown(bare, u"offloadDismiss"_s));
}

TEST_F(OffloadBannerTest, ACompletedRunIsDoneInTheSuccessColourWithEveryPillChecked)
{
    int dismissals = 0;
    for (const auto& [language, done] :
        {std::pair{TruneLanguage(TruneLanguage::en), u"DONE"_s}, {TruneLanguage(TruneLanguage::tr), u"TAMAMLANDI"_s}}) {
        SCOPED_TRACE(language.rawValue().toStdString());
        SuiteStage stage(760);
        auto* banner = stage.add(new TruneOffloadProgressBanner(
            completedRun(), language, false, [] { ADD_FAILURE() << "cancelled"; }, [&] { ++dismissals; }));
        stage.shoot(u"suite-offload-banner-completed-"_s + language.rawValue());
        EXPECT_EQ(part<TruneCapsuleBadge>(*banner, u"offloadStepBadge"_s)->text(), done);
        EXPECT_EQ(TruneOffloadProgressBanner::accentColor(banner->progress()), TruneGlassTokens::success());
        EXPECT_TRUE(shown(*banner, u"offloadSeal"_s));
        EXPECT_FALSE(shown(*banner, u"offloadSpinner"_s));
        EXPECT_FALSE(shown(*banner, u"offloadBytes"_s));
        EXPECT_FALSE(shown(*banner, u"offloadCancel"_s));
        for (int index = 1; index <= 4; ++index)
            EXPECT_EQ(part<TruneCapsuleBadge>(*banner, u"offloadStepPill%1"_s.arg(index))->symbol(),
                u"checkmark.circle.fill"_s);
        QTest::mouseClick(part<QAbstractButton>(*banner, u"offloadDismiss"_s), Qt::LeftButton);
    }
    EXPECT_EQ(dismissals, 2);
}

TEST_F(OffloadBannerTest, PillsFollowTheStepWhetherRunningStoppedOrDone)
{
    LumbraOffloadLiveProgress stopped = runningRun();
    stopped.isRunning = false;
    stopped.stepIndex = 3;
    EXPECT_EQ(pillStates(stopped), (std::vector{State::done, State::done, State::pending, State::pending}));
    EXPECT_EQ(TruneOffloadProgressBanner::stepText(stopped, TruneLanguage::tr), u"ADIM 3/4"_s);
    TruneOffloadProgressBanner banner(stopped, TruneLanguage::en, false, nullptr, [] {});
    EXPECT_TRUE(shown(banner, u"offloadSeal"_s));
    EXPECT_FALSE(shown(banner, u"offloadBytes"_s));
    EXPECT_TRUE(shown(banner, u"offloadDismiss"_s));

    // Four pills whatever the run counts; a done run checks them all, also past its last step.
    LumbraOffloadLiveProgress sixSteps = runningRun();
    sixSteps.totalSteps = 6;
    sixSteps.stepIndex = 5;
    EXPECT_EQ(pillStates(sixSteps), (std::vector{State::done, State::done, State::done, State::done}));
    EXPECT_EQ(pillStates(completedRun()), (std::vector{State::done, State::done, State::done, State::done}));
}

TEST_F(OffloadBannerTest, PressureRecoloursTheRunUnlessItIsDone)
{
    struct Case {
        QString pressure;
        bool completed;
        QColor accent;
    };
    const std::vector<Case> cases = {
        {u"critical"_s, false, TruneGlassTokens::danger()},
        {u"warning"_s, false, TruneGlassTokens::warning()},
        {u"normal"_s, false, TruneSuiteAccents::lumbraViolet()},
        {u""_s, false, TruneSuiteAccents::lumbraViolet()},
        {u"Critical"_s, false, TruneSuiteAccents::lumbraViolet()},
        {u"critical"_s, true, TruneGlassTokens::success()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.pressure.toStdString());
        LumbraOffloadLiveProgress run = c.completed ? completedRun() : runningRun();
        run.livePressure = c.pressure;
        EXPECT_EQ(TruneOffloadProgressBanner::accentColor(run), c.accent);
    }

    LumbraOffloadLiveProgress critical = runningRun();
    critical.livePressure = u"critical"_s;
    critical.stepIndex = 3;
    critical.fractionCompleted = 0.71;
    SuiteStage stage(760);
    auto* banner = stage.add(new TruneOffloadProgressBanner(
        critical, TruneLanguage::en, false, [] {}, nullptr));
    stage.shoot(u"suite-offload-banner-critical-en"_s);
    EXPECT_EQ(
        part<QLabel>(*banner, u"offloadPercent"_s)->palette().color(QPalette::WindowText), TruneGlassTokens::danger());
    EXPECT_EQ(
        part<TruneCapsuleBadge>(*banner, u"offloadStepBadge"_s)->capsuleStyle().content, TruneGlassTokens::danger());
    EXPECT_EQ(
        part<TruneCapsuleBadge>(*banner, u"offloadStepPill3"_s)->capsuleStyle().content, TruneGlassTokens::danger());
    EXPECT_EQ(
        part<TruneCapsuleBadge>(*banner, u"offloadStepPill1"_s)->capsuleStyle().content, TruneGlassTokens::success());
}

// Fractions straight from a live file: whatever they hold, the percentage stays within 0...100
// and the fill within the track. The sanitized build checks that nothing out of range reaches
// a conversion on the way.
TEST_F(OffloadBannerTest, AnyFractionGivesAPercentWithinRangeAndAFillWithinTheTrack)
{
    struct Case {
        double fraction;
        QString percent;
        double fill; // of the track's width
    };
    const double huge = 1e308;
    const std::vector<Case> cases = {
        {0, u"0%"_s, -1},
        {1e-9, u"0%"_s, -1},
        {0.125, u"13%"_s, 0.125},
        {0.999, u"100%"_s, 0.999},
        {1, u"100%"_s, 1},
        {1.7, u"100%"_s, 1},
        {huge, u"100%"_s, 1},
        {std::numeric_limits<double>::infinity(), u"100%"_s, 1},
        {std::numeric_limits<double>::max(), u"100%"_s, 1},
        {-0.3, u"0%"_s, 0},
        {-huge, u"0%"_s, 0},
        {std::numeric_limits<double>::quiet_NaN(), u"0%"_s, 0},
    };
    SuiteStage stage(600);
    LumbraOffloadLiveProgress run = runningRun();
    auto* banner = stage.add(new TruneOffloadProgressBanner(run, TruneLanguage::en, false, nullptr, nullptr));
    stage.show();
    const qreal track = banner->progressTrackRect().width();
    ASSERT_GT(track, 100);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.fraction);
        run.fractionCompleted = c.fraction;
        banner->setProgress(run);
        EXPECT_EQ(part<QLabel>(*banner, u"offloadPercent"_s)->text(), c.percent);
        // -1: the smallest fill a started run shows.
        EXPECT_NEAR(banner->progressFillWidth(), c.fill < 0 ? (c.fraction > 0 ? 6 : 0) : c.fill * track, 0.01);
        EXPECT_FALSE(banner->grab().isNull());
    }
    EXPECT_EQ(TruneOffloadProgressBanner::percent(huge), 100);
    EXPECT_EQ(TruneOffloadProgressBanner::percent(0.005), 1);
}

TEST_F(OffloadBannerTest, AnEmptyDetailShowsNoLineAndTurkishFallsBackToEnglish)
{
    LumbraOffloadLiveProgress run = runningRun();
    run.detailEN.clear();
    run.detailTR.clear();
    TruneOffloadProgressBanner empty(run, TruneLanguage::tr, false, nullptr, nullptr);
    EXPECT_FALSE(shown(empty, u"offloadDetail"_s));

    run.detailEN = u"Only in English"_s;
    run.phaseTitleTR.clear();
    TruneOffloadProgressBanner fallback(run, TruneLanguage::tr, false, nullptr, nullptr);
    EXPECT_TRUE(shown(fallback, u"offloadDetail"_s));
    EXPECT_EQ(fallback.findChild<QWidget*>(u"offloadDetail"_s)->accessibleName(), u"Only in English"_s);
    EXPECT_EQ(part<TruneElidedLabel>(fallback, u"offloadPhase"_s)->text(), u"Freezing idle apps"_s);
}

TEST_F(OffloadBannerTest, CompactDropsThePillsAndLetsTheDetailWrapOnce)
{
    for (const TruneLanguage language : {TruneLanguage::en, TruneLanguage::tr}) {
        SCOPED_TRACE(language.rawValue().toStdString());
        SuiteStage stage(340);
        auto* banner = stage.add(new TruneOffloadProgressBanner(
            runningRun(), language, true, [] {}, nullptr));
        stage.shoot(u"suite-offload-banner-compact-"_s + language.rawValue());
        EXPECT_EQ(banner->findChild<QWidget*>(u"offloadPills"_s), nullptr);
        const QWidget* detail = banner->findChild<QWidget*>(u"offloadDetail"_s);
        ASSERT_NE(detail, nullptr);
        const qreal oneLine = QFontMetricsF(detail->font()).lineSpacing();
        EXPECT_GT(detail->height(), std::ceil(oneLine));
        EXPECT_LE(detail->height(), std::ceil(2 * oneLine));
    }
    SuiteStage wide(760);
    auto* banner = wide.add(new TruneOffloadProgressBanner(
        runningRun(), TruneLanguage::tr, false, [] {}, nullptr));
    wide.shoot(u"suite-offload-banner-running-tr"_s);
    const QWidget* detail = banner->findChild<QWidget*>(u"offloadDetail"_s);
    EXPECT_LE(detail->height(), std::ceil(QFontMetricsF(detail->font()).lineSpacing()));
}
