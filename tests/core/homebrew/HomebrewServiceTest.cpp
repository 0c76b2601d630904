#include "core/homebrew/HomebrewService.h"

#include "kit/localization/TruneLanguage.h"
#include "tests/core/homebrew/InstalledFakeBrew.h"
#include "tests/core/homebrew/OutputTranscript.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include <functional>
#include <future>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

using HomebrewService::CommandResult;

const QString hintsKey = u"HOMEBREW_NO_ENV_HINTS"_s;
const QString autoUpdateKey = u"HOMEBREW_NO_AUTO_UPDATE"_s;

HomebrewServiceError serviceErrorOf(const CommandResult& result)
{
    if (result || !result.error().serviceError()) {
        ADD_FAILURE() << "expected a Homebrew error";
        return {};
    }
    return *result.error().serviceError();
}

class HomebrewServiceTest : public ::testing::Test {
protected:
    HomebrewServiceTest()
    {
        // The entries must come from the service, not from the environment the tests run in.
        qunsetenv("HOMEBREW_NO_ENV_HINTS");
        qunsetenv("HOMEBREW_NO_AUTO_UPDATE");
    }

    InstalledFakeBrew brew;
    FakeBrew& fake = brew.fake;
};

TEST(HomebrewTokenTest, AcceptsPackageNamesAndRefusesEverythingElse)
{
    struct Case {
        QString token;
        bool valid;
    };
    const Case cases[] = {
        {u"wget"_s, true},
        {u"  wget \n"_s, true},
        {QString(128, u'a'), true},
        {u"homebrew/cask/foo"_s, true},
        {u"libc++"_s, true},
        {u"foo_bar-2.0"_s, true},
        {u"node@20"_s, true},
        {u"foo..bar"_s, true},
        {u"a-"_s, true},
        {QString(), false},
        {u" \t\n"_s, false},
        {QString(129, u'a'), false},
        {u"-rf"_s, false},
        {u"--cask"_s, false},
        {u"foo bar"_s, false},
        {u"foo\tbar"_s, false},
        {u"föo"_s, false},
        {u"foo;rm"_s, false},
        {u"foo$(id)"_s, false},
        // brew would load these as Ruby files instead of looking up a package
        {u"/tmp/evil.rb"_s, false},
        {u"./evil"_s, false},
        {u".hidden"_s, false},
        {u"../evil"_s, false},
        {u"user/tap/../../../tmp/evil"_s, false},
        {u"user/tap/.."_s, false},
        {u" /tmp/evil"_s, false},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.token.toStdString());
        EXPECT_EQ(HomebrewService::isValidToken(row.token), row.valid);
    }
}

TEST_F(HomebrewServiceTest, FindsTheBrewInTheDataFolderFirst)
{
    EXPECT_EQ(HomebrewService::brewExecutableURL(), fake.executablePath());
}

TEST_F(HomebrewServiceTest, EveryCommandRunsItsArgumentsWithItsEnvironment)
{
    struct Case {
        const char* label;
        std::function<CommandResult()> command;
        QStringList arguments;
        bool skipsAutoUpdate;
    };
    const Case cases[] = {
        {"upgrade, trimmed, skipping auto-update", [] { return HomebrewService::upgrade(u"  wget \n"_s, false, true); },
         {u"upgrade"_s, u"wget"_s}, true},
        {"upgrade with auto-update", [] { return HomebrewService::upgrade(u"wget"_s, false, false); },
         {u"upgrade"_s, u"wget"_s}, false},
        {"upgrade a cask", [] { return HomebrewService::upgrade(u"firefox"_s, true, false); },
         {u"upgrade"_s, u"--cask"_s, u"firefox"_s}, false},
        {"upgrade a tap-qualified formula", [] { return HomebrewService::upgrade(u"user/tap/tool"_s, false, true); },
         {u"upgrade"_s, u"user/tap/tool"_s}, true},
        {"upgrade all, skipping auto-update", [] { return HomebrewService::upgradeAll(true); }, {u"upgrade"_s}, true},
        {"upgrade all", [] { return HomebrewService::upgradeAll(false); }, {u"upgrade"_s}, false},
        {"install", [] { return HomebrewService::install(u"wget"_s, false); }, {u"install"_s, u"wget"_s}, false},
        {"install a cask", [] { return HomebrewService::install(u"firefox"_s, true); },
         {u"install"_s, u"--cask"_s, u"firefox"_s}, false},
        {"uninstall a cask", [] { return HomebrewService::uninstall(u"\tfirefox"_s, true); },
         {u"uninstall"_s, u"--cask"_s, u"firefox"_s}, false},
        {"cleanup", [] { return HomebrewService::cleanup(); }, {u"cleanup"_s, u"--prune=all"_s}, false},
        {"update", [] { return HomebrewService::updateRepository(); }, {u"update"_s}, false},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        const qsizetype before = qsizetype(fake.runs().size());
        ASSERT_TRUE(row.command());
        const auto runs = fake.runs();
        ASSERT_EQ(qsizetype(runs.size()), before + 1);
        const FakeBrew::Run& run = runs.back();
        EXPECT_EQ(run.arguments, row.arguments);
        EXPECT_EQ(run.environment.value(hintsKey), u"1"_s);
        EXPECT_EQ(run.environment.value(autoUpdateKey, u"absent"_s), row.skipsAutoUpdate ? u"1"_s : u"absent"_s);
        // brew needs the rest of our environment (PATH, HOME ...) to work at all.
        EXPECT_EQ(run.environment.value(u"PATH"_s), qEnvironmentVariable("PATH"));
    }
}

