#pragma once

// The window header that shares its row with the window's own buttons: the metrics that say how
// far the header keeps clear of them, the header row itself and the area of it that drags the
// window. Windows here keep the desktop's native decorations, so the buttons never overlap the
// content; the metrics say so, and the header only keeps its margins.

#include <QBoxLayout>
#include <QColor>
#include <QPoint>
#include <QWidget>

#include <optional>

// The raw geometry of the window's own buttons, as a platform that draws them in the content
// reports it (points from the window's leading and top edges).
struct TruneTitlebarMeasurement {
    double trafficLightMaxX = 0;
    double trafficLightCenterY = 0;
    double trafficLightBottomY = 0;
    bool isFullScreen = false;
    double fullscreenLeading = 16;
    double gap = 14;
    double sidebarVerticalGap = 14;
};

struct TruneUnifiedTitlebarMetrics {
    static constexpr double standardHeight = 52;
    static constexpr double fallbackLeadingClearance = 93;
    static constexpr double fullscreenLeadingMargin = 16;
    static constexpr double trafficLightGap = 14;
    static constexpr double sidebarTrafficLightVerticalGap = 14;

    // What views read before anything was measured.
    double leadingClearance = 93;
    double trafficLightCenterY = 26;
    double trafficLightBottomY = 33;
    double sidebarTopClearance = 37;
    bool isFullScreen = false;

    bool operator==(const TruneUnifiedTitlebarMetrics&) const = default;

    // Turns raw measurements into metrics: in full screen the leading margin alone; otherwise
    // the buttons' edge plus the gap (93 without buttons), their centre (26 without) and bottom
    // (23 without), and the sidebar below the bottom plus its gap, rounded up.
    static TruneUnifiedTitlebarMetrics calculate(const TruneTitlebarMeasurement& measurement);

    // The metrics of `window` as the platform draws it. With native decorations the buttons lie
    // outside the content, as in full screen: (fullscreenLeading, 26, 0, fullscreenLeading) and
    // whether the window is in full screen.
    static TruneUnifiedTitlebarMetrics forWindow(
        const QWidget& window, double fullscreenLeading = fullscreenLeadingMargin, double gap = trafficLightGap);
};

// What a double click on a window's empty header area does, from the user default
// "AppleActionOnDoubleClick".
enum class TruneTitlebarDoubleClickAction { minimize, none, zoom };

// A widget that lies behind a header's empty parts: pressing and moving it past the drag
// distance lets the window manager move the window; a double click minimizes, does nothing or
// toggles the maximized state as the user default says. The header's own controls lie above it
// and keep their clicks.
class TruneWindowDragArea final : public QWidget {
    Q_OBJECT

public:
    explicit TruneWindowDragArea(QWidget* parent = nullptr);

    // "Minimize" minimizes, "None" does nothing, anything else (or no value) zooms.
    static TruneTitlebarDoubleClickAction doubleClickAction(const std::optional<QString>& storedValue);
    // The action the user default asks for now.
    static TruneTitlebarDoubleClickAction currentDoubleClickAction();

    // Applies `action` to `window`; zooming toggles between maximized and normal.
    static void perform(TruneTitlebarDoubleClickAction action, QWidget& window);

signals:
    // A window move was handed to the window manager (for tests and diagnostics).
    void systemMoveStarted(bool accepted);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    std::optional<QPoint> m_pressPosition;
};

// A header row placed first in a window's content: a horizontal row padded past the window's
// buttons (the leading clearance of the metrics the content hands down), `trailingPadding` at the
// end and `verticalPadding` above and below, at least `minHeight` tall, painted with
// `backgroundColor`, whose empty parts drag the window.
class TruneUnifiedHeaderBar final : public QWidget {
    Q_OBJECT

public:
    struct Options {
        double minHeight = TruneUnifiedTitlebarMetrics::standardHeight;
        double trailingPadding = 18;
        double verticalPadding = 8;
        QColor backgroundColor = Qt::transparent;
    };

    explicit TruneUnifiedHeaderBar(Options options, QWidget* parent = nullptr);

    QHBoxLayout* row() const { return m_row; }
    TruneWindowDragArea* dragArea() const { return m_dragArea; }
    const TruneUnifiedTitlebarMetrics& metrics() const { return m_metrics; }

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void applyMetrics(const TruneUnifiedTitlebarMetrics& metrics);

    Options m_options;
    TruneUnifiedTitlebarMetrics m_metrics;
    QHBoxLayout* m_row;
    TruneWindowDragArea* m_dragArea;
};

// Keeps a full-height sidebar below the window's buttons: its top contents margin becomes
// `extraTop` plus the sidebar clearance of the metrics the content hands down; its other margins
// stay as they are.
void truneSidebarTitlebarClearance(QWidget& sidebar, double extraTop = 0);
