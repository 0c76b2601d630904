#pragma once

#include "app/viewmodel/StudioNavigation.h"
#include "app/viewmodel/StudioState.h"

#include <QColor>
#include <QWidget>

#include <map>

class QAbstractButton;
class QLabel;
class SegmentedStudioTab;
class TruneFeedbackButton;
class TruneGlassButton;
class TrunePrimaryButton;
class UpdateStudioViewModel;

// The top strip of the studio window: the product's mark, name, version badge (opens the
// version-and-logs sheet) and feedback button; the five tabs with their pending counts; the
// Homebrew console toggle (with a dot while a command runs) and "Check Updates". Its empty parts
// drag the window.
class StudioHeaderBar final : public QWidget {
    Q_OBJECT

public:
    StudioHeaderBar(UpdateStudioViewModel& viewModel, const QColor& accent, QWidget* parent = nullptr);

    SegmentedStudioTab* tab(UpdateStudioTab tab) const { return m_tabs.at(tab); }
    QAbstractButton* versionBadgeButton() const { return m_versionBadge; }
    TruneGlassButton* consoleToggle() const { return m_consoleToggle; }
    QWidget* runningDot() const { return m_runningDot; }
    TrunePrimaryButton* checkButton() const { return m_checkButton; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QWidget* buildIdentityGroup();
    QWidget* buildTabBar();
    QWidget* buildActionsGroup();
    void sync(StudioFields fields);
    void syncTexts();
    void syncTabs();
    void syncActions();
    void placeRunningDot();

    UpdateStudioViewModel& m_viewModel;
    QColor m_accent;
    std::map<UpdateStudioTab, SegmentedStudioTab*> m_tabs;
    QAbstractButton* m_versionBadge = nullptr;
    TruneFeedbackButton* m_feedback = nullptr;
    TruneGlassButton* m_consoleToggle = nullptr;
    QWidget* m_runningDot = nullptr;
    TrunePrimaryButton* m_checkButton = nullptr;
};
