#include "core/homebrew/HomebrewSearch.h"

#include "tests/core/homebrew/HomebrewTestItems.h"
#include "tests/core/homebrew/InstalledFakeBrew.h"

#include <gtest/gtest.h>

#include <future>
#include <memory>

namespace {

using namespace HomebrewTestItems;

InstalledAppRecord app(const QString& name, const QString& path)
{
    return InstalledAppRecord(std::nullopt, name, u"com.example.app"_qs, path, u"1.0"_qs, u"100"_qs, std::nullopt, false,
                              std::nullopt, std::nullopt, std::nullopt, std::nullopt, AppOriginKind::direct,
                              AppArchitecture::universal, 0, std::nullopt, std::nullopt);
}

HomebrewItem caskWithApps(const QString& name, QStringList apps, std::optional<QString> fullName = std::nullopt)
{
    return HomebrewItem(name, std::move(fullName), true, u"1.0"_qs, u"1.0"_qs, false, QString(), std::nullopt, true,
                        std::move(apps), true);
}

TEST(HomebrewSearchParseTest, ReadsPackageNamesFromTheListing)
{
    struct Case {
        const char* label;
        QString output;
        QStringList names;
    };
    const Case cases[] = {
        {"a heading, then names beside a check mark", u"==> Casks\nfirefox \u2714 firefox-nightly\n"_qs,
         {u"firefox"_qs, u"firefox-nightly"_qs}},
        {"one name a line, tap-qualified names kept",
         u"==> Formulae\nwget\nwget2\nhomebrew/core/wget@1\nuser/tap/wget-ng\n"_qs,
         {u"wget"_qs, u"wget2"_qs, u"homebrew/core/wget@1"_qs, u"user/tap/wget-ng"_qs}},
        {"blank lines, padding, tabs and every kind of line break",
         u"\n\n  lumen  \r\nlumen-beta\tlumen@3\rprism\u2028quill\u2029rune\u0085sable\vtorch\fumber\n   \n"_qs,
         {u"lumen"_qs, u"lumen-beta"_qs, u"lumen@3"_qs, u"prism"_qs, u"quill"_qs, u"rune"_qs, u"sable"_qs, u"torch"_qs,
          u"umber"_qs}},
        {"a name twice, in any case, counts once as first printed", u"Foo\nbar foo\nFOO Bar\n"_qs,
         {u"Foo"_qs, u"bar"_qs}},
        {"warning lines say nothing, headings wherever they are",
         u"Warning: lumen is deprecated\n  ==> Formulae\nlumen\nWarning:\n"_qs, {u"lumen"_qs}},
        {"words outside the package alphabet vanish", u"f\u00f6o libc++ -v a;b ok_2.0 (tap) ./rel /abs ok\n"_qs,
         {u"libc++"_qs, u"ok_2.0"_qs, u"ok"_qs}},
        {"nothing at all", QString(), {}},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        EXPECT_EQ(namesOf(HomebrewService::parseSearchOutput(row.output, true, {})), row.names);
    }
}

TEST(HomebrewSearchParseTest, ResultsCarryTheirKindAndInstalledMark)
{
    const QSet<QString> installed{u"wget"_qs, u"node@20"_qs};
    const std::vector<HomebrewItem> formulae =
        HomebrewService::parseSearchOutput(u"==> Formulae\nWGet\nnode@20 node@22\n"_qs, false, installed);
    const std::vector<HomebrewItem> expected{
        HomebrewItem(u"WGet"_qs, std::nullopt, false, std::nullopt, QString(), false, QString(), std::nullopt, true, {},
                     true),
        HomebrewItem(u"node@20"_qs, std::nullopt, false, std::nullopt, QString(), false, QString(), std::nullopt, true, {},
                     true),
        HomebrewItem(u"node@22"_qs, std::nullopt, false, std::nullopt, QString(), false, QString(), std::nullopt, false,
                     {}, true),
    };
    EXPECT_EQ(formulae, expected);
    EXPECT_EQ(formulae.front().id(), u"formula::WGet"_qs);
    EXPECT_EQ(formulae.front().fullName, u"WGet"_qs);

    const std::vector<HomebrewItem> casks = HomebrewService::parseSearchOutput(u"Lumen\n"_qs, true, {});
    ASSERT_EQ(casks.size(), 1u);
    EXPECT_EQ(casks.front().id(), u"cask::Lumen"_qs);
    EXPECT_TRUE(casks.front().isCask);
    EXPECT_FALSE(casks.front().isInstalled);
}

TEST(HomebrewCaskMatchTest, FindsTheCaskThatInstalledAnApp)
{
    const std::vector<HomebrewItem> casks{
        caskWithApps(u"foo"_qs, {u"Foo Helper.app"_qs}),
        caskWithApps(u"foo-tools"_qs, {u"Other.app"_qs, u"foo.APP"_qs}),
        caskWithApps(u"visual-studio-code"_qs, {u"Code Insiders.app"_qs}),
        caskWithApps(u"docker"_qs, {u"Docker Engine.app"_qs}, u"Docker Desktop"_qs),
        caskWithApps(u"qt"_qs, {}),
        caskWithApps(u"qt-creator"_qs, {u"Creator/Qt Creator.app"_qs}),
        caskWithApps(u"caf\u00e9-app"_qs, {}),
        caskWithApps(u"nihongo"_qs, {}, u"\u65e5\u672c\u8a9e \u30a8\u30c7\u30a3\u30bf"_qs),
    };
    struct Case {
        const char* label;
        InstalledAppRecord app;
        std::optional<QString> cask;
    };
    const Case cases[] = {
        {"a later cask installing the bundle wins over an earlier name", app(u"Foo"_qs, u"/Applications/Foo.app"_qs),
         u"foo-tools"_qs},
        {"by name when no artifact matches",
         app(u"Visual Studio Code"_qs, u"/Applications/Visual Studio Code.app"_qs), u"visual-studio-code"_qs},
        {"by full name", app(u"Docker Desktop!"_qs, u"/Applications/Docker.app"_qs), u"docker"_qs},
        {"an artifact in a folder, a path ending in a slash", app(u"Creator"_qs, u"/Applications/Qt Creator.app/"_qs),
         u"qt-creator"_qs},
        {"a name key under three characters matches by artifact only", app(u"Qt"_qs, u"/Applications/Qt.app"_qs),
         std::nullopt},
        {"accents composed either way", app(u"Cafe\u0301 App"_qs, u"/Applications/Cafe.app"_qs), u"caf\u00e9-app"_qs},
        {"letters of any script", app(u"\u65e5\u672c\u8a9e\u30a8\u30c7\u30a3\u30bf"_qs, u"/Applications/Nihongo Editor.app"_qs),
         u"nihongo"_qs},
        {"nothing alike", app(u"Prism"_qs, u"/Applications/Prism.app"_qs), std::nullopt},
    };
    for (const Case& row : cases) {
        SCOPED_TRACE(row.label);
        const std::optional<HomebrewItem> match = HomebrewService::matchCask(row.app, casks);
        EXPECT_EQ(match ? std::optional(match->name) : std::nullopt, row.cask);
    }
}

TEST(HomebrewCaskMatchTest, FormulaeNeverMatch)
{
    HomebrewItem formulaWithApp = formula(u"foo"_qs);
    formulaWithApp.appArtifacts = {u"Foo.app"_qs};
    const InstalledAppRecord foo = app(u"Foo"_qs, u"/Applications/Foo.app"_qs);
    EXPECT_EQ(HomebrewService::matchCask(foo, {formulaWithApp, formula(u"Foo"_qs)}), std::nullopt);
    EXPECT_EQ(HomebrewService::matchCask(foo, {formulaWithApp, cask(u"foo"_qs)}), cask(u"foo"_qs));
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
        return {u"search"_qs, QString::fromLatin1(kind), query};
    }

