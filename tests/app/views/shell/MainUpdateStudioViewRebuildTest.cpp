#include "app/views/shell/MainUpdateStudioView.h"

#include "kit/platform/TruneTrash.h"
#include "tests/app/BrewDeskFixture.h"
#include "tests/app/views/RebuildStep.h"
#include "tests/app/views/StudioShellFixture.h"
#include "tests/support/LoopbackHttpServer.h"

#include <atomic>

using namespace Qt::StringLiterals;

namespace {

class MainUpdateStudioViewRebuildTest : public StudioShellTest {
protected:
    ~MainUpdateStudioViewRebuildTest() override { TruneLanguage::setFollowSystem(); }

    // The studio's window as openStudio() shows it, over the same view model.
    std::unique_ptr<MainUpdateStudioView> freshStudio() const
    {
        auto fresh = std::make_unique<MainUpdateStudioView>(*model, accentColor(TruneProductPalette::deepEmerald));
        fresh->resize(windowSize);
        fresh->show();
        return fresh;
    }

    void trash(const QString& bundle, size_t alertsAfter)
    {
        ASSERT_TRUE(TruneTrash::trashItem(bundle).has_value());
        ASSERT_TRUE(waitUntil([&] { return model->state().trashAlerts.size() == alertsAfter; }));
    }

    // A toast ends by the view model's clock: a step that shows one moves the clock on and is over
    // once it has gone, so that both windows are compared without one.
    bool toastGone() const { return !model->state().toastMessage; }

    // Feedy's feed offers `version`, answering once `released` holds.
    void offerFeedy(const QString& version, std::shared_ptr<std::atomic<bool>> released)
    {
        LoopbackHttpServer::Response response = LoopbackHttpServer::Response::ok(appcast(version));
        response.holdUntil = [released] { return released->load(); };
        server.setResponse(u"/feedy.xml"_s, response);
    }

    LoopbackHttpServer server;
};

// Every tab, Trash alerts coming and going, the console, both languages, a command that runs and
// is stopped, a check underway and one that finds other packages: after each, the window's header, tabs,
// banners and page show what a window built from the state shows.
TEST_F(MainUpdateStudioViewRebuildTest, ShowsAfterEveryChangeWhatAWindowBuiltFromTheStateShows)
{
    const QString lumen = makeAppWithLeftovers(u"Lumen"_s, u"com.example.lumen"_s);
    const QString prism = makeAppWithLeftovers(u"Prism"_s, u"com.example.prism"_s);
    const auto feedReleased = std::make_shared<std::atomic<bool>>(true);
    offerFeedy(u"2.0"_s, feedReleased);
    makeApp(u"Feedy"_s, u"net.feedy"_s, server.url(u"/feedy.xml"_s));
    answerWithOutdatedPackages();
    brew.fake.respond({u"update"_s}, {.sleepBeforeExit = 60});
    openStudio();
    const auto tab = [&](UpdateStudioTab to) { return [this, to] { model->setSelectedTab(to); }; };

    const std::vector<RebuildStep> steps{
        {"the Homebrew tab", tab(UpdateStudioTab::homebrew)},
        {"the uninstaller tab", tab(UpdateStudioTab::uninstaller)},
        {"a bundle trashed", [&] { trash(lumen, 1); }},
        {"another bundle trashed", [&] { trash(prism, 2); }},
        {"the hub", tab(UpdateStudioTab::suiteHub)},
        {"the console shown", [&] { model->setShowBrewConsole(true); }},
        {"Turkish", [&] { model->setLanguage(TruneLanguage::tr); }},
        {"brew update running", [&] { model->runBrewUpdateMetadata(); },
            [&] { return model->state().isBrewCommandRunning; }, true},
        {"brew update stopped",
            [&] {
                model->cancelBrewCommand();
                ASSERT_TRUE(waitUntil([&] { return !model->state().isBrewCommandRunning; }));
                letTimePass(std::chrono::minutes(1));
            },
            [&] { return toastGone(); }},
        {"the newest alert dismissed", [&] { model->dismissTrashAlert(model->state().trashAlerts.front()); }},
        {"the settings", tab(UpdateStudioTab::settings)},
        {"a check underway",
            [&] {
                feedReleased->store(false);
                offerFeedy(u"3.0"_s, feedReleased);
                model->refreshAllAndCheckUpdates();
            },
            [&] { return model->state().isCheckingUpdates; }, true},
        {"the check over", [&] { feedReleased->store(true); }, [&] { return !model->state().isCheckingUpdates; }},
        {"a check that finds every package current",
            [&] {
                answerWithPackages(brew.fake, {{.name = u"firefox"_s, .isCask = true}, {.name = u"wget"_s}});
                ASSERT_TRUE(refreshAndWait(*model));
            }},
        {"English on the updates tab without the console",
            [&] {
                model->setLanguage(TruneLanguage::en);
                model->setShowBrewConsole(false);
                model->setSelectedTab(UpdateStudioTab::updates);
            }},
    };
    runRebuildSteps(steps, [&] {
        const std::unique_ptr<MainUpdateStudioView> fresh = freshStudio();
        return showsWhatAFreshViewShows(*view, *fresh);
    });
}

} // namespace
