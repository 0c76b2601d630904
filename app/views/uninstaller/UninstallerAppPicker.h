#pragma once

#include "app/viewmodel/StudioState.h"

#include <QColor>
#include <QWidget>

class QLabel;
class QLineEdit;
class QListView;
class SortMenuButton;
class UninstallerAppListModel;
class UpdateStudioViewModel;

// The uninstaller's list of installed apps: a search field, the number of apps it finds with the
// sort menu, and the apps in the chosen order; clicking a row makes that app the target.
class UninstallerAppPicker final : public QWidget {
    Q_OBJECT

public:
    UninstallerAppPicker(UpdateStudioViewModel& viewModel, const QColor& accent, QWidget* parent = nullptr);

    UninstallerAppListModel& listModel() const { return *m_model; }
    QListView& listView() const { return *m_list; }

protected:
    // Return, Enter and Space pick the list's current row, as a click does.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildSearchRow();
    QWidget* buildHeaderRow(const QColor& accent);
    QListView* buildList(const QColor& accent);

    void sync(StudioFields fields);
    void syncRows();
    void syncTexts();
    void inspectRow(const QModelIndex& index);

    UpdateStudioViewModel& m_viewModel;
    UninstallerAppListModel* m_model;
    QLineEdit* m_search = nullptr;
    QLabel* m_count = nullptr;
    SortMenuButton* m_sortMenu = nullptr;
    QListView* m_list = nullptr;
};
