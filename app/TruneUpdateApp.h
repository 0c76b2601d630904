#pragma once

#include "app/viewmodel/UpdateStudioEnvironment.h"

#include <QObject>
#include <QPointer>
#include <QSize>

#include <memory>

class MainUpdateStudioView;
class MenuBarExtra;
class QMainWindow;
class TruneAppActivationDelegate;
class TruneAppMenuController;
class UpdateStudioViewModel;

// The program: the one view model, the application delegate, the studio window with its menu
// bar (the command menu and Quit) and the tray item with its popup. It forwards commands to the
// view model and opens the studio window; nothing else. With no tray on the desktop, closing the
// studio window quits; with one, the program keeps running in the tray.
class TruneUpdateApp final : public QObject {
    Q_OBJECT

public:
    static constexpr QSize studioDefaultSize{1240, 780};
    static constexpr QSize studioMinimumSize{1080, 700};

    // The process's entry: one running copy per user (a later launch fronts it and exits), then
    // the program until it quits. Returns the exit code.
    static int main(int argc, char* argv[]);

    explicit TruneUpdateApp(
        UpdateStudioEnvironment environment = UpdateStudioEnvironment::real(), QObject* parent = nullptr);
    ~TruneUpdateApp() override;

    UpdateStudioViewModel& viewModel() const { return *m_viewModel; }
    TruneAppActivationDelegate& appDelegate() const { return *m_appDelegate; }
    QMainWindow& studioWindow() const { return *m_studioWindow; }
    MainUpdateStudioView& studioView() const { return *m_studioView; }
    TruneAppMenuController& menuController() const { return *m_menuController; }
    // None when the desktop has no tray.
    MenuBarExtra* menuBarExtra() const { return m_menuBarExtra.get(); }

    // Shows the studio window (centred the first time) and brings it to the front.
    void openStudio();
    // The opener the view model keeps; bound again each time the window or the popup shows.
    void bindStudioWindowOpener();
    // Tells the user, over the studio window, that another program holds this program's name in
    // the session, so this copy runs without the hand-over to later launches.
    void tellNameHeldByAnother();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildStudioWindow();
    void buildMenuBar();
    void buildMenuBarExtra();

    // Declared first: the windows and menus below use it until they are gone.
    std::unique_ptr<UpdateStudioViewModel> m_viewModel;
    TruneAppActivationDelegate* m_appDelegate;
    std::unique_ptr<QMainWindow> m_studioWindow;
    MainUpdateStudioView* m_studioView = nullptr;
    TruneAppMenuController* m_menuController = nullptr;
    std::unique_ptr<MenuBarExtra> m_menuBarExtra;
    bool m_placed = false;
};
