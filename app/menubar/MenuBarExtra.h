#pragma once

#include <QColor>
#include <QObject>
#include <QPointer>

#include <functional>

class QAction;
class QMenu;
class QSystemTrayIcon;
class QWidget;
class UpdateStudioViewModel;

// The program's item in the desktop's tray: its icon carries the pending count (tooltip too);
// activating it opens a popup 340 px wide under the icon (or at the pointer when the tray does
// not say where the icon is) with the update popover; its context menu opens the studio or quits.
class MenuBarExtra final : public QObject {
    Q_OBJECT

public:
    static constexpr int popupWidth = 340;

    MenuBarExtra(UpdateStudioViewModel& viewModel, std::function<void()> openStudio, const QColor& accent,
        QObject* parent = nullptr);
    ~MenuBarExtra() override;

    QSystemTrayIcon& trayIcon() const { return *m_trayIcon; }
    QMenu& contextMenu() const { return *m_contextMenu; }
    // The popup while it exists (it is made the first time it opens).
    QWidget* popup() const { return m_popup; }

    // The tooltip for `count` pending updates in the view model's language.
    QString toolTipText(int count) const;

    void showPopup();

signals:
    // The popup's content was shown (each time it opens).
    void popupShown();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void syncIcon();
    void placePopup();
    void syncMenuTexts();
    QWidget* makePopup();

    UpdateStudioViewModel& m_viewModel;
    std::function<void()> m_openStudio;
    QColor m_accent;
    QSystemTrayIcon* m_trayIcon;
    QMenu* m_contextMenu;
    QAction* m_openAction;
    QAction* m_quitAction;
    QPointer<QWidget> m_popup;
    int m_shownCount = -1;
};
