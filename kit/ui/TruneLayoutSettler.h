#pragma once

#include <QObject>

#include <functional>

class QWidget;

// Lays a window out completely before each of its frames. A widget whose size hint changes asks
// its parent for room through a posted event, and each level of nesting above it answers one turn
// of the event loop later; a frame that falls due in between paints the half-done layout (a
// button whose text grew shows it cut off), so one change of state takes several frames to show.
// Installed on a top-level window, this brings every layout in it up to date, innermost first,
// just before the window paints, so that the change shows whole in the next frame.
class TruneLayoutSettler final : public QObject {
public:
    // Watches `window`, which owns it. `beforeFrame`, when given, runs first before each frame:
    // for what must reach the widgets before they are laid out, such as a model's pending changes.
    explicit TruneLayoutSettler(QWidget& window, std::function<void()> beforeFrame = {});

    // Brings the layouts of `widget` and its shown descendants (windows of their own left out)
    // up to date, children before their parents.
    static void settle(QWidget& widget);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> m_beforeFrame;
};
