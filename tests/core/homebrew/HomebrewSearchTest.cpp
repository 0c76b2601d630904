#include "core/homebrew/HomebrewSearch.h"

#include "tests/core/homebrew/HomebrewTestItems.h"
#include "tests/core/homebrew/InstalledFakeBrew.h"
#include "tests/support/RecordBuilders.h"

#include <gtest/gtest.h>

#include <future>
#include <memory>

using namespace Qt::StringLiterals;

namespace {

using namespace HomebrewTestItems;

TEST(HomebrewSearchParseTest, ReadsPackageNamesFromTheListing)
{
    struct Case {
        const char* label;
        QString output;
        QStringList names;
    };
    const Case cases[] = {
        {"a heading, then names beside a check mark", u"==> Casks\nfirefox \u2714 firefox-nightly\n"_s,
            {u"firefox"_s, u"firefox-nightly"_s}},
        {"one name a line, tap-qualified names kept",
            u"==> Formulae\nwget\nwget2\nhomebrew/core/wget@1\nuser/tap/wget-ng\n"_s,
            {u"wget"_s, u"wget2"_s, u"homebrew/core/wget@1"_s, u"user/tap/wget-ng"_s}},
        {"blank lines, padding, tabs and every kind of line break",
            u"\n\n  lumen  \r\nlumen-beta\tlumen@3\rprism\u2028quill\u2029rune\u0085sable\vtorch\fumber\n   \n"_s,
            {u"lumen"_s, u"lumen-beta"_s, u"lumen@3"_s, u"prism"_s, u"quill"_s, u"rune"_s, u"sable"_s, u"torch"_s,
                u"umber"_s}},
        {"a name twice, in any case, counts once as first printed", u"Foo\nbar foo\nFOO Bar\n"_s, {u"Foo"_s, u"bar"_s}},
        {"warning lines say nothing, headings wherever they are",
            u"Warning: lumen is deprecated\n  ==> Formulae\nlumen\nWarning:\n"_s, {u"lumen"_s}},
        {"words outside the package alphabet vanish", u"f\u00f6o libc++ -v a;b ok_2.0 (tap) ./rel /abs ok\n"_s,
            {u"libc++"_s, u"ok_2.0"_s, u"ok"_s}},
        {"nothing at all", QString(), {}},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(namesOf(HomebrewService::parseSearchOutput(row.output, true, {})), row.names);
    }
}

TEST(HomebrewSearchParseTest, ResultsCarryTheirKindAndInstalledMark)
{
    const QSet<QString> installed{u"wget"_s, u"node@20"_s};
    const std::vector<HomebrewItem> formulae
        = HomebrewService::parseSearchOutput(u"==> Formulae\nWGet\nnode@20 node@22\n"_s, false, installed);
    const std::vector<HomebrewItem> expected{
        HomebrewItemBuilder(u"WGet"_s).build(),
        HomebrewItemBuilder(u"node@20"_s).build(),
        HomebrewItemBuilder(u"node@22"_s).installed(false).build(),
    };
    EXPECT_EQ(formulae, expected);
    EXPECT_EQ(formulae.front().id(), u"formula::WGet"_s);
    EXPECT_EQ(formulae.front().fullName, u"WGet"_s);

    const std::vector<HomebrewItem> casks = HomebrewService::parseSearchOutput(u"Lumen\n"_s, true, {});
    ASSERT_EQ(casks.size(), 1u);
    EXPECT_EQ(casks.front().id(), u"cask::Lumen"_s);
    EXPECT_TRUE(casks.front().isCask);
    EXPECT_FALSE(casks.front().isInstalled);
}

TEST(HomebrewCaskMatchTest, FindsTheCaskThatInstalledAnApp)
{
    const std::vector<HomebrewItem> casks{
        HomebrewItemBuilder(u"foo"_s).cask().appArtifacts({u"Foo Helper.app"_s}).build(),
        HomebrewItemBuilder(u"foo-tools"_s).cask().appArtifacts({u"Other.app"_s, u"foo.APP"_s}).build(),
        HomebrewItemBuilder(u"visual-studio-code"_s).cask().appArtifacts({u"Code Insiders.app"_s}).build(),
        HomebrewItemBuilder(u"docker"_s)
            .cask()
            .fullName(u"Docker Desktop"_s)
            .appArtifacts({u"Docker Engine.app"_s})
            .build(),
        HomebrewItemBuilder(u"qt"_s).cask().build(),
        HomebrewItemBuilder(u"qt-creator"_s).cask().appArtifacts({u"Creator/Qt Creator.app"_s}).build(),
        HomebrewItemBuilder(u"caf\u00e9-app"_s).cask().build(),
        HomebrewItemBuilder(u"nihongo"_s).cask().fullName(u"\u65e5\u672c\u8a9e \u30a8\u30c7\u30a3\u30bf"_s).build(),
        HomebrewItemBuilder(u"nova-classic"_s).cask().fullName(u"Nova Pad"_s).build(),
        HomebrewItemBuilder(u"nova-pad"_s).cask().build(),
        HomebrewItemBuilder(u"lumen"_s).cask().appArtifacts({u"Lumen.app"_s}).build(),
        HomebrewItemBuilder(u"lumen-beta"_s).cask().appArtifacts({u"LUMEN.app"_s}).build(),
    };
    struct Case {
        const char* label;
        QString appName;
        QString appPath;
        std::optional<QString> cask;
    };
    const Case cases[] = {
        {"a later cask installing the bundle wins over an earlier name", u"Foo"_s, u"/Applications/Foo.app"_s,
            u"foo-tools"_s},
        {"by name when no artifact matches", u"Visual Studio Code"_s, u"/Applications/Visual Studio Code.app"_s,
            u"visual-studio-code"_s},
        {"by full name", u"Docker Desktop!"_s, u"/Applications/Docker.app"_s, u"docker"_s},
        {"an artifact in a folder, a path ending in a slash", u"Creator"_s, u"/Applications/Qt Creator.app/"_s,
            u"qt-creator"_s},
        {"a name key under three characters matches by artifact only", u"Qt"_s, u"/Applications/Qt.app"_s,
            std::nullopt},
        {"accents composed either way", u"Cafe\u0301 App"_s, u"/Applications/Cafe.app"_s, u"caf\u00e9-app"_s},
        {"letters of any script", u"\u65e5\u672c\u8a9e\u30a8\u30c7\u30a3\u30bf"_s,
            u"/Applications/Nihongo Editor.app"_s, u"nihongo"_s},
        {"nothing alike", u"Prism"_s, u"/Applications/Prism.app"_s, std::nullopt},
        {"the first by full name before a later one by name", u"Nova Pad"_s, u"/Applications/Nova.app"_s,
            u"nova-classic"_s},
        {"the first of two casks installing the bundle", u"Lumen"_s, u"/Applications/lumen.app"_s, u"lumen"_s},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        const InstalledAppRecord app = AppRecordBuilder(row.appName).path(row.appPath).build();
        const std::optional<HomebrewItem> match = HomebrewService::matchCask(app, casks);
        EXPECT_EQ(match ? std::optional(match->name) : std::nullopt, row.cask);
    }
}

TEST(HomebrewCaskMatchTest, FormulaeNeverMatch)
{
    const HomebrewItem formulaWithApp = HomebrewItemBuilder(u"foo"_s).appArtifacts({u"Foo.app"_s}).build();
    const HomebrewItem fooFormula = HomebrewItemBuilder(u"Foo"_s).build();
    const HomebrewItem fooCask = HomebrewItemBuilder(u"foo"_s).cask().build();
    const InstalledAppRecord foo = AppRecordBuilder(u"Foo"_s).path(u"/Applications/Foo.app"_s).build();
    EXPECT_EQ(HomebrewService::matchCask(foo, {formulaWithApp, fooFormula}), std::nullopt);
    EXPECT_EQ(HomebrewService::matchCask(foo, {formulaWithApp, fooCask}), fooCask);
}

class HomebrewSearchTest : public ::testing::Test {
protected:
    HomebrewSearchTest()
    {
        qunsetenv("HOMEBREW_NO_ENV_HINTS");
        qunsetenv("HOMEBREW_NO_AUTO_UPDATE");
    }

