#include "app/views/BrewConsoleDrawerView.h"

BrewConsoleDrawerView::BrewConsoleDrawerView(UpdateStudioViewModel& viewModel, QWidget* parent)
    : QWidget(parent)
    , m_viewModel(viewModel)
{
    setFixedHeight(210);
}
