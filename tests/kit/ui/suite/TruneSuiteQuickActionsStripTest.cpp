#include "kit/ui/suite/TruneSuiteQuickActionsStrip.h"

#include "kit/localization/TruneLocalizationStore.h"
#include "kit/ui/TruneGlassTokens.h"
#include "kit/ui/suite/TruneSuiteAccents.h"
#include "kit/ui/suite/TruneSuiteCommandDelivery.h"
#include "tests/kit/suite/SuitePeer.h"
#include "tests/kit/ui/suite/SuiteWidgetStage.h"
#include "tests/support/BundleMaker.h"
#include "tests/support/TempHome.h"
#include "tests/support/TestWaits.h"

#include <QAbstractButton>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <set>

using namespace Qt::StringLiterals;
using Kind = TruneSuiteCommandKind;
using App = TruneSuiteApp;
using Chip = TruneSuiteQuickActionsStrip::Chip;

namespace {

std::vector<Kind> kindsOf(const std::vector<Chip>& chips)
{
    std::vector<Kind> kinds;
    for (const Chip& chip : chips)
        kinds.push_back(chip.kind);
    return kinds;
}

std::function<bool(App)> installedAre(std::set<App> apps)
{
    return [apps](App app) { return apps.contains(app); };
}

const std::set<App> allThree{App::lumbra, App::haltrix, App::vantor};

TruneVirtualMemorySummary frozenApps(qint64 count)
{
    TruneVirtualMemorySummary summary;
    summary.frozenAppCount = count;
    return summary;
}

HaltrixLiveStatus haltrix(qint64 problematic, qint64 unresponsive)
{
    HaltrixLiveStatus status;
    status.timestamp = QDateTime::currentDateTimeUtc();
    status.senderPID = 2;
    status.problematicCount = problematic;
    status.unresponsiveCount = unresponsive;
    return status;
}

std::optional<Chip> chipOf(const std::vector<Chip>& chips, Kind kind)
{
    for (const Chip& chip : chips) {
        if (chip.kind == kind)
            return chip;
    }
    return std::nullopt;
}

QAbstractButton* chipButton(const QWidget& strip, Kind kind)
{
    auto* button = strip.findChild<QAbstractButton*>(rawValue(kind));
    EXPECT_NE(button, nullptr) << rawValue(kind).toStdString();
    return button;
}

class QuickActionsStripTest : public ::testing::Test {
protected:
    void TearDown() override { TruneSuiteCommandDelivery::waitForDone(int(testDeadline().count())); }

    // A strip that sends from `host` through the bus of this test's home, collecting its toasts.
    std::unique_ptr<TruneSuiteQuickActionsStrip> strip(
        TruneLanguage language = TruneLanguage::en, App host = App::vantor)
    {
        auto made = std::make_unique<TruneSuiteQuickActionsStrip>(host, frozenApps(3), haltrix(2, 5), language, false,
            [this](const QString& toast) { toasts.append(toast); });
        made->setCommandBus(TruneSuiteCommandBus());
        made->resize(1200, made->sizeHint().height());
        return made;
    }

    bool waitForToasts(qsizetype count)
    {
        return waitUntil([&] { return toasts.size() >= count; });
    }

    TempHome home;
    QStringList toasts;
};

} // namespace

