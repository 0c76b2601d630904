#include "app/viewmodel/BrewConsoleLog.h"

#include <gtest/gtest.h>

#include <QStringList>
#include <QTextBoundaryFinder>

using namespace Qt::StringLiterals;

namespace {

QString appending(QString log, const QString& chunk)
{
    BrewConsoleLog::append(log, chunk);
    return log;
}

QString repeated(const QString& piece, qsizetype times)
{
    return piece.repeated(times);
}

// `count` characters taken in turn from `characters`, starting at `first`.
QString cycle(const QStringList& characters, qsizetype count, qsizetype first = 0)
{
    QString text;
    for (qsizetype index = 0; index < count; ++index)
        text += characters[(first + index) % characters.size()];
    return text;
}

} // namespace

TEST(BrewConsoleLog, StaysWholeUpToTheCapAndKeepsTheLastPartPastIt)
{
    const QString log = repeated(u"a"_s, 59'990);

    EXPECT_EQ(appending(log, repeated(u"b"_s, 10)), log + repeated(u"b"_s, 10));

    const QString trimmed = appending(log, repeated(u"b"_s, 11));
    EXPECT_EQ(trimmed, (log + repeated(u"b"_s, 11)).right(48'000));
    EXPECT_EQ(trimmed.size(), 48'000);
}

TEST(BrewConsoleLog, CountsAndCutsWholeCharacters)
{
    // A decomposed accent (2 UTF-16 units), a flag (4), a family joined by zero-width joiners
    // (8), a skin-toned hand (4) and a plain letter: five characters, 19 units.
    const QStringList characters{u"e\u0301"_s, u"\U0001F1F9\U0001F1F7"_s,
        u"\U0001F469\u200D\U0001F469\u200D\U0001F467"_s, u"\U0001F44D\U0001F3FD"_s, u"z"_s};

    // Far more than 60,000 UTF-16 units but exactly 60,000 characters: nothing is cut.
    const QString atCap = cycle(characters, 59'999);
    const QString whole = appending(atCap, characters[59'999 % 5]);
    EXPECT_EQ(whole, cycle(characters, 60'000));

    // One character more: the last 48,000 characters, starting on a character's first unit.
    const QString trimmed = appending(whole, characters[60'000 % 5]);
    const qsizetype firstKept = 60'001 - 48'000;
    EXPECT_EQ(trimmed, cycle(characters, 48'000, firstKept));
    EXPECT_TRUE(trimmed.startsWith(characters[firstKept % 5]));
}

TEST(BrewConsoleLog, KeepsTheTextExactlyAsPrinted)
{
    // Not normalised: the decomposed "é" stays two units, and a chunk may end mid-character.
    EXPECT_EQ(appending(u"caf"_s, u"e\u0301\n"_s), u"cafe\u0301\n"_s);
    EXPECT_EQ(appending(u"x"_s, QString()), u"x"_s);
}

// Hostile output: one character that never ends (a base letter followed by combining accents
// without end, or emoji joined by zero-width joiners without end) and plain text without end.
// Whatever brew prints, the log stays within its bounds and ends with what brew printed last.
TEST(BrewConsoleLog, StaysBoundedWhateverBrewPrints)
{
    const struct {
        const char* what;
        QString first;
        QString piece;
    } floods[] = {
        {"one endless run of combining accents", u"e"_s, u"\u0301"_s},
        {"one endless chain of joined emoji", u"\U0001F469"_s, u"\u200D\U0001F469"_s},
        {"an odd-sized chain that ends chunks mid-pair", u"x"_s, u"\u200D\U0001F469\U0001F3FD"_s},
        {"one endless run of combining marks, some of them surrogate pairs", u"e"_s, u"\u0301\U0001D167"_s},
        {"plain lines", u"$ brew upgrade\n"_s, u"==> Pouring bottle\n"_s},
    };
    for (const auto& flood : floods) {
        SCOPED_TRACE(flood.what);
        const QString chunk = flood.piece.repeated(4'099);
        QString log = flood.first;
        qsizetype removed = 0;
        for (int count = 0; count < 300; ++count) {
            removed += BrewConsoleLog::append(log, chunk);
            ASSERT_LE(log.size(), BrewConsoleLog::maxUnits);
            ASSERT_FALSE(log.front().isLowSurrogate());
        }
        EXPECT_GE(log.size(), BrewConsoleLog::keptCharacters);
        EXPECT_EQ(removed + log.size(), flood.first.size() + 300 * chunk.size()) << "it says what it removed";
        EXPECT_FALSE(log.front().isLowSurrogate());
        // What is kept is the end of everything printed, untouched.
        EXPECT_EQ(log, (flood.first + chunk.repeated(300)).right(log.size()));
    }
}

// A long character before the kept part is dropped whole; the cut falls on the boundary after it.
TEST(BrewConsoleLog, CutsAtACharacterBoundaryWhenOneLiesWithinTheKeptUnits)
{
    const QString endless = u"e"_s + u"\u0301"_s.repeated(BrewConsoleLog::maxUnits);
    const QString lines = u"==> done\n"_s.repeated(100);
    EXPECT_EQ(appending(endless, lines), lines);
}

// Most of brew's output is ASCII, walked without segmentation; text where grapheme rules join an
// ASCII unit to its neighbour must still be cut where the full segmentation puts a character.
TEST(BrewConsoleLog, CutsWhereTheWholeTextsSegmentationStartsACharacter)
{
    const struct {
        const char* what;
        QString line;
    } texts[] = {
        {"CR LF line ends", u"==> Pouring bottle\r\n"_s},
        {"a prepended mark before ASCII digits", u"\u0600123 \u0600x\n"_s},
        {"flags between ASCII", u"a\U0001F1F9\U0001F1F7\U0001F1F9b\n"_s},
        {"accents on ASCII letters", u"cafe\u0301 nai\u0308ve\n"_s},
        {"Hangul jamo", u"\u1100\u1161\u11A8 ok\n"_s},
    };
    for (const auto& text : texts) {
        SCOPED_TRACE(text.what);
        const QString everything = text.line.repeated(70'000 / text.line.size() + 7'000);
        QString log;
        for (qsizetype at = 0; at < everything.size(); at += 997)
            BrewConsoleLog::append(log, everything.mid(at, 997));

        ASSERT_TRUE(everything.endsWith(log));
        const qsizetype cut = everything.size() - log.size();
        QTextBoundaryFinder whole(QTextBoundaryFinder::Grapheme, everything);
        whole.setPosition(cut);
        EXPECT_TRUE(whole.isAtBoundary()) << "cut at " << cut;
    }
}
