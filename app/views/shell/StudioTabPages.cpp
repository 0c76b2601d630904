#include "app/views/shell/StudioTabPages.h"

#include "app/views/apps/AppsAndUpdatesView.h"
#include "app/views/homebrew/HomebrewManagerView.h"
#include "app/views/hub/QuorvaneSuiteHubView.h"
#include "app/views/settings/UpdateSettingsView.h"
#include "app/views/uninstaller/AppUninstallerView.h"

QWidget* makeStudioTabPage(UpdateStudioTab tab, UpdateStudioViewModel& viewModel, const QColor& accent, QWidget* parent)
{
    switch (tab) {
    case UpdateStudioTab::updates:
        return new AppsAndUpdatesView(viewModel, accent, parent);
    case UpdateStudioTab::homebrew:
        return new HomebrewManagerView(viewModel, accent, parent);
    case UpdateStudioTab::uninstaller:
        return new AppUninstallerView(viewModel, accent, parent);
    case UpdateStudioTab::suiteHub:
        return new QuorvaneSuiteHubView(viewModel, accent, parent);
    case UpdateStudioTab::settings:
        return new UpdateSettingsView(viewModel, accent, parent);
    }
    return new AppsAndUpdatesView(viewModel, accent, parent);
}
