#pragma once

#include <QColor>
#include <QWidget>

class UpdateStudioViewModel;

// The one-row banner of the Apps and Homebrew tabs: how many Homebrew packages can be upgraded
// with a button to upgrade them all, the progress of a running command with Console and Cancel,
// or the offer to upgrade dependency formulae. Hidden (taking no space) when there is nothing
// to say.
class HomebrewBatchUpgradeBanner final : public QWidget {
    Q_OBJECT

public:
    HomebrewBatchUpgradeBanner(UpdateStudioViewModel& viewModel, const QColor& accent, QWidget* parent = nullptr);

private:
    UpdateStudioViewModel& m_viewModel;
    QColor m_accent;
};
