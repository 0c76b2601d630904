#include "app/views/parts/BrewConsoleDrawerView.h"
#include "kit/ui/TruneElidedLabel.h"
#include "kit/ui/TruneSpinner.h"
#include "kit/ui/TruneSymbolView.h"
#include "tests/app/BrewDeskFixture.h"
#include "tests/app/StudioTestAccess.h"
#include "tests/support/Screenshots.h"
#include "tests/support/TestWaits.h"
#include "tests/support/ViewTestHarness.h"

#include <QAbstractButton>
#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

const QStringList kUpdate{u"update"_s};

// `count` numbered lines.
QByteArray lines(int first, int count)
{
    QByteArray text;
    for (int line = first; line < first + count; ++line)
        text += "==> Downloading part " + QByteArray::number(line) + " of the index\n";
    return text;
}

class ConsoleTest : public BrewDeskTest {
protected:
    void SetUp() override { answerWithPackages(brew.fake, {}); }

    BrewConsoleDrawerView& show(UpdateStudioViewModel& model)
    {
        drawer = new BrewConsoleDrawerView(model);
        host = std::make_unique<ViewHost<BrewConsoleDrawerView>>(drawer, ViewPlace::bottom);
        settle();
        QObject::connect(logView().document(), &QTextDocument::contentsChange, drawer,
            [this](int, int removed, int) { charactersReplaced += removed; });
        return *drawer;
    }

    template <typename Widget> Widget& part(const char* name)
    {
        return *findNamed<Widget>(*drawer, QString::fromLatin1(name));
    }

    QPlainTextEdit& logView() { return part<QPlainTextEdit>("brewConsoleLog"); }
    QString title() { return part<TruneElidedLabel>("brewConsoleTitle").text(); }
    bool shown(const char* name) { return part<QWidget>(name).isVisibleTo(drawer); }
    bool enabled(const char* name) { return part<QWidget>(name).isEnabled(); }

    // The last line of the log lies inside the visible part of the log view.
    bool endInView()
    {
        QPlainTextEdit& view = logView();
        QTextCursor end(view.document());
        end.movePosition(QTextCursor::End);
        const QScrollBar* bar = view.verticalScrollBar();
        return bar->value() == bar->maximum() && view.viewport()->rect().contains(view.cursorRect(end));
    }

    BrewConsoleDrawerView* drawer = nullptr;
    std::unique_ptr<ViewHost<BrewConsoleDrawerView>> host;
    int charactersReplaced = 0;
};

TEST_F(ConsoleTest, AnEmptyLogShowsThePlaceholderAndOnlyClose)
{
    UpdateStudioViewModel& model = start();
    show(model);
    for (const auto& [language, heading, placeholder] :
        {std::tuple{TruneLanguage(TruneLanguage::en), u"Homebrew Live Console"_s, u"No Homebrew output yet."_s},
            std::tuple{
                TruneLanguage(TruneLanguage::tr), u"Canlı Homebrew Konsolu"_s, u"Henüz Homebrew çıktısı yok."_s}}) {
        model.setLanguage(language);
        settle();
        EXPECT_EQ(title(), heading);
        EXPECT_EQ(logView().placeholderText(), placeholder);
        EXPECT_TRUE(logView().toPlainText().isEmpty());
        EXPECT_TRUE(shown("brewConsoleSymbol"));
        EXPECT_FALSE(shown("brewConsoleSpinner"));
        EXPECT_FALSE(shown("brewConsoleStop"));
        EXPECT_FALSE(enabled("brewConsoleCopy"));
        EXPECT_FALSE(enabled("brewConsoleClear"));
        EXPECT_TRUE(enabled("brewConsoleClose"));
        saveScreenshot(*host->window, u"console-empty-"_s + language.rawValue());
    }
    EXPECT_EQ(logView().height(), 170);

    QTest::mouseClick(&part<QAbstractButton>("brewConsoleClose"), Qt::LeftButton);
    EXPECT_FALSE(model.state().showBrewConsole);
}

