#include "core/records/VersionComparator.h"

#include <gtest/gtest.h>

#include <QChar>
#include <QLocale>
#include <QString>
#include <QStringList>

#include <random>
#include <string>
#include <thread>
#include <vector>

using namespace Qt::StringLiterals;

namespace {

using VersionComparator::compare;

constexpr auto older = ComparisonResult::orderedAscending;
constexpr auto same = ComparisonResult::orderedSame;
constexpr auto newer = ComparisonResult::orderedDescending;

ComparisonResult reversed(ComparisonResult result)
{
    return static_cast<ComparisonResult>(-static_cast<int>(result));
}

struct OrderRow {
    QString left;
    QString right;
    ComparisonResult expected; // of left against right
};

std::string describe(const OrderRow& row)
{
    return '"' + row.left.toStdString() + "\" vs \"" + row.right.toStdString() + '"';
}

// Checks both directions: left < right must mean right > left.
void expectOrders(const std::vector<OrderRow>& rows)
{
    for (const OrderRow& row : rows) {
        SCOPED_TRACE(describe(row));
        EXPECT_EQ(compare(row.left, row.right), row.expected);
        EXPECT_EQ(compare(row.right, row.left), reversed(row.expected));
        EXPECT_EQ(VersionComparator::isEqual(row.left, row.right), row.expected == same);
    }
}

// Pins the default locale that orders words, and puts the previous one back.
class VersionComparatorLocaleTest : public ::testing::Test {
protected:
    void TearDown() override { QLocale::setDefault(m_saved); }

private:
    QLocale m_saved;
};

QString withCodeUnit(const QString& before, char16_t unit, const QString& after)
{
    return before + QChar(unit) + after;
}

TEST(VersionComparatorTest, OrdersTheDocumentedExamples)
{
    expectOrders({
        {u"1.2"_s, u"1.10"_s, older},
        {u"1"_s, u"1.0.0"_s, same},
        {u"v2.0"_s, u"2.0"_s, same},
        {u"Ver 3.1"_s, u"3.1"_s, same},
        {u"1.0.0-beta.2"_s, u"1.0.0-beta.10"_s, older},
        {u"1.0.0-rc.1"_s, u"1.0.0"_s, older},
        {u"1.0-alpha"_s, u"1.0-beta"_s, older},
        {u"1.0-dev"_s, u"1.0-alpha"_s, older},
        {u"1.0-dev"_s, u"1.0-nightly"_s, older},
        {u"1.0-rc"_s, u"1.0-foo"_s, older},
        {u"1.0-1"_s, u"1.0-alpha"_s, older},
        {u"1.0-alpha"_s, u"1.0-alpha.1"_s, older},
        {u"2.0b3"_s, u"2.0"_s, older},
        {u"1.0rc1"_s, u"1.0-rc.1"_s, same},
        {u"1.0-b1"_s, u"1.0-beta1"_s, same},
        {u"1.0"_s, u"1.0_1"_s, older},
        {u"1.0_2"_s, u"1.0_10"_s, older},
        {u"1.0+build7"_s, u"1.0"_s, same},
        {u"1.0,5"_s, u"1.0"_s, same},
        {u"1.0,5"_s, u"1.0,12"_s, older},
        {u"1.0 beta 2"_s, u"1.0"_s, older},
        {u"1.5"_s, u"1.5a.2"_s, older},
    });
}

TEST(VersionComparatorTest, OrdersPrereleaseWordsByRankThenSpelling)
{
    expectOrders({
        {u"1.4-rc.2"_s, u"1.4-rc.1"_s, newer},
        {u"1.4-rc.1"_s, u"1.4-beta.5"_s, newer},
        {u"1.0-canary"_s, u"1.0-nightly"_s, older},
        {u"1.0-pre"_s, u"1.0-preview"_s, older},
        {u"1.0-preview"_s, u"1.0-rc"_s, older},
        {u"1.0-alpha.beta"_s, u"1.0-alpha.1"_s, newer},
        {u"1.0-a"_s, u"1.0-alpha"_s, same},
        {u"1.0-RC1"_s, u"1.0-rc.1"_s, same},
        {u"1.0-beta_2"_s, u"1.0-beta.2"_s, same},
        // Inline tags glued to the last segment.
        {u"1.0b9"_s, u"1.0b10"_s, older},
        {u"1.0b10"_s, u"1.0"_s, older},
        {u"1.0a"_s, u"1.0-alpha"_s, same},
        {u"2.0preview2"_s, u"2.0-preview.2"_s, same},
        {u"2.0pre2"_s, u"2.0-pre.2"_s, same},
        // "devel" and "c" are no tags: the segment stays a number with a suffix, above the plain number.
        {u"1.0devel"_s, u"1.0"_s, newer},
        {u"1.0c"_s, u"1.0"_s, newer},
        {u"1.0c"_s, u"1.0d"_s, older},
    });
}

TEST(VersionComparatorTest, OrdersRealWorldVersions)
{
    expectOrders({
        // Homebrew revisions
        {u"9.0.1_1"_s, u"9.0.1"_s, newer},
        {u"9.0.1_2"_s, u"9.0.1_1"_s, newer},
        {u"9.0.1_1"_s, u"9.0.2"_s, older},
        {u"3.1_2"_s, u"3.1.0_2"_s, same},
        // Cask versions with a build after ","
        {u"1.2.3,456"_s, u"1.2.3,457"_s, older},
        {u"1.2.3,456"_s, u"1.2.3"_s, same},
        {u"1.2.3,999"_s, u"1.2.4,100"_s, older},
        {u"1.0,2024.05"_s, u"1.0,2024.11"_s, older},
        // A word is below any number.
        {u"latest"_s, u"1.0"_s, older},
        {u"latest"_s, u"0"_s, older},
        {u"latest"_s, u"latest"_s, same},
        // Dates
        {u"2024.01.15"_s, u"2024.1.15"_s, same},
        {u"2024.01.15"_s, u"2024.02.01"_s, older},
        {u"2024.12.31"_s, u"2025.01.01"_s, older},
        // Words written out with spaces
        {u"1.0 beta 2"_s, u"1.0 beta 10"_s, older},
        {u"1.0 beta 10"_s, u"1.0.1"_s, older},
        // Whitespace around the version and spaces between segments
        {u"  1.2.3\n"_s, u"1.2.3"_s, same},
        {u"\t1.0\r\n"_s, u"1.0"_s, same},
        {u"\u00A01.0\u2028"_s, u"1.0"_s, same},
        {u"1 .0"_s, u"1.0"_s, same},
        // Prefixes
        {u"v1.2.3"_s, u"1.2.3"_s, same},
        {u"V2.0.1"_s, u"2.0"_s, newer},
        {u"VER 3.1"_s, u"3.1"_s, same},
        {u"ver  3.1"_s, u"3.1"_s, same},
        {u"v"_s, u"0"_s, older},
        {u"vNext"_s, u"Next"_s, newer},
        {u"v 2"_s, u"2"_s, older},
        {u"version 2"_s, u"2"_s, older},
    });
}

TEST(VersionComparatorTest, ComparesWordsByDigitAwareCollation)
{
    expectOrders({
        {u"1.5a9.0"_s, u"1.5a10.0"_s, older},
        {u"1.0.beta9"_s, u"1.0.beta10"_s, older},
        {u"1.5a.2"_s, u"1.5b.1"_s, older},
        {u"1.5A.2"_s, u"1.5a.2"_s, same},
    });
}

TEST_F(VersionComparatorLocaleTest, StaysDigitAwareInTheCLocale)
{
    QLocale::setDefault(QLocale::c());
    expectOrders({
        {u"1.5a9.0"_s, u"1.5a10.0"_s, older},
        {u"1.0.beta9"_s, u"1.0.beta10"_s, older},
    });
}

TEST_F(VersionComparatorLocaleTest, FollowsTheDefaultLocale)
{
    // Turkish puts dotless ı before i; English puts it after.
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    EXPECT_EQ(compare(u"1.0.ı", u"1.0.i"), newer);
    QLocale::setDefault(QLocale(QLocale::Turkish, QLocale::Turkey));
    EXPECT_EQ(compare(u"1.0.ı", u"1.0.i"), older);
}

TEST(VersionComparatorTest, ParsesIntegersStrictlyWithin64Bits)
{
    expectOrders({
        {u"1.9223372036854775807"_s, u"1.9223372036854775806"_s, newer},
        // One past the largest integer is no number but a word, below any number.
        {u"1.9223372036854775808"_s, u"1.0"_s, older},
        {u"1.12345678901234567890"_s, u"1.0"_s, older},
        {u"1.99999999999999999999a.0"_s, u"1.0"_s, older},
        // Leading zeros do not overflow.
        {u"1.00000000000000000000000000001"_s, u"1.1"_s, same},
        // A revision too large is no revision: the "_" separates a word segment.
        {u"1.0_99999999999999999999"_s, u"1.0"_s, older},
        {u"1.0_99999999999999999999"_s, u"1.0_0"_s, older},
        // A prerelease number too large is a word, above any number.
        {u"1.0-rc.99999999999999999999"_s, u"1.0-rc.1"_s, newer},
        // A sign is allowed where no separator takes it away (after ",").
        {u"1.0,-5"_s, u"1.0,0"_s, older},
        {u"1.0,-9223372036854775808"_s, u"1.0,-9223372036854775807"_s, older},
        {u"1.0,-9223372036854775809"_s, u"1.0,-9223372036854775808"_s, older},
    });
}

TEST(VersionComparatorTest, OrdersUnicodeNumbersAsWords)
{
    expectOrders({
        // Digits of other scripts are number characters but never integers.
        {u"١.٢"_s, u"0.1"_s, older},
        {u"１.２"_s, u"0.1"_s, older},
        {u"1٢a"_s, u"0"_s, older},
        {u"2.0٣"_s, u"2.0"_s, older},
        {u"𝟠.1"_s, u"0.1"_s, older},
        // A "v" before any number character goes, also one outside the basic plane.
        {u"v١"_s, u"١"_s, same},
        {u"v𝟠"_s, u"𝟠"_s, same},
        // A combining mark or a keycap belongs to the digit before it, which is then no integer.
        {u"1.0\u0301"_s, u"1.0"_s, older},
        {u"1\uFE0F\u20E3"_s, u"0"_s, older},
        // An emoji after a number is a suffix that is no prerelease tag.
        {u"1.0😀"_s, u"1.0"_s, newer},
    });
}

TEST(VersionComparatorTest, TreatsEmptyAndSeparatorOnlyTextsAsZero)
{
    expectOrders({
        {u""_s, u"0"_s, same},
        {u""_s, u"0.0.0"_s, same},
        {u""_s, u"1"_s, older},
        {u"   "_s, u"0"_s, same},
        {u"..."_s, u"0"_s, same},
        {u"-"_s, u"0"_s, same},
        {u"+"_s, u"0"_s, same},
        {u","_s, u"0"_s, same},
        {u"_"_s, u"0"_s, same},
        {u"-.-_"_s, u"0"_s, same},
        {u" . _ "_s, u"0"_s, same},
        {u"1.0-"_s, u"1.0"_s, same},
    });
}

TEST(VersionComparatorTest, SamenessIsNotTransitiveAcrossSecondaryParts)
{
    EXPECT_TRUE(VersionComparator::isEqual(u"1.0,5", u"1.0"));
    EXPECT_TRUE(VersionComparator::isEqual(u"1.0", u"1.0,12"));
    EXPECT_EQ(compare(u"1.0,5", u"1.0,12"), older);
}

TEST(VersionComparatorTest, TellsWhetherACandidateIsNewer)
{
    struct Row {
        QString candidate;
        QString installed;
        bool expected;
    };
    const std::vector<Row> rows{
        {u""_s, u"1.0"_s, false},
        {u"  \t\n"_s, u"1.0"_s, false},
        {u""_s, u""_s, false},
        {u"1.0"_s, u""_s, true},
        {u"1.0"_s, u" \n"_s, true},
        {u"latest"_s, u""_s, true},
        {u"1.0.1"_s, u"1.0"_s, true},
        {u"1.0"_s, u"1.0.0"_s, false},
        {u"1.0"_s, u"1.0.1"_s, false},
        {u"2.0"_s, u"2.0b3"_s, true},
        {u"2.0b3"_s, u"1.9"_s, true},
        {u" 9.0.1_1 "_s, u"9.0.1"_s, true},
        {u"1.0,12"_s, u"1.0,5"_s, true},
        {u"1.0,12"_s, u"1.0"_s, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE('"' + row.candidate.toStdString() + "\" than \"" + row.installed.toStdString() + '"');
        EXPECT_EQ(VersionComparator::isNewer(row.candidate, row.installed), row.expected);
    }
}

TEST(VersionComparatorTest, TellsPrereleases)
{
    for (const QString& version : {u"2.0b3"_s, u"1.0-1"_s, u"1.0rc"_s, u"1.0-beta"_s, u"1.0a"_s, u"2.0preview2"_s,
             u"1.0-rc.1+build5"_s, u"3.1_2-beta"_s}) {
        SCOPED_TRACE(version.toStdString());
        EXPECT_TRUE(VersionComparator::isPrerelease(version));
    }
    for (const QString& version : {u"2.0"_s, u"1.0 beta 2"_s, u"1.0_3"_s, u"1.0devel"_s, u"1.0c"_s, u"1.0-"_s, u""_s,
             u"1.0+beta"_s, u"1.0,beta"_s, u"1.5a.2"_s}) {
        SCOPED_TRACE(version.toStdString());
        EXPECT_FALSE(VersionComparator::isPrerelease(version));
    }
}

// Texts no version looks like: each must compare without crashing, the same as itself, and the
// same way in both directions.
QStringList hostileTexts()
{
    QStringList texts{
        u"1.\u0301"_s,
        u"\u0301"_s,
        u"v\u0301 1"_s,
        u"ver \u0301 1"_s,
        u"1.0-\u0301"_s,
        u"1_\u0301"_s,
        u"\u06001.0"_s,
        u"1.\u0600-2"_s,
        u"👨‍👩‍👧.1"_s,
        u"🇹🇷🇩🇪"_s,
        u"1.0-İ"_s,
        u"1.0-ß.ǅ"_s,
        u"\u200F1.0\u200E"_s,
        u"1\u200D.0"_s,
        u"²³.¼"_s,
        u"Ⅻ.1"_s,
        u"1.0-١"_s,
        u"1.0_١"_s,
        u"1.0,١"_s,
        u"1.0b١"_s,
        u"+-1"_s,
        u"1,-"_s,
        u"1,+"_s,
        u"1.0,--1"_s,
        u"1.0-é"_s,
        u"1.0-e\u0301"_s,
        u"1.0\r\n2"_s,
        u"v\r\n1"_s,
        QString(u"1.0\0002"_s),
    };
    texts << withCodeUnit(u"1."_s, 0xD800, u""_s) << withCodeUnit(u"v"_s, 0xDC00, u"1"_s)
          << withCodeUnit(u"1.0-rc"_s, 0xDBFF, u".1"_s) << withCodeUnit(u""_s, 0xDFFF, u"_1"_s)
          << withCodeUnit(u"1.0b"_s, 0xD83D, u"2"_s) << withCodeUnit(u"2"_s, 0xFFFF, u",3"_s);
    texts << u"1."_s.repeated(5000) << (u"9"_s.repeated(4000) + u"_"_s + u"9"_s.repeated(4000))
          << u"\u0301"_s.repeated(3000) << u"-"_s.repeated(3000);
    return texts;
}

TEST(VersionComparatorTest, AcceptsAnyUnicodeText)
{
    const QStringList texts = hostileTexts();
    for (const QString& left : texts) {
        SCOPED_TRACE(left.toStdString());
        EXPECT_EQ(compare(left, left), same);
        VersionComparator::isPrerelease(left);
        for (const QString& right : {u"0"_s, u"1.0"_s, u"1.0-rc.1"_s, u"latest"_s}) {
            EXPECT_EQ(compare(left, right), reversed(compare(right, left)));
            EXPECT_EQ(VersionComparator::isNewer(left, right), compare(left, right) == newer);
        }
    }
    // Canonically equivalent prerelease words are the same word.
    EXPECT_EQ(compare(u"1.0-\u00E9", u"1.0-e\u0301"), same);
}

// Versions built from the pieces that steer parsing, each compared against every other.
QStringList generatedVersions()
{
    const QStringList pieces{u"1"_s, u"0"_s, u"2"_s, u"10"_s, u"b"_s, u"a"_s, u"rc"_s, u"beta"_s, u"dev"_s, u"x"_s,
        u"."_s, u"."_s, u"-"_s, u"_"_s, u","_s, u"+"_s, u" "_s, u"v"_s, u"٣"_s, u"😀"_s, u"\u0301"_s,
        u"99999999999999999999"_s};
    std::mt19937 random(20240515);
    std::uniform_int_distribution<qsizetype> pieceIndex(0, pieces.size() - 1);
    std::uniform_int_distribution<int> length(1, 7);
    QStringList versions;
    for (int i = 0; i < 160; ++i) {
        QString version;
        for (int n = length(random); n > 0; --n)
            version += pieces[pieceIndex(random)];
        versions << version;
    }
    return versions;
}

// "Older" must be a strict partial order on any texts, and without a secondary part (",") the
// order must be a strict weak one: sameness transitive too.
TEST(VersionComparatorTest, OlderIsTransitiveAndSamenessIsWithoutSecondaryParts)
{
    const QStringList versions = generatedVersions();
    const auto count = std::size_t(versions.size());
    std::vector<ComparisonResult> order(count * count);
    for (std::size_t i = 0; i < count; ++i) {
        for (std::size_t j = 0; j < count; ++j)
            order[i * count + j] = compare(versions[qsizetype(i)], versions[qsizetype(j)]);
    }
    const auto at = [&](std::size_t i, std::size_t j) { return order[i * count + j]; };
    std::vector<bool> secondary;
    for (const QString& version : versions)
        secondary.push_back(version.contains(u','));
    const auto hasSecondary = [&](std::size_t i) { return secondary[i]; };

    for (std::size_t i = 0; i < count; ++i) {
        ASSERT_EQ(at(i, i), same) << versions[qsizetype(i)].toStdString();
        for (std::size_t j = 0; j < count; ++j) {
            ASSERT_EQ(at(i, j), reversed(at(j, i)))
                << versions[qsizetype(i)].toStdString() << " / " << versions[qsizetype(j)].toStdString();
            for (std::size_t k = 0; k < count; ++k) {
                const bool olderChain = at(i, j) == older && at(j, k) == older;
                const bool sameChain
                    = at(i, j) == same && at(j, k) == same && !hasSecondary(i) && !hasSecondary(j) && !hasSecondary(k);
                if ((olderChain && at(i, k) != older) || (sameChain && at(i, k) != same)) {
                    FAIL() << versions[qsizetype(i)].toStdString() << " / " << versions[qsizetype(j)].toStdString()
                           << " / " << versions[qsizetype(k)].toStdString();
                }
            }
        }
    }
}

TEST(VersionComparatorTest, ComparesFromManyThreadsAtOnce)
{
    const QStringList versions = generatedVersions();
    std::vector<ComparisonResult> expected;
    for (qsizetype i = 1; i < versions.size(); ++i)
        expected.push_back(compare(versions[i - 1], versions[i]));

    std::vector<std::vector<ComparisonResult>> results(4);
    std::vector<std::thread> threads;
    for (auto& result : results) {
        threads.emplace_back([&versions, &result] {
            for (qsizetype i = 1; i < versions.size(); ++i)
                result.push_back(compare(versions[i - 1], versions[i]));
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    for (const auto& result : results)
        EXPECT_EQ(result, expected);
}

} // namespace
