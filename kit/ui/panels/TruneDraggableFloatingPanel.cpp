#include "kit/ui/panels/TruneDraggableFloatingPanel.h"

#include <QAbstractSlider>
#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QWindow>

#include <cmath>

namespace {

constexpr double dragThreshold = 4.0;
// Where the release after a drag is delivered: outside every control of any panel.
constexpr QPointF releaseOutsideEveryControl(-10000, -10000);

double length(QPointF delta)
{
    return std::hypot(delta.x(), delta.y());
}

} // namespace

TruneDraggableFloatingPanel::TruneDraggableFloatingPanel(QWidget* parent)
    : QWidget(parent, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
    , screenMouseLocationProvider([] { return QPointF(QCursor::pos()); })
{
}

// Every mouse event of the panel passes its window before any control sees it.
void TruneDraggableFloatingPanel::watchWindow()
{
    QWindow* window = windowHandle();
    if (window == m_watchedWindow)
        return;
    if (m_watchedWindow)
        m_watchedWindow->removeEventFilter(this);
    m_watchedWindow = window;
    if (window)
        window->installEventFilter(this);
}

bool TruneDraggableFloatingPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != m_watchedWindow)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::MouseButtonPress:
        return handlePress(static_cast<const QMouseEvent&>(*event));
    case QEvent::MouseMove:
        return handleMove();
    case QEvent::MouseButtonRelease:
        return handleRelease(static_cast<const QMouseEvent&>(*event));
    default:
        return false;
    }
}

bool TruneDraggableFloatingPanel::handlePress(const QMouseEvent& event)
{
    if (event.button() != Qt::LeftButton)
        return false;
    m_trackingPotentialDrag = false;
    m_didStartDragging = false;
    popClosedHandCursor();
    const QWidget* hit = childAt(event.position().toPoint());
    if (hit && isInteractiveControlThatTracksDrag(hit))
        return false;
    m_trackingPotentialDrag = true;
    m_dragStartScreenPoint = screenMouseLocationProvider();
    m_dragStartWindowOrigin = pos();
    return false;
}

bool TruneDraggableFloatingPanel::handleMove()
{
    if (!m_trackingPotentialDrag)
        return false;
    if (!m_didStartDragging) {
        if (length(screenMouseLocationProvider() - m_dragStartScreenPoint) < dragThreshold)
            return false;
        m_didStartDragging = true;
        pushClosedHandCursor();
        moveByDragDelta();
        if (onDragBegan)
            onDragBegan(frameGeometry());
    } else {
        moveByDragDelta();
    }
    if (onDragMoved)
        onDragMoved(frameGeometry());
    return true;
}

bool TruneDraggableFloatingPanel::handleRelease(const QMouseEvent& event)
{
    if (event.button() != Qt::LeftButton)
        return false;
    if (!m_didStartDragging) {
        m_trackingPotentialDrag = false;
        return false;
    }
    const QPoint origin = pos();
    m_trackingPotentialDrag = false;
    m_didStartDragging = false;
    popClosedHandCursor();
    // The control that saw the press sees it end far outside itself, so the release is no click.
    QMouseEvent release(QEvent::MouseButtonRelease, releaseOutsideEveryControl, releaseOutsideEveryControl,
        QPointF(origin) + releaseOutsideEveryControl, event.button(), event.buttons(), event.modifiers(),
        event.pointingDevice());
    release.setTimestamp(event.timestamp());
    QCoreApplication::sendEvent(m_watchedWindow, &release);
    if (onDragEnded)
        onDragEnded(origin);
    return true;
}

void TruneDraggableFloatingPanel::moveByDragDelta()
{
    // The whole distance from the press, not just the part beyond the threshold.
    move((QPointF(m_dragStartWindowOrigin) + screenMouseLocationProvider() - m_dragStartScreenPoint).toPoint());
}

void TruneDraggableFloatingPanel::resetDragState(bool notifyCancelled)
{
    const bool wasDragging = m_didStartDragging;
    m_trackingPotentialDrag = false;
    m_didStartDragging = false;
    popClosedHandCursor();
    if (wasDragging && notifyCancelled && onDragCancelled)
        onDragCancelled();
}

bool TruneDraggableFloatingPanel::isInteractiveControlThatTracksDrag(const QWidget* hit) const
{
    for (const QWidget* view = hit; view; view = view->parentWidget()) {
        if (qobject_cast<const QLineEdit*>(view) || qobject_cast<const QTextEdit*>(view)
            || qobject_cast<const QPlainTextEdit*>(view) || qobject_cast<const QAbstractSlider*>(view)
            || dynamic_cast<const TruneCustomDragTrackingView*>(view))
            return true;
        if (view == this)
            break;
    }
    return false;
}

void TruneDraggableFloatingPanel::pushClosedHandCursor()
{
    if (m_pushedClosedHandCursor)
        return;
    QGuiApplication::setOverrideCursor(Qt::ClosedHandCursor);
    m_pushedClosedHandCursor = true;
}

void TruneDraggableFloatingPanel::popClosedHandCursor()
{
    if (!m_pushedClosedHandCursor)
        return;
    QGuiApplication::restoreOverrideCursor();
    m_pushedClosedHandCursor = false;
}

void TruneDraggableFloatingPanel::keyPressEvent(QKeyEvent* event)
{
    if (event->key() != Qt::Key_Escape)
        return QWidget::keyPressEvent(event);
    resetDragState(true);
    if (onEscapePressed)
        onEscapePressed();
}

void TruneDraggableFloatingPanel::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && !isActiveWindow())
        resetDragState(true);
}

void TruneDraggableFloatingPanel::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    watchWindow();
}

void TruneDraggableFloatingPanel::hideEvent(QHideEvent* event)
{
    resetDragState(true);
    QWidget::hideEvent(event);
}
