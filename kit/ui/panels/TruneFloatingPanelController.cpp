#include "kit/ui/panels/TruneFloatingPanelController.h"

#include <QCursor>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPointer>
#include <QScopedValueRollback>
#include <QScreen>
#include <QVBoxLayout>
#include <QWidget>

#include <algorithm>

namespace TruneFloatingPanelPlacement {

QPointF centeredOrigin(const QRectF& visibleFrame, const QSizeF& size)
{
    const QPointF middle = visibleFrame.center();
    const qreal x = middle.x() - size.width() / 2;
    const qreal y = std::min(middle.y() - size.height() / 2 - 40, visibleFrame.bottom() - 24 - size.height());
    return {x, y};
}

QPointF anchoredOrigin(const QRectF& anchorFrame, const QSizeF& size)
{
    return {anchorFrame.left(), anchorFrame.bottom() - size.height()};
}

} // namespace TruneFloatingPanelPlacement

namespace {

// The screen under the pointer, else the primary one, else any.
QScreen* activeScreen()
{
    if (QScreen* screen = QGuiApplication::screenAt(QCursor::pos()))
        return screen;
    if (QScreen* screen = QGuiApplication::primaryScreen())
        return screen;
    const QList<QScreen*> screens = QGuiApplication::screens();
    return screens.isEmpty() ? nullptr : screens.first();
}

} // namespace

// A frameless tool window above the others that lets its content draw its own background.
class TruneFloatingPanelController::Panel final : public QWidget {
public:
    Panel(std::function<void()> onEscapePressed, std::function<void()> onResignActive)
        : QWidget(nullptr, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint)
        , m_onEscapePressed(std::move(onEscapePressed))
        , m_onResignActive(std::move(onResignActive))
    {
        setAttribute(Qt::WA_TranslucentBackground);
        // A tool window would otherwise vanish whenever the application is not the active one.
        setAttribute(Qt::WA_MacAlwaysShowToolWindow);
        auto* layout = new QVBoxLayout(this);
        layout->setContentsMargins(0, 0, 0, 0);
    }

    void setContent(QWidget* content)
    {
        delete m_content;
        m_content = content;
        if (content)
            layout()->addWidget(content);
    }

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        if (event->key() != Qt::Key_Escape)
            return QWidget::keyPressEvent(event);
        m_onEscapePressed();
    }

    void changeEvent(QEvent* event) override
    {
        QWidget::changeEvent(event);
        if (event->type() == QEvent::ActivationChange && !isActiveWindow() && isVisible())
            m_onResignActive();
    }

private:
    std::function<void()> m_onEscapePressed;
    std::function<void()> m_onResignActive;
    QPointer<QWidget> m_content;
};

TruneFloatingPanelController::TruneFloatingPanelController(
    QSize size, bool dismissOnResignKey, std::function<void()> onDismiss, QObject* parent)
    : QObject(parent)
    , m_size(size)
    , m_dismissOnResignKey(dismissOnResignKey)
    , m_onDismiss(std::move(onDismiss))
{
}

TruneFloatingPanelController::~TruneFloatingPanelController()
{
    delete m_panel;
}

bool TruneFloatingPanelController::isVisible() const
{
    return m_panel && m_panel->isVisible();
}

QWidget* TruneFloatingPanelController::panel() const
{
    return m_panel;
}

TruneFloatingPanelController::Panel* TruneFloatingPanelController::ensurePanel()
{
    if (!m_panel)
        m_panel = new Panel([this] { dismiss(); }, [this] { panelResignedActive(); });
    return m_panel;
}

void TruneFloatingPanelController::show(
    bool centeredOnActiveScreen, std::optional<QRectF> anchorFrame, const std::function<QWidget*()>& content)
{
    Panel* panel = ensurePanel();
    panel->setContent(content());
    panel->resize(m_size);
    place(centeredOnActiveScreen, anchorFrame);
    panel->show();
    panel->raise();
    panel->activateWindow();
}

void TruneFloatingPanelController::toggle(
    bool centeredOnActiveScreen, std::optional<QRectF> anchorFrame, const std::function<QWidget*()>& content)
{
    if (isVisible())
        hide();
    else
        show(centeredOnActiveScreen, anchorFrame, content);
}

void TruneFloatingPanelController::hide()
{
    dismiss();
}

void TruneFloatingPanelController::place(bool centeredOnActiveScreen, const std::optional<QRectF>& anchorFrame)
{
    const QSizeF size(m_size);
    if (anchorFrame) {
        m_panel->move(TruneFloatingPanelPlacement::anchoredOrigin(*anchorFrame, size).toPoint());
        return;
    }
    if (!centeredOnActiveScreen)
        return;
    if (const QScreen* screen = activeScreen())
        m_panel->move(TruneFloatingPanelPlacement::centeredOrigin(screen->availableGeometry(), size).toPoint());
}

void TruneFloatingPanelController::dismiss()
{
    if (m_panel) {
        // Hiding the active panel deactivates it on the way; that is not a second dismissal.
        const QScopedValueRollback hiding(m_isHiding, true);
        m_panel->hide();
    }
    if (m_onDismiss)
        m_onDismiss();
}

void TruneFloatingPanelController::panelResignedActive()
{
    if (m_dismissOnResignKey && !m_isHiding)
        dismiss();
}
