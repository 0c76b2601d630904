#include "app/views/settings/UpdateSettingsView.h"

#include "app/views/parts/StudioPageParts.h"
#include "app/views/settings/HistoryLogCard.h"
#include "app/views/settings/IgnoredAppsCard.h"
#include "app/views/settings/SettingsPreferencesCard.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

UpdateSettingsView::UpdateSettingsView(UpdateStudioViewModel& viewModel, const QColor& accent, QWidget* parent)
    : QWidget(parent)
{
    setObjectName(u"updateSettingsView"_s);
    auto* column = new QWidget;
    auto* layout = new QVBoxLayout(column);
    layout->setContentsMargins(20, 20, 20, 20);
    layout->setSpacing(16);

    // Both cards share the row up to the ignored card's limit; the preferences card keeps its own
    // height while the ignored card reaches down to the row's bottom.
    auto* topRow = new QHBoxLayout;
    topRow->setSpacing(16);
    topRow->addWidget(new SettingsPreferencesCard(viewModel, accent), 1, Qt::AlignTop);
    topRow->addWidget(new IgnoredAppsCard(viewModel), 1);
    layout->addLayout(topRow);
    layout->addWidget(new HistoryLogCard(viewModel, accent));
    layout->addStretch(1);

    StudioPageParts::installScrollingPage(this, column, u"settingsScroll"_s);
}
