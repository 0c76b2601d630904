#pragma once

#include "app/viewmodel/StudioState.h"

#include <QColor>
#include <QWidget>

#include <functional>
#include <optional>
#include <vector>

class QAbstractButton;
class QLabel;
class QVBoxLayout;
class TruneFeedbackButton;
class TruneGlassButton;
class TrunePrimaryButton;
class TruneSpinner;
class UpdateStudioViewModel;

// The content of the tray item's popup: the status header, the first Trash alert, up to five
// outdated apps and the footer buttons. `onOpenStudio` brings the studio window to the front.
class MenuBarUpdatePopoverView final : public QWidget {
    Q_OBJECT

public:
    MenuBarUpdatePopoverView(UpdateStudioViewModel& viewModel, std::function<void()> onOpenStudio, const QColor& accent,
        QWidget* parent = nullptr);

    static constexpr int popoverWidth = 340;
    static constexpr int maximumAppRows = 5;

private:
    // What the rows of outdated apps were built from.
    struct ShownRow {
        InstalledAppRecord app;
        bool viaHomebrew = false;
        bool operator==(const ShownRow&) const = default;
    };

    QWidget* buildHeader();
    QWidget* buildTrashAlert();
    QWidget* buildFooter();
    QWidget* buildAppRow(const ShownRow& row);

    void sync(StudioFields fields);
    void syncHeader();
    void syncTrashAlert();
    void syncAppRows();
    void syncRowButtons();
    void syncFooter();
    void fitCheckButton();
    void fitUpgradeAllButton(const QString& title, const QString& count);

    UpdateStudioViewModel& m_viewModel;
    std::function<void()> m_onOpenStudio;
    QColor m_accent;

    QLabel* m_statusLabel = nullptr;
    TruneSpinner* m_spinner = nullptr;
    TruneFeedbackButton* m_feedbackButton = nullptr;
    QAbstractButton* m_trashAlertButton = nullptr;
    QLabel* m_trashAlertTitle = nullptr;
    QLabel* m_trashAlertDetail = nullptr;
    QWidget* m_appRows = nullptr;
    QVBoxLayout* m_appRowsLayout = nullptr;
    std::vector<ShownRow> m_shownRows;
    std::optional<TruneLanguage> m_rowsLanguage;
    std::vector<TruneGlassButton*> m_rowButtons;
    QWidget* m_allCurrentLine = nullptr;
    QLabel* m_allCurrentLabel = nullptr;
    TruneGlassButton* m_checkButton = nullptr;
    TruneGlassButton* m_stopButton = nullptr;
    TruneGlassButton* m_upgradeAllButton = nullptr;
    TrunePrimaryButton* m_openStudioButton = nullptr;
};
