#include "kit/ui/suite/TruneVirtualMemoryGaugeCard.h"
#include "kit/ui/suite/TruneVirtualMemoryHeaderPill.h"

#include "kit/localization/TruneLocalizationStore.h"
#include "kit/ui/TruneCapsuleBadge.h"
#include "kit/ui/TruneGlassButtons.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/TruneProgressTrack.h"
#include "kit/ui/suite/TruneSuiteAccents.h"
#include "kit/ui/suite/TruneSuiteCommandDelivery.h"
#include "tests/kit/suite/SuitePeer.h"
#include "tests/kit/ui/suite/SuiteWidgetStage.h"
#include "tests/support/TempHome.h"
#include "tests/support/TestWaits.h"

#include <QFile>
#include <QHBoxLayout>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

const QColor hostAccent = truneColor(0x3EE6A8);

TruneVirtualMemorySummary idle()
{
    TruneVirtualMemorySummary summary;
    summary.pressureLevel = u"normal"_s;
    return summary;
}

// Lumbra at work: a pool, a sparse disk, swap in use, frozen apps.
TruneVirtualMemorySummary expanded()
{
    TruneVirtualMemorySummary summary = idle();
    summary.physicalTotalBytes = 16'000'000'000;
    summary.physicalUsedBytes = 8'000'000'000;
    summary.swapTotalBytes = 4'000'000'000;
    summary.swapUsedBytes = 1'000'000'000;
    summary.swapFileCount = 3;
    summary.swapEncrypted = true;
    summary.isLumbraRunning = true;
    summary.activeDiskPoolCount = 1;
    summary.diskPoolVirtualBytes = 2'000'000'000;
    summary.diskPoolActualDiskBytes = 600'000'000;
    summary.diskPoolNames = {u"Studio Pool"_s};
    summary.mountedSparseDiskCount = 1;
    summary.sparseDiskVirtualBytes = 8'000'000'000;
    summary.sparseDiskActualBytes = 1'500'000'000;
    summary.sparseDiskNames = {u"LumbraSwapA"_s};
    summary.frozenAppCount = 2;
    summary.frozenPIDs = {4021, 4022};
    summary.reclaimedFromFrozenBytes = 500'000'000;
    return summary;
}

template <typename W> W* part(const QWidget& card, const QString& name)
{
    auto* found = card.findChild<W*>(name);
    EXPECT_NE(found, nullptr) << name.toStdString();
    return found;
}

bool shown(const QWidget& card, const QString& name)
{
    const auto* widget = card.findChild<QWidget*>(name);
    return widget && !widget->isHidden();
}

class VirtualMemoryWidgetsTest : public ::testing::Test {
protected:
    void TearDown() override { TruneSuiteCommandDelivery::waitForDone(int(testDeadline().count())); }

    TempHome home;
};

} // namespace

TEST_F(VirtualMemoryWidgetsTest, ThePillIsTintedByPressureThenExpansion)
{
    struct Case {
        const char* name;
        QString pressure;
        bool pools;
        QColor tint;
    };
    const std::vector<Case> cases = {
        {"critical", u"critical"_s, true, TruneGlassTokens::danger()},
        {"pools", u"warning"_s, true, TruneSuiteAccents::lumbraViolet()},
        {"warning", u"warning"_s, false, TruneGlassTokens::warning()},
        {"calm", u"normal"_s, false, TruneSuiteAccents::vantorCyan()},
    };
    SuiteStage stage(900);
    auto* row = stage.add(new QWidget);
    auto* layout = new QHBoxLayout(row);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TruneVirtualMemorySummary summary = c.pools ? expanded() : idle();
        summary.pressureLevel = c.pressure;
        EXPECT_EQ(TruneVirtualMemoryHeaderPill::tint(summary), c.tint);
        layout->addWidget(new TruneVirtualMemoryHeaderPill(summary, TruneLanguage::en, [] {}));
    }
    layout->addStretch();
    stage.shoot(u"suite-vm-pill-tints-en"_s);

    // A warning alone does not colour the card.
    TruneVirtualMemorySummary warning = idle();
    warning.pressureLevel = u"warning"_s;
    EXPECT_EQ(TruneVirtualMemoryGaugeCard::statusTint(warning), TruneGlassTokens::success());
    TruneVirtualMemorySummary swapping = idle();
    swapping.swapUsedBytes = 1;
    EXPECT_EQ(TruneVirtualMemoryGaugeCard::statusTint(swapping), TruneSuiteAccents::vantorCyan());
    EXPECT_EQ(TruneVirtualMemoryGaugeCard::statusTint(expanded()), TruneSuiteAccents::lumbraViolet());
}

