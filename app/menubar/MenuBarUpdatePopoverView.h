#pragma once

#include <QColor>
#include <QWidget>

#include <functional>

class UpdateStudioViewModel;

// The content of the tray item's popup: the status header, the first Trash alert, up to five
// outdated apps and the footer buttons. `onOpenStudio` brings the studio window to the front.
class MenuBarUpdatePopoverView final : public QWidget {
    Q_OBJECT

public:
    MenuBarUpdatePopoverView(UpdateStudioViewModel& viewModel, std::function<void()> onOpenStudio,
        const QColor& accent, QWidget* parent = nullptr);

private:
    UpdateStudioViewModel& m_viewModel;
    std::function<void()> m_onOpenStudio;
    QColor m_accent;
};