TEST_F(HomebrewServiceTest, RefusedNamesStartNothing)
{
    for (const QString& name : {u"foo bar"_s, u"-v"_s, u"../evil"_s, u"/tmp/evil.rb"_s, u""_s}) {
        SCOPED_TRACE(name.toStdString());
        for (const auto& command : std::initializer_list<std::function<CommandResult()>>{
                 [&] { return HomebrewService::upgrade(name, false, true); },
                 [&] { return HomebrewService::install(name, true); },
                 [&] { return HomebrewService::uninstall(name, false); }}) {
            EXPECT_EQ(serviceErrorOf(command()), HomebrewServiceError::invalidPackageToken(name));
        }
    }
    EXPECT_TRUE(fake.runs().empty());
}

TEST(HomebrewServiceWithoutBrewTest, ValidatesTheNameBeforeLookingForBrew)
{
    const NoBundledBrew noBrew;
    EXPECT_EQ(serviceErrorOf(HomebrewService::install(u"foo bar"_s, false)),
              HomebrewServiceError::invalidPackageToken(u"foo bar"_s));

    if (HomebrewService::brewExecutableURL())
        GTEST_SKIP() << "this machine has a brew of its own";
    EXPECT_EQ(serviceErrorOf(HomebrewService::install(u"wget"_s, false)), HomebrewServiceError::brewNotInstalled());
    EXPECT_EQ(serviceErrorOf(HomebrewService::updateRepository()), HomebrewServiceError::brewNotInstalled());
}

TEST_F(HomebrewServiceTest, NonZeroExitFailsWithTheStandardErrorText)
{
    fake.respond({u"upgrade"_s, u"nokeg"_s}, {.stderr = "  Error: No such keg\n", .exitCode = 1});
    fake.respond({u"upgrade"_s, u"silent"_s}, {.exitCode = 1});
    fake.respond({u"upgrade"_s, u"warns"_s}, {.stdoutPieces = {"done\n"}, .stderr = "Warning: old\n"});

    const HomebrewServiceError failed = serviceErrorOf(HomebrewService::upgrade(u"nokeg"_s, false, true));
    EXPECT_EQ(failed, HomebrewServiceError::commandFailed(1, u"  Error: No such keg\n"_s));
    EXPECT_EQ(failed.description(TruneLanguage::en), u"Error: No such keg"_s);

    const HomebrewServiceError silent = serviceErrorOf(HomebrewService::upgrade(u"silent"_s, false, true));
    EXPECT_EQ(silent, HomebrewServiceError::commandFailed(1, QString()));
    for (const TruneLanguage language : {TruneLanguage::en, TruneLanguage::tr, TruneLanguage::de})
        EXPECT_EQ(silent.description(language), u"Homebrew exited with status 1."_s);

    EXPECT_TRUE(HomebrewService::upgrade(u"warns"_s, false, true));
}

