#include "app/UpdateStudioCommands.h"

#include "app/viewmodel/StudioDerived.h"
#include "app/viewmodel/UpdateStudioViewModel.h"

#include <QTimer>

using namespace Qt::StringLiterals;

TruneCustomMenu updateStudioCommandMenu(UpdateStudioViewModel& viewModel)
{
    UpdateStudioViewModel* model = &viewModel;
    const auto title = [model](QString en, QString tr) -> TruneMenuTitle {
        return [model, en = std::move(en), tr = std::move(tr)] { return model->t(en, tr); };
    };
    return TruneCustomMenu(u"TruneUpdate"_s,
        {
            TruneMenuElement::item({.title = title(u"Check All Updates"_s, u"Tüm Güncellemeleri Denetle"_s),
                .keyEquivalent = u"r"_s,
                .modifiers = Qt::ControlModifier,
                .isEnabled =
                    [model] {
                        const StudioState& state = model->state();
                        return !state.isCheckingUpdates && !state.isBrewCommandRunning;
                    },
                // Returns at once; the check starts from the event loop.
                .action = [model] { QTimer::singleShot(0, model, [model] { model->refreshAllAndCheckUpdates(); }); }}),
            TruneMenuElement::item({.title = title(u"Upgrade All Homebrew"_s, u"Tüm Homebrew Paketlerini Yükselt"_s),
                .keyEquivalent = u"u"_s,
                .modifiers = Qt::ControlModifier | Qt::ShiftModifier,
                .isEnabled =
                    [model] {
                        const StudioState& state = model->state();
                        const bool anythingOutdated = !StudioDerived::outdatedCasks(state.homebrewItems).empty()
                            || !StudioDerived::outdatedFormulae(state.homebrewItems).empty()
                            || !StudioDerived::outdatedDependencyFormulae(state.homebrewItems).empty();
                        return anythingOutdated && !state.isBrewCommandRunning;
                    },
                .action = [model] { model->upgradeAllBrew(); }}),
            TruneMenuElement::divider(),
            TruneMenuElement::item({.title = title(u"Toggle Homebrew Console"_s, u"Homebrew Konsolunu Aç/Kapat"_s),
                .keyEquivalent = u"l"_s,
                .modifiers = Qt::ControlModifier | Qt::AltModifier,
                .action = [model] { model->setShowBrewConsole(!model->state().showBrewConsole); }}),
        });
}
