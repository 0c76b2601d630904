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

namespace {

using HomebrewService::CommandResult;

const QString hintsKey = u"HOMEBREW_NO_ENV_HINTS"_qs;
const QString autoUpdateKey = u"HOMEBREW_NO_AUTO_UPDATE"_qs;

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
        {u"wget"_qs, true},
        {u"  wget \n"_qs, true},
        {QString(128, u'a'), true},
        {u"homebrew/cask/foo"_qs, true},
        {u"libc++"_qs, true},
        {u"foo_bar-2.0"_qs, true},
        {u"node@20"_qs, true},
        {u"foo..bar"_qs, true},
        {u"a-"_qs, true},
        {QString(), false},
        {u" \t\n"_qs, false},
        {QString(129, u'a'), false},
        {u"-rf"_qs, false},
        {u"--cask"_qs, false},
        {u"foo bar"_qs, false},
        {u"foo\tbar"_qs, false},
        {u"föo"_qs, false},
        {u"foo;rm"_qs, false},
        {u"foo$(id)"_qs, false},
        // brew would load these as Ruby files instead of looking up a package
        {u"/tmp/evil.rb"_qs, false},
        {u"./evil"_qs, false},
        {u".hidden"_qs, false},
        {u"../evil"_qs, false},
        {u"user/tap/../../../tmp/evil"_qs, false},
        {u"user/tap/.."_qs, false},
        {u" /tmp/evil"_qs, false},
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
        {"upgrade, trimmed, skipping auto-update", [] { return HomebrewService::upgrade(u"  wget \n"_qs, false, true); },
         {u"upgrade"_qs, u"wget"_qs}, true},
        {"upgrade with auto-update", [] { return HomebrewService::upgrade(u"wget"_qs, false, false); },
         {u"upgrade"_qs, u"wget"_qs}, false},
        {"upgrade a cask", [] { return HomebrewService::upgrade(u"firefox"_qs, true, false); },
         {u"upgrade"_qs, u"--cask"_qs, u"firefox"_qs}, false},
        {"upgrade a tap-qualified formula", [] { return HomebrewService::upgrade(u"user/tap/tool"_qs, false, true); },
         {u"upgrade"_qs, u"user/tap/tool"_qs}, true},
        {"upgrade all, skipping auto-update", [] { return HomebrewService::upgradeAll(true); }, {u"upgrade"_qs}, true},
        {"upgrade all", [] { return HomebrewService::upgradeAll(false); }, {u"upgrade"_qs}, false},
        {"install", [] { return HomebrewService::install(u"wget"_qs, false); }, {u"install"_qs, u"wget"_qs}, false},
        {"install a cask", [] { return HomebrewService::install(u"firefox"_qs, true); },
         {u"install"_qs, u"--cask"_qs, u"firefox"_qs}, false},
        {"uninstall a cask", [] { return HomebrewService::uninstall(u"\tfirefox"_qs, true); },
         {u"uninstall"_qs, u"--cask"_qs, u"firefox"_qs}, false},
        {"cleanup", [] { return HomebrewService::cleanup(); }, {u"cleanup"_qs, u"--prune=all"_qs}, false},
        {"update", [] { return HomebrewService::updateRepository(); }, {u"update"_qs}, false},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        const qsizetype before = qsizetype(fake.runs().size());
        ASSERT_TRUE(row.command());
        const auto runs = fake.runs();
        ASSERT_EQ(qsizetype(runs.size()), before + 1);
        const FakeBrew::Run& run = runs.back();
        EXPECT_EQ(run.arguments, row.arguments);
        EXPECT_EQ(run.environment.value(hintsKey), u"1"_qs);
        EXPECT_EQ(run.environment.value(autoUpdateKey, u"absent"_qs), row.skipsAutoUpdate ? u"1"_qs : u"absent"_qs);
        // brew needs the rest of our environment (PATH, HOME ...) to work at all.
        EXPECT_EQ(run.environment.value(u"PATH"_qs), qEnvironmentVariable("PATH"));
    }
}

