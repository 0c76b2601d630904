#include "app/menubar/MenuBarUpdatePopoverView.h"

MenuBarUpdatePopoverView::MenuBarUpdatePopoverView(
    UpdateStudioViewModel& viewModel, std::function<void()> onOpenStudio, const QColor& accent, QWidget* parent)
    : QWidget(parent)
    , m_viewModel(viewModel)
    , m_onOpenStudio(std::move(onOpenStudio))
    , m_accent(accent)
{
    setFixedSize(340, 420);
}