TEST_F(VirtualMemoryWidgetsTest, ThePillTitleNamesWhatIsActive)
{
    TruneVirtualMemorySummary pooled = idle();
    pooled.activeDiskPoolCount = 1;
    pooled.diskPoolVirtualBytes = 2'000'000'000;
    pooled.swapUsedBytes = 1'000'000'000;
    EXPECT_EQ(TruneVirtualMemoryHeaderPill::title(idle(), TruneLanguage::en), u"VM ON"_s);
    EXPECT_EQ(TruneVirtualMemoryHeaderPill::title(idle(), TruneLanguage::tr), u"Sanal Bellek ON"_s);
    EXPECT_EQ(TruneVirtualMemoryHeaderPill::title(pooled, TruneLanguage::en), u"VM: Pool 2.00 GB + Swap 1.00 GB"_s);
    EXPECT_EQ(TruneVirtualMemoryHeaderPill::symbolName(pooled), u"externaldrive.badge.timemachine"_s);
    EXPECT_EQ(TruneVirtualMemoryHeaderPill::symbolName(idle()), u"memorychip"_s);

    TruneVirtualMemoryHeaderPill pill(idle(), TruneLanguage::tr, [] {});
    EXPECT_EQ(pill.text(), u"Sanal Bellek ON"_s);
    EXPECT_EQ(pill.toolTip(), u"Sanal Bellek aktif — Lumbra ile yönetmek için tıklayın"_s);
    pill.setSummary(pooled);
    EXPECT_EQ(pill.text(), u"Sanal Bellek: Pool 2.00 GB + Swap 1.00 GB"_s);
    EXPECT_EQ(pill.accessibleName(), pill.text());
    EXPECT_GE(pill.sizeHint().width(), QFontMetrics(pill.font()).horizontalAdvance(pill.text()) + 18);
}

TEST_F(VirtualMemoryWidgetsTest, APillClickRunsTheHostsActionOrBringsLumbraForward)
{
    int taps = 0;
    TruneVirtualMemoryHeaderPill hosted(idle(), TruneLanguage::en, [&] { ++taps; });
    hosted.resize(hosted.sizeHint());
    QTest::mouseClick(&hosted, Qt::LeftButton);
    EXPECT_EQ(taps, 1);

    SuitePeer lumbra({u"serve"_s, u"Lumbra"_s});
    ASSERT_TRUE(lumbra.waitForEvent(u"ready"_s));
    TruneVirtualMemoryHeaderPill plain(expanded(), TruneLanguage::en, nullptr);
    plain.resize(plain.sizeHint());
    QTest::mouseClick(&plain, Qt::LeftButton);
    EXPECT_TRUE(lumbra.waitForEvent(u"activated"_s));
}

TEST_F(VirtualMemoryWidgetsTest, ACardOfNothingIsOnStandby)
{
    for (const TruneLanguage language : {TruneLanguage::en, TruneLanguage::tr}) {
        SCOPED_TRACE(language.rawValue().toStdString());
        const bool tr = language == TruneLanguage::tr;
        SuiteStage stage(700);
        auto* card
            = stage.add(new TruneVirtualMemoryGaugeCard(idle(), language, hostAccent, TruneSuiteApp::vantor, nullptr));
        stage.shoot(u"suite-vm-card-standby-"_s + language.rawValue());

        EXPECT_EQ(part<TruneCapsuleBadge>(*card, u"vmCardStatus"_s)->text(), tr ? u"HAZIR"_s : u"STANDBY"_s);
        EXPECT_EQ(
            part<TruneCapsuleBadge>(*card, u"vmCardStatus"_s)->capsuleStyle().content, TruneGlassTokens::success());
        EXPECT_FALSE(shown(*card, u"vmCardLumbraLive"_s));
        EXPECT_FALSE(shown(*card, u"vmCardEffective"_s));
        EXPECT_FALSE(shown(*card, u"vmCardActions"_s)); // Lumbra is not installed

        const auto* gauge = part<TruneVirtualMemoryGauge>(*card, u"vmCardVirtualGauge"_s);
        EXPECT_EQ(gauge->valueText(), tr ? u"0 B (Boşta)"_s : u"0 B (Standby)"_s);
        EXPECT_EQ(gauge->fillWidth(), 0);
        EXPECT_EQ(part<TruneVirtualMemoryGauge>(*card, u"vmCardPhysicalGauge"_s)->valueText(), u"0 B / 0 B (0%)"_s);

        const auto* swap = part<TruneVirtualMemoryStatTile>(*card, u"vmCardSwapTile"_s);
        EXPECT_EQ(swap->label(), u"macOS Swap"_s);
        EXPECT_EQ(swap->detail(), QString());
        EXPECT_EQ(swap->tint(), TruneGlassTokens::textSecondary());
        for (const QString& name : {u"vmCardPoolTile"_s, u"vmCardSparseTile"_s})
            EXPECT_EQ(part<TruneVirtualMemoryStatTile>(*card, name)->value(), tr ? u"Kapalı"_s : u"Off"_s);
        const auto* frozen = part<TruneVirtualMemoryStatTile>(*card, u"vmCardRamDiskTile"_s);
        EXPECT_EQ(frozen->value(), tr ? u"0 donuk"_s : u"0 frozen"_s);
        EXPECT_EQ(frozen->tint(), TruneGlassTokens::textMuted());
    }
}

