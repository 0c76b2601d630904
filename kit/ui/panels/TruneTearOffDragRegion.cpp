#include "kit/ui/panels/TruneTearOffDragRegion.h"

#include <QGuiApplication>
#include <QMouseEvent>

#include <cmath>

namespace {

// Small wobbles of a press are no tear-off, and the window's edge gets a little slack.
constexpr double tearOffThreshold = 8.0;
constexpr int windowSlack = 4;

} // namespace

TruneTearOffDragRegion::TruneTearOffDragRegion(
    std::function<void(bool)> onTearOffStateChanged, std::function<void(QPointF)> onTearOffDropped, QWidget* parent)
    : QWidget(parent)
    , m_onTearOffStateChanged(std::move(onTearOffStateChanged))
    , m_onTearOffDropped(std::move(onTearOffDropped))
{
    setCursor(Qt::OpenHandCursor);
}

void TruneTearOffDragRegion::setCallbacks(
    std::function<void(bool)> onTearOffStateChanged, std::function<void(QPointF)> onTearOffDropped)
{
    m_onTearOffStateChanged = std::move(onTearOffStateChanged);
    m_onTearOffDropped = std::move(onTearOffDropped);
}

void TruneTearOffDragRegion::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return QWidget::mousePressEvent(event);
    m_isTracking = true;
    m_isOutsideHost = false;
    m_startScreenPoint = event->globalPosition();
    event->accept();
}

void TruneTearOffDragRegion::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_isTracking || !window())
        return;
    const QPointF point = event->globalPosition();
    const QPointF delta = point - m_startScreenPoint;
    if (std::hypot(delta.x(), delta.y()) < tearOffThreshold)
        return;
    if (!m_pushedCursor) {
        QGuiApplication::setOverrideCursor(Qt::ClosedHandCursor);
        m_pushedCursor = true;
    }
    const QRectF host = window()->frameGeometry().adjusted(-windowSlack, -windowSlack, windowSlack, windowSlack);
    reportOutside(!host.contains(point));
}

void TruneTearOffDragRegion::mouseReleaseEvent(QMouseEvent* event)
{
    if (!m_isTracking)
        return;
    const bool wasOutside = m_isOutsideHost;
    const QPointF point = event->globalPosition();
    endTracking();
    if (wasOutside && m_onTearOffDropped)
        m_onTearOffDropped(point);
}

void TruneTearOffDragRegion::reportOutside(bool outside)
{
    if (outside == m_isOutsideHost)
        return;
    m_isOutsideHost = outside;
    if (m_onTearOffStateChanged)
        m_onTearOffStateChanged(outside);
}

void TruneTearOffDragRegion::endTracking()
{
    m_isTracking = false;
    reportOutside(false);
    if (m_pushedCursor) {
        QGuiApplication::restoreOverrideCursor();
        m_pushedCursor = false;
    }
}
