#include "kit/ui/TruneUnifiedTitlebar.h"

#include "kit/platform/TruneUserDefaults.h"
#include "kit/ui/TruneUnifiedTitlebarWindow.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QWindow>

#include <cmath>

using namespace Qt::StringLiterals;

namespace {

constexpr double fallbackCenterY = 26;
constexpr double fallbackBottomY = 23;

int whole(double points)
{
    return static_cast<int>(std::ceil(points));
}

} // namespace

TruneUnifiedTitlebarMetrics TruneUnifiedTitlebarMetrics::calculate(const TruneTitlebarMeasurement& measurement)
{
    if (measurement.isFullScreen) {
        return {.leadingClearance = measurement.fullscreenLeading,
            .trafficLightCenterY = fallbackCenterY,
            .trafficLightBottomY = 0,
            .sidebarTopClearance = measurement.fullscreenLeading,
            .isFullScreen = true};
    }
    const double bottom = measurement.trafficLightBottomY > 0 ? measurement.trafficLightBottomY : fallbackBottomY;
    return {.leadingClearance = measurement.trafficLightMaxX > 0
            ? std::ceil(measurement.trafficLightMaxX + measurement.gap)
            : fallbackLeadingClearance,
        .trafficLightCenterY = measurement.trafficLightCenterY > 0 ? measurement.trafficLightCenterY : fallbackCenterY,
        .trafficLightBottomY = bottom,
        .sidebarTopClearance = std::ceil(bottom + measurement.sidebarVerticalGap),
        .isFullScreen = false};
}

TruneUnifiedTitlebarMetrics TruneUnifiedTitlebarMetrics::forWindow(
    const QWidget& window, double fullscreenLeading, double gap)
{
    // The desktop draws the window's buttons in its own frame, as in full screen, where nothing
    // overlaps the content either.
    TruneUnifiedTitlebarMetrics metrics
        = calculate({.isFullScreen = true, .fullscreenLeading = fullscreenLeading, .gap = gap});
    metrics.isFullScreen = window.isFullScreen();
    return metrics;
}

TruneWindowDragArea::TruneWindowDragArea(QWidget* parent)
    : QWidget(parent)
{
    setAttribute(Qt::WA_NoSystemBackground);
}

TruneTitlebarDoubleClickAction TruneWindowDragArea::doubleClickAction(const std::optional<QString>& storedValue)
{
    const QString value = storedValue.value_or(u"Maximize"_s);
    if (value == u"Minimize"_s)
        return TruneTitlebarDoubleClickAction::minimize;
    if (value == u"None"_s)
        return TruneTitlebarDoubleClickAction::none;
    return TruneTitlebarDoubleClickAction::zoom;
}

TruneTitlebarDoubleClickAction TruneWindowDragArea::currentDoubleClickAction()
{
    return doubleClickAction(TruneUserDefaults::standard().string(u"AppleActionOnDoubleClick"_s));
}

void TruneWindowDragArea::perform(TruneTitlebarDoubleClickAction action, QWidget& window)
{
    switch (action) {
    case TruneTitlebarDoubleClickAction::minimize:
        window.showMinimized();
        break;
    case TruneTitlebarDoubleClickAction::none:
        break;
    case TruneTitlebarDoubleClickAction::zoom:
        if (window.isMaximized())
            window.showNormal();
        else
            window.showMaximized();
        break;
    }
}

void TruneWindowDragArea::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    m_pressPosition = event->position().toPoint();
    event->accept();
}

void TruneWindowDragArea::mouseMoveEvent(QMouseEvent* event)
{
    if (!m_pressPosition || !(event->buttons() & Qt::LeftButton))
        return;
    if ((event->position().toPoint() - *m_pressPosition).manhattanLength() < QApplication::startDragDistance())
        return;
    m_pressPosition.reset();
    QWindow* handle = window()->windowHandle();
    emit systemMoveStarted(handle && handle->startSystemMove());
}

void TruneWindowDragArea::mouseReleaseEvent(QMouseEvent*)
{
    m_pressPosition.reset();
}

void TruneWindowDragArea::mouseDoubleClickEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    m_pressPosition.reset();
    perform(currentDoubleClickAction(), *window());
}

TruneUnifiedHeaderBar::TruneUnifiedHeaderBar(Options options, QWidget* parent)
    : QWidget(parent)
    , m_options(options)
    , m_row(new QHBoxLayout(this))
    , m_dragArea(new TruneWindowDragArea(this))
{
    m_dragArea->lower();
    setMinimumHeight(whole(m_options.minHeight));
    TruneUnifiedTitlebarWindow::follow(
        *this, [this](const TruneUnifiedTitlebarMetrics& metrics) { applyMetrics(metrics); });
}

void TruneUnifiedHeaderBar::applyMetrics(const TruneUnifiedTitlebarMetrics& metrics)
{
    m_metrics = metrics;
    const int vertical = whole(m_options.verticalPadding);
    m_row->setContentsMargins(whole(m_metrics.leadingClearance), vertical, whole(m_options.trailingPadding), vertical);
}

void TruneUnifiedHeaderBar::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    m_dragArea->setGeometry(rect());
}

void TruneUnifiedHeaderBar::paintEvent(QPaintEvent*)
{
    if (m_options.backgroundColor.alpha() == 0)
        return;
    QPainter(this).fillRect(rect(), m_options.backgroundColor);
}

void truneSidebarTitlebarClearance(QWidget& sidebar, double extraTop)
{
    TruneUnifiedTitlebarWindow::follow(sidebar, [&sidebar, extraTop](const TruneUnifiedTitlebarMetrics& metrics) {
        QMargins margins = sidebar.contentsMargins();
        margins.setTop(whole(extraTop + metrics.sidebarTopClearance));
        sidebar.setContentsMargins(margins);
    });
}
