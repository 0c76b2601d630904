#include "kit/suite/TruneSuiteCommandEnvelope.h"

#include <gtest/gtest.h>

#include <QJsonObject>

#include <map>

using namespace Qt::StringLiterals;

namespace {

TruneSuiteCommandEnvelope sampleEnvelope()
{
    TruneSuiteCommandEnvelope envelope;
    envelope.id = QUuid::fromString(u"6f1c2a4e-8b0d-4a3e-9c55-0123456789ab"_s);
    envelope.timestamp = QDateTime(QDate(2026, 1, 31), QTime(9, 15), Qt::UTC);
    envelope.sourceApp = TruneSuiteApp::vantor;
    envelope.targetApp = TruneSuiteApp::lumbra;
    envelope.kind = TruneSuiteCommandKind::lumbraSmartOffload;
    return envelope;
}

TruneJsonResult<TruneSuiteCommandEnvelope> decodeWith(const char* key, const QJsonValue& value)
{
    QJsonObject object = truneJsonEncode(sampleEnvelope()).toObject();
    if (value.isUndefined())
        object.remove(QLatin1String(key));
    else
        object.insert(QLatin1String(key), value);
    return truneJsonDecode<TruneSuiteCommandEnvelope>(QJsonValue(object));
}

} // namespace

TEST(TruneSuiteCommandKindTest, TheVocabularyIsFixedAndGroupedByApp)
{
    const auto kinds = allCases<TruneSuiteCommandKind>();
    ASSERT_EQ(kinds.size(), 139u);
    const std::map<int, const char*> anchors{{0, "lumbraSmartOffload"}, {7, "haltrixAllFrozen"},
        {15, "vantorToggleHUD"}, {18, "vantorStartThermalBenchmark"}, {36, "tuneloTogglePlayPause"},
        {39, "tuneloSetVolume"}, {41, "audrelToggleAppMute"}, {43, "audrelUnmuteAll"}, {121, "stilloStartTaskSession"},
        {131, "stilloSyncProjectRules"}, {132, "dovelOpenQuickCapture"}, {138, "dovelOpenToday"}};
    for (const auto& [index, raw] : anchors) {
        EXPECT_EQ(rawValue(kinds.at(static_cast<size_t>(index))), QLatin1String(raw)) << index;
    }
    // Every raw value is an app's lower-cased name followed by an UpperCamelCase action, and an
    // app's kinds stand together.
    const auto apps = allCases<TruneSuiteApp>();
    std::vector<QString> prefixes;
    for (TruneSuiteCommandKind kind : kinds) {
        const QString raw = rawValue(kind);
        const auto app = std::ranges::find_if(apps, [&](TruneSuiteApp candidate) {
            const QString prefix = rawValue(candidate).toLower();
            return raw.startsWith(prefix) && raw.size() > prefix.size() && raw.at(prefix.size()).isUpper();
        });
        ASSERT_NE(app, apps.end()) << raw.toStdString();
        const QString prefix = rawValue(*app);
        if (prefixes.empty() || prefixes.back() != prefix) {
            EXPECT_EQ(std::ranges::count(prefixes, prefix), 0) << prefix.toStdString();
            prefixes.push_back(prefix);
        }
    }
    EXPECT_EQ(prefixes.size(), 40u);
    EXPECT_EQ(fromRawValue<TruneSuiteCommandKind>(u"lumbraSmartOffload"), TruneSuiteCommandKind::lumbraSmartOffload);
    EXPECT_EQ(fromRawValue<TruneSuiteCommandKind>(u"LumbraSmartOffload"), std::nullopt);
}

TEST(TruneSuiteCommandEnvelopeTest, AMinimalEnvelopeHasExactlyTheFiveRequiredKeys)
{
    EXPECT_EQ(truneJsonSerialize(sampleEnvelope()),
        QByteArray(R"({"id":"6F1C2A4E-8B0D-4A3E-9C55-0123456789AB","kind":"lumbraSmartOffload",)"
                   R"("sourceApp":"Vantor","targetApp":"Lumbra","timestamp":"2026-01-31T09:15:00Z"})"));
}

TEST(TruneSuiteCommandEnvelopeTest, AFullEnvelopeRoundTrips)
{
    TruneSuiteCommandEnvelope envelope = sampleEnvelope();
    envelope.kind = TruneSuiteCommandKind::haltrixInspectPID;
    envelope.targetApp = TruneSuiteApp::haltrix;
    envelope.targetPID = 4242;
    envelope.targetName = u"Safari"_s;
    envelope.payload = u"{\"deep\":true}"_s;
    const QByteArray golden
        = R"({"id":"6F1C2A4E-8B0D-4A3E-9C55-0123456789AB","kind":"haltrixInspectPID","payload":"{\"deep\":true}",)"
          R"("sourceApp":"Vantor","targetApp":"Haltrix","targetName":"Safari","targetPID":4242,)"
          R"("timestamp":"2026-01-31T09:15:00Z"})";
    EXPECT_EQ(truneJsonSerialize(envelope), golden);
    EXPECT_EQ(truneJsonDecode<TruneSuiteCommandEnvelope>(golden), envelope);
}

TEST(TruneSuiteCommandEnvelopeTest, DecodingAcceptsNullOptionalsAndExtraKeysButNothingElseAmiss)
{
    const auto withNullPID = decodeWith("targetPID", QJsonValue::Null);
    ASSERT_TRUE(withNullPID.has_value());
    EXPECT_EQ(withNullPID->targetPID, std::nullopt);
    EXPECT_TRUE(decodeWith("addedLater", u"anything"_s).has_value());

    struct Case {
        const char* key;
        QJsonValue value;
    };
    const Case failures[] = {
        {"kind", u"lumbraMakeCoffee"_s},
        {"kind", u"LumbraSmartOffload"_s},
        {"sourceApp", u"lumbra"_s},
        {"targetApp", QJsonValue::Null},
        {"timestamp", u"2026-01-31T09:15:00.250Z"_s},
        {"timestamp", u"2026-01-31T09:15:00"_s},
        {"id", u"not-a-uuid"_s},
        {"id", QJsonValue::Undefined},
        {"targetPID", 3000000000.0},
        {"targetPID", 12.5},
        {"targetPID", u"12"_s},
        {"payload", 7},
    };
    for (const Case& c : failures) {
        SCOPED_TRACE(c.key);
        EXPECT_FALSE(decodeWith(c.key, c.value).has_value());
    }
}

TEST(TruneSuiteCommandEnvelopeTest, EqualityComparesEveryFieldAndTextsCanonically)
{
    TruneSuiteCommandEnvelope a = sampleEnvelope();
    TruneSuiteCommandEnvelope b = sampleEnvelope();
    a.payload = u"Caf\u00e9"_s;
    b.payload = u"Cafe\u0301"_s;
    EXPECT_EQ(a, b);
    b.payload = u"Cafe"_s;
    EXPECT_NE(a, b);
    b.payload.reset();
    EXPECT_NE(a, b);
    a.payload.reset();
    EXPECT_EQ(a, b);
    a.timestamp = a.timestamp.toOffsetFromUtc(3600);
    EXPECT_EQ(a, b);
}
