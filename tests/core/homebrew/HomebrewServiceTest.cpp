#include "core/homebrew/HomebrewService.h"

#include "core/homebrew/HomebrewSearch.h"
#include "core/homebrew/HomebrewState.h"
#include "kit/localization/TruneLanguage.h"
#include "tests/core/homebrew/InstalledFakeBrew.h"
#include "tests/core/homebrew/OutputTranscript.h"
#include "tests/support/TempHome.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <atomic>
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

// The program's data folder holds no brew for the life of the object; the other places stay.
struct NoBrewInTheDataFolder {
    NoBrewInTheDataFolder() { HomebrewService::overrideSearchBundle(TruneBundle({}, emptyFolder.path())); }
    ~NoBrewInTheDataFolder() { HomebrewService::overrideSearchBundle(std::nullopt); }
    NoBrewInTheDataFolder(const NoBrewInTheDataFolder&) = delete;
    NoBrewInTheDataFolder& operator=(const NoBrewInTheDataFolder&) = delete;

    QTemporaryDir emptyFolder;
};

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
        {u"foo/./bar"_s, false},
        {u"user/tap/."_s, false},
        {u"evil.rb"_s, false},
        {u"user/tap/evil.rb"_s, false},
        {u"Evil.RB"_s, false},
        // only a whole ".rb" ending or a whole "." segment reads as a file
        {u"foo.rbx"_s, true},
        {u"rbenv"_s, true},
        {u"foo.bar/baz"_s, true},
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
        {"upgrade, trimmed, skipping auto-update",
            [] { return HomebrewService::upgrade(u"  wget \n"_s, {.skipAutoUpdate = true}); },
            {u"upgrade"_s, u"wget"_s}, true},
        {"upgrade with auto-update", [] { return HomebrewService::upgrade(u"wget"_s, {}); }, {u"upgrade"_s, u"wget"_s},
            false},
        {"upgrade a cask", [] { return HomebrewService::upgrade(u"firefox"_s, {.isCask = true}); },
            {u"upgrade"_s, u"--cask"_s, u"firefox"_s}, false},
        {"upgrade a tap-qualified formula",
            [] { return HomebrewService::upgrade(u"user/tap/tool"_s, {.skipAutoUpdate = true}); },
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
                 [&] { return HomebrewService::upgrade(name, {.skipAutoUpdate = true}); },
                 [&] { return HomebrewService::install(name, true); },
                 [&] { return HomebrewService::uninstall(name, false); }}) {
            EXPECT_EQ(serviceErrorOf(command()), HomebrewServiceError::invalidPackageToken(name));
        }
    }
    EXPECT_TRUE(fake.runs().empty());
}

TEST(HomebrewServiceWithoutBrewTest, EveryCommandFailsAfterCheckingTheName)
{
    const NoBrewAnywhere noBrew;
    ASSERT_EQ(HomebrewService::brewExecutableURL(), std::nullopt);

    const HomebrewServiceError missing = HomebrewServiceError::brewNotInstalled();
    struct Case {
        const char* label;
        std::function<CommandResult()> command;
        HomebrewServiceError error;
    };
    const Case cases[] = {
        // The name is checked before brew is looked for.
        {"install an invalid name", [] { return HomebrewService::install(u"foo bar"_s, false); },
            HomebrewServiceError::invalidPackageToken(u"foo bar"_s)},
        {"upgrade an invalid name", [] { return HomebrewService::upgrade(u"-v"_s, {}); },
            HomebrewServiceError::invalidPackageToken(u"-v"_s)},
        {"upgrade", [] { return HomebrewService::upgrade(u"wget"_s, {.skipAutoUpdate = true}); }, missing},
        {"upgrade all", [] { return HomebrewService::upgradeAll(true); }, missing},
        {"install", [] { return HomebrewService::install(u"wget"_s, false); }, missing},
        {"uninstall", [] { return HomebrewService::uninstall(u"firefox"_s, true); }, missing},
        {"cleanup", [] { return HomebrewService::cleanup(); }, missing},
        {"update", [] { return HomebrewService::updateRepository(); }, missing},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(serviceErrorOf(row.command()), row.error);
    }
}

TEST(HomebrewServiceLocationTest, LooksInTheLinuxbrewFoldersAfterTheMacOnes)
{
    const TempHome home;
    EXPECT_EQ(HomebrewService::brewSearchFolders(),
        (QStringList{u"/opt/homebrew/bin"_s, u"/usr/local/bin"_s, u"/home/linuxbrew/.linuxbrew/bin"_s,
            home.filePath(u".linuxbrew/bin"_s)}));
}

