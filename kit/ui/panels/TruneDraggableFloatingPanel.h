#pragma once

// A floating panel the user moves by dragging anywhere on its content, while text inputs,
// sliders, scroll bars and views that track their own drags keep their presses. A drag starts
// after the pointer has moved 4 pixels; its release reaches the content far outside every
// control, so the button under the pointer does not fire. Moving windows works where the
// window system lets a client place them (X11, macOS; not Wayland).

#include <QPoint>
#include <QPointF>
#include <QPointer>
#include <QRect>
#include <QWidget>

#include <functional>

class QWindow;

// Adopted by a view that handles its own drags: a press on it, or inside it, never moves the panel.
class TruneCustomDragTrackingView {
public:
    virtual ~TruneCustomDragTrackingView() = default;
};

class TruneDraggableFloatingPanel : public QWidget {
    Q_OBJECT

public:
    explicit TruneDraggableFloatingPanel(QWidget* parent = nullptr);

    std::function<void()> onEscapePressed;
    std::function<void(QRect frame)> onDragBegan;
    std::function<void(QRect frame)> onDragMoved;
    std::function<void(QPoint origin)> onDragEnded;
    std::function<void()> onDragCancelled;
    // The pointer in global coordinates; the real cursor unless a client replaces it.
    std::function<QPointF()> screenMouseLocationProvider;

    // Ends a potential or running drag; reports the cancellation when one had started.
    virtual void resetDragState(bool notifyCancelled);

protected:
    virtual bool isInteractiveControlThatTracksDrag(const QWidget* hit) const;

    bool eventFilter(QObject* watched, QEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    bool handlePress(const QMouseEvent& event);
    bool handleMove();
    bool handleRelease(const QMouseEvent& event);
    void moveByDragDelta();
    void pushClosedHandCursor();
    void popClosedHandCursor();
    void watchWindow();

    bool m_trackingPotentialDrag = false;
    bool m_didStartDragging = false;
    bool m_pushedClosedHandCursor = false;
    QPointF m_dragStartScreenPoint;
    QPoint m_dragStartWindowOrigin;
    QPointer<QWindow> m_watchedWindow;
};
