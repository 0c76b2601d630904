#include "app/views/StudioTabPages.h"

#include "app/views/AppUninstallerView.h"
#include "app/views/AppsAndUpdatesView.h"
#include "app/views/HomebrewManagerView.h"
#include "app/views/QuorvaneSuiteHubView.h"
#include "app/views/UpdateSettingsView.h"

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
