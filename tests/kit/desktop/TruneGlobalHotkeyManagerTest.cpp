#include "kit/desktop/TruneGlobalHotkeyManager.h"

#include "tests/kit/desktop/EventLoopWaits.h"
#include "tests/kit/desktop/StandInProgram.h"
#include "tests/support/TestWaits.h"

#include <gtest/gtest.h>

#include <QProcess>
#include <QThread>

#include <chrono>
#include <vector>

using namespace std::chrono_literals;

namespace {

// Virtual key codes of the ANSI layout.
constexpr quint32 keyU = 0x20;
constexpr quint32 keyY = 0x10;
constexpr quint32 keyI = 0x22;

constexpr TruneHotkeyDescriptor commandOption(quint32 keyCode)
{
    return {keyCode, TruneHotkeyDescriptor::cmdOptionFlag};
}

// Types keys through the X server's test extension, as a user at the keyboard would.
void press(const char* keys)
{
    ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), {QStringLiteral("key"), QString::fromLatin1(keys)}), 0)
        << "xdotool key " << keys;
}

// Counts the runs of an action and where they ran.
struct ActionRuns {
    int count = 0;
    bool allOnMainThread = true;

    TruneGlobalHotkeyManager::Action action()
    {
        return [this] {
            ++count;
            allOnMainThread = allOnMainThread && QThread::currentThread() == QCoreApplication::instance()->thread();
        };
    }

    // Waits for the run a press caused, then gives a second run, which only a fault would cause,
    // a moment to come too: the moment can make the test miss that fault, never fail a sound
    // program.
    bool settledAt(int expected)
    {
        waitUntil([&] { return count >= expected; });
        processEventsFor(300ms);
        return count == expected;
    }
};

} // namespace

// Control-Alt-U is what Command-Option-U becomes here. Caps Lock and Num Lock change the modifier
// state the X server reports, so each is pressed once with the lock on.
TEST(TruneGlobalHotkeyManagerTest, APressRunsTheActionOnceOnTheMainThreadWhateverTheLocks)
{
    TruneGlobalHotkeyManager manager;
    ActionRuns runs;
    ASSERT_EQ(manager.registerHotkey(commandOption(keyU), runs.action()), 1u);

    const char* const locks[] = {nullptr, "Caps_Lock", "Num_Lock"};
    int expected = 0;
    for (const char* lock : locks) {
        SCOPED_TRACE(lock ? lock : "no lock");
        if (lock)
            press(lock);
        press("ctrl+alt+u");
        EXPECT_TRUE(runs.settledAt(++expected)) << runs.count;
        if (lock)
            press(lock);
    }
    EXPECT_TRUE(runs.allOnMainThread);

    press("ctrl+u");
    press("alt+u");
    press("ctrl+alt+shift+u");
    EXPECT_TRUE(runs.settledAt(expected)) << "other modifiers must not fire it";
}

// The stand-in program in another process is another application on the same desktop.
TEST(TruneGlobalHotkeyManagerTest, ACombinationAnotherClientHoldsIsRefusedAndItsPressesAreNotOurs)
{
    StandInProgram other({QStringLiteral("hotkey"), QString::number(keyY)});
    ASSERT_EQ(other.nextLine(), QStringLiteral("registered"));

    TruneGlobalHotkeyManager manager;
    ActionRuns runs;
    EXPECT_EQ(manager.registerHotkey(commandOption(keyU), runs.action()), 1u);
    EXPECT_EQ(manager.registerHotkey(commandOption(keyY), runs.action()), std::nullopt);
    EXPECT_EQ(manager.registerHotkey(commandOption(keyI), runs.action()), 3u);

    press("ctrl+alt+y");
    EXPECT_EQ(other.nextLine(), QStringLiteral("pressed"));
    EXPECT_TRUE(runs.settledAt(0));
    EXPECT_EQ(other.finish(), 0);
}