TEST_F(ConsoleTest, StreamedOutputIsAppendedAndFollowedToTheEnd)
{
    brew.fake.respond(kUpdate,
        {.stdoutPieces = {lines(1, 30), lines(31, 30), lines(61, 30), lines(91, 30)},
            .pauseAfterPiece = 0.4,
            .sleepBeforeExit = 1});
    UpdateStudioViewModel& model = start();
    model.setLanguage(TruneLanguage::en);
    show(model);

    model.runBrewUpdateMetadata();
    ASSERT_TRUE(waitForConsole(u"part 1 of"_s));
    settle();
    EXPECT_EQ(title(), u"brew update"_s);
    EXPECT_TRUE(shown("brewConsoleSpinner"));
    EXPECT_FALSE(shown("brewConsoleSymbol"));
    EXPECT_TRUE(shown("brewConsoleStop"));
    EXPECT_EQ(part<QAbstractButton>("brewConsoleStop").text(), u"Stop"_s);
    EXPECT_TRUE(enabled("brewConsoleCopy"));
    EXPECT_FALSE(enabled("brewConsoleClear")) << "never cleared while a command runs";
    charactersReplaced = 0;

    // After every chunk the view holds the log and its end is in view; earlier text is never
    // replaced, only added to.
    for (const char* lastLine : {"part 30 of", "part 60 of", "part 90 of", "part 120 of"}) {
        ASSERT_TRUE(waitForConsole(QString::fromLatin1(lastLine)));
        settle();
        EXPECT_EQ(logView().toPlainText(), state().brewConsoleLog);
        EXPECT_TRUE(endInView()) << lastLine;
        if (QByteArray(lastLine) == "part 60 of")
            saveScreenshot(*host->window, u"console-running-en"_s);
    }
    EXPECT_EQ(charactersReplaced, 0);

    ASSERT_TRUE(waitUntilIdle());
    settle();
    EXPECT_EQ(title(), u"Homebrew Live Console"_s);
    EXPECT_FALSE(shown("brewConsoleStop"));
    EXPECT_TRUE(enabled("brewConsoleClear"));
    EXPECT_TRUE(endInView());
    saveScreenshot(*host->window, u"console-finished-en"_s);
}

TEST_F(ConsoleTest, ATrimmedLogIsShownWholeAndStillEndsInView)
{
    // Far more than the 60,000 characters the view model keeps.
    brew.fake.respond(kUpdate, {.stdoutPieces = {lines(1, 800), lines(801, 800)}, .pauseAfterPiece = 0.3});
    UpdateStudioViewModel& model = start();
    show(model);

    model.runBrewUpdateMetadata();
    ASSERT_TRUE(waitForConsole(u"part 1600 of"_s));
    ASSERT_TRUE(waitUntilIdle());
    settle();
    ASSERT_FALSE(state().brewConsoleLog.contains(u"part 1 of"_s)) << "the view model trimmed the log";
    EXPECT_GT(charactersReplaced, 0) << "the trim replaced the text";
    EXPECT_EQ(logView().toPlainText(), state().brewConsoleLog);
    EXPECT_TRUE(endInView());
}

// Each trim takes the log's head out of the view and each frame adds the new end; the text is
// never laid out anew, and the view always reads as the log, emoji (two units each) included.
TEST_F(ConsoleTest, TrimsTakeOnlyTheHeadOutOfTheViewWhichKeepsShowingTheLog)
{
    const auto beerLines = [](int first) { return lines(first, 800).replace("==>", "🍺"); };
    brew.fake.respond(kUpdate,
        {.stdoutPieces = {beerLines(1), beerLines(801), beerLines(1601), beerLines(2401)}, .pauseAfterPiece = 0.3});
    UpdateStudioViewModel& model = start();
    show(model);
    int headRemovals = 0;
    int otherChanges = 0;
    QObject::connect(logView().document(), &QTextDocument::contentsChange, drawer, [&](int at, int removed, int added) {
        const bool atEnd = at + added + 1 == logView().document()->characterCount();
        if (removed > 0 && at == 0 && added == 0)
            ++headRemovals;
        else if (removed > 0 || !atEnd)
            ++otherChanges;
    });

    model.runBrewUpdateMetadata();
    for (const char* lastLine : {"part 800 of", "part 1600 of", "part 2400 of", "part 3200 of"}) {
        ASSERT_TRUE(waitForConsole(QString::fromLatin1(lastLine)));
        settle();
        EXPECT_EQ(logView().toPlainText(), state().brewConsoleLog) << lastLine;
    }
    ASSERT_TRUE(waitUntilIdle());
    settle();
    ASSERT_GT(state().brewConsoleLogStart, 0) << "the view model trimmed the log";
    EXPECT_EQ(logView().toPlainText(), state().brewConsoleLog);
    EXPECT_GE(headRemovals, 2);
    EXPECT_EQ(otherChanges, 0);
    EXPECT_TRUE(endInView());
}