    static QStringList searchArguments(const char* kind, const QString& query)
    {
        return {u"search"_s, QString::fromLatin1(kind), query};
    }

    InstalledFakeBrew brew;
    FakeBrew& fake = brew.fake;
};

TEST_F(HomebrewSearchTest, SearchesCasksThenFormulaeForTheTrimmedQuery)
{
    fake.respond(searchArguments("--cask", u"wget"_s), {.stdoutPieces = {"==> Casks\nwgetgui\nWGet\n"}});
    fake.respond(searchArguments("--formula", u"wget"_s), {.stdoutPieces = {"==> Formulae\nwget \u2714\nwget2\n"}});
    const std::vector<HomebrewItem> installed{
        HomebrewItemBuilder(u"WGet"_s).build(), HomebrewItemBuilder(u"wgetgui"_s).cask().build()};

    const auto results = HomebrewService::search(u"  wget\n"_s, installed);
    ASSERT_TRUE(results) << results.error().description().toStdString();
    EXPECT_EQ(
        idsOf(*results), (QStringList{u"cask::wgetgui"_s, u"cask::WGet"_s, u"formula::wget"_s, u"formula::wget2"_s}));
    // An installed formula marks only the formula of its name.
    const std::vector<bool> marks{true, false, true, false};
    for (size_t index = 0; index < marks.size(); ++index)
        EXPECT_EQ((*results)[index].isInstalled, marks[index]) << index;

    const std::vector<FakeBrew::Run> runs = fake.runs();
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].arguments, searchArguments("--cask", u"wget"_s));
    EXPECT_EQ(runs[1].arguments, searchArguments("--formula", u"wget"_s));
    for (const FakeBrew::Run& run : runs) {
        EXPECT_EQ(run.environment.value(u"HOMEBREW_NO_AUTO_UPDATE"_s), u"1"_s);
        EXPECT_EQ(run.environment.value(u"HOMEBREW_NO_ENV_HINTS"_s), u"1"_s);
    }
}