TEST(HomebrewServiceLocationTest, FindsTheUsersOwnLinuxbrew)
{
    const TempHome home;
    const NoBrewInTheDataFolder noBundledBrew;
    const QString userBrew = home.filePath(u".linuxbrew/bin/brew"_s);
    ASSERT_TRUE(QDir().mkpath(home.filePath(u".linuxbrew/bin"_s)));
    QFile script(userBrew);
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/bin/sh\n");
    script.close();
    ASSERT_TRUE(script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));

    for (const QString& earlier : HomebrewService::brewSearchFolders().first(3)) {
        if (QFileInfo(earlier + u"/brew"_s).isExecutable())
            GTEST_SKIP() << "this machine has a brew in " << earlier.toStdString() << ", which comes first";
    }
    EXPECT_EQ(HomebrewService::brewExecutableURL(), userBrew);
}

TEST_F(HomebrewServiceTest, AnswersInTurnLetACommandFailAndThenSucceed)
{
    const QStringList arguments{u"upgrade"_s, u"wget"_s};
    fake.respondInTurn(
        arguments, {{.stderr = "Error: wget is locked\n", .exitCode = 1}, {.stdoutPieces = {"==> Upgrading wget\n"}}});

    EXPECT_EQ(serviceErrorOf(HomebrewService::upgrade(u"wget"_s, {})),
        HomebrewServiceError::commandFailed(1, u"Error: wget is locked\n"_s));
    // The last response answers every later run.
    for (int attempt = 0; attempt < 2; ++attempt) {
        OutputTranscript transcript;
        EXPECT_TRUE(HomebrewService::upgrade(u"wget"_s, {}, nullptr, transcript.handler()));
        EXPECT_EQ(transcript.text(), u"==> Upgrading wget\n"_s);
    }
    EXPECT_EQ(fake.runs().size(), 3u);

    // Setting the responses again starts from the first one.
    fake.respondInTurn(arguments, {{.exitCode = 2}, {}});
    EXPECT_EQ(
        serviceErrorOf(HomebrewService::upgrade(u"wget"_s, {})), HomebrewServiceError::commandFailed(2, QString()));
}

TEST(HomebrewRunOutcomeTest, ExitStatusOrSignalDecideSuccess)
{
    struct Case {
        const char* label;
        TruneProcessResult run;
        std::optional<HomebrewServiceError> error;
        QString english;
        QString turkish;
    };
    const Case cases[] = {
        {"exit 0", {.exitCode = 0, .stdout = "ok"}, std::nullopt, {}, {}},
        {"exit 1", {.exitCode = 1, .stderr = "Error: No such keg\n"},
            HomebrewServiceError::commandFailed(1, u"Error: No such keg\n"_s), u"Error: No such keg"_s,
            u"Error: No such keg"_s},
        {"killed silently", {.exitCode = 128 + 9, .terminationSignal = 9},
            HomebrewServiceError::commandFailed(137, QString(), 9), u"Homebrew was terminated by signal 9."_s,
            u"Homebrew 9 numaralı sinyalle sonlandırıldı."_s},
        {"killed after an error", {.exitCode = 128 + 15, .stderr = "Error: interrupted\n", .terminationSignal = 15},
            HomebrewServiceError::commandFailed(143, u"Error: interrupted\n"_s, 15), u"Error: interrupted"_s,
            u"Error: interrupted"_s},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        const CommandResult outcome = HomebrewService::requireSuccess(row.run);
        if (!row.error) {
            EXPECT_TRUE(outcome);
            continue;
        }
        const HomebrewServiceError error = serviceErrorOf(outcome);
        EXPECT_EQ(error, *row.error);
        EXPECT_EQ(error.description(TruneLanguage::en), row.english);
        EXPECT_EQ(error.description(TruneLanguage::tr), row.turkish);
    }
}

