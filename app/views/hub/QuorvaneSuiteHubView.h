#pragma once

#include "app/viewmodel/StudioState.h"
#include "kit/ui/TruneAdaptiveGridLayout.h"

#include <QColor>
#include <QWidget>

#include <optional>
#include <vector>

class QLabel;
class TruneGlassCard;
class UpdateStudioViewModel;

// The studio's suite-hub tab: the maker's applications installed here, counted in the header
// card and shown as cards in an adaptive grid, then the privacy-permission audit.
class QuorvaneSuiteHubView final : public QWidget {
    Q_OBJECT

public:
    // One adaptive column of 270 to 380 wide cards, 14 apart both ways.
    static constexpr TruneAdaptiveGrid gridColumns{
        .minimumItemWidth = 270, .maximumItemWidth = 380, .columnSpacing = 14, .rowSpacing = 14};

    QuorvaneSuiteHubView(UpdateStudioViewModel& viewModel, const QColor& accent, QWidget* parent = nullptr);

private:
    QWidget* makeSuiteHeaderCard();
    QWidget* makeInstalledAppsSection();
    void sync(StudioFields fields);
    void syncTexts();
    void rebuildCards();

    UpdateStudioViewModel& m_viewModel;
    QColor m_accent;
    QLabel* m_title = nullptr;
    QLabel* m_subtitle = nullptr;
    QLabel* m_count = nullptr;
    QLabel* m_countCaption = nullptr;
    QLabel* m_sectionHeading = nullptr;
    TruneGlassCard* m_emptyCard = nullptr;
    QLabel* m_emptyText = nullptr;
    QWidget* m_grid = nullptr;
    TruneAdaptiveGridLayout* m_gridLayout = nullptr;
    std::vector<InstalledAppRecord> m_shownApps;
    std::optional<TruneLanguage> m_cardsLanguage; // the language the cards were made in
};