TEST_F(VirtualMemoryWidgetsTest, AnActiveCardShowsEveryFigure)
{
    installStandIn(home, TruneSuiteApp::lumbra);
    for (const TruneLanguage language : {TruneLanguage::en, TruneLanguage::tr}) {
        SCOPED_TRACE(language.rawValue().toStdString());
        const bool tr = language == TruneLanguage::tr;
        SuiteStage stage(700);
        auto* card = stage.add(
            new TruneVirtualMemoryGaugeCard(expanded(), language, hostAccent, TruneSuiteApp::vantor, nullptr));
        stage.shoot(u"suite-vm-card-active-"_s + language.rawValue());

        EXPECT_EQ(part<TruneCapsuleBadge>(*card, u"vmCardStatus"_s)->text(), tr ? u"AÇIK"_s : u"ACTIVE"_s);
        EXPECT_EQ(part<TruneCapsuleBadge>(*card, u"vmCardLumbraLive"_s)->text(), u"Lumbra Live"_s);
        EXPECT_TRUE(shown(*card, u"vmCardLumbraLive"_s));
        // 16 GB of memory, 4 GB of swap and 10 GB of Lumbra's expansion.
        EXPECT_EQ(part<TruneCapsuleBadge>(*card, u"vmCardEffective"_s)->text(),
            tr ? u"Efektif: 30.00 GB"_s : u"Effective: 30.00 GB"_s);

        const auto* physical = part<TruneVirtualMemoryGauge>(*card, u"vmCardPhysicalGauge"_s);
        EXPECT_EQ(physical->valueText(), u"8.00 GB / 16.00 GB (50%)"_s);
        EXPECT_EQ(physical->tint(), hostAccent);
        const auto* swap = part<TruneVirtualMemoryStatTile>(*card, u"vmCardSwapTile"_s);
        EXPECT_EQ(swap->label(), u"macOS Swap (3)"_s);
        EXPECT_EQ(swap->value(), u"1.00 GB / 4.00 GB"_s);
        EXPECT_EQ(swap->detail(), u"25% • AES-XTS"_s);
        EXPECT_EQ(swap->tint(), TruneSuiteAccents::vantorCyan());
        EXPECT_EQ(part<TruneVirtualMemoryStatTile>(*card, u"vmCardPoolTile"_s)->detail(), u"Studio Pool"_s);
        EXPECT_EQ(part<TruneVirtualMemoryStatTile>(*card, u"vmCardSparseTile"_s)->tint(),
            TruneSuiteAccents::sparseDiskGreen());
        const auto* frozen = part<TruneVirtualMemoryStatTile>(*card, u"vmCardRamDiskTile"_s);
        EXPECT_EQ(frozen->value(), tr ? u"2 donuk"_s : u"2 frozen"_s);
        EXPECT_EQ(frozen->detail(), u"↓ 500.0 MB"_s);
        EXPECT_EQ(frozen->tint(), TruneGlassTokens::warning());

        EXPECT_TRUE(shown(*card, u"vmCardActions"_s));
        EXPECT_EQ(part<TruneGlassButton>(*card, u"vmCardThaw"_s)->text(), tr ? u"Uyandır (2)"_s : u"Thaw (2)"_s);
        EXPECT_TRUE(part<TruneGlassButton>(*card, u"vmCardSmartOffload"_s)->isActive());
        EXPECT_FALSE(part<TruneGlassButton>(*card, u"vmCardDiskLab"_s)->isActive());

        // Nothing frozen any more: no thaw button.
        TruneVirtualMemorySummary thawed = expanded();
        thawed.frozenAppCount = 0;
        card->setSummary(thawed);
        EXPECT_FALSE(shown(*card, u"vmCardThaw"_s));
    }
}

