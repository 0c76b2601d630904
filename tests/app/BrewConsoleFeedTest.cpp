#include "app/viewmodel/BrewConsoleFeed.h"
#include "app/viewmodel/BrewConsoleLog.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// A piece as the runner passes it: one read of brew's pipe, numbered so that order shows.
QByteArray piece(const QString& line, int number)
{
    return line.arg(number).repeated(1'500).toUtf8();
}

} // namespace

TEST(BrewConsoleFeed, AsksTheInterfaceOnceUntilItTakesTheOutputInOrder)
{
    BrewConsoleFeed feed;
    EXPECT_FALSE(feed.put(QByteArrayView())) << "nothing to show";
    EXPECT_TRUE(feed.put("one\n"));
    EXPECT_FALSE(feed.put("two \xF0\x9F\x8D\xBA\n")) << "a request already waits";
    EXPECT_EQ(feed.take(), u"one\ntwo 🍺\n"_s);
    EXPECT_EQ(feed.take(), QString());
    EXPECT_TRUE(feed.put("three\n")) << "taken: the next output asks again";
    EXPECT_EQ(feed.take(), u"three\n"_s);
}

// An interface that does not run takes nothing: what waits stays bounded however much brew
// prints, and what it drops is text that the console would have dropped anyway. That holds also
// for text of the fewest units a byte: long characters of three-byte combining marks, which the
// console cuts by units.
TEST(BrewConsoleFeed, StaysBoundedWhileNothingTakesItAndLosesNothingTheConsoleKeeps)
{
    const QString enclosedLetter = u"a"_s + QString(40, QChar(0x20DD));
    for (const QString& line : {u"==> Pouring bottle %1 🍺\n"_s, enclosedLetter + u" %1\n"_s}) {
        SCOPED_TRACE(line.toStdString());
        BrewConsoleFeed feed;
        QString everything;
        qsizetype largestPiece = 0;
        for (int number = 0; number < 400; ++number) {
            const QByteArray printed = piece(line, number);
            feed.put(printed);
            everything += QString::fromUtf8(printed);
            largestPiece = std::max(largestPiece, printed.size());
            ASSERT_LE(feed.waitingBytes(), BrewConsoleFeed::pendingBytes + largestPiece);
        }
        ASSERT_GT(everything.size(), 20 * BrewConsoleLog::maxUnits);

        const QString waiting = feed.take();
        EXPECT_EQ(waiting, everything.right(waiting.size())) << "the newest output, in order";
        EXPECT_GE(waiting.size(), BrewConsoleFeed::takenUnits);
        EXPECT_FALSE(waiting.front().isLowSurrogate()) << "starts where a code point starts";

        for (const QString& earlier : {QString(), u"$ brew upgrade\n"_s.repeated(3'000)}) {
            QString fromFeed = earlier;
            QString fromAll = earlier;
            BrewConsoleLog::append(fromFeed, waiting);
            BrewConsoleLog::append(fromAll, everything);
            EXPECT_EQ(fromFeed, fromAll);
        }
    }
}
