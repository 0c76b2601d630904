#pragma once

#include "app/viewmodel/StudioState.h"

#include <QStringList>
#include <QWidget>

class IgnoredAppRowDelegate;
class IgnoredAppsListModel;
class QLabel;
class QListView;
class UpdateStudioViewModel;

// The Settings tab's card of ignored bundle identifiers, in stored order, each with "Restore".
// The identifiers are rows of one list, so a hand-edited list of many thousands shows at once;
// the list grows with its rows up to a limit and scrolls beyond it.
class IgnoredAppsCard final : public QWidget {
    Q_OBJECT

public:
    static constexpr int maximumCardWidth = 420;
    static constexpr int maximumVisibleRows = 14;

    explicit IgnoredAppsCard(UpdateStudioViewModel& viewModel, QWidget* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void sync(StudioFields fields);
    void syncRows();
    void restoreCurrentRow();

    UpdateStudioViewModel& m_viewModel;
    QLabel* m_title;
    QLabel* m_count;
    QLabel* m_hint;
    QListView* m_list;
    IgnoredAppsListModel* m_model;
    IgnoredAppRowDelegate* m_delegate;
    QStringList m_shownIDs;
};
