#include "app/views/settings/UpdateSettingsView.h"

#include "kit/ui/TruneAnimations.h"
#include "tests/app/BrewDeskFixture.h"
#include "tests/app/StudioTestAccess.h"
#include "tests/app/views/RebuildStep.h"

using namespace Qt::StringLiterals;

namespace {

class UpdateSettingsViewRebuildTest : public BrewDeskTest {
protected:
    UpdateSettingsViewRebuildTest() { TruneAnimations::setEnabled(false); }
    ~UpdateSettingsViewRebuildTest() override
    {
        TruneAnimations::setEnabled(true);
        TruneLanguage::setFollowSystem();
    }
};

// One change of a setting each, as the preferences card makes it.
struct SettingChange {
    std::string name;
    std::function<void(TruneUpdateConfig&)> change;
};

const std::vector<SettingChange> kSettingChanges{
    {"the Trash no longer watched", [](TruneUpdateConfig& config) { config.watchTrashForLeftovers = false; }},
    {"prereleases included", [](TruneUpdateConfig& config) { config.includePrereleases = true; }},
    {"cleanup after upgrades", [](TruneUpdateConfig& config) { config.autoCleanupAfterBrewUpgrade = true; }},
    {"formulae in the badge", [](TruneUpdateConfig& config) { config.includeHomebrewFormulaeInBadge = true; }},
    {"a daily check", [](TruneUpdateConfig& config) { config.autoCheckIntervalHours = 24; }},
};

// Every setting, both languages, the login item, the hot key, restored apps and a history that
// grows and is cleared: after each, the tab shows what a tab built from the state shows.
TEST_F(UpdateSettingsViewRebuildTest, ShowsAfterEveryChangeWhatATabBuiltFromTheStateShows)
{
    saveSettings([](TruneUpdateConfig& config) {
        config.ignoredBundleIDs = {u"com.example.one"_s, u"com.example.two"_s};
    });
    UpdateStudioViewModel& model = start();
    model.setLanguage(TruneLanguage::en);
    const auto makeView = [&] { return new UpdateSettingsView(model, studioAccent()); };
    const ViewHost<UpdateSettingsView> live(makeView());

    std::vector<RebuildStep> steps;
    for (const SettingChange& setting : kSettingChanges)
        steps.push_back({setting.name, [&model, &setting] { model.updateConfig(setting.change); }});
    const std::vector<RebuildStep> others{
        {"Turkish", [&] { model.setLanguage(TruneLanguage::tr); }},
        {"an app restored to the checks", [&] { model.removeIgnoredBundleID(u"com.example.one"_s); }},
        {"started at login", [&] { model.toggleLaunchAtLogin(true); }, [&] { return state().launchAtLogin; }},
        {"the hot key taken", [&] { StudioTestAccess::setGlobalHotkeyRegistered(model, true); }},
        {"a cleanup in the history",
            [&] {
                model.runBrewCleanup();
                ASSERT_TRUE(waitForHistory(1));
                ASSERT_TRUE(waitUntilIdle());
            }},
        {"the permissions asked again", [&] { model.refreshPermissions(); }},
        {"English", [&] { model.setLanguage(TruneLanguage::en); }},
        {"the history cleared", [&] { model.clearHistory(); }, [&] { return state().history.empty(); }},
        {"the last app restored and no login item",
            [&] {
                model.removeIgnoredBundleID(u"com.example.two"_s);
                model.toggleLaunchAtLogin(false);
            }},
    };
    steps.insert(steps.end(), others.begin(), others.end());
    runRebuildSteps(steps, [&] { return showsWhatAFreshViewShows<UpdateSettingsView>(live, makeView); });
}

} // namespace
