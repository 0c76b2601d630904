#include "tests/kit/suite/SuiteTestRecords.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QFile>
#include <QJsonArray>
#include <QJsonObject>

#include <cmath>
#include <limits>

using namespace Qt::StringLiterals;
using namespace SuiteTestRecords;

namespace {

// The wire form of a sample record, as tests/kit/suite/golden/<name>.json holds it.
QByteArray golden(const char* name)
{
    QFile file(QStringLiteral(TRUNE_SUITE_GOLDEN_DIR "/%1.json").arg(QLatin1String(name)));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll().trimmed();
}

constexpr double notANumber = std::numeric_limits<double>::quiet_NaN();
constexpr double infinity = std::numeric_limits<double>::infinity();

// `record`'s JSON object with `key` set to `value`, or removed when `value` is undefined.
template <typename T> QJsonObject withKey(const T& record, const QString& key, const QJsonValue& value)
{
    QJsonObject object;
    if constexpr (std::is_same_v<T, QJsonObject>)
        object = record;
    else
        object = truneJsonEncode(record).toObject();
    if (value.isUndefined())
        object.remove(key);
    else
        object.insert(key, value);
    return object;
}

template <typename T> TruneJsonResult<T> decoded(const QJsonObject& object)
{
    return truneJsonDecode<T>(QJsonValue(object));
}

QJsonObject objectOf(const QByteArray& json)
{
    return truneJsonParse(json)->toObject();
}

} // namespace

// ---- golden forms ----

TEST(LiveRecordsTest, EveryRecordHasItsGoldenJsonAndReadsBackEqual)
{
    const auto expectGolden = [](const auto& record, const QByteArray& golden) {
        using Record = std::decay_t<decltype(record)>;
        EXPECT_EQ(truneJsonSerialize(record), golden);
        EXPECT_EQ(truneJsonDecode<Record>(golden), record);
    };
    {
        SCOPED_TRACE("Lumbra");
        LumbraLiveStatus status = lumbra();
        status.offloadProgress = lumbraProgress();
        expectGolden(status, golden("lumbra-live"));
    }
    {
        SCOPED_TRACE("Vantor");
        expectGolden(vantor(), golden("vantor-live"));
    }
    {
        SCOPED_TRACE("Haltrix");
        expectGolden(haltrix(), golden("haltrix-live"));
    }
    {
        SCOPED_TRACE("Audrel");
        expectGolden(audrel(), golden("audrel-live"));
    }
    {
        SCOPED_TRACE("Tunelo");
        expectGolden(tunelo(), golden("tunelo-live"));
    }
    {
        SCOPED_TRACE("Stillo");
        expectGolden(stillo(), golden("stillo-live"));
    }
    {
        SCOPED_TRACE("Dovel");
        expectGolden(dovel(), golden("dovel-live"));
    }
    {
        SCOPED_TRACE("tile");
        expectGolden(tile(TruneSuiteApp::tunelo, 3, morning()), golden("tunelo-tile"));
    }
}

// ---- strict records ----