    InstalledFakeBrew brew;
    FakeBrew& fake = brew.fake;
};

TEST_F(HomebrewSearchTest, SearchesCasksThenFormulaeForTheTrimmedQuery)
{
    fake.respond(searchArguments("--cask", u"wget"_qs), {.stdoutPieces = {"==> Casks\nwgetgui\nWGet\n"}});
    fake.respond(searchArguments("--formula", u"wget"_qs), {.stdoutPieces = {"==> Formulae\nwget \u2714\nwget2\n"}});
    const std::vector<HomebrewItem> installed{formula(u"WGet"_qs), cask(u"wgetgui"_qs)};

    const auto results = HomebrewService::search(u"  wget\n"_qs, installed);
    ASSERT_TRUE(results) << results.error().description().toStdString();
    EXPECT_EQ(idsOf(*results),
              (QStringList{u"cask::wgetgui"_qs, u"cask::WGet"_qs, u"formula::wget"_qs, u"formula::wget2"_qs}));
    // An installed formula marks only the formula of its name.
    const std::vector<bool> marks{true, false, true, false};
    for (size_t index = 0; index < marks.size(); ++index)
        EXPECT_EQ((*results)[index].isInstalled, marks[index]) << index;

    const std::vector<FakeBrew::Run> runs = fake.runs();
    ASSERT_EQ(runs.size(), 2u);
    EXPECT_EQ(runs[0].arguments, searchArguments("--cask", u"wget"_qs));
    EXPECT_EQ(runs[1].arguments, searchArguments("--formula", u"wget"_qs));
    for (const FakeBrew::Run& run : runs) {
        EXPECT_EQ(run.environment.value(u"HOMEBREW_NO_AUTO_UPDATE"_qs), u"1"_qs);
        EXPECT_EQ(run.environment.value(u"HOMEBREW_NO_ENV_HINTS"_qs), u"1"_qs);
    }
}