// The X server would let this process grab a combination it already holds a second time; the
// second registration must be refused all the same, or releasing one would disable the other.
TEST(TruneGlobalHotkeyManagerTest, ACombinationThisProcessHoldsIsRefusedUntilReleased)
{
    TruneGlobalHotkeyManager first;
    TruneGlobalHotkeyManager second;
    ActionRuns firstRuns;
    ActionRuns secondRuns;
    ASSERT_EQ(first.registerHotkey(commandOption(keyU), firstRuns.action()), 1u);
    EXPECT_EQ(first.registerHotkey(commandOption(keyU), firstRuns.action()), std::nullopt);
    EXPECT_EQ(second.registerHotkey(commandOption(keyU), secondRuns.action()), std::nullopt);

    press("ctrl+alt+u");
    EXPECT_TRUE(firstRuns.settledAt(1));
    EXPECT_EQ(secondRuns.count, 0);

    first.unregister(1);
    EXPECT_EQ(second.registerHotkey(commandOption(keyU), secondRuns.action()), 2u);
    press("ctrl+alt+u");
    EXPECT_TRUE(secondRuns.settledAt(1));
    EXPECT_EQ(firstRuns.count, 1);
}

TEST(TruneGlobalHotkeyManagerTest, UnregisteringReleasesExactlyTheNamedShortcuts)
{
    TruneGlobalHotkeyManager manager;
    ActionRuns uRuns;
    ActionRuns iRuns;
    ASSERT_EQ(manager.registerHotkey(commandOption(keyU), uRuns.action()), 1u);
    ASSERT_EQ(manager.registerHotkey(commandOption(keyI), iRuns.action()), 2u);

    manager.unregister(99);
    press("ctrl+alt+u");
    EXPECT_TRUE(uRuns.settledAt(1)) << "an id never issued changes nothing";

    manager.unregister(1);
    press("ctrl+alt+u");
    press("ctrl+alt+i");
    EXPECT_TRUE(iRuns.settledAt(1));
    EXPECT_EQ(uRuns.count, 1);
    StandInProgram takesU({QStringLiteral("hotkey"), QString::number(keyU)});
    EXPECT_EQ(takesU.nextLine(), QStringLiteral("registered"));

    manager.unregisterAll();
    manager.unregisterAll();
    StandInProgram takesI({QStringLiteral("hotkey"), QString::number(keyI)});
    EXPECT_EQ(takesI.nextLine(), QStringLiteral("registered"));
    press("ctrl+alt+i");
    EXPECT_EQ(takesI.nextLine(), QStringLiteral("pressed"));
    EXPECT_TRUE(iRuns.settledAt(1));
}

TEST(TruneGlobalHotkeyManagerTest, DestroyingTheManagerReleasesItsShortcuts)
{
    {
        TruneGlobalHotkeyManager manager;
        ActionRuns runs;
        ASSERT_EQ(manager.registerHotkey(commandOption(keyU), runs.action()), 1u);
        StandInProgram refused({QStringLiteral("hotkey"), QString::number(keyU)});
        EXPECT_EQ(refused.nextLine(), QStringLiteral("refused"));
    }
    StandInProgram other({QStringLiteral("hotkey"), QString::number(keyU)});
    EXPECT_EQ(other.nextLine(), QStringLiteral("registered"));
    press("ctrl+alt+u");
    EXPECT_EQ(other.nextLine(), QStringLiteral("pressed"));
}

// The action's own state must survive its shortcut being removed while it runs.
TEST(TruneGlobalHotkeyManagerTest, AnActionMayUnregisterItsOwnShortcut)
{
    TruneGlobalHotkeyManager manager;
    std::vector<QString> ran;
    const QString name = QStringLiteral("studio shortcut");
    ASSERT_EQ(manager.registerHotkey(commandOption(keyU),
                  [&manager, &ran, name] {
                      manager.unregisterAll();
                      ran.push_back(name);
                  }),
        1u);

    press("ctrl+alt+u");
    EXPECT_TRUE(waitUntil([&] { return !ran.empty(); }));
    EXPECT_EQ(ran, std::vector<QString>{name});
    StandInProgram other({QStringLiteral("hotkey"), QString::number(keyU)});
    EXPECT_EQ(other.nextLine(), QStringLiteral("registered"));
}