TEST(LiveRecordsTest, StrictRecordsRefuseMissingNullOrMistypedRequiredKeys)
{
    struct Case {
        const char* label;
        TruneJsonResult<bool> outcome;
    };
    const auto ok = [](const auto& result) -> TruneJsonResult<bool> {
        if (!result)
            return std::unexpected(result.error());
        return true;
    };
    QJsonObject progressWithoutPressure = truneJsonEncode(lumbraProgress()).toObject();
    progressWithoutPressure.remove(u"livePressure"_s);
    const Case failures[] = {
        {"Lumbra offloadProgress without livePressure",
            ok(decoded<LumbraLiveStatus>(withKey(lumbra(), u"offloadProgress"_s, progressWithoutPressure)))},
        {"Lumbra senderPID beyond 32 bits",
            ok(decoded<LumbraLiveStatus>(withKey(lumbra(), u"senderPID"_s, 3000000000.0)))},
        {"Lumbra frozenPIDs beyond 32 bits",
            ok(decoded<LumbraLiveStatus>(withKey(lumbra(), u"frozenPIDs"_s, QJsonArray{1, 3000000000.0})))},
        {"Lumbra timestamp with a fraction",
            ok(decoded<LumbraLiveStatus>(withKey(lumbra(), u"timestamp"_s, u"2026-03-01T09:30:00.5Z"_s)))},
        {"Lumbra usedPercent null",
            ok(decoded<LumbraLiveStatus>(withKey(lumbra(), u"usedPercent"_s, QJsonValue::Null)))},
        {"Vantor without thermalState", ok(decoded<VantorLiveStatus>(withKey(vantor(), u"thermalState"_s, {})))},
        {"Vantor fanMaxRPM with a fraction", ok(decoded<VantorLiveStatus>(withKey(vantor(), u"fanMaxRPM"_s, 1200.5)))},
        {"Haltrix without listeningPortCount",
            ok(decoded<HaltrixLiveStatus>(withKey(haltrix(), u"listeningPortCount"_s, {})))},
        {"Audrel without channels", ok(decoded<AudrelLiveStatus>(withKey(audrel(), u"channels"_s, {})))},
        {"Audrel channel without rmsLevel",
            ok(decoded<AudrelLiveStatus>(
                withKey(audrel(), u"channels"_s, QJsonArray{withKey(audrel().channels.front(), u"rmsLevel"_s, {})})))},
        {"Audrel rmsLevel beyond the float range",
            ok(decoded<AudrelLiveStatus>(withKey(
                audrel(), u"channels"_s, QJsonArray{withKey(audrel().channels.front(), u"rmsLevel"_s, 1e39)})))},
        {"Tunelo isPlaying as text", ok(decoded<TuneloLiveStatus>(withKey(tunelo(), u"isPlaying"_s, u"true"_s)))},
        {"tile tone in other letter case",
            ok(decoded<TruneLiveActivityTile>(
                withKey(tile(TruneSuiteApp::dovel, 1, morning()), u"tone"_s, u"Active"_s)))},
        {"tile of an unknown app",
            ok(decoded<TruneLiveActivityTile>(
                withKey(tile(TruneSuiteApp::dovel, 1, morning()), u"app"_s, u"Nowhere"_s)))},
        {"tile without symbolName",
            ok(decoded<TruneLiveActivityTile>(withKey(tile(TruneSuiteApp::dovel, 1, morning()), u"symbolName"_s, {})))},
    };
    for (const Case& c : failures) {
        EXPECT_FALSE(c.outcome.has_value()) << c.label;
    }
}

TEST(LiveRecordsTest, OptionalFieldsAreAbsentWhenMissingOrNullAndUnknownKeysAreIgnored)
{
    const auto lumbraWithNull = decoded<LumbraLiveStatus>(withKey(lumbra(), u"offloadProgress"_s, QJsonValue::Null));
    ASSERT_TRUE(lumbraWithNull.has_value());
    EXPECT_EQ(lumbraWithNull->offloadProgress, std::nullopt);
    EXPECT_FALSE(truneJsonEncode(*lumbraWithNull).toObject().contains(u"offloadProgress"_s));
    EXPECT_EQ(decoded<LumbraLiveStatus>(withKey(lumbra(), u"addedLater"_s, 5)), lumbra());

    const auto vantorWithNull = decoded<VantorLiveStatus>(withKey(vantor(), u"cpuTempCelsius"_s, QJsonValue::Null));
    ASSERT_TRUE(vantorWithNull.has_value());
    EXPECT_EQ(vantorWithNull->cpuTempCelsius, std::nullopt);
    EXPECT_EQ(truneJsonEncode(*vantorWithNull).toObject().size(), 8);

    HaltrixLiveStatus named = haltrix();
    named.activeFocusProfileName = QString();
    const auto emptyName = truneJsonDecode<HaltrixLiveStatus>(truneJsonSerialize(named));
    ASSERT_TRUE(emptyName.has_value());
    EXPECT_EQ(emptyName->activeFocusProfileName, QString());
    EXPECT_EQ(decoded<HaltrixLiveStatus>(withKey(haltrix(), u"activeFocusProfileName"_s, QJsonValue::Null)), haltrix());

    const QJsonObject tileObject = truneJsonEncode(tile(TruneSuiteApp::dovel, 1, morning())).toObject();
    EXPECT_FALSE(tileObject.contains(u"secondaryMetric"_s));
    EXPECT_FALSE(tileObject.contains(u"progress"_s));
    const auto extra = decoded<TuneloLiveStatus>(withKey(tunelo(), u"lyrics"_s, u"la la"_s));
    ASSERT_TRUE(extra.has_value());
    EXPECT_FALSE(truneJsonEncode(*extra).toObject().contains(u"lyrics"_s));
}