// "Disk Lab" reads the same in both languages, yet a user's language pack still reaches it.
TEST_F(VirtualMemoryWidgetsTest, TheDiskLabButtonTakesTheUsersText)
{
    QTemporaryDir packs;
    const QString pack = packs.filePath(u"pack.json"_s);
    QFile file(pack);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"Disk Lab": "Disk Workshop"})");
    file.close();
    ASSERT_TRUE(TruneLocalizationStore::shared().loadJSONPack(pack));
    const TruneVirtualMemoryGaugeCard card(expanded(), TruneLanguage::tr, hostAccent, TruneSuiteApp::vantor, nullptr);
    TruneLocalizationStore::shared().clearCustomPack();
    EXPECT_EQ(part<TruneGlassButton>(card, u"vmCardDiskLab"_s)->text(), u"Disk Workshop"_s);
}

TEST_F(VirtualMemoryWidgetsTest, ANarrowCardPutsTheButtonsBelowTheTitle)
{
    installStandIn(home, TruneSuiteApp::lumbra);
    SuiteStage stage(380);
    auto* card = stage.add(
        new TruneVirtualMemoryGaugeCard(expanded(), TruneLanguage::tr, hostAccent, TruneSuiteApp::vantor, nullptr));
    stage.shoot(u"suite-vm-card-narrow-tr"_s);
    const QWidget* title = part<QWidget>(*card, u"vmCardTitle"_s);
    const QWidget* actions = part<QWidget>(*card, u"vmCardActions"_s);
    EXPECT_GE(actions->mapTo(card, QPoint()).y(), title->mapTo(card, QPoint(0, title->height())).y());
    // Gauges stack in one column, figure tiles in two.
    const QWidget* physical = part<QWidget>(*card, u"vmCardPhysicalGauge"_s);
    const QWidget* virtualGauge = part<QWidget>(*card, u"vmCardVirtualGauge"_s);
    EXPECT_GT(virtualGauge->y(), physical->y());
    EXPECT_EQ(part<QWidget>(*card, u"vmCardPoolTile"_s)->y(), part<QWidget>(*card, u"vmCardSwapTile"_s)->y());
}

TEST_F(VirtualMemoryWidgetsTest, GaugeFillsKeepASmallestWidthAndStayOnTheTrack)
{
    struct Case {
        double fraction;
        qreal width;
    };
    for (const Case& c : std::vector<Case>{{0.001, 4}, {0, 0}, {0.5, 150}, {1.7, 300}, {-2, 0}}) {
        SCOPED_TRACE(c.fraction);
        TruneVirtualMemoryGauge gauge;
        gauge.setFigures(u"Physical RAM"_s, u"1 / 2"_s, c.fraction, hostAccent);
        gauge.resize(300, gauge.sizeHint().height());
        EXPECT_EQ(gauge.fillWidth(), c.width);
    }
    EXPECT_EQ(TruneProgressTrack::fillWidth(0.5, 3, 4), 3); // a track narrower than the smallest fill
}

