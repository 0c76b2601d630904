#pragma once

#include <QWidget>

class UpdateStudioViewModel;

// The live console of Homebrew commands, docked along the bottom of the studio window: a title
// bar with Stop, Copy, Clear and Close over 170 px of the console log, which follows its end.
class BrewConsoleDrawerView final : public QWidget {
    Q_OBJECT

public:
    explicit BrewConsoleDrawerView(UpdateStudioViewModel& viewModel, QWidget* parent = nullptr);

private:
    UpdateStudioViewModel& m_viewModel;
};