TEST(HomebrewServiceErrorTest, TextsFollowTheInterfaceLanguageWhenRead)
{
    const TempHome home;
    const HomebrewServiceError invalid = HomebrewServiceError::invalidPackageToken(u" foo bar"_s);
    const HomebrewServiceError missing = HomebrewServiceError::brewNotInstalled();
    const HomebrewServiceError failed = HomebrewServiceError::commandFailed(127, u" \n"_s);

    TruneLanguage::setCurrent(TruneLanguage::en);
    EXPECT_EQ(invalid.description(), u"Invalid Homebrew package identifier: ' foo bar'."_s);
    EXPECT_EQ(missing.description(), u"Homebrew ('brew') was not found on this Mac."_s);
    EXPECT_EQ(failed.description(), u"Homebrew exited with status 127."_s);

    TruneLanguage::setCurrent(TruneLanguage::tr);
    EXPECT_EQ(invalid.description(), u"Geçersiz Homebrew paket adı: ' foo bar'."_s);
    EXPECT_EQ(missing.description(), u"Bu Mac'te Homebrew ('brew') bulunamadı."_s);
    EXPECT_EQ(failed.description(), u"Homebrew exited with status 127."_s);
    EXPECT_EQ(HomebrewCommandError(missing).description(), missing.description());
}

TEST_F(HomebrewServiceTest, OutputReachesTheHandlerWhileBrewRunsAndCancellationStopsIt)
{
    // Nothing but a line without its end, then a long wait: the handler sees the text as brew
    // wrote it, and only the token ends the run.
    fake.respond({u"upgrade"_s, u"--cask"_s, u"slowapp"_s},
                 {.stdoutPieces = {"==> Downloading slowapp"}, .sleepBeforeExit = 60});
    OutputTranscript transcript;
    const auto token = std::make_shared<TruneProcessCancellation>();
    auto running = std::async(std::launch::async, [&] {
        return HomebrewService::upgrade(u"slowapp"_s, true, false, token, transcript.handler());
    });

    ASSERT_TRUE(transcript.waitForText(u"==> Downloading slowapp"_s));
    token->cancel();
    const CommandResult result = running.get();

    ASSERT_FALSE(result);
    EXPECT_TRUE(result.error().isCancelled());
    EXPECT_EQ(transcript.text(), u"==> Downloading slowapp"_s);
}

TEST_F(HomebrewServiceTest, StreamsBothOutputsUnchanged)
{
    fake.respond({u"update"_s},
                 {.stdoutPieces = {"Updated 2 taps", " (homebrew/core).\n", "Already up-to-date.\n"},
                  .pauseAfterPiece = 0.05,
                  .stderr = "Warning: slow mirror\n"});
    OutputTranscript transcript;
    ASSERT_TRUE(HomebrewService::updateRepository(nullptr, transcript.handler()));
    // The two streams are read side by side, so only the order within each is fixed.
    QString text = transcript.text();
    EXPECT_EQ(text.count(u"Warning: slow mirror\n"_s), 1);
    EXPECT_EQ(text.remove(u"Warning: slow mirror\n"_s), u"Updated 2 taps (homebrew/core).\nAlready up-to-date.\n"_s);
}

TEST_F(HomebrewServiceTest, ACancelledTokenStartsNothing)
{
    const auto token = std::make_shared<TruneProcessCancellation>();
    token->cancel();
    const CommandResult result = HomebrewService::cleanup(token);
    ASSERT_FALSE(result);
    EXPECT_TRUE(result.error().isCancelled());
    EXPECT_TRUE(fake.runs().empty());
}

TEST(HomebrewLaunchPathTest, KeepsAllOfStandardOutput)
{
    // The state fetch reads brew's JSON documents whole, however long they are.
    InstalledFakeBrew brew;
    const QByteArray document = "[" + QByteArray(200'000, 'x') + "]\n";
    brew.fake.respond({u"info"_s}, {.stdoutPieces = {document}});
    const auto result = HomebrewService::runBrew(brew.fake.executablePath(), {u"info"_s},
                                                 HomebrewService::commandEnvironment(true), nullptr, {});
    ASSERT_TRUE(result);
    EXPECT_EQ(result->stdout, document);
}

} // namespace