TEST_F(QuickActionsStripTest, GroupsShowForInstalledAppsOtherThanTheHost)
{
    struct Case {
        const char* name;
        App host;
        std::set<App> installed;
        bool compact;
        std::vector<Kind> kinds;
    };
    const std::vector<Case> cases = {
        {"from Lumbra", App::lumbra, allThree, false,
            {Kind::haltrixAllFrozen, Kind::haltrixOpenCrosshair, Kind::haltrixToggleQuickHUD,
                Kind::haltrixOpenAnalytics24h, Kind::vantorToggleHUD, Kind::vantorOpenThermalsPower}},
        {"from Haltrix", App::haltrix, allThree, false,
            {Kind::lumbraSmartOffload, Kind::lumbraThawAll, Kind::lumbraOpenDiskLab, Kind::vantorToggleHUD,
                Kind::vantorOpenThermalsPower}},
        {"from Vantor, compact", App::vantor, allThree, true,
            {Kind::lumbraSmartOffload, Kind::lumbraThawAll, Kind::haltrixAllFrozen, Kind::haltrixOpenCrosshair,
                Kind::haltrixToggleQuickHUD}},
        {"only Vantor installed", App::dovel, {App::vantor}, false,
            {Kind::vantorToggleHUD, Kind::vantorOpenThermalsPower}},
        {"nothing installed", App::dovel, {}, false, {}},
        {"only the host installed", App::vantor, {App::vantor}, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(kindsOf(TruneSuiteQuickActionsStrip::chips(
                      c.host, frozenApps(3), haltrix(0, 0), TruneLanguage::en, c.compact, installedAre(c.installed))),
            c.kinds);
    }
}

TEST_F(QuickActionsStripTest, CountsComeFromTheFrozenAppsAndTheProblematicProcesses)
{
    const auto chips = [](const std::optional<TruneVirtualMemorySummary>& vm, const std::optional<HaltrixLiveStatus>& h,
                           TruneLanguage language) {
        return TruneSuiteQuickActionsStrip::chips(App::dovel, vm, h, language, false, installedAre(allThree));
    };
    EXPECT_FALSE(chipOf(chips(std::nullopt, std::nullopt, TruneLanguage::en), Kind::lumbraThawAll));
    EXPECT_FALSE(chipOf(chips(frozenApps(0), std::nullopt, TruneLanguage::en), Kind::lumbraThawAll));
    const auto counted = chips(frozenApps(3), haltrix(2, 7), TruneLanguage::en);
    ASSERT_TRUE(chipOf(counted, Kind::lumbraThawAll));
    EXPECT_EQ(chipOf(counted, Kind::lumbraThawAll)->title, u"Thaw Apps (3)"_s);
    EXPECT_EQ(chipOf(counted, Kind::lumbraThawAll)->tint, TruneGlassTokens::warning());
    EXPECT_EQ(chipOf(counted, Kind::haltrixAllFrozen)->title, u"Kill Frozen (2)"_s);
    EXPECT_TRUE(chipOf(counted, Kind::haltrixAllFrozen)->emphasized);

    for (const auto& status : {std::optional<HaltrixLiveStatus>(), std::optional(haltrix(0, 4))}) {
        const auto kill = chipOf(chips(std::nullopt, status, TruneLanguage::en), Kind::haltrixAllFrozen);
        ASSERT_TRUE(kill);
        EXPECT_EQ(kill->title, u"Kill Frozen"_s);
        EXPECT_EQ(kill->tint, TruneGlassTokens::danger());
        EXPECT_FALSE(kill->emphasized);
    }

    const auto turkish = chips(frozenApps(3), haltrix(2, 0), TruneLanguage::tr);
    EXPECT_EQ(chipOf(turkish, Kind::lumbraThawAll)->title, u"Donukları Uyandır (3)"_s);
    EXPECT_EQ(chipOf(turkish, Kind::haltrixAllFrozen)->title, u"Donmuşları Öldür (2)"_s);
    EXPECT_EQ(chipOf(turkish, Kind::vantorToggleHUD)->title, u"Vantor HUD"_s);
    EXPECT_EQ(chipOf(turkish, Kind::vantorOpenThermalsPower)->helpText,
        u"Vantor canlı sıcaklık sensörleri, fan RPM ve güç ekranını aç"_s);
    // Only the chips that open a window bring their app forward.
    for (const Chip& chip : turkish)
        EXPECT_EQ(chip.bringToFront,
            chip.kind == Kind::lumbraOpenDiskLab || chip.kind == Kind::haltrixOpenAnalytics24h
                || chip.kind == Kind::vantorOpenThermalsPower)
            << rawValue(chip.kind).toStdString();
}

// Titles that read the same in both languages still go through the text lookup, so a user's
// language pack reaches them.
TEST_F(QuickActionsStripTest, TitlesTheSameInEveryLanguageStillTakeTheUsersTexts)
{
    QTemporaryDir packs;
    const QString pack = packs.filePath(u"pack.json"_s);
    QFile file(pack);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(R"({"Vantor HUD": "Vantor Overlay", "Virtual Disk Lab": "Disk Workshop"})");
    file.close();
    ASSERT_TRUE(TruneLocalizationStore::shared().loadJSONPack(pack));
    const auto chips = TruneSuiteQuickActionsStrip::chips(
        App::dovel, std::nullopt, std::nullopt, TruneLanguage::tr, false, installedAre(allThree));
    TruneLocalizationStore::shared().clearCustomPack();
    EXPECT_EQ(chipOf(chips, Kind::vantorToggleHUD)->title, u"Vantor Overlay"_s);
    EXPECT_EQ(chipOf(chips, Kind::lumbraOpenDiskLab)->title, u"Disk Workshop"_s);
}

TEST_F(QuickActionsStripTest, WithNothingToOfferTheStripTakesNoRoom)
{
    SuiteStage stage(900);
    auto* empty = stage.add(new TruneSuiteQuickActionsStrip(
        App::vantor, std::nullopt, std::nullopt, TruneLanguage::en, false, [](const QString&) {}));
    stage.show();
    EXPECT_TRUE(empty->shownChips().empty());
    EXPECT_EQ(empty->height(), 0);
    EXPECT_EQ(empty->findChild<QWidget*>(u"suiteActionsHeader"_s), nullptr);
}

TEST_F(QuickActionsStripTest, WideAndCompactStripsOnTheGround)
{
    for (const App app : allThree)
        installStandIn(home, app);
    for (const TruneLanguage language : {TruneLanguage::en, TruneLanguage::tr}) {
        const QString tag = language.rawValue();
        SuiteStage wideStage(1180);
        auto* wide = wideStage.add(new TruneSuiteQuickActionsStrip(
            App::dovel, frozenApps(3), haltrix(2, 0), language, false, [](const QString&) {}));
        wideStage.shoot(u"suite-actions-strip-wide-"_s + tag);
        EXPECT_EQ(wide->shownChips().size(), 9u);
        EXPECT_NE(wide->findChild<QWidget*>(u"suiteActionsHeader"_s), nullptr);
        EXPECT_GT(wide->height(), 0);

        SuiteStage compactStage(520);
        auto* compact = compactStage.add(new TruneSuiteQuickActionsStrip(
            App::dovel, frozenApps(3), haltrix(0, 0), language, true, [](const QString&) {}));
        compactStage.shoot(u"suite-actions-strip-compact-"_s + tag);
        EXPECT_EQ(compact->shownChips().size(), 6u);
        EXPECT_EQ(compact->findChild<QWidget*>(u"suiteActionsHeader"_s), nullptr);
        EXPECT_EQ(compact->findChild<QWidget*>(rawValue(Kind::lumbraOpenDiskLab)), nullptr);
        // Wider than the window: the row scrolls sideways and the chips stay whole.
        const QWidget* row = compact->findChild<QWidget*>(u"suiteActionsRow"_s);
        EXPECT_GT(row->width(), compact->width());
    }
}

TEST_F(QuickActionsStripTest, ChipsReachARunningSiblingAndConfirm)
{
    installStandIn(home, App::haltrix);
    installStandIn(home, App::lumbra);
    SuitePeer haltrixPeer({u"serve"_s, u"Haltrix"_s});
    ASSERT_TRUE(haltrixPeer.waitForEvent(u"ready"_s));
    const auto shown = strip(TruneLanguage::tr);

    QTest::mouseClick(chipButton(*shown, Kind::haltrixAllFrozen), Qt::LeftButton);
    const auto received = haltrixPeer.waitForEvent(u"command"_s);
    ASSERT_TRUE(received.has_value());
    const QJsonObject envelope = received->value(u"envelope"_s).toObject();
    EXPECT_EQ(envelope.value(u"kind"_s).toString(), u"haltrixAllFrozen"_s);
    EXPECT_EQ(envelope.value(u"sourceApp"_s).toString(), u"Vantor"_s);
    ASSERT_TRUE(waitForToasts(1));
    EXPECT_EQ(toasts.at(0), u"Haltrix'e donmuş uygulamaları öldürme komutu gönderildi"_s);

    QTest::mouseClick(chipButton(*shown, Kind::haltrixOpenAnalytics24h), Qt::LeftButton);
    ASSERT_TRUE(haltrixPeer.waitForEvent(u"command"_s, 1));
    EXPECT_TRUE(haltrixPeer.waitForEvent(u"activated"_s));
    ASSERT_TRUE(waitForToasts(2));
    EXPECT_EQ(toasts.at(1), u"Haltrix 24 Saatlik Analiz açılıyor"_s);
}

TEST_F(QuickActionsStripTest, AnInstalledStoppedSiblingIsStartedAndPicksTheCommandUp)
{
    const QString output = home.filePath(u"lumbra.jsonl"_s);
    installPeer(home, App::lumbra, output);
    const auto shown = strip();
    QTest::mouseClick(chipButton(*shown, Kind::lumbraThawAll), Qt::LeftButton);
    ASSERT_TRUE(waitForToasts(1));
    EXPECT_EQ(toasts.at(0), u"Sent Thaw All command to Lumbra"_s);
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
    EXPECT_EQ(command->value(u"envelope"_s).toObject().value(u"kind"_s).toString(), u"lumbraThawAll"_s);
}

TEST_F(QuickActionsStripTest, AFailedChipSaysWhyInTheStripsLanguage)
{
    // Apps that no test runs a process of: a process of that name anywhere of this user would
    // count as the app running.
    const QString vantorBundle = installStandIn(home, App::vantor);
    installStandIn(home, App::haltrix);
    const auto english = strip(TruneLanguage::en, App::dovel);
    const auto turkish = strip(TruneLanguage::tr, App::dovel);

    // Removed after the strip was built.
    ASSERT_TRUE(QDir(vantorBundle).removeRecursively());
    QTest::mouseClick(chipButton(*english, Kind::vantorToggleHUD), Qt::LeftButton);
    ASSERT_TRUE(waitForToasts(1));
    EXPECT_EQ(toasts.at(0), u"Vantor is not installed"_s);
    QTest::mouseClick(chipButton(*turkish, Kind::vantorToggleHUD), Qt::LeftButton);
    ASSERT_TRUE(waitForToasts(2));
    EXPECT_EQ(toasts.at(1), u"Vantor kurulu değil"_s);

    // Installed, but its executable cannot run: the command waits, the start failed.
    QTest::mouseClick(chipButton(*english, Kind::haltrixToggleQuickHUD), Qt::LeftButton);
    ASSERT_TRUE(waitForToasts(3));
    EXPECT_EQ(toasts.at(2), u"Haltrix could not be started"_s);

    // Running, but no slot can be written: the commands folder is a file.
    const QString commands = TruneSuiteCommandBus().commandsDirectory();
    ASSERT_TRUE(QDir(commands).removeRecursively());
    BundleMaker::writeFile(commands, "not a folder");
    SuitePeer haltrixPeer({u"serve"_s, u"Haltrix"_s});
    ASSERT_TRUE(haltrixPeer.waitForEvent(u"ready"_s));
    QTest::mouseClick(chipButton(*turkish, Kind::haltrixOpenCrosshair), Qt::LeftButton);
    ASSERT_TRUE(waitForToasts(4));
    EXPECT_EQ(toasts.at(3), u"Haltrix için komut dosyası yazılamadı"_s);
    EXPECT_TRUE(haltrixPeer.events(u"command"_s).empty());
}
