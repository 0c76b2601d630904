#include "kit/ui/TruneLayoutSettler.h"

#include <QEvent>
#include <QLayout>
#include <QWidget>

TruneLayoutSettler::TruneLayoutSettler(QWidget& window, std::function<void()> beforeFrame)
    : QObject(&window)
    , m_beforeFrame(std::move(beforeFrame))
{
    window.installEventFilter(this);
}

// A layout that is up to date returns at once. One brought up to date tells its widget's parent
// that the widget's size hint may have changed, which the parent's layout, settled after it,
// takes into account.
void TruneLayoutSettler::settle(QWidget& widget)
{
    for (QObject* child : widget.children()) {
        if (!child->isWidgetType())
            continue;
        auto* childWidget = static_cast<QWidget*>(child);
        if (!childWidget->isWindow() && !childWidget->isHidden())
            settle(*childWidget);
    }
    if (QLayout* layout = widget.layout())
        layout->activate();
}

// The window paints on an update request, after the events posted before it: the layouts' own
// requests posted meanwhile would come only after the frame.
bool TruneLayoutSettler::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::UpdateRequest || watched != parent())
        return QObject::eventFilter(watched, event);
    if (m_beforeFrame)
        m_beforeFrame();
    settle(*static_cast<QWidget*>(watched));
    return QObject::eventFilter(watched, event);
}
