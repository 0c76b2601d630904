#pragma once

#include "app/viewmodel/StudioState.h"
#include "app/viewmodel/UninstallSelection.h"
#include "app/views/uninstaller/LeftoverRowDelegate.h"

#include <QColor>
#include <QWidget>

#include <optional>

class AppIconThumbnail;
class BundlePresenceProbe;
class LeftoverListModel;
class QCheckBox;
class QLabel;
class QListView;
class QStackedWidget;
class SortMenuButton;
class TruneElidedLabel;
class TruneGlassButton;
class TrunePrimaryButton;
class UninstallerViewState;
class UpdateStudioViewModel;

// The uninstaller's right column: a welcome text until an app is chosen; then the app with the
// size its move would free, the bundle option, the sort menu, Select All and Clear, its
// leftovers (grouped by category or flat), and the button that asks to move the selection.
class LeftoverReviewView final : public QWidget {
    Q_OBJECT

public:
    LeftoverReviewView(UpdateStudioViewModel& viewModel, UninstallerViewState& uiState, const QColor& accent,
        QWidget* parent = nullptr);

    // What a move would take now, as the inspector shows it; none without a target.
    std::optional<UninstallSelection> selection() const;
    // Whether the move may be asked for now (the primary button's state).
    bool canConfirm() const;

    LeftoverListModel& listModel() const { return *m_model; }
    QListView& listView() const { return *m_list; }
    LeftoverRowDelegate& rowDelegate() const { return *m_delegate; }

signals:
    // Something that selection() or canConfirm() read may have changed.
    void selectionInputsChanged();

protected:
    // Space ticks or unticks the list's current leftover; Return reveals it.
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    QWidget* buildWelcome();
    QWidget* buildTargetPage();
    QWidget* buildHeader();
    QWidget* buildControls();
    QWidget* buildContent();
    QWidget* buildFooter();

    void sync(StudioFields fields);
    void syncTarget();
    void syncRows();
    void syncContentPage();
    void syncControls();
    void syncTexts();
    void probeBundle();
    void actOnRow(LeftoverRowDelegate::RowButton button, int row);

    UpdateStudioViewModel& m_viewModel;
    UninstallerViewState& m_uiState;
    QColor m_accent;
    BundlePresenceProbe* m_probe;
    LeftoverListModel* m_model;
    LeftoverRowDelegate* m_delegate;

    QStackedWidget* m_pages = nullptr;
    QWidget* m_welcome = nullptr;
    QWidget* m_targetPage = nullptr;
    QLabel* m_welcomeTitle = nullptr;
    QLabel* m_welcomeHint = nullptr;

    AppIconThumbnail* m_icon = nullptr;
    QLabel* m_name = nullptr;
    TruneElidedLabel* m_identifier = nullptr;
    QLabel* m_total = nullptr;
    QLabel* m_totalCaption = nullptr;

    QCheckBox* m_bundleCheckbox = nullptr;
    SortMenuButton* m_sortMenu = nullptr;
    TruneGlassButton* m_selectAll = nullptr;
    TruneGlassButton* m_clear = nullptr;

    QStackedWidget* m_content = nullptr;
    QWidget* m_scanning = nullptr;
    QWidget* m_empty = nullptr;
    QLabel* m_scanningText = nullptr;
    QLabel* m_emptyText = nullptr;
    QListView* m_list = nullptr;

    QLabel* m_footerText = nullptr;
    TrunePrimaryButton* m_moveButton = nullptr;
};
