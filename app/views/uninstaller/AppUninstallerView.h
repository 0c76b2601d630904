#pragma once

#include "app/viewmodel/StudioState.h"
#include "app/viewmodel/UninstallSelection.h"

#include <QColor>
#include <QMessageBox>
#include <QPointer>
#include <QWidget>

#include <optional>

class LeftoverReviewView;
class QAbstractButton;
class QMimeData;
class UninstallerAppPicker;
class UninstallerDropZone;
class UninstallerViewState;
class UpdateStudioViewModel;

// The studio's Uninstaller tab: on the left the drop zone and the list of installed apps, on the
// right the leftover inspector of the chosen app. It asks before anything is moved, and the
// confirmation moves exactly the selection it showed: it closes itself, moving nothing, when the
// target or its leftovers change while it is up.
class AppUninstallerView final : public QWidget {
    Q_OBJECT

public:
    AppUninstallerView(UpdateStudioViewModel& viewModel, const QColor& accent, QWidget* parent = nullptr);

    UninstallerViewState& uiState() const { return *m_uiState; }
    UninstallerAppPicker& picker() const { return *m_picker; }
    UninstallerDropZone& dropZone() const { return *m_dropZone; }
    LeftoverReviewView& inspector() const { return *m_inspector; }
    // The confirmation while it is up.
    QMessageBox* confirmation() const { return m_confirmation; }

    // A drop on the drop zone: accepted when it carries a local file URL. The first one is read
    // off the GUI thread and then inspected; whether it is an .app is the view model's to say.
    bool handleDrop(const QMimeData& mime);

private:
    void presentConfirmation(bool presented);
    void closeConfirmationWhenStale();
    void syncLanguage();

    UpdateStudioViewModel& m_viewModel;
    UninstallerViewState* m_uiState;
    UninstallerDropZone* m_dropZone;
    UninstallerAppPicker* m_picker;
    LeftoverReviewView* m_inspector;
    QPointer<QMessageBox> m_confirmation;
    std::optional<UninstallSelection> m_confirmedSelection;
};
