#pragma once

#include "app/viewmodel/StudioState.h"

#include <QStringList>
#include <QWidget>

class QLabel;
class QVBoxLayout;
class UpdateStudioViewModel;

// The Settings tab's card of ignored bundle identifiers, in stored order, each with "Restore".
class IgnoredAppsCard final : public QWidget {
    Q_OBJECT

public:
    static constexpr int maximumCardWidth = 420;

    explicit IgnoredAppsCard(UpdateStudioViewModel& viewModel, QWidget* parent = nullptr);

private:
    void sync(StudioFields fields);
    void rebuildRows();
    QWidget* makeRow(const QString& bundleID);

    UpdateStudioViewModel& m_viewModel;
    QLabel* m_title;
    QLabel* m_count;
    QLabel* m_hint;
    QWidget* m_list;
    QVBoxLayout* m_rows;
    QStringList m_shownIDs;
};