TEST_F(HomebrewSearchTest, AFailedHalfIsOnlyLeftEmpty)
{
    fake.respond(searchArguments("--cask", u"wget"_qs),
                 {.stdoutPieces = {"wget-cask\n"}, .stderr = "Error: No casks found\n", .exitCode = 1});
    fake.respond(searchArguments("--formula", u"wget"_qs), {.stdoutPieces = {"wget\n"}});
    const auto formulaOnly = HomebrewService::search(u"wget"_qs, {});
    ASSERT_TRUE(formulaOnly);
    EXPECT_EQ(idsOf(*formulaOnly), QStringList{u"formula::wget"_qs});

    fake.respond(searchArguments("--formula", u"wget"_qs), {.exitCode = 1});
    const auto nothing = HomebrewService::search(u"wget"_qs, {});
    ASSERT_TRUE(nothing);
    EXPECT_TRUE(nothing->empty());
}

TEST_F(HomebrewSearchTest, RefusesQueriesThatAreNoPackageName)
{
    for (const QString& query : {u"visual studio"_qs, u"  "_qs, u"--cask"_qs, u"f\u00f6o"_qs}) {
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
    fake.respond(searchArguments("--cask", u"lumen"_qs), {.sleepBeforeExit = 60});
    const auto token = std::make_shared<TruneProcessCancellation>();
    auto searching = std::async(std::launch::async, [&] { return HomebrewService::search(u"lumen"_qs, {}, token); });

    ASSERT_TRUE(fake.waitForRuns(1));
    token->cancel();
    const auto results = searching.get();
    ASSERT_FALSE(results);
    EXPECT_TRUE(results.error().isCancelled());
    EXPECT_EQ(fake.runs().size(), 1u);
}

TEST(HomebrewSearchWithoutBrewTest, FailsWhenBrewIsMissing)
{
    const NoBundledBrew noBrew;
    if (HomebrewService::brewExecutableURL())
        GTEST_SKIP() << "this machine has a brew of its own";
    const auto results = HomebrewService::search(u"wget"_qs, {});
    ASSERT_FALSE(results);
    ASSERT_TRUE(results.error().serviceError());
    EXPECT_EQ(*results.error().serviceError(), HomebrewServiceError::brewNotInstalled());
}

} // namespace
