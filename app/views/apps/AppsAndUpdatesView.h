#pragma once

#include "app/viewmodel/StudioState.h"

#include <QColor>
#include <QMenu>
#include <QPointer>
#include <QWidget>

#include <array>

class AppsListModel;
enum class AppRowButton;
class AppRowDelegate;
class FilterChipButton;
class MetricPillCard;
class QLabel;
class StudioSymbolGlyph;
class QLineEdit;
class QListView;
class QStackedWidget;
class UpdateStudioViewModel;

// The studio's Apps tab: four metric cards, the Homebrew batch banner, the filter chips with the
// search field, and the card listing the apps that pass them (or the scanning or empty state).
class AppsAndUpdatesView final : public QWidget {
    Q_OBJECT

public:
    AppsAndUpdatesView(UpdateStudioViewModel& viewModel, const QColor& accent, QWidget* parent = nullptr);

    AppsListModel& listModel() const { return *m_model; }
    AppRowDelegate& rowDelegate() const { return *m_delegate; }
    // A row's "..." menu while it is open.
    QMenu* rowMenu() const { return m_rowMenu; }

private:
    QWidget* buildSummaryStrip();
    QWidget* buildFilterAndSearchBar();
    QWidget* buildSearchField();
    QWidget* buildAppsListCard();
    QWidget* buildListHeader();
    QWidget* buildScanningState();
    QWidget* buildEmptyState();

    void sync(StudioFields fields);
    void syncMetrics();
    void syncChips();
    void syncSearchField();
    void syncRowDelegate();
    void syncList();
    void syncHeader();
    void syncEmptyState();
    void syncContentState();

    void actOnRow(AppRowButton button, int row);
    void showRowMenu(const InstalledAppRecord& app, bool ignored, const QPoint& globalPos);

    UpdateStudioViewModel& m_viewModel;
    QColor m_accent;

    std::array<MetricPillCard*, 4> m_metrics{};
    std::array<FilterChipButton*, 8> m_chips{};
    QLineEdit* m_searchField = nullptr;
    QWidget* m_clearSearchButton = nullptr;
    QLabel* m_summaryLabel = nullptr;
    QLabel* m_lastCheckLabel = nullptr;
    QLabel* m_scanningLabel = nullptr;
    StudioSymbolGlyph* m_emptySymbol = nullptr;
    QLabel* m_emptyLabel = nullptr;
    QLabel* m_emptyDetail = nullptr; // which folders were scanned, when no bundle was found at all
    QStackedWidget* m_content = nullptr;
    QListView* m_list = nullptr;
    AppsListModel* m_model = nullptr;
    AppRowDelegate* m_delegate = nullptr;
    QPointer<QMenu> m_rowMenu;
};
