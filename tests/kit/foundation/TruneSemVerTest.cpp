#include "kit/foundation/TruneSemVer.h"

#include <QSet>

#include <gtest/gtest.h>

#include <limits>

namespace {

constexpr qint64 int64Max = std::numeric_limits<qint64>::max();
constexpr qint64 int64Min = std::numeric_limits<qint64>::min();

// A version as decoding may produce it: fields taken as they are, negative ones included.
TruneSemVer raw(qint64 major, qint64 minor, qint64 patch)
{
    TruneSemVer version;
    version.major = major;
    version.minor = minor;
    version.patch = patch;
    return version;
}

} // namespace

inline void PrintTo(const TruneSemVer& version, std::ostream* os)
{
    *os << version.description().toStdString();
}

TEST(TruneSemVerTest, ParseAcceptsStrictTripletsOnly)
{
    struct Case {
        QString text;
        std::optional<TruneSemVer> expected;
    };
    const Case cases[] = {
        {QStringLiteral("1.2.3"), TruneSemVer(1, 2, 3)},
        {QStringLiteral("v1.2.3"), TruneSemVer(1, 2, 3)},
        {QStringLiteral("V1.2.3"), TruneSemVer(1, 2, 3)},
        {QStringLiteral("  1.2.3 \n"), TruneSemVer(1, 2, 3)},
        {QStringLiteral("\tv1.2.3\n"), TruneSemVer(1, 2, 3)},
        {QStringLiteral("+1.2.3"), TruneSemVer(1, 2, 3)},
        {QStringLiteral("-0.1.2"), TruneSemVer(0, 1, 2)},
        {QStringLiteral("01.2.03"), TruneSemVer(1, 2, 3)},
        {QStringLiteral("0.0.0"), TruneSemVer(0, 0, 0)},
        {QStringLiteral("9223372036854775807.0.1"), TruneSemVer(int64Max, 0, 1)},
        {QStringLiteral("vv1.2.3"), std::nullopt},
        {QStringLiteral("1.2"), std::nullopt},
        {QStringLiteral("1.2.3.4"), std::nullopt},
        {QStringLiteral("1..3"), std::nullopt},
        {QStringLiteral("1.2."), std::nullopt},
        {QStringLiteral("1.2.-3"), std::nullopt},
        {QStringLiteral(""), std::nullopt},
        {QStringLiteral("v"), std::nullopt},
        {QStringLiteral("1.2.3-beta.1"), std::nullopt},
        {QStringLiteral("1.2.3+5"), std::nullopt},
        {QStringLiteral("1.2.+"), std::nullopt},
        {QStringLiteral("1.2.+-3"), std::nullopt},
        {QStringLiteral("1. 2.3"), std::nullopt},
        {QStringLiteral("v 1.2.3"), std::nullopt},
        {QStringLiteral("1.2.0x3"), std::nullopt},
        {QStringLiteral("1.2.\u0663"), std::nullopt}, // a digit, but not an ASCII one
        {QStringLiteral("9223372036854775808.0.0"), std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.toStdString());
        EXPECT_EQ(TruneSemVer::parsing(c.text), c.expected);
        const auto parsed = TruneSemVer::parse(c.text);
        if (c.expected) {
            EXPECT_EQ(parsed, *c.expected);
        } else {
            ASSERT_FALSE(parsed.has_value());
            EXPECT_EQ(parsed.error(), TruneSemVerError::invalidFormat(c.text));
        }
    }
}

TEST(TruneSemVerTest, ParseErrorCarriesTheUntrimmedInput)
{
    const auto parsed = TruneSemVer::parse(QStringLiteral(" 1.2 "));
    ASSERT_FALSE(parsed.has_value());
    EXPECT_EQ(parsed.error().input, QStringLiteral(" 1.2 "));
    EXPECT_EQ(parsed.error().description(),
        QStringLiteral("Invalid SemVer 2.0.0 string: ' 1.2 ' (expected MAJOR.MINOR.PATCH)."));
}

