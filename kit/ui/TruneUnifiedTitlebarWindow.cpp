#include "kit/ui/TruneUnifiedTitlebarWindow.h"

#include <QEvent>

namespace {

// Keeps one widget's `apply` in step with the content it lies in. A child of the widget, so it
// goes with it.
class TitlebarMetricsFollower final : public QObject {
public:
    TitlebarMetricsFollower(QWidget& widget, std::function<void(const TruneUnifiedTitlebarMetrics&)> apply)
        : QObject(&widget)
        , m_widget(widget)
        , m_apply(std::move(apply))
    {
        widget.installEventFilter(this);
        refresh();
    }

    // Finds the enclosing content afresh and applies what the widget reads now.
    void refresh()
    {
        TruneUnifiedTitlebarWindow* source = TruneUnifiedTitlebarWindow::enclosing(m_widget);
        if (source != m_source) {
            if (m_source)
                disconnect(m_source, nullptr, this, nullptr);
            m_source = source;
            if (m_source)
                connect(m_source, &TruneUnifiedTitlebarWindow::metricsChanged, this, m_apply);
        }
        m_apply(TruneUnifiedTitlebarWindow::metricsFor(m_widget));
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (watched == &m_widget && (event->type() == QEvent::ParentChange || event->type() == QEvent::Show))
            refresh();
        return QObject::eventFilter(watched, event);
    }

private:
    QWidget& m_widget;
    std::function<void(const TruneUnifiedTitlebarMetrics&)> m_apply;
    QPointer<TruneUnifiedTitlebarWindow> m_source;
};

} // namespace

TruneUnifiedTitlebarWindow::TruneUnifiedTitlebarWindow(QWidget& content, Options options)
    : QObject(&content)
    , m_content(content)
    , m_options(options)
{
    content.installEventFilter(this);
    watchWindow();
    report();
    // Views built before this was installed follow it from now on.
    for (QObject* child : content.findChildren<QObject*>()) {
        if (auto* follower = dynamic_cast<TitlebarMetricsFollower*>(child))
            follower->refresh();
    }
}

TruneUnifiedTitlebarWindow* TruneUnifiedTitlebarWindow::enclosing(const QWidget& widget)
{
    for (const QWidget* level = &widget; level; level = level->parentWidget()) {
        if (auto* found = level->findChild<TruneUnifiedTitlebarWindow*>(QString(), Qt::FindDirectChildrenOnly))
            return found;
    }
    return nullptr;
}

TruneUnifiedTitlebarMetrics TruneUnifiedTitlebarWindow::metricsFor(const QWidget& widget)
{
    const TruneUnifiedTitlebarWindow* source = enclosing(widget);
    return source ? source->metrics() : TruneUnifiedTitlebarMetrics{};
}

void TruneUnifiedTitlebarWindow::follow(QWidget& widget, std::function<void(const TruneUnifiedTitlebarMetrics&)> apply)
{
    new TitlebarMetricsFollower(widget, std::move(apply));
}

void TruneUnifiedTitlebarWindow::watchWindow()
{
    QWidget* window = m_content.window();
    if (window == m_window)
        return;
    if (m_window && m_window != &m_content)
        m_window->removeEventFilter(this);
    m_window = window;
    if (m_window != &m_content)
        m_window->installEventFilter(this);
}

void TruneUnifiedTitlebarWindow::report()
{
    const TruneUnifiedTitlebarMetrics measured
        = TruneUnifiedTitlebarMetrics::forWindow(*m_window, m_options.fullscreenLeading, m_options.trafficLightGap);
    if (measured == m_metrics)
        return;
    m_metrics = measured;
    emit metricsChanged(m_metrics);
}

bool TruneUnifiedTitlebarWindow::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (watched == &m_content && (type == QEvent::ParentChange || type == QEvent::Show)) {
        watchWindow();
        report();
    } else if (watched == m_window
        && (type == QEvent::WindowStateChange || type == QEvent::Resize || type == QEvent::Show)) {
        report();
    }
    return QObject::eventFilter(watched, event);
}