// Lumbra as a second process on the private bus: the card's buttons reach it.
TEST_F(VirtualMemoryWidgetsTest, CardButtonsDeliverTheirCommandsToARunningLumbra)
{
    installStandIn(home, TruneSuiteApp::lumbra);
    SuitePeer lumbra({u"serve"_s, u"Lumbra"_s});
    ASSERT_TRUE(lumbra.waitForEvent(u"ready"_s));
    QStringList toasts;
    TruneVirtualMemoryGaugeCard card(expanded(), TruneLanguage::tr, hostAccent, TruneSuiteApp::haltrix,
        [&](const QString& toast) { toasts.append(toast); });
    card.setCommandBus(TruneSuiteCommandBus());
    card.resize(700, card.sizeHint().height());

    QTest::mouseClick(part<QAbstractButton>(card, u"vmCardSmartOffload"_s), Qt::LeftButton);
    const auto offload = lumbra.waitForEvent(u"command"_s);
    ASSERT_TRUE(offload.has_value());
    const QJsonObject envelope = offload->value(u"envelope"_s).toObject();
    EXPECT_EQ(envelope.value(u"kind"_s).toString(), u"lumbraSmartOffload"_s);
    EXPECT_EQ(envelope.value(u"sourceApp"_s).toString(), u"Haltrix"_s);
    EXPECT_EQ(envelope.value(u"targetApp"_s).toString(), u"Lumbra"_s);
    ASSERT_TRUE(waitUntil([&] { return toasts.size() == 1; }));
    EXPECT_EQ(toasts.front(), u"Lumbra Akıllı RAM Açma tetiklendi"_s);

    QTest::mouseClick(part<QAbstractButton>(card, u"vmCardThaw"_s), Qt::LeftButton);
    ASSERT_TRUE(lumbra.waitForEvent(u"command"_s, 1));
    EXPECT_EQ(lumbra.events(u"command"_s).at(1).value(u"envelope"_s).toObject().value(u"kind"_s).toString(),
        u"lumbraThawAll"_s);
    ASSERT_TRUE(waitUntil([&] { return toasts.size() == 2; }));
    EXPECT_EQ(toasts.back(), u"Lumbra donukları uyandırma komutu gönderildi"_s);

    // The lab comes to the front and confirms nothing.
    EXPECT_TRUE(lumbra.events(u"activated"_s).empty());
    QTest::mouseClick(part<QAbstractButton>(card, u"vmCardDiskLab"_s), Qt::LeftButton);
    ASSERT_TRUE(lumbra.waitForEvent(u"command"_s, 2));
    EXPECT_TRUE(lumbra.waitForEvent(u"activated"_s));
    ASSERT_TRUE(TruneSuiteCommandDelivery::waitForDone(int(testDeadline().count())));
    settle();
    EXPECT_EQ(toasts.size(), 2);
}

TEST_F(VirtualMemoryWidgetsTest, SmartOffloadStartsAnInstalledLumbraAndConfirms)
{
    const QString output = home.filePath(u"lumbra.jsonl"_s);
    installPeer(home, TruneSuiteApp::lumbra, output);
    QStringList toasts;
    TruneVirtualMemoryGaugeCard card(idle(), TruneLanguage::en, hostAccent, TruneSuiteApp::vantor,
        [&](const QString& toast) { toasts.append(toast); });
    card.setCommandBus(TruneSuiteCommandBus());
    card.resize(700, card.sizeHint().height());
    QTest::mouseClick(part<QAbstractButton>(card, u"vmCardSmartOffload"_s), Qt::LeftButton);
    ASSERT_TRUE(waitUntil([&] { return toasts.size() == 1; }));
    EXPECT_EQ(toasts.front(), u"Triggered Lumbra Smart RAM Offload"_s);

    std::optional<QJsonObject> command;
    EXPECT_TRUE(waitUntil([&] {
        for (const QJsonObject& line : jsonLinesOfFile(output)) {
            if (line.value(u"event"_s).toString() == u"command"_s)
                command = line;
        }
        return command.has_value();
    }));
    stopLaunchedPeer(output);
    ASSERT_TRUE(command.has_value());
    EXPECT_EQ(command->value(u"envelope"_s).toObject().value(u"kind"_s).toString(), u"lumbraSmartOffload"_s);
}

TEST_F(VirtualMemoryWidgetsTest, AFailedCardCommandStaysSilent)
{
    installStandIn(home, TruneSuiteApp::lumbra); // installed, but its executable cannot run
    int toasts = 0;
    TruneVirtualMemoryGaugeCard card(
        expanded(), TruneLanguage::en, hostAccent, TruneSuiteApp::vantor, [&](const QString&) { ++toasts; });
    card.setCommandBus(TruneSuiteCommandBus());
    card.resize(700, card.sizeHint().height());
    QTest::mouseClick(part<QAbstractButton>(card, u"vmCardSmartOffload"_s), Qt::LeftButton);
    ASSERT_TRUE(TruneSuiteCommandDelivery::waitForDone(int(testDeadline().count())));
    settle();
    EXPECT_EQ(toasts, 0);
}
