#include "app/menubar/MenuBarUpdatePopoverView.h"

#include "tests/app/views/RebuildStep.h"
#include "tests/app/views/apps/AppsTabFixture.h"

namespace {

class MenuBarUpdatePopoverViewRebuildTest : public AppsTabTest {
protected:
    ~MenuBarUpdatePopoverViewRebuildTest() override { TruneLanguage::setFollowSystem(); }

    // The popover as the tray shows it: a frameless window of its own.
    std::unique_ptr<MenuBarUpdatePopoverView> showPopover()
    {
        auto popover = std::make_unique<MenuBarUpdatePopoverView>(
            *model, [] {}, studioAccent());
        popover->setWindowFlags(Qt::FramelessWindowHint);
        popover->show();
        return popover;
    }

    static TrashLeftoverAlert trashAlert(const QString& appName)
    {
        return TrashLeftoverAlert(QUuid::createUuid(), appName, u"com.example."_s + appName.toLower(),
            u"/home/u/.Trash/"_s + appName + u".app"_s, QDateTime::currentDateTimeUtc(),
            {LeftoverFileItem(
                std::nullopt, u"/home/u/Library/Caches/"_s + appName, LeftoverCategory::caches, 1'500'000, true)});
    }

    static void upgradeRuns(UpdateStudioViewModel& model, FakeBrew& fake)
    {
        fake.setDefaultResponse({.sleepBeforeExit = 60});
        model.upgradeBrewCaskToken(u"firefox"_s, u"Firefox"_s, u"124.0.2"_s, u"125.0.3"_s);
    }
};

// Both languages, an ignored app coming back, Trash alerts coming and going, an upgrade that runs
// and is stopped, a check underway that finds a newer version and formulae counted in the badge: after
// each, the popover shows what a popover built from the state shows.
TEST_F(MenuBarUpdatePopoverViewRebuildTest, ShowsAfterEveryChangeWhatAPopoverBuiltFromTheStateShows)
{
    UpdateStudioViewModel& vm = startStudio();
    const auto feedReleased = std::make_shared<std::atomic<bool>>(false);
    const std::unique_ptr<MenuBarUpdatePopoverView> live = showPopover();

    const std::vector<RebuildStep> steps{
        {"Turkish", [&] { vm.setLanguage(TruneLanguage::tr); }},
        {"Firefox ignored", [&] { vm.toggleIgnoreApp(appNamed(u"Firefox"_s)); }},
        {"Noisy checked again", [&] { vm.removeIgnoredBundleID(u"com.example.noisy"_s); }},
        {"a Trash alert", [&] { vm.receiveTrashAlert(trashAlert(u"Lumen"_s)); }},
        {"a newer Trash alert", [&] { vm.receiveTrashAlert(trashAlert(u"Prism"_s)); }},
        {"the newest alert dismissed",
            [&] {
                ASSERT_EQ(state().trashAlerts.size(), 2u);
                vm.dismissTrashAlert(state().trashAlerts.front());
            }},
        {"Firefox checked again", [&] { vm.toggleIgnoreApp(appNamed(u"Firefox"_s)); }},
        {"Firefox upgrading", [&] { upgradeRuns(vm, brew.fake); }, [&] { return state().isBrewCommandRunning; }, true},
        {"the upgrade stopped",
            [&] {
                vm.cancelBrewCommand();
                brew.fake.setDefaultResponse({});
                ASSERT_TRUE(waitUntilIdle());
            }},
        {"a check underway",
            [&] {
                LoopbackHttpServer::Response held = LoopbackHttpServer::Response::ok(appcast(u"3.0"_s));
                held.holdUntil = [released = feedReleased] { return released->load(); };
                server.setResponse(u"/feedy.xml"_s, held);
                vm.refreshAllAndCheckUpdates();
            },
            [&] { return state().isCheckingUpdates; }, true},
        {"the check over with a newer Feedy", [&] { feedReleased->store(true); },
            [&] { return !state().isCheckingUpdates; }},
        {"formulae in the badge",
            [&] { vm.updateConfig([](auto& config) { config.includeHomebrewFormulaeInBadge = true; }); }},
        {"English", [&] { vm.setLanguage(TruneLanguage::en); }},
    };
    runRebuildSteps(steps, [&] {
        const std::unique_ptr<MenuBarUpdatePopoverView> fresh = showPopover();
        return showsWhatAFreshViewShows(*live, *fresh);
    });
}

} // namespace
