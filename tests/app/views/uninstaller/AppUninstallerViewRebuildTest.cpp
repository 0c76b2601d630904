#include "app/views/uninstaller/AppUninstallerView.h"

#include "app/viewmodel/StudioThreadPools.h"
#include "kit/ui/TruneAnimations.h"
#include "tests/app/views/RebuildStep.h"
#include "tests/core/homebrew/InstalledFakeBrew.h"
#include "tests/support/BundleMaker.h"

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

class AppUninstallerViewRebuildTest : public ::testing::Test {
protected:
    AppUninstallerViewRebuildTest() { TruneAnimations::setEnabled(false); }
    ~AppUninstallerViewRebuildTest() override
    {
        model.reset();
        StudioThreadPools::files().waitForDone();
        TruneAnimations::setEnabled(true);
        TruneLanguage::setFollowSystem();
    }

    // An app in Applications with `leftovers` files of `size` bytes in the Library's caches and
    // one in its Preferences.
    void makeApp(const QString& name, int leftovers, qsizetype size)
    {
        const QString bundleID = u"com.example."_s + name.toLower();
        const QString library = home.home.filePath(u"Library/"_s);
        for (int index = 0; index < leftovers; ++index)
            BundleMaker::writeFile(library + u"Caches/%1/file%2"_s.arg(bundleID).arg(index), QByteArray(size, 'c'));
        BundleMaker::writeFile(library + u"Preferences/"_s + bundleID + u".plist"_s, QByteArray(300, 'p'));
        const QVariantMap info{{u"CFBundleIdentifier"_s, bundleID}, {u"CFBundleName"_s, name},
            {u"CFBundleShortVersionString"_s, u"1.0"_s}};
        BundleMaker::makeAppBundle(
            home.applications() + u"/"_s + name + u".app"_s, {.info = info, .executableName = name});
    }

    const InstalledAppRecord& appNamed(const QString& name) const
    {
        const auto& apps = model->state().installedApps;
        const auto found = std::ranges::find(apps, name, &InstalledAppRecord::name);
        if (found == apps.end())
            throw std::runtime_error("no app named " + name.toStdString());
        return *found;
    }

    bool scanned() const { return model->state().uninstallerTargetApp && !model->state().isScanningLeftovers; }

    NoBrewAnywhere noBrew;
    StudioTestHome home;
    std::unique_ptr<UpdateStudioViewModel> model;
};

// The picker's sort and search, a target and its leftovers ticked, sorted and moved, the bundle
// choice, a Trash alert's leftovers and both languages: after each, the tab and its leftover review show what a tab
// built from the state shows.
TEST_F(AppUninstallerViewRebuildTest, ShowsAfterEveryChangeWhatATabBuiltFromTheStateShows)
{
    makeApp(u"Lumen"_s, 3, 30000);
    makeApp(u"Apex"_s, 1, 9000);
    makeApp(u"Zephyr"_s, 2, 100);
    model = std::make_unique<UpdateStudioViewModel>(home.environment());
    ASSERT_TRUE(waitForFirstRefresh(*model));
    model->setLanguage(TruneLanguage::en);
    UpdateStudioViewModel& vm = *model;
    const auto makeView = [&] { return new AppUninstallerView(vm, studioAccent()); };
    const ViewHost<AppUninstallerView> live(makeView());
    const auto inspect
        = [&](const QString& name) { return [this, &vm, name] { vm.inspectAppForUninstall(appNamed(name), true); }; };
    const auto firstLeftover = [&] { return vm.state().leftoverItems.front().id(); };

    const std::vector<RebuildStep> steps{
        {"sorted by name", [&] { vm.setUninstallerSortOrder(UninstallerAppSortOrder::nameAscending); }},
        {"searched", [&] { vm.setUninstallerSearchQuery(u"u"_s); }},
        {"Lumen inspected", inspect(u"Lumen"_s), [&] { return scanned(); }},
        {"a leftover unticked", [&] { vm.toggleLeftoverSelection(firstLeftover()); }},
        {"leftovers by size", [&] { vm.setLeftoverSortOrder(LeftoverSortOrder::sizeDescending); }},
        {"the bundle left out", [&] { vm.setIncludeAppBundleInTrash(false); }},
        {"Turkish", [&] { vm.setLanguage(TruneLanguage::tr); }},
        {"nothing ticked", [&] { vm.setAllLeftoversSelected(false); }},
        {"a search that finds nothing", [&] { vm.setUninstallerSearchQuery(u"no such app"_s); }},
        {"Zephyr inspected", inspect(u"Zephyr"_s),
            [&] { return scanned() && vm.state().uninstallerTargetApp->name == u"Zephyr"_s; }},
        {"everything ticked and moved to the Trash",
            [&] {
                vm.setAllLeftoversSelected(true);
                vm.setIncludeAppBundleInTrash(true);
                vm.trashSelectedLeftovers();
            },
            [&] { return !vm.state().history.empty() && !vm.state().isMovingToTrash; }},
        {"a Trash alert opened",
            [&] {
                const TrashLeftoverAlert alert(QUuid::createUuid(), u"Gone"_s, u"com.example.gone"_s,
                    home.home.filePath(u"Trash/Gone.app"_s), QDateTime::currentDateTimeUtc(),
                    {LeftoverFileItem(std::nullopt, home.home.filePath(u"Library/Caches/com.example.gone"_s),
                        LeftoverCategory::caches, 4096, true)});
                vm.receiveTrashAlert(alert);
                vm.openTrashAlertInUninstaller(alert);
            },
            [&] { return vm.state().uninstallerTargetApp && vm.state().uninstallerTargetApp->name == u"Gone"_s; }},
        {"English, every app by size",
            [&] {
                vm.setLanguage(TruneLanguage::en);
                vm.setUninstallerSearchQuery({});
                vm.setUninstallerSortOrder(UninstallerAppSortOrder::sizeDescending);
            }},
    };
    runRebuildSteps(steps, [&] { return showsWhatAFreshViewShows<AppUninstallerView>(live, makeView); });
}

} // namespace