TEST(LiveRecordsTest, DecodedValuesStayAsWrittenWhileBuildersApplyTheirRanges)
{
    const auto wild = decoded<LumbraOffloadLiveProgress>(
        withKey(withKey(lumbraProgress(), u"totalSteps"_s, 0), u"fractionCompleted"_s, 1.7));
    ASSERT_TRUE(wild.has_value());
    EXPECT_EQ(wild->totalSteps, 0);
    EXPECT_EQ(wild->fractionCompleted, 1.7);

    struct StepCase {
        qint64 given;
        qint64 stored;
    };
    for (const StepCase& c : {StepCase{-3, 1}, StepCase{0, 1}, StepCase{1, 1}, StepCase{5, 5}}) {
        LumbraOffloadLiveProgress fields = lumbraProgress();
        fields.totalSteps = c.given;
        EXPECT_EQ(LumbraOffloadLiveProgress::make(fields).totalSteps, c.stored) << c.given;
    }
    struct FractionCase {
        double given;
        double stored;
    };
    for (const FractionCase& c : {FractionCase{-0.2, 0}, FractionCase{notANumber, 0}, FractionCase{1.5, 1},
             FractionCase{infinity, 1}, FractionCase{0.42, 0.42}}) {
        LumbraOffloadLiveProgress fields = lumbraProgress();
        fields.fractionCompleted = c.given;
        fields.stepIndex = 9;
        const LumbraOffloadLiveProgress built = LumbraOffloadLiveProgress::make(fields);
        EXPECT_EQ(built.fractionCompleted, c.stored) << c.given;
        EXPECT_EQ(built.stepIndex, 9);
    }

    AudrelAudioAppItem loud = audrel().channels.front();
    loud.volume = 2.5;
    loud.rmsLevel = -1.0f;
    EXPECT_EQ(AudrelAudioAppItem::make(loud).volume, 2.0);
    EXPECT_EQ(AudrelAudioAppItem::make(loud).rmsLevel, 0.0f);
    loud.volume = -0.3;
    EXPECT_EQ(AudrelAudioAppItem::make(loud).volume, 0.0);
    loud.volume = notANumber;
    EXPECT_EQ(AudrelAudioAppItem::make(loud).volume, 2.0);
    const auto decodedLoud = decoded<AudrelAudioAppItem>(withKey(audrel().channels.front(), u"volume"_s, 2.5));
    EXPECT_EQ(decodedLoud->volume, 2.5);

    AudrelLiveStatus mixer = audrel();
    mixer.masterVolume = 1.4;
    EXPECT_EQ(AudrelLiveStatus::make(mixer).masterVolume, 1.0);
    mixer.masterVolume = notANumber;
    EXPECT_EQ(AudrelLiveStatus::make(mixer).masterVolume, 1.0);

    TuneloLiveStatus player = tunelo();
    player.volume = -1;
    player.elapsedSeconds = notANumber;
    player.durationSeconds = -4;
    const TuneloLiveStatus builtPlayer = TuneloLiveStatus::make(player);
    EXPECT_EQ(builtPlayer.volume, 0.0);
    EXPECT_EQ(builtPlayer.elapsedSeconds, 0.0);
    EXPECT_EQ(builtPlayer.durationSeconds, 0.0);

    const auto builtTile = [](std::optional<double> progress, std::optional<QString> symbol) {
        return TruneLiveActivityTile::make({.app = TruneSuiteApp::tunelo,
            .timestamp = morning(),
            .senderPID = 1,
            .titleEN = {},
            .titleTR = {},
            .primaryMetric = {},
            .secondaryMetric = {},
            .progress = progress,
            .symbolName = symbol,
            .tone = TruneLiveActivityTile::Tone::neutral,
            .priority = 0});
    };
    EXPECT_EQ(builtTile(1.3, {}).progress, 1.0);
    EXPECT_EQ(builtTile(-0.2, {}).progress, 0.0);
    EXPECT_EQ(builtTile({}, {}).progress, std::nullopt);
    EXPECT_EQ(builtTile({}, {}).symbolName, u"music.note.list"_s);
    EXPECT_EQ(builtTile({}, u"star"_s).symbolName, u"star"_s);
    const auto decodedTile = decoded<TruneLiveActivityTile>(withKey(builtTile({}, {}), u"progress"_s, 1.3));
    EXPECT_EQ(decodedTile->progress, 1.3);
}