TEST_F(HomebrewServiceTest, NonZeroExitFailsWithTheStandardErrorText)
{
    fake.respond({u"upgrade"_s, u"nokeg"_s}, {.stderr = "  Error: No such keg\n", .exitCode = 1});
    fake.respond({u"upgrade"_s, u"silent"_s}, {.exitCode = 1});
    fake.respond({u"upgrade"_s, u"warns"_s}, {.stdoutPieces = {"done\n"}, .stderr = "Warning: old\n"});

    const HomebrewServiceError failed = serviceErrorOf(HomebrewService::upgrade(u"nokeg"_s, {.skipAutoUpdate = true}));
    EXPECT_EQ(failed, HomebrewServiceError::commandFailed(1, u"  Error: No such keg\n"_s));
    EXPECT_EQ(failed.description(TruneLanguage::en), u"Error: No such keg"_s);

    const HomebrewServiceError silent = serviceErrorOf(HomebrewService::upgrade(u"silent"_s, {.skipAutoUpdate = true}));
    EXPECT_EQ(silent, HomebrewServiceError::commandFailed(1, QString()));
    for (const TruneLanguage language : {TruneLanguage::en, TruneLanguage::tr, TruneLanguage::de})
        EXPECT_EQ(silent.description(language), u"Homebrew exited with status 1."_s);

    EXPECT_TRUE(HomebrewService::upgrade(u"warns"_s, {.skipAutoUpdate = true}));
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
    auto running = std::async(std::launch::async,
        [&] { return HomebrewService::upgrade(u"slowapp"_s, {.isCask = true}, token, transcript.handler()); });

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

TEST(HomebrewLaunchPathTest, KeepsStandardOutputOnlyForReading)
{
    InstalledFakeBrew brew;
    const QByteArray document = "[" + QByteArray(200'000, 'x') + "]\n";
    brew.fake.respond({u"info"_s}, {.stdoutPieces = {document}});
    struct Case {
        const char* label;
        HomebrewService::BrewOutput output;
        QByteArray kept;
    };
    const Case cases[] = {
        // The state fetch reads brew's JSON documents whole.
        {"read", HomebrewService::BrewOutput::read, document},
        // An action's output has gone to its handler; keeping it too would only fill memory.
        {"streamed", HomebrewService::BrewOutput::streamed, QByteArray()},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        OutputTranscript transcript;
        const auto result = HomebrewService::runBrew(brew.fake.executablePath(), {u"info"_s},
            HomebrewService::commandEnvironment(true), row.output, nullptr, transcript.handler());
        ASSERT_TRUE(result);
        EXPECT_TRUE(result->stdout == row.kept) << result->stdout.size();
        EXPECT_EQ(transcript.text().toUtf8(), document);
    }
}

// Just past the 64 MiB that a command reading brew's output keeps.
constexpr qint64 pastTheReadLimit = qint64(64) * 1024 * 1024 + 1;

TEST(HomebrewLaunchPathTest, ReadingStopsBrewPastTheLimitWithAClearError)
{
    InstalledFakeBrew brew;
    brew.fake.respond(
        {u"search"_s, u"--cask"_s, u"wget"_s}, {.stdoutPadding = pastTheReadLimit, .stdoutPieces = {"wget\n"}});

    const auto found = HomebrewService::search(u"wget"_s, {});
    ASSERT_FALSE(found);
    const HomebrewCommandError expected
        = TruneProcessRunError{TruneProcessError::outputTooLarge(u"brew"_s, pastTheReadLimit - 1)};
    EXPECT_EQ(found.error(), expected);
    EXPECT_EQ(
        found.error().description(TruneLanguage::en), u"'brew' was stopped: its output passed the limit of 67.1 MB."_s);
    EXPECT_EQ(found.error().description(TruneLanguage::tr), u"'brew' durduruldu: çıktısı 67.1 MB sınırını aştı."_s);
}

// The document of every installed package grows with the packages (77 MB for 12,000): it may
// pass the limit of other reads.
TEST(HomebrewLaunchPathTest, TheInstalledPackagesDocumentMayPassTheReadLimit)
{
    InstalledFakeBrew brew;
    brew.fake.respond({u"info"_s, u"--json=v2"_s, u"--installed"_s},
        {.stdoutPadding = pastTheReadLimit, .stdoutPieces = {"{\"formulae\": [{\"name\": \"wget\"}], \"casks\": []}"}});

    const auto fetched = HomebrewService::fetchInstalledAndOutdated();
    ASSERT_TRUE(fetched) << fetched.error().description(TruneLanguage::en).toStdString();
    ASSERT_EQ(fetched->size(), 1u);
    EXPECT_EQ(fetched->front().name, u"wget"_s);
}

TEST(HomebrewLaunchPathTest, AnActionMayPrintWithoutLimit)
{
    InstalledFakeBrew brew;
    brew.fake.respond({u"upgrade"_s}, {.stdoutPadding = pastTheReadLimit, .stdoutPieces = {"done\n"}});
    std::atomic<qint64> received = 0;
    const auto result
        = HomebrewService::upgradeAll(false, nullptr, [&](QByteArrayView utf8) { received += utf8.size(); });
    EXPECT_TRUE(result);
    EXPECT_EQ(received, pastTheReadLimit + 5);
}

} // namespace
