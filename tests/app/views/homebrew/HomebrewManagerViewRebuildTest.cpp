#include "app/views/homebrew/HomebrewManagerView.h"

#include "kit/ui/TruneAnimations.h"
#include "tests/app/BrewDeskFixture.h"
#include "tests/app/views/RebuildStep.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Two casks (one outdated), two formulae asked for (one outdated) and one dependency.
const std::vector<FakePackage> kShelf{
    {.name = u"firefox"_s, .isCask = true, .installed = u"1.0"_s, .latest = u"2.1"_s, .outdated = true},
    {.name = u"iterm2"_s, .isCask = true, .installed = u"3.5"_s, .latest = u"3.5"_s},
    {.name = u"wget"_s, .installed = u"1.21"_s, .latest = u"1.24"_s, .outdated = true},
    {.name = u"tree"_s, .installed = u"2.1"_s, .latest = u"2.1"_s},
    {.name = u"libidn2"_s, .onRequest = false},
};

class HomebrewManagerViewRebuildTest : public BrewDeskTest {
protected:
    HomebrewManagerViewRebuildTest() { TruneAnimations::setEnabled(false); }
    ~HomebrewManagerViewRebuildTest() override
    {
        TruneAnimations::setEnabled(true);
        TruneLanguage::setFollowSystem();
    }
};

// Sub-tabs, the dependency toggle, a filter, both languages, a search, a command that runs and
// is stopped, and an upgrade: after each, the tab shows what a tab built from the state shows.
TEST_F(HomebrewManagerViewRebuildTest, ShowsAfterEveryChangeWhatATabBuiltFromTheStateShows)
{
    answerWithPackages(brew.fake, kShelf);
    brew.fake.respond({u"search"_s, u"--cask"_s, u"jq"_s}, {.stdoutPieces = {"==> Casks\njqbx\n"}});
    brew.fake.respond({u"search"_s, u"--formula"_s, u"jq"_s}, {.stdoutPieces = {"==> Formulae\njq\ngojq\n"}});
    brew.fake.respond({u"update"_s}, {.sleepBeforeExit = 60});
    UpdateStudioViewModel& model = start();
    model.setLanguage(TruneLanguage::en);
    const auto makeView = [&] { return new HomebrewManagerView(model, studioAccent()); };
    const ViewHost<HomebrewManagerView> live(makeView());
    const auto subTab = [&](HomebrewSubTab tab) { return [&model, tab] { model.setHomebrewSubTab(tab); }; };

    const std::vector<RebuildStep> steps{
        {"the formulae", subTab(HomebrewSubTab::formulae)},
        {"with their dependencies", [&] { model.setShowBrewDependencies(true); }},
        {"filtered", [&] { model.setHomebrewFilterQuery(u"lib"_s); }},
        {"filtered to nothing", [&] { model.setHomebrewFilterQuery(u"zzz"_s); }},
        {"Turkish", [&] { model.setLanguage(TruneLanguage::tr); }},
        {"the search tab", subTab(HomebrewSubTab::search)},
        {"a search typed", [&] { model.setBrewSearchQuery(u"jq"_s); }},
        {"the search run", [&] { model.performBrewSearch(); },
            [&] { return state().searchedBrewQuery == u"jq"_s && !state().isSearchingBrew; }},
        {"brew update running", [&] { model.runBrewUpdateMetadata(); }, [&] { return state().isBrewCommandRunning; },
            true},
        {"brew update stopped",
            [&] {
                model.cancelBrewCommand();
                ASSERT_TRUE(waitUntilIdle());
            }},
        {"the casks, unfiltered",
            [&] {
                model.setHomebrewFilterQuery({});
                model.setHomebrewSubTab(HomebrewSubTab::casks);
            }},
        {"firefox upgraded",
            [&] {
                const auto firefox = std::ranges::find(state().homebrewItems, u"firefox"_s, &HomebrewItem::name);
                ASSERT_NE(firefox, state().homebrewItems.end());
                model.upgradeBrewItem(*firefox);
                ASSERT_TRUE(waitUntilIdle());
            }},
        {"English, formulae without dependencies",
            [&] {
                model.setLanguage(TruneLanguage::en);
                model.setShowBrewDependencies(false);
                model.setHomebrewSubTab(HomebrewSubTab::formulae);
            }},
    };
    runRebuildSteps(steps, [&] { return showsWhatAFreshViewShows<HomebrewManagerView>(live, makeView); });
}

} // namespace