TEST(LiveRecordsTest, NumbersThatAreNotFiniteAreNotWritten)
{
    LumbraLiveStatus status = lumbra();
    status.usedPercent = notANumber;
    EXPECT_FALSE(truneJsonSerializeFinite(status).has_value());
    VantorLiveStatus hot = vantor();
    hot.cpuTempCelsius = infinity;
    EXPECT_FALSE(truneJsonSerializeFinite(hot).has_value());
    EXPECT_TRUE(truneJsonSerializeFinite(vantor()).has_value());
}

// ---- lenient records ----

TEST(LiveRecordsTest, LenientRecordsTakeDefaultsForWhatIsMissing)
{
    const QByteArray bare = R"({"timestamp":"2026-03-01T09:30:00Z","senderPID":77})";
    const auto stilloBare = truneJsonDecode<StilloLiveStatus>(bare);
    ASSERT_TRUE(stilloBare.has_value());
    StilloLiveStatus expectedStillo;
    expectedStillo.timestamp = morning();
    expectedStillo.senderPID = 77;
    EXPECT_EQ(*stilloBare, expectedStillo);
    EXPECT_EQ(stilloBare->sessionModeRaw, u"pomodoro25"_s);
    EXPECT_EQ(stilloBare->remainingSeconds, 1500);
    EXPECT_EQ(stilloBare->progress(), 0.0);

    const auto dovelBare = truneJsonDecode<DovelLiveStatus>(bare);
    ASSERT_TRUE(dovelBare.has_value());
    EXPECT_EQ(dovelBare->dailyCapacityMinutes, 360);
    EXPECT_EQ(dovelBare->nextBestTaskMinutes, 25);
    EXPECT_EQ(dovelBare->nextBestTaskID, std::nullopt);
    EXPECT_EQ(dovelBare->miniPanelFrame, std::nullopt);
    EXPECT_FALSE(dovelBare->isStilloDockedInside);

    EXPECT_FALSE(truneJsonDecode<StilloLiveStatus>(QByteArray(R"({"timestamp":"2026-03-01T09:30:00Z"})")));
    EXPECT_FALSE(truneJsonDecode<DovelLiveStatus>(QByteArray(R"({"senderPID":77})")));
}

TEST(LiveRecordsTest, LenientRecordsBringValuesIntoRangeAndRefuseWrongTypes)
{
    struct Case {
        const char* key;
        QJsonValue value;
        std::optional<qint64> stored; // nullopt: the whole status fails
    };
    const Case stilloCases[] = {
        {"focusScorePercent", 140, 100},
        {"focusScorePercent", -3, 0},
        {"totalSeconds", 0, 1},
        {"remainingSeconds", -20, 0},
        {"lockedAppsCount", 2.5, std::nullopt},
        {"isRunning", u"yes"_s, std::nullopt},
        {"sessionModeRaw", 5, std::nullopt},
    };
    for (const Case& c : stilloCases) {
        SCOPED_TRACE(c.key);
        const auto status = decoded<StilloLiveStatus>(withKey(stillo(), QLatin1String(c.key), c.value));
        ASSERT_EQ(status.has_value(), c.stored.has_value());
        if (c.stored) {
            EXPECT_EQ(truneJsonEncode(*status).toObject().value(QLatin1String(c.key)).toInteger(), *c.stored);
        }
    }
    const Case dovelCases[] = {
        {"dailyCapacityMinutes", 10, 30},
        {"nextBestTaskMinutes", 2, 5},
        {"overdueCount", -1, 0},
        {"openTodayCount", u"3"_s, std::nullopt},
    };
    for (const Case& c : dovelCases) {
        SCOPED_TRACE(c.key);
        const auto status = decoded<DovelLiveStatus>(withKey(dovel(), QLatin1String(c.key), c.value));
        ASSERT_EQ(status.has_value(), c.stored.has_value());
        if (c.stored) {
            EXPECT_EQ(truneJsonEncode(*status).toObject().value(QLatin1String(c.key)).toInteger(), *c.stored);
        }
    }

    const auto nullRunning = decoded<StilloLiveStatus>(withKey(stillo(), u"isRunning"_s, QJsonValue::Null));
    ASSERT_TRUE(nullRunning.has_value());
    EXPECT_FALSE(nullRunning->isRunning);
    const auto emptyMode = decoded<StilloLiveStatus>(withKey(stillo(), u"sessionModeRaw"_s, u""_s));
    EXPECT_EQ(emptyMode->sessionModeRaw, QString());
    const auto negativeTime = decoded<StilloLiveStatus>(withKey(stillo(), u"todayProductiveSeconds"_s, -60));
    EXPECT_EQ(negativeTime->todayProductiveSeconds, 0.0);

    const QJsonObject oddFrame = objectOf(R"({"x":10,"y":20,"width":-5,"height":40})");
    const auto withOddFrame = decoded<DovelLiveStatus>(withKey(dovel(), u"miniPanelFrame"_s, oddFrame));
    ASSERT_TRUE(withOddFrame.has_value());
    EXPECT_EQ(withOddFrame->miniPanelFrame->width, -5);
    EXPECT_EQ(TruneScreenRect::make(10, 20, -5, 40).width, 0);
    EXPECT_EQ(TruneScreenRect::make(10, 20, notANumber, 40).width, 0);
    EXPECT_EQ(TruneScreenRect::fromRect(QRectF(7, 8, -3, 4)), (TruneScreenRect{7, 8, 0, 4}));
    EXPECT_FALSE(
        decoded<DovelLiveStatus>(withKey(dovel(), u"miniPanelFrame"_s, objectOf(R"({"x":10,"y":20,"width":5})"))));
}