TEST_F(HomebrewServiceTest, RefusedNamesStartNothing)
{
    for (const QString& name : {u"foo bar"_qs, u"-v"_qs, u"../evil"_qs, u"/tmp/evil.rb"_qs, u""_qs}) {
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
    EXPECT_EQ(serviceErrorOf(HomebrewService::install(u"foo bar"_qs, false)),
              HomebrewServiceError::invalidPackageToken(u"foo bar"_qs));

    if (HomebrewService::brewExecutableURL())
        GTEST_SKIP() << "this machine has a brew of its own";
    EXPECT_EQ(serviceErrorOf(HomebrewService::install(u"wget"_qs, false)), HomebrewServiceError::brewNotInstalled());
    EXPECT_EQ(serviceErrorOf(HomebrewService::updateRepository()), HomebrewServiceError::brewNotInstalled());
}

TEST_F(HomebrewServiceTest, NonZeroExitFailsWithTheStandardErrorText)
{
    fake.respond({u"upgrade"_qs, u"nokeg"_qs}, {.stderr = "  Error: No such keg\n", .exitCode = 1});
    fake.respond({u"upgrade"_qs, u"silent"_qs}, {.exitCode = 1});
    fake.respond({u"upgrade"_qs, u"warns"_qs}, {.stdoutPieces = {"done\n"}, .stderr = "Warning: old\n"});

    const HomebrewServiceError failed = serviceErrorOf(HomebrewService::upgrade(u"nokeg"_qs, false, true));
    EXPECT_EQ(failed, HomebrewServiceError::commandFailed(1, u"  Error: No such keg\n"_qs));
    EXPECT_EQ(failed.description(TruneLanguage::en), u"Error: No such keg"_qs);

    const HomebrewServiceError silent = serviceErrorOf(HomebrewService::upgrade(u"silent"_qs, false, true));
    EXPECT_EQ(silent, HomebrewServiceError::commandFailed(1, QString()));
    for (const TruneLanguage language : {TruneLanguage::en, TruneLanguage::tr, TruneLanguage::de})
        EXPECT_EQ(silent.description(language), u"Homebrew exited with status 1."_qs);

    EXPECT_TRUE(HomebrewService::upgrade(u"warns"_qs, false, true));
}

TEST(HomebrewServiceErrorTest, TextsFollowTheInterfaceLanguageWhenRead)
{
    const TempHome home;
    const HomebrewServiceError invalid = HomebrewServiceError::invalidPackageToken(u" foo bar"_qs);
    const HomebrewServiceError missing = HomebrewServiceError::brewNotInstalled();
    const HomebrewServiceError failed = HomebrewServiceError::commandFailed(127, u" \n"_qs);

    TruneLanguage::setCurrent(TruneLanguage::en);
    EXPECT_EQ(invalid.description(), u"Invalid Homebrew package identifier: ' foo bar'."_qs);
    EXPECT_EQ(missing.description(), u"Homebrew ('brew') was not found on this Mac."_qs);
    EXPECT_EQ(failed.description(), u"Homebrew exited with status 127."_qs);

    TruneLanguage::setCurrent(TruneLanguage::tr);
    EXPECT_EQ(invalid.description(), u"Geçersiz Homebrew paket adı: ' foo bar'."_qs);
    EXPECT_EQ(missing.description(), u"Bu Mac'te Homebrew ('brew') bulunamadı."_qs);
    EXPECT_EQ(failed.description(), u"Homebrew exited with status 127."_qs);
    EXPECT_EQ(HomebrewCommandError(missing).description(), missing.description());
}

TEST_F(HomebrewServiceTest, OutputReachesTheHandlerWhileBrewRunsAndCancellationStopsIt)
{
    // Nothing but a line without its end, then a long wait: the handler sees the text as brew
    // wrote it, and only the token ends the run.
    fake.respond({u"upgrade"_qs, u"--cask"_qs, u"slowapp"_qs},
                 {.stdoutPieces = {"==> Downloading slowapp"}, .sleepBeforeExit = 60});
    OutputTranscript transcript;
    const auto token = std::make_shared<TruneProcessCancellation>();
    auto running = std::async(std::launch::async, [&] {
        return HomebrewService::upgrade(u"slowapp"_qs, true, false, token, transcript.handler());
    });

    ASSERT_TRUE(transcript.waitForText(u"==> Downloading slowapp"_qs));
    token->cancel();
    const CommandResult result = running.get();

    ASSERT_FALSE(result);
    EXPECT_TRUE(result.error().isCancelled());
    EXPECT_EQ(transcript.text(), u"==> Downloading slowapp"_qs);
}

TEST_F(HomebrewServiceTest, StreamsBothOutputsUnchanged)
{
    fake.respond({u"update"_qs},
                 {.stdoutPieces = {"Updated 2 taps", " (homebrew/core).\n", "Already up-to-date.\n"},
                  .pauseAfterPiece = 0.05,
                  .stderr = "Warning: slow mirror\n"});
    OutputTranscript transcript;
    ASSERT_TRUE(HomebrewService::updateRepository(nullptr, transcript.handler()));
    // The two streams are read side by side, so only the order within each is fixed.
    QString text = transcript.text();
    EXPECT_EQ(text.count(u"Warning: slow mirror\n"_qs), 1);
    EXPECT_EQ(text.remove(u"Warning: slow mirror\n"_qs), u"Updated 2 taps (homebrew/core).\nAlready up-to-date.\n"_qs);
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
    brew.fake.respond({u"info"_qs}, {.stdoutPieces = {document}});
    const auto result = HomebrewService::runBrew(brew.fake.executablePath(), {u"info"_qs},
                                                 HomebrewService::commandEnvironment(true), nullptr, {});
    ASSERT_TRUE(result);
    EXPECT_EQ(result->stdout, document);
}

} // namespace
