#include "app/menubar/MenuBarExtra.h"

#include "app/menubar/MenuBarTrayIcon.h"
#include "app/menubar/MenuBarUpdatePopoverView.h"
#include "app/viewmodel/UpdateStudioViewModel.h"

#include <QAction>
#include <QApplication>
#include <QCursor>
#include <QEvent>
#include <QMenu>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QVBoxLayout>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

// Where a popup of `size` goes: centred under the icon's rectangle, or with its top-left corner
// at the pointer; moved inside the screen's available area either way.
QPoint popupPosition(const QRect& iconRect, const QSize& size)
{
    const QPoint anchor
        = iconRect.isValid() ? QPoint(iconRect.center().x() - size.width() / 2, iconRect.bottom() + 1) : QCursor::pos();
    const QScreen* screen = QGuiApplication::screenAt(iconRect.isValid() ? iconRect.center() : anchor);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return anchor;
    const QRect area = screen->availableGeometry();
    QPoint position = anchor;
    // A tray at the bottom of the screen: the popup goes above the icon.
    if (position.y() + size.height() > area.bottom())
        position.setY((iconRect.isValid() ? iconRect.top() : anchor.y()) - size.height());
    position.setX(std::clamp(position.x(), area.left(), std::max(area.left(), area.right() - size.width() + 1)));
    position.setY(std::clamp(position.y(), area.top(), std::max(area.top(), area.bottom() - size.height() + 1)));
    return position;
}

} // namespace

MenuBarExtra::MenuBarExtra(
    UpdateStudioViewModel& viewModel, std::function<void()> openStudio, const QColor& accent, QObject* parent)
    : QObject(parent)
    , m_viewModel(viewModel)
    , m_openStudio(std::move(openStudio))
    , m_accent(accent)
    , m_trayIcon(new QSystemTrayIcon(this))
    , m_contextMenu(new QMenu)
    , m_openAction(m_contextMenu->addAction(QString()))
    , m_quitAction(m_contextMenu->addAction(QString()))
{
    m_contextMenu->insertSeparator(m_quitAction);
    connect(m_openAction, &QAction::triggered, this, [this] { m_openStudio(); });
    connect(m_quitAction, &QAction::triggered, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    connect(m_contextMenu, &QMenu::aboutToShow, this, &MenuBarExtra::syncMenuTexts);
    m_trayIcon->setContextMenu(m_contextMenu);
    connect(m_trayIcon, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger || reason == QSystemTrayIcon::DoubleClick)
            showPopup();
    });
    connect(&m_viewModel, &UpdateStudioViewModel::changed, this, [this](StudioFields fields) {
        if (fields.testAnyFlags(
                StudioField::installedApps | StudioField::homebrewItems | StudioField::config | StudioField::language))
            syncIcon();
        if (fields.testFlag(StudioField::language))
            syncMenuTexts();
    });
    syncMenuTexts();
    syncIcon();
    m_trayIcon->show();
}

MenuBarExtra::~MenuBarExtra()
{
    delete m_popup;
    delete m_contextMenu;
}

QString MenuBarExtra::toolTipText(int count) const
{
    if (count <= 0)
        return m_viewModel.t(u"TruneUpdate — everything is up to date"_s, u"TruneUpdate — her şey güncel"_s);
    return m_viewModel.t(u"TruneUpdate — %1 updates"_s, u"TruneUpdate — %1 güncelleme"_s).arg(count);
}

void MenuBarExtra::syncIcon()
{
    const int count = m_viewModel.menuBarBadgeCount();
    if (count != m_shownCount) {
        m_shownCount = count;
        m_trayIcon->setIcon(menuBarTrayIcon(count));
    }
    const QString tip = toolTipText(count);
    if (m_trayIcon->toolTip() != tip)
        m_trayIcon->setToolTip(tip);
}

void MenuBarExtra::syncMenuTexts()
{
    m_openAction->setText(m_viewModel.t(u"Open Studio"_s, u"Stüdyoyu Aç"_s));
    m_quitAction->setText(m_viewModel.t(u"Quit"_s, u"Çık"_s));
}

QWidget* MenuBarExtra::makePopup()
{
    auto* popup = new QWidget(nullptr, Qt::Popup | Qt::FramelessWindowHint);
    popup->setObjectName(u"menuBarPopup"_s);
    popup->setAttribute(Qt::WA_TranslucentBackground);
    auto* layout = new QVBoxLayout(popup);
    layout->setContentsMargins(0, 0, 0, 0);
    // The popup is always as tall as its content: a row or an alert that comes or goes while it
    // is open resizes it, and the resize puts it back in its place under the icon.
    layout->setSizeConstraint(QLayout::SetFixedSize);
    popup->installEventFilter(this);
    // Opening the studio from the popover also closes the popover.
    auto* content = new MenuBarUpdatePopoverView(
        m_viewModel,
        [this] {
            if (m_popup)
                m_popup->close();
            m_openStudio();
        },
        m_accent, popup);
    content->setObjectName(u"menuBarPopover"_s);
    layout->addWidget(content);
    popup->setFixedWidth(popupWidth);
    return popup;
}

bool MenuBarExtra::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_popup && event->type() == QEvent::Resize && m_popup->isVisible())
        placePopup();
    return QObject::eventFilter(watched, event);
}

void MenuBarExtra::placePopup()
{
    m_popup->move(popupPosition(m_trayIcon->geometry(), m_popup->size()));
}

void MenuBarExtra::showPopup()
{
    if (!m_popup)
        m_popup = makePopup();
    m_popup->adjustSize();
    placePopup();
    m_popup->show();
    m_popup->raise();
    m_popup->activateWindow();
    emit popupShown();
}
