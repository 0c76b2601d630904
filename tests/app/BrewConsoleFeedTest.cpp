#include "app/viewmodel/BrewConsoleFeed.h"
#include "app/viewmodel/BrewConsoleLog.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;

namespace {

// A piece as the runner passes it: one read of brew's pipe, numbered so that order shows.
QString piece(int number)
{
    return u"==> Pouring bottle %1 🍺\n"_s.arg(number).repeated(1'500);
}

} // namespace

TEST(BrewConsoleFeed, AsksTheInterfaceOnceUntilItTakesTheOutputInOrder)
{
    BrewConsoleFeed feed;
    EXPECT_FALSE(feed.put(QString())) << "nothing to show";
    EXPECT_TRUE(feed.put(u"one\n"_s));
    EXPECT_FALSE(feed.put(u"two\n"_s)) << "a request already waits";
    EXPECT_EQ(feed.take(), u"one\ntwo\n"_s);
    EXPECT_EQ(feed.take(), QString());
    EXPECT_TRUE(feed.put(u"three\n"_s)) << "taken: the next output asks again";
    EXPECT_EQ(feed.take(), u"three\n"_s);
}

// An interface that does not run takes nothing: what waits stays bounded however much brew
// prints, and what it drops is text that the console would have dropped anyway.
TEST(BrewConsoleFeed, StaysBoundedWhileNothingTakesItAndLosesNothingTheConsoleKeeps)
{
    BrewConsoleFeed feed;
    QString everything;
    qsizetype largestPiece = 0;
    for (int number = 0; number < 400; ++number) {
        const QString printed = piece(number);
        feed.put(printed);
        everything += printed;
        largestPiece = std::max(largestPiece, printed.size());
        ASSERT_LE(feed.waitingUnits(), BrewConsoleFeed::pendingUnits + largestPiece);
    }
    ASSERT_GT(everything.size(), 20 * BrewConsoleLog::maxUnits);

    const QString waiting = feed.take();
    EXPECT_EQ(waiting, everything.right(waiting.size())) << "the newest output, in order";
    EXPECT_TRUE(waiting.startsWith(u"==> Pouring"_s)) << "whole pieces dropped";

    for (const QString& earlier : {QString(), u"$ brew upgrade\n"_s.repeated(3'000)}) {
        QString fromFeed = earlier;
        QString fromAll = earlier;
        BrewConsoleLog::append(fromFeed, waiting);
        BrewConsoleLog::append(fromAll, everything);
        EXPECT_EQ(fromFeed, fromAll);
    }
}
