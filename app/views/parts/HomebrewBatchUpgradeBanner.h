#pragma once

#include <QColor>
#include <QWidget>

class QBoxLayout;
class TruneElidedLabel;
class TruneGlassButton;
class TrunePrimaryButton;
class TruneSpinner;
class TruneSymbolView;
class UpdateStudioViewModel;
class StudioFields;

// The one-row banner of the Apps and Homebrew tabs: how many Homebrew packages can be upgraded
// with a button to upgrade them all, the progress of a running command with Console and Cancel,
// or the offer to upgrade dependency formulae. Hidden (taking no space) when there is nothing
// to say.
class HomebrewBatchUpgradeBanner final : public QWidget {
    Q_OBJECT

public:
    // What the banner shows; the first that applies, in this order after `none`.
    enum class Look {
        none,            // nothing to say: hidden
        progress,        // a batch upgrade steps through its packages
        running,         // another Homebrew command runs
        upgradeOffer,    // outdated casks or formulae
        dependencyOffer, // only dependency formulae are outdated
    };

    HomebrewBatchUpgradeBanner(UpdateStudioViewModel& viewModel, const QColor& accent, QWidget* parent = nullptr);

    Look look() const { return m_look; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void buildRow();
    void resync(StudioFields fields);
    void showLook();
    void showBusy(const QString& headline, bool showCommandLine);
    void showUpgradeOffer(int casks, int formulae, int dependencies);
    void showDependencyOffer(int dependencies);

    UpdateStudioViewModel& m_viewModel;
    QColor m_accent;
    Look m_look = Look::none;

    TruneSpinner* m_spinner = nullptr;
    TruneSymbolView* m_symbol = nullptr;
    QBoxLayout* m_textLayout = nullptr;
    TruneElidedLabel* m_headline = nullptr;
    TruneElidedLabel* m_detail = nullptr;
    TruneGlassButton* m_consoleButton = nullptr;
    TruneGlassButton* m_cancelButton = nullptr;
    TrunePrimaryButton* m_upgradeButton = nullptr;
    TruneGlassButton* m_dependencyButton = nullptr;
};