// Closing the drawer drops it; opening it again builds it over the whole log, which it shows from
// its end, as it left it.
TEST_F(ConsoleTest, AReopenedDrawerOpensAtTheEndOfItsLog)
{
    UpdateStudioViewModel& model = start();
    StudioTestAccess::publishConsoleLog(model, QString::fromUtf8(lines(1, 300)));
    QCoreApplication::processEvents();
    show(model);
    EXPECT_GT(logView().verticalScrollBar()->maximum(), 0) << "a log longer than the drawer";
    EXPECT_TRUE(endInView());
    saveScreenshot(*host->window, u"console-reopened-en"_s);
}

TEST_F(ConsoleTest, StopCancelsTheRunningCommand)
{
    brew.fake.respond(kUpdate, {.stdoutPieces = {"==> Updating Homebrew...\n"}, .sleepBeforeExit = 120});
    UpdateStudioViewModel& model = start();
    model.setLanguage(TruneLanguage::tr);
    show(model);
    model.runBrewUpdateMetadata();
    ASSERT_TRUE(waitForConsole(u"Updating Homebrew"_s));
    settle();
    EXPECT_EQ(part<QAbstractButton>("brewConsoleStop").text(), u"Durdur"_s);
    saveScreenshot(*host->window, u"console-running-tr"_s);

    QTest::mouseClick(&part<QAbstractButton>("brewConsoleStop"), Qt::LeftButton);
    EXPECT_TRUE(state().brewConsoleLog.contains(u"\n[TruneUpdate] Cancelling command...\n"_s));
    ASSERT_TRUE(waitUntil([&] { return !state().isBrewCommandRunning; }));
    settle();
    EXPECT_FALSE(shown("brewConsoleStop"));
    EXPECT_TRUE(endInView());
}

TEST_F(ConsoleTest, CopyPutsExactlyTheLogOnTheClipboardAndClearEmptiesIt)
{
    UpdateStudioViewModel& model = start();
    show(model);
    const QString log = u"$ brew upgrade wget\n==> Upgrading wget 1.0 → 2.0\n  ✓ done\t(3 s)\n"_s;
    StudioTestAccess::publishConsoleLog(model, log);

    for (const auto& [language, toast] : {std::pair{TruneLanguage(TruneLanguage::en), u"Console log copied."_s},
             std::pair{TruneLanguage(TruneLanguage::tr), u"Konsol çıktısı kopyalandı."_s}}) {
        model.setLanguage(language);
        settle();
        QGuiApplication::clipboard()->setText(u"something copied before"_s);
        QTest::mouseClick(&part<QAbstractButton>("brewConsoleCopy"), Qt::LeftButton);
        EXPECT_EQ(QGuiApplication::clipboard()->text(), log);
        ASSERT_TRUE(waitUntil([&] { return lastToast().has_value() && lastToast()->message == toast; }));
        EXPECT_FALSE(lastToast()->isError);
    }

    ASSERT_TRUE(enabled("brewConsoleClear"));
    QTest::mouseClick(&part<QAbstractButton>("brewConsoleClear"), Qt::LeftButton);
    EXPECT_TRUE(state().brewConsoleLog.isEmpty());
    settle();
    EXPECT_TRUE(logView().toPlainText().isEmpty());
    EXPECT_FALSE(enabled("brewConsoleCopy"));
    EXPECT_FALSE(enabled("brewConsoleClear"));
}

TEST_F(ConsoleTest, ALongCommandTitleStaysOnOneLine)
{
    UpdateStudioViewModel& model = start();
    show(model);
    const int barHeight = part<QWidget>("brewConsoleTitleBar").height();
    const QString longTitle = u"brew upgrade --cask "_s + u"very-long-package-name "_s.repeated(20);
    StudioTestAccess::publishBrewCommand(model, true, longTitle);
    settle();

    auto& label = part<TruneElidedLabel>("brewConsoleTitle");
    EXPECT_EQ(label.text(), longTitle);
    EXPECT_TRUE(label.isElided());
    EXPECT_EQ(label.height(), label.fontMetrics().height());
    EXPECT_EQ(part<QWidget>("brewConsoleTitleBar").height(), barHeight);
    EXPECT_GT(part<QWidget>("brewConsoleClose").geometry().right(), label.geometry().right())
        << "the buttons keep their place";
    saveScreenshot(*host->window, u"console-long-title-en"_s);
    StudioTestAccess::publishBrewCommand(model, false, {});
}

} // namespace