TEST(LiveRecordsTest, ADovelStatusWithoutOptionalsLeavesTheirKeysOut)
{
    DovelLiveStatus plain = dovel();
    plain.nextBestTaskID.reset();
    plain.nextBestTaskTitle.reset();
    plain.miniPanelFrame.reset();
    const QJsonObject object = truneJsonEncode(plain).toObject();
    for (const char* key : {"nextBestTaskID", "nextBestTaskTitle", "miniPanelFrame", "studioWindowFrame"}) {
        EXPECT_FALSE(object.contains(QLatin1String(key))) << key;
    }
    EXPECT_EQ(decoded<DovelLiveStatus>(object), plain);
}

// ---- derived figures ----

TEST(LiveRecordsTest, DerivedFiguresFollowTheirRules)
{
    LumbraLiveStatus pools = lumbra();
    pools.activeDiskPoolCount = 0;
    pools.diskPoolVirtualBytes = 10;
    pools.sparseDiskVirtualBytes = 5;
    pools.ramDiskTotalBytes = 100;
    EXPECT_FALSE(pools.hasVirtualDiskExpansion());
    EXPECT_EQ(pools.totalVirtualPoolCapacityBytes(), 15);
    pools.mountedRAMDiskCount = 1;
    EXPECT_TRUE(pools.hasVirtualDiskExpansion());
    pools.diskPoolActualDiskBytes = std::numeric_limits<qint64>::max();
    pools.sparseDiskActualBytes = 1;
    EXPECT_EQ(pools.totalVirtualDiskActualBytes(), std::numeric_limits<qint64>::max());

    struct TempCase {
        std::optional<double> cpu, soc, gpu, headline;
    };
    for (const TempCase& c :
        {TempCase{55, 60, {}, 55}, TempCase{{}, 60, 70, 60}, TempCase{{}, {}, 61, 61}, TempCase{{}, {}, {}, {}}}) {
        VantorLiveStatus status = vantor();
        status.cpuTempCelsius = c.cpu;
        status.socTempCelsius = c.soc;
        status.gpuTempCelsius = c.gpu;
        EXPECT_EQ(status.headlineTempCelsius(), c.headline);
    }

    AudrelLiveStatus mixer = audrel();
    mixer.channels = {{u"a"_s, {}, {}, true, false, 1, 0}, {u"b"_s, {}, {}, true, true, 1, 0},
        {u"c"_s, {}, {}, false, true, 1, 0}, {u"d"_s, {}, {}, false, false, 1, 0}};
    EXPECT_EQ(mixer.activePlayingCount(), 1);
    EXPECT_EQ(mixer.mutedCount(), 2);
    mixer.channels.clear();
    EXPECT_EQ(mixer.activePlayingCount(), 0);
    EXPECT_EQ(mixer.mutedCount(), 0);

    struct ProgressCase {
        double elapsed, duration, progress;
    };
    for (const ProgressCase& c : {ProgressCase{90, 180, 0.5}, ProgressCase{200, 180, 1}, ProgressCase{50, 0, 0},
             ProgressCase{-5, 100, 0}, ProgressCase{5, notANumber, 0}}) {
        TuneloLiveStatus status = tunelo();
        status.elapsedSeconds = c.elapsed;
        status.durationSeconds = c.duration;
        EXPECT_EQ(status.progress(), c.progress) << c.elapsed << " of " << c.duration;
    }

    struct SessionCase {
        qint64 remaining, total;
        double progress;
    };
    for (const SessionCase& c : {SessionCase{300, 1200, 0.75}, SessionCase{1500, 1200, 0}, SessionCase{0, 0, 1}}) {
        StilloLiveStatus status = stillo();
        status.remainingSeconds = c.remaining;
        status.totalSeconds = c.total;
        EXPECT_EQ(status.progress(), c.progress) << c.remaining << " of " << c.total;
    }
    EXPECT_EQ(tile(TruneSuiteApp::dovel, 1, morning()).id(), u"Dovel"_s);
}