// brew ends a search that matched nothing with status 1 and "Error: No ... found"; any other
// non-zero end (offline, a broken tap) is a failure, which a half that found something outweighs.
TEST_F(HomebrewSearchTest, AHalfThatEndsNonZeroIsEmptyUnlessNothingWasFoundAtAll)
{
    const FakeBrew::Response nothingFound{.stderr = "Error: No formulae or casks found for \"wget\".\n", .exitCode = 1};
    const FakeBrew::Response offline{
        .stderr = "Error: Failure while executing; `curl` exited with 6.\n", .exitCode = 1};
    const FakeBrew::Response foundWget{.stdoutPieces = {"wget\n"}};
    const FakeBrew::Response silentFailure{.exitCode = 1};
    struct Case {
        const char* label;
        FakeBrew::Response casks;
        FakeBrew::Response formulae;
        QStringList ids;                // when the search succeeds
        std::optional<QString> failure; // brew's reason, when it fails
    };
    const Case cases[] = {
        {"a failed half beside a found one", offline, foundWget, {u"formula::wget"_s}, {}},
        {"output of a failed half is not read",
            {.stdoutPieces = {"wget-cask\n"}, .stderr = "Error: No casks found\n", .exitCode = 1}, foundWget,
            {u"formula::wget"_s}, {}},
        {"nothing found by either half", nothingFound, nothingFound, {}, {}},
        {"nothing found by one, nothing listed by the other", nothingFound, {}, {}, {}},
        {"offline", offline, offline, {}, u"Error: Failure while executing; `curl` exited with 6."_s},
        {"a failure beside nothing found", nothingFound, silentFailure, {}, u"Homebrew exited with status 1."_s},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        fake.respond(searchArguments("--cask", u"wget"_s), row.casks);
        fake.respond(searchArguments("--formula", u"wget"_s), row.formulae);
        const auto results = HomebrewService::search(u"wget"_s, {});
        if (row.failure) {
            ASSERT_FALSE(results);
            ASSERT_TRUE(results.error().serviceError());
            EXPECT_EQ(results.error().serviceError()->errorCase, HomebrewServiceError::Case::commandFailed);
            EXPECT_EQ(results.error().description(TruneLanguage::en), *row.failure);
        } else {
            ASSERT_TRUE(results) << results.error().description().toStdString();
            EXPECT_EQ(idsOf(*results), row.ids);
        }
    }
}

TEST_F(HomebrewSearchTest, RefusesQueriesThatAreNoPackageName)
{
    for (const QString& query : {u"visual studio"_s, u"  "_s, u"--cask"_s, u"f\u00f6o"_s}) {
        SCOPED_TRACE(query.toStdString());
        const auto results = HomebrewService::search(query, {});
        ASSERT_FALSE(results);
        ASSERT_TRUE(results.error().serviceError());
        EXPECT_EQ(*results.error().serviceError(), HomebrewServiceError::invalidPackageToken(query));
    }
    EXPECT_TRUE(fake.runs().empty());
}

TEST_F(HomebrewSearchTest, CancellingTheCaskSearchStartsNoFormulaSearch)
{
    fake.respond(searchArguments("--cask", u"lumen"_s), {.sleepBeforeExit = 60});
    const auto token = std::make_shared<TruneProcessCancellation>();
    auto searching = std::async(std::launch::async, [&] { return HomebrewService::search(u"lumen"_s, {}, token); });

    ASSERT_TRUE(fake.waitForRuns(1));
    token->cancel();
    const auto results = searching.get();
    ASSERT_FALSE(results);
    EXPECT_TRUE(results.error().isCancelled());
    EXPECT_EQ(fake.runs().size(), 1u);
}

TEST(HomebrewSearchWithoutBrewTest, FailsWhenBrewIsMissing)
{
    const NoBrewAnywhere noBrew;
    const auto results = HomebrewService::search(u"wget"_s, {});
    ASSERT_FALSE(results);
    ASSERT_TRUE(results.error().serviceError());
    EXPECT_EQ(*results.error().serviceError(), HomebrewServiceError::brewNotInstalled());
}

} // namespace
