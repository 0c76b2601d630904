#include "app/views/apps/AppsAndUpdatesView.h"

#include "tests/app/views/RebuildStep.h"
#include "tests/app/views/apps/AppsTabFixture.h"

namespace {

class AppsAndUpdatesViewRebuildTest : public AppsTabTest {
protected:
    ~AppsAndUpdatesViewRebuildTest() override { TruneLanguage::setFollowSystem(); }
};

// Filters, searches, both languages, an ignored app, a batch upgrade that runs and is stopped and a
// check that finds other versions: after each, the tab shows what a tab built from the state shows.
TEST_F(AppsAndUpdatesViewRebuildTest, ShowsAfterEveryChangeWhatATabBuiltFromTheStateShows)
{
    UpdateStudioViewModel& model = startStudio();
    const auto makeView = [&] { return new AppsAndUpdatesView(model, studioAccent()); };
    const ViewHost<AppsAndUpdatesView> live(makeView());
    const auto setFilter = [&](AppFilterKind filter) { return [&model, filter] { model.setSelectedFilter(filter); }; };
    const auto search = [&](const QString& query) { return [&model, query] { model.setAppSearchQuery(query); }; };
    const auto language = [&](TruneLanguage to) { return [&model, to] { model.setLanguage(to); }; };

    const std::vector<RebuildStep> steps{
        {"the sizes come in", [&] { ASSERT_TRUE(waitForSizes()); }},
        {"the updates chip", setFilter(AppFilterKind::updatesAvailable)},
        {"a search within it", search(u"fire"_s)},
        {"Turkish", language(TruneLanguage::tr)},
        {"a search that finds nothing", search(u"no such app"_s)},
        {"the Intel chip without a search",
            [&] {
                model.setAppSearchQuery({});
                model.setSelectedFilter(AppFilterKind::intel);
            }},
        {"Firefox ignored", [&] { model.toggleIgnoreApp(appNamed(u"Firefox"_s)); },
            [&] { return state().config.ignoredBundleIDs.contains(u"org.mozilla.firefox"_s); }},
        {"every app", setFilter(AppFilterKind::all)},
        {"the console shown", [&] { model.setShowBrewConsole(true); }},
        {"a batch upgrade underway",
            [&] {
                brew.fake.setDefaultResponse({.sleepBeforeExit = 60});
                model.upgradeAllBrew();
            },
            [&] { return state().batchUpgradeProgress.has_value(); }, true},
        {"the batch stopped, the console hidden",
            [&] {
                model.cancelBrewCommand();
                brew.fake.setDefaultResponse({});
                ASSERT_TRUE(waitUntilIdle());
                model.setShowBrewConsole(false);
            }},
        {"a check that finds a newer Feedy and a current Firefox",
            [&] {
                server.setResponse(u"/feedy.xml"_s, LoopbackHttpServer::Response::ok(appcast(u"3.0"_s)));
                answerWithPackages(brew.fake,
                    {{.name = u"firefox"_s,
                        .isCask = true,
                        .installed = u"124.0.2"_s,
                        .latest = u"124.0.2"_s,
                        .app = u"Firefox.app"_s}});
                model.toggleIgnoreApp(appNamed(u"Firefox"_s));
                ASSERT_TRUE(refreshAndWait(model));
            },
            [&] { return appNamed(u"Feedy"_s).latestVersion == u"3.0"_s; }},
        {"the updates chip again", setFilter(AppFilterKind::updatesAvailable)},
        {"English", language(TruneLanguage::en)},
    };
    runRebuildSteps(steps, [&] { return showsWhatAFreshViewShows<AppsAndUpdatesView>(live, makeView); });
}

} // namespace
