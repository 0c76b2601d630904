#pragma once

// The titlebar metrics of one window's content, measured once for all of it and handed down to
// every header bar and sidebar inside that content, which read them instead of measuring the
// window each for itself.

#include "kit/ui/TruneUnifiedTitlebar.h"

#include <QObject>
#include <QPointer>
#include <QWidget>

#include <functional>

// How the content shares the window's top edge: a header row in the titlebar area, or a sidebar
// running up to the top edge. Windows here keep the desktop's decorations, so the window itself
// looks the same in both; hosts read the mode to lay their content out.
enum class TruneUnifiedTitlebarMode { unifiedHeader, fullHeightSidebar };

// Installed on the root widget of a window's content, which owns it: measures the window when it
// is shown, resized, or enters or leaves full screen, and reports only metrics that changed.
class TruneUnifiedTitlebarWindow final : public QObject {
    Q_OBJECT

public:
    struct Options {
        TruneUnifiedTitlebarMode mode = TruneUnifiedTitlebarMode::unifiedHeader;
        double fullscreenLeading = TruneUnifiedTitlebarMetrics::fullscreenLeadingMargin;
        double trafficLightGap = TruneUnifiedTitlebarMetrics::trafficLightGap;
    };

    TruneUnifiedTitlebarWindow(QWidget& content, Options options);

    TruneUnifiedTitlebarMode mode() const { return m_options.mode; }
    const TruneUnifiedTitlebarMetrics& metrics() const { return m_metrics; }

    // The one installed on `widget` or on its nearest ancestor that has one; none outside such
    // content.
    static TruneUnifiedTitlebarWindow* enclosing(const QWidget& widget);
    // What `widget` reads: the enclosing content's metrics, else the default that views read
    // before anything was measured.
    static TruneUnifiedTitlebarMetrics metricsFor(const QWidget& widget);
    // Calls `apply` with what `widget` reads now, again once it is shown or moved into other
    // content, and whenever the enclosing content's metrics change, for as long as `widget` lives.
    static void follow(QWidget& widget, std::function<void(const TruneUnifiedTitlebarMetrics&)> apply);

signals:
    void metricsChanged(const TruneUnifiedTitlebarMetrics& metrics);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watchWindow();
    void report();

    QWidget& m_content;
    Options m_options;
    TruneUnifiedTitlebarMetrics m_metrics;
    QPointer<QWidget> m_window;
};