TEST(TruneSemVerTest, InitializerRaisesNegativeFieldsToZero)
{
    EXPECT_EQ(TruneSemVer(-1, 2, -3), raw(0, 2, 0));
    EXPECT_EQ(TruneSemVer(int64Min, int64Max, 0), raw(0, int64Max, 0));
}

TEST(TruneSemVerTest, OrdersNumericallyFieldByField)
{
    EXPECT_GT(TruneSemVer(1, 10, 0), TruneSemVer(1, 9, 9));
    EXPECT_GT(TruneSemVer(2, 0, 0), TruneSemVer(1, 99, 99));
    EXPECT_LT(TruneSemVer(1, 2, 3), TruneSemVer(1, 2, 4));
    EXPECT_EQ(TruneSemVer(1, 2, 3), *TruneSemVer::parsing(QStringLiteral("v01.02.03")));
    EXPECT_EQ(TruneSemVer(1, 10, 0).description(), QStringLiteral("1.10.0"));

    const QSet<TruneSemVer> set{TruneSemVer(1, 2, 3), TruneSemVer(1, 2, 3), TruneSemVer(3, 2, 1)};
    EXPECT_EQ(set.size(), 2);
}

TEST(TruneSemVerTest, BumpedStepsOneFieldAndResetsTheLowerOnes)
{
    struct Case {
        TruneSemVer from;
        TruneVersionBumpKind kind;
        std::optional<TruneSemVer> expected;
    };
    const Case cases[] = {
        {TruneSemVer(1, 4, 7), TruneVersionBumpKind::build, TruneSemVer(1, 4, 7)},
        {TruneSemVer(1, 4, 7), TruneVersionBumpKind::patch, TruneSemVer(1, 4, 8)},
        {TruneSemVer(1, 4, 7), TruneVersionBumpKind::minor, TruneSemVer(1, 5, 0)},
        {TruneSemVer(1, 4, 7), TruneVersionBumpKind::major, TruneSemVer(2, 0, 0)},
        // decoded negative fields come out raised to 0
        {raw(-4, -2, -9), TruneVersionBumpKind::build, TruneSemVer(0, 0, 0)},
        {raw(-4, 1, -9), TruneVersionBumpKind::patch, TruneSemVer(0, 1, 0)},
        // the largest field cannot step up; the others still can
        {TruneSemVer(1, 2, int64Max), TruneVersionBumpKind::patch, std::nullopt},
        {TruneSemVer(1, int64Max, 3), TruneVersionBumpKind::minor, std::nullopt},
        {TruneSemVer(int64Max, 2, 3), TruneVersionBumpKind::major, std::nullopt},
        {TruneSemVer(int64Max, int64Max, int64Max), TruneVersionBumpKind::build,
            TruneSemVer(int64Max, int64Max, int64Max)},
        {TruneSemVer(1, 2, int64Max), TruneVersionBumpKind::minor, TruneSemVer(1, 3, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.from.description().toStdString() << " " << rawValue(c.kind).toStdString());
        EXPECT_EQ(c.from.bumped(c.kind), c.expected);
    }
}

TEST(TruneSemVerTest, ValidateTransitionPermitsOnlySingleSteps)
{
    using Kind = TruneVersionBumpKind;
    using Case = TruneSemVerError::Case;
    struct Row {
        TruneSemVer from;
        TruneSemVer to;
        Kind kind;
        std::optional<Case> refusal;
    };
    const Row rows[] = {
        {TruneSemVer(1, 2, 3), TruneSemVer(1, 2, 4), Kind::patch, std::nullopt},
        {TruneSemVer(1, 2, 3), TruneSemVer(1, 3, 0), Kind::minor, std::nullopt},
        {TruneSemVer(1, 2, 3), TruneSemVer(2, 0, 0), Kind::major, std::nullopt},
        {TruneSemVer(1, 2, 3), TruneSemVer(1, 2, 3), Kind::build, std::nullopt},
        {TruneSemVer(1, 2, 3), TruneSemVer(1, 2, 3), Kind::patch, Case::unexpectedBumpKind},
        {TruneSemVer(1, 2, 3), TruneSemVer(1, 3, 0), Kind::patch, Case::unexpectedBumpKind},
        {TruneSemVer(1, 2, 3), TruneSemVer(1, 3, 1), Kind::minor, Case::unexpectedBumpKind},
        {TruneSemVer(1, 2, 3), TruneSemVer(2, 1, 0), Kind::major, Case::unexpectedBumpKind},
        {TruneSemVer(1, 2, 3), TruneSemVer(1, 2, 5), Kind::patch, Case::multiStepJumpBlocked},
        {TruneSemVer(1, 2, 3), TruneSemVer(1, 2, 5), Kind::build, Case::multiStepJumpBlocked},
        {TruneSemVer(1, 2, 3), TruneSemVer(1, 4, 0), Kind::minor, Case::multiStepJumpBlocked},
        {TruneSemVer(1, 2, 3), TruneSemVer(3, 0, 0), Kind::major, Case::multiStepJumpBlocked},
        {TruneSemVer(2, 0, 0), TruneSemVer(1, 9, 9), Kind::major, Case::downgradeNotAllowed},
        {TruneSemVer(1, 2, 3), TruneSemVer(1, 2, 2), Kind::build, Case::downgradeNotAllowed},
        // At the ends of the 64-bit range: no overflow, and no step past the largest value.
        {TruneSemVer(0, 0, 0), TruneSemVer(int64Max, 0, 0), Kind::major, Case::multiStepJumpBlocked},
        {raw(int64Min, 0, 0), TruneSemVer(int64Max, 0, 0), Kind::major, Case::multiStepJumpBlocked},
        {raw(1, int64Min, 0), TruneSemVer(1, int64Max, 0), Kind::minor, Case::multiStepJumpBlocked},
        {TruneSemVer(1, 2, int64Max), TruneSemVer(1, 3, 0), Kind::patch, Case::unexpectedBumpKind},
        {TruneSemVer(1, 2, int64Max), TruneSemVer(1, 3, 0), Kind::minor, std::nullopt},
        {TruneSemVer(int64Max, 0, 0), TruneSemVer(int64Max, 0, 0), Kind::major, Case::unexpectedBumpKind},
        {TruneSemVer(int64Max, 0, 0), TruneSemVer(int64Max, 0, 0), Kind::build, std::nullopt},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(testing::Message() << r.from.description().toStdString() << " -> "
                                        << r.to.description().toStdString() << " " << rawValue(r.kind).toStdString());
        const auto result = TruneSemVer::validateTransition(r.from, r.to, r.kind);
        if (!r.refusal) {
            EXPECT_TRUE(result.has_value()) << result.error().description().toStdString();
            continue;
        }
        ASSERT_FALSE(result.has_value());
        EXPECT_EQ(result.error().errorCase, *r.refusal);
        EXPECT_EQ(result.error().from, r.from.description());
        EXPECT_EQ(result.error().to, r.to.description());
    }
}

TEST(TruneSemVerTest, PolicyErrorsDescribeTheTransitionInEnglish)
{
    const auto refusal = [](TruneSemVer from, TruneSemVer to, TruneVersionBumpKind kind) {
        return TruneSemVer::validateTransition(from, to, kind).error();
    };

    const TruneSemVerError sameVersion
        = refusal(TruneSemVer(1, 4, 7), TruneSemVer(1, 4, 7), TruneVersionBumpKind::patch);
    EXPECT_EQ(sameVersion,
        TruneSemVerError::unexpectedBumpKind(
            TruneVersionBumpKind::patch, QStringLiteral("1.4.7"), QStringLiteral("1.4.7")));
    EXPECT_EQ(
        sameVersion.description(), QStringLiteral("Transition 1.4.7 -> 1.4.7 does not match requested 'patch' bump."));

    EXPECT_EQ(refusal(TruneSemVer(2, 0, 0), TruneSemVer(1, 9, 9), TruneVersionBumpKind::major).description(),
        QStringLiteral("Version downgrade blocked: 2.0.0 -> 1.9.9."));
    EXPECT_EQ(refusal(TruneSemVer(1, 2, 3), TruneSemVer(1, 2, 5), TruneVersionBumpKind::patch).description(),
        QStringLiteral("Multi-step version jump blocked by Quorvane policy: 1.2.3 -> 1.2.5. "
                       "Only +1 increments are permitted."));
}

TEST(TruneSemVerTest, ErrorsCompareByCaseAndPayload)
{
    using Kind = TruneVersionBumpKind;
    const QString a = QStringLiteral("1.0.0");
    const QString b = QStringLiteral("2.0.0");
    EXPECT_EQ(TruneSemVerError::downgradeNotAllowed(b, a), TruneSemVerError::downgradeNotAllowed(b, a));
    EXPECT_NE(TruneSemVerError::downgradeNotAllowed(b, a), TruneSemVerError::multiStepJumpBlocked(b, a));
    EXPECT_NE(TruneSemVerError::downgradeNotAllowed(b, a), TruneSemVerError::downgradeNotAllowed(a, b));
    EXPECT_NE(TruneSemVerError::unexpectedBumpKind(Kind::patch, a, b),
        TruneSemVerError::unexpectedBumpKind(Kind::minor, a, b));
    EXPECT_NE(TruneSemVerError::invalidFormat(a), TruneSemVerError::invalidFormat(b));
}

TEST(TruneSemVerTest, BumpKindRawValuesInCaseOrder)
{
    using Kind = TruneVersionBumpKind;
    EXPECT_EQ(allCases<Kind>(), (std::vector<Kind>{Kind::build, Kind::patch, Kind::minor, Kind::major}));
    for (const Kind kind : allCases<Kind>()) {
        SCOPED_TRACE(rawValue(kind).toStdString());
        EXPECT_EQ(truneJsonDecode<Kind>(truneJsonEncode(kind)), kind);
    }
    EXPECT_EQ(truneJsonSerialize(Kind::minor), QByteArray("\"minor\""));
    EXPECT_FALSE(truneJsonDecode<Kind>(QByteArray("\"Minor\"")).has_value());
    EXPECT_FALSE(truneJsonDecode<Kind>(QByteArray("\"hotfix\"")).has_value());
    EXPECT_FALSE(truneJsonDecode<Kind>(QByteArray("1")).has_value());
}

TEST(TruneSemVerTest, JsonFormIsAnObjectOfThreeExactIntegers)
{
    EXPECT_EQ(truneJsonSerialize(TruneSemVer(1, 10, 0)), QByteArray(R"({"major":1,"minor":10,"patch":0})"));

    struct Case {
        const char* json;
        std::optional<TruneSemVer> expected;
    };
    const Case cases[] = {
        {R"({"major":1,"minor":2,"patch":3})", TruneSemVer(1, 2, 3)},
        {R"({"patch":3,"major":1,"minor":2,"extra":true})", TruneSemVer(1, 2, 3)},
        // taken as they stand, neither clamped nor rounded
        {R"({"major":-1,"minor":2,"patch":3})", raw(-1, 2, 3)},
        {R"({"major":9223372036854775807,"minor":0,"patch":9223372036854775806})", raw(int64Max, 0, int64Max - 1)},
        {R"({"major":1,"minor":2})", std::nullopt},
        {R"({"major":1,"minor":2,"patch":null})", std::nullopt},
        {R"({"major":1,"minor":2,"patch":"3"})", std::nullopt},
        {R"({"major":1,"minor":2,"patch":3.5})", std::nullopt},
        {R"("1.2.3")", std::nullopt},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.json);
        const auto decoded = truneJsonDecode<TruneSemVer>(QByteArray(c.json));
        if (c.expected)
            EXPECT_EQ(decoded, *c.expected);
        else
            EXPECT_FALSE(decoded.has_value());
    }

    const TruneSemVer big = raw(int64Max, int64Min, 7);
    EXPECT_EQ(truneJsonDecode<TruneSemVer>(truneJsonSerialize(big)), big);
}
