#pragma once

#include "app/viewmodel/StudioNavigation.h"
#include "app/viewmodel/StudioState.h"

#include <QColor>
#include <QPointer>
#include <QWidget>

class BrewConsoleDrawerView;
class QGraphicsOpacityEffect;
class QVBoxLayout;
class QVariantAnimation;
class StudioHeaderBar;
class TrashLeftoverBanner;
class TruneGroundBackground;
class TruneToastBanner;
class TruneVersionAndLogsView;
class UpdateStudioViewModel;

// The whole content of the studio window, in layers: the ground; a column of the header, a
// hairline, the Trash banner, the chosen tab's screen and the Homebrew console drawer; and the
// toast floating near the bottom, above the drawer while it is open. It also presents the
// version-and-logs sheet while the view model asks for it. Drawer and toast slide in from the
// bottom edge with a fade (0.2 s ease-in-out).
class MainUpdateStudioView final : public QWidget {
    Q_OBJECT

public:
    static constexpr int minimumWidth = 1080;
    static constexpr int minimumHeight = 700;
    static constexpr int toastBottomInset = 22;
    static constexpr int toastBottomInsetOverDrawer = 215;
    static constexpr QSize versionSheetSize{680, 540};

    MainUpdateStudioView(UpdateStudioViewModel& viewModel, const QColor& accent, QWidget* parent = nullptr);
    ~MainUpdateStudioView() override;

    StudioHeaderBar* header() const { return m_header; }
    TrashLeftoverBanner* trashBanner() const { return m_trashBanner; }
    QWidget* tabPage() const { return m_tabPage; }
    // Present while the view model shows the console (and while it slides out).
    BrewConsoleDrawerView* consoleDrawer() const;
    // Present while the view model holds a toast (and while it slides out).
    TruneToastBanner* toast() const;
    TruneVersionAndLogsView* versionSheet() const;

    // How far above the bottom edge the toast's capsule rests now.
    double toastInset() const;

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void sync(StudioFields fields);
    void showTab(UpdateStudioTab tab);
    void syncDrawer();
    void syncToast();
    void syncVersionSheet();
    void layOutDrawer();
    void layOutToast();

    UpdateStudioViewModel& m_viewModel;
    QColor m_accent;
    TruneGroundBackground* m_ground;
    QWidget* m_column;
    QVBoxLayout* m_columnLayout;
    StudioHeaderBar* m_header;
    TrashLeftoverBanner* m_trashBanner;
    QWidget* m_tabPage = nullptr;
    std::optional<UpdateStudioTab> m_shownTab;

    QWidget* m_drawerSlot;
    QPointer<BrewConsoleDrawerView> m_drawer;
    QGraphicsOpacityEffect* m_drawerFade = nullptr;
    QVariantAnimation* m_drawerAnimation;
    qreal m_drawerProgress = 0;

    QPointer<TruneToastBanner> m_toast;
    QGraphicsOpacityEffect* m_toastFade = nullptr;
    QVariantAnimation* m_toastAnimation;
    qreal m_toastProgress = 0;

    QPointer<TruneVersionAndLogsView> m_sheet;
};
