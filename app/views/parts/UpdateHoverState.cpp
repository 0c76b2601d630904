#include "app/views/parts/UpdateHoverState.h"

#include <QEvent>
#include <QWidget>

UpdateHoverState::UpdateHoverState(QWidget* owner)
    : QObject(owner)
    , m_owner(owner)
{
    owner->setAttribute(Qt::WA_Hover);
    owner->installEventFilter(this);
}

bool UpdateHoverState::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_owner) {
        if (event->type() == QEvent::Enter || event->type() == QEvent::HoverEnter)
            setHovered(true);
        else if (event->type() == QEvent::Leave || event->type() == QEvent::HoverLeave || event->type() == QEvent::Hide)
            setHovered(false);
    }
    return QObject::eventFilter(watched, event);
}

void UpdateHoverState::setHovered(bool hovered)
{
    if (hovered == m_isHovered)
        return;
    m_isHovered = hovered;
    m_owner->update();
    emit hoveredChanged(hovered);
}