TEST(LiveRecordsTest, EqualityIsFieldByFieldWithCanonicalTexts)
{
    TuneloLiveStatus composed = tunelo();
    TuneloLiveStatus decomposed = tunelo();
    decomposed.title = u"Gu\u0308l Bahc\u0327esi"_s;
    EXPECT_EQ(composed, decomposed);

    AudrelLiveStatus reordered = audrel();
    std::swap(reordered.channels.front(), reordered.channels.back());
    EXPECT_NE(reordered, audrel());

    EXPECT_NE(tile(TruneSuiteApp::dovel, 1, morning()), tile(TruneSuiteApp::dovel, 2, morning()));
    VantorLiveStatus unmeasured = vantor();
    unmeasured.cpuTotalPercent = notANumber;
    EXPECT_NE(unmeasured, unmeasured);

    // Whole seconds on the wire: a fraction written is not the record read back.
    LumbraLiveStatus precise = lumbra();
    precise.timestamp = morning().addMSecs(400);
    const auto readBack = truneJsonDecode<LumbraLiveStatus>(truneJsonSerialize(precise));
    ASSERT_TRUE(readBack.has_value());
    EXPECT_NE(*readBack, precise);
    EXPECT_EQ(readBack->timestamp, morning());
}

// ---- freshness ----

TEST(LiveRecordsTest, FreshnessNeedsARecentTimestampAndALivingSender)
{
    const qint32 me = static_cast<qint32>(QCoreApplication::applicationPid());
    const QDateTime written = morning();
    struct Case {
        const char* label;
        qint32 pid;
        qint64 nowOffsetMs;
        double maxAge;
        bool fresh;
    };
    const Case cases[] = {
        {"exactly the maximum age", me, 10'000, 10, true},
        {"half a second too old", me, 10'500, 10, false},
        {"as far in the future", me, -10'000, 10, true},
        {"a maximum age that is not a number", me, 0, notANumber, false},
        {"sender 0", 0, 0, 10, false},
        {"sender -1", -1, 0, 10, false},
        {"sender of the first process, maybe another user's", 1, 0, 10, true},
        {"an ended sender", endedProcessId(), 0, 10, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const QDateTime now = written.addMSecs(c.nowOffsetMs);
        EXPECT_EQ(lumbra(c.pid).isFresh(now, c.maxAge), c.fresh);
        EXPECT_EQ(vantor(c.pid).isFresh(now, c.maxAge), c.fresh);
        EXPECT_EQ(haltrix(c.pid).isFresh(now, c.maxAge), c.fresh);
        EXPECT_EQ(audrel(c.pid).isFresh(now, c.maxAge), c.fresh);
        EXPECT_EQ(tunelo(c.pid).isFresh(now, c.maxAge), c.fresh);
        EXPECT_EQ(stillo(c.pid).isFresh(now, c.maxAge), c.fresh);
        EXPECT_EQ(dovel(c.pid).isFresh(now, c.maxAge), c.fresh);
        EXPECT_EQ(tile(TruneSuiteApp::stillo, 0, written, c.pid).isFresh(now, c.maxAge), c.fresh);
    }
}
