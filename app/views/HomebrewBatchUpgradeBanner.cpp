#include "app/views/HomebrewBatchUpgradeBanner.h"

HomebrewBatchUpgradeBanner::HomebrewBatchUpgradeBanner(
    UpdateStudioViewModel& viewModel, const QColor& accent, QWidget* parent)
    : QWidget(parent)
    , m_viewModel(viewModel)
    , m_accent(accent)
{
    hide();
}
