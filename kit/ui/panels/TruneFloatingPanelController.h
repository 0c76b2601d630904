#pragma once

// Shows content in a frameless tool window that floats above the others, built on first use and
// kept; Escape and (when asked) losing activation dismiss it. GUI thread only. A Wayland client
// cannot place its windows, so the placement below takes effect on X11 and macOS.

#include <QObject>
#include <QPointF>
#include <QRectF>
#include <QSize>
#include <QSizeF>

#include <functional>
#include <optional>

class QWidget;

// Where a panel of `size` goes, in Qt's top-down screen coordinates.
namespace TruneFloatingPanelPlacement {

// Centred across `visibleFrame`, lifted 40 above its middle, with the panel's lower edge kept at
// least 24 above the frame's lower edge (a panel taller than the frame overflows at the top).
QPointF centeredOrigin(const QRectF& visibleFrame, const QSizeF& size);
// The panel's lower-left corner on the anchor's lower-left corner.
QPointF anchoredOrigin(const QRectF& anchorFrame, const QSizeF& size);

} // namespace TruneFloatingPanelPlacement

class TruneFloatingPanelController final : public QObject {
    Q_OBJECT

public:
    TruneFloatingPanelController(
        QSize size, bool dismissOnResignKey, std::function<void()> onDismiss, QObject* parent = nullptr);
    ~TruneFloatingPanelController() override;

    bool isVisible() const;
    // Replaces the panel's content with what `content` builds (the panel owns it), places the
    // panel (on the anchor, else centred on the screen under the pointer when asked, else where
    // it was) and brings it to the front, active.
    void show(bool centeredOnActiveScreen, std::optional<QRectF> anchorFrame, const std::function<QWidget*()>& content);
    void toggle(
        bool centeredOnActiveScreen, std::optional<QRectF> anchorFrame, const std::function<QWidget*()>& content);
    // Hides the panel when there is one and always reports the dismissal.
    void hide();

    // The panel once built, for hosts that look at it; none before the first show.
    QWidget* panel() const;

private:
    class Panel;

    Panel* ensurePanel();
    void place(bool centeredOnActiveScreen, const std::optional<QRectF>& anchorFrame);
    void dismiss();
    void panelResignedActive();

    QSize m_size;
    bool m_dismissOnResignKey;
    std::function<void()> m_onDismiss;
    Panel* m_panel = nullptr;
    bool m_isHiding = false;
};
