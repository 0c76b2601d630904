#pragma once

#include "app/viewmodel/StudioNavigation.h"

#include <QColor>

class QWidget;
class UpdateStudioViewModel;

// The screen the studio shows for `tab`, made anew each time the tab is chosen.
QWidget* makeStudioTabPage(
    UpdateStudioTab tab, UpdateStudioViewModel& viewModel, const QColor& accent, QWidget* parent);
