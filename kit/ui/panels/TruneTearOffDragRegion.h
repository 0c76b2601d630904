#pragma once

// A grip that reports when the user drags it out of its window (to tear the content off into a
// window of its own) and where it was dropped outside. It handles its own drags, so a draggable
// panel holding it does not move.

#include "kit/ui/panels/TruneDraggableFloatingPanel.h"

#include <QPointF>
#include <QWidget>

#include <functional>

class TruneTearOffDragRegion final : public QWidget, public TruneCustomDragTrackingView {
    Q_OBJECT

public:
    // `onTearOffStateChanged` gets true when the pointer has left the window, false when it is
    // back or the drag ended; `onTearOffDropped` gets the global drop point of a drop outside.
    TruneTearOffDragRegion(std::function<void(bool isOutside)> onTearOffStateChanged,
        std::function<void(QPointF screenPoint)> onTearOffDropped, QWidget* parent = nullptr);

    void setCallbacks(std::function<void(bool isOutside)> onTearOffStateChanged,
        std::function<void(QPointF screenPoint)> onTearOffDropped);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void reportOutside(bool outside);
    void endTracking();

    std::function<void(bool)> m_onTearOffStateChanged;
    std::function<void(QPointF)> m_onTearOffDropped;
    bool m_isTracking = false;
    bool m_isOutsideHost = false;
    bool m_pushedCursor = false;
    QPointF m_startScreenPoint;
};
