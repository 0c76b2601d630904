#include "app/TruneUpdateApp.h"

#include "app/UpdateStudioCommands.h"
#include "app/desktop/AppDesktopIdentity.h"
#include "app/menubar/MenuBarExtra.h"
#include "app/viewmodel/UpdateStudioViewModel.h"
#include "app/views/shell/MainUpdateStudioView.h"
#include "kit/desktop/TruneAppActivationDelegate.h"
#include "kit/desktop/TruneAppPresence.h"
#include "kit/feedback/TruneFeedbackService.h"
#include "kit/foundation/TruneAppVersion.h"
#include "kit/localization/TruneText.h"
#include "kit/platform/TruneBundle.h"
#include "kit/ui/TruneAppMenuController.h"
#include "kit/ui/TruneApplicationStyle.h"
#include "kit/ui/TruneLayoutSettler.h"
#include "kit/ui/TruneProductPalette.h"

#include <QApplication>
#include <QEvent>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QScreen>
#include <QStyle>
#include <QSystemTrayIcon>
#include <QThreadPool>

using namespace Qt::StringLiterals;

namespace {

QColor studioAccent()
{
    return accentColor(TruneProductPalette::deepEmerald);
}

} // namespace

int TruneUpdateApp::main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    QCoreApplication::setOrganizationName(u"Quorvane"_s);
    QCoreApplication::setApplicationName(u"TruneUpdate"_s);
    truneApplyStudioApplicationStyle();

    TruneAppPresence presence;
    if (presence.claim() == TruneAppPresence::Role::secondary)
        return 0;
    std::future<std::vector<QImage>> icon = AppDesktopIdentity::startApplying();

    TruneUpdateApp app;
    QObject::connect(&presence, &TruneAppPresence::activationRequested, &app.appDelegate(),
        &TruneAppActivationDelegate::handleReopenRequest);
    AppDesktopIdentity::finishApplying(std::move(icon));
    app.openStudio();
    if (presence.isNameHeldByAnother())
        app.tellNameHeldByAnother();
    app.appDelegate().applicationDidFinishLaunching();
    return QApplication::exec();
}

void TruneUpdateApp::tellNameHeldByAnother()
{
    const TruneLanguage language = TruneLanguage::current();
    const QString name = TruneBundle::main().bundleIdentifier();
    auto* dialog = new QMessageBox(QMessageBox::Warning, u"TruneUpdate"_s,
        truneText(u"Another program holds the name %1 in this session and does not answer. TruneUpdate starts "
                  u"anyway, but launching it again will not bring this window forward."_s,
            u"Bu oturumda %1 adını başka bir program tutuyor ve yanıt vermiyor. TruneUpdate yine de açılıyor, "
            u"ancak yeniden başlatmak bu pencereyi öne getirmeyecek."_s,
            language)
            .arg(name),
        QMessageBox::Ok, m_studioWindow.get());
    dialog->setObjectName(u"nameHeldByAnotherDialog"_s);
    dialog->setTextFormat(Qt::PlainText);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->open();
}

TruneUpdateApp::TruneUpdateApp(UpdateStudioEnvironment environment, QObject* parent)
    : QObject(parent)
    , m_viewModel(std::make_unique<UpdateStudioViewModel>(std::move(environment)))
    , m_appDelegate(new TruneAppActivationDelegate(this))
{
    buildStudioWindow();
    buildMenuBar();
    if (QSystemTrayIcon::isSystemTrayAvailable())
        buildMenuBarExtra();
    // The tray keeps the program reachable once the window is closed; without one, closing the
    // window is the way to quit.
    QGuiApplication::setQuitOnLastWindowClosed(!m_menuBarExtra);
}

TruneUpdateApp::~TruneUpdateApp()
{
    // Views first, then the view model they read.
    m_menuBarExtra.reset();
    m_studioWindow.reset();
    m_viewModel.reset();
}

void TruneUpdateApp::buildStudioWindow()
{
    m_studioWindow = std::make_unique<QMainWindow>();
    m_studioWindow->setObjectName(u"studioWindow"_s);
    m_studioWindow->setWindowTitle(u"TruneUpdate — by Quorvane"_s);
    m_studioView = new MainUpdateStudioView(*m_viewModel, studioAccent());
    m_studioWindow->setCentralWidget(m_studioView);
    m_studioWindow->resize(studioDefaultSize);
    m_studioWindow->installEventFilter(this);
    // A change of state, such as the end of a check, shows whole in the next frame instead of a
    // turn later and over several frames.
    new TruneLayoutSettler(*m_studioWindow, [model = m_viewModel.get()] { model->announcePendingChanges(); });
}

void TruneUpdateApp::buildMenuBar()
{
    UpdateStudioViewModel* model = m_viewModel.get();
    m_menuController = new TruneAppMenuController(
        {.appName = u"TruneUpdate"_s,
            .language = [model] { return model->state().language; },
            .sendFeedback =
                [model] {
                    const TruneFeedbackTarget target{.appName = u"TruneUpdate"_s,
                        .version = TruneAppVersion::current(TruneBundle::main(), u"1.0.0"_s, u"100"_s),
                        .kind = TruneFeedbackKind::feature,
                        .language = model->state().language,
                        .baseURL = std::nullopt};
                    QThreadPool::globalInstance()->start([target] { TruneFeedbackService::openInBrowser(target); });
                },
            .customMenus = {updateStudioCommandMenu(*model)},
            .closeWindowKeyEquivalent = u"w"_s,
            .closeWindowModifiers = Qt::ControlModifier},
        this);
    // On macOS the menu bar without a window is the application's own, at the top of the screen.
    if (QGuiApplication::platformName() != u"cocoa"_s)
        m_studioWindow->setMenuBar(m_menuController->mainMenu());
}

void TruneUpdateApp::buildMenuBarExtra()
{
    m_menuBarExtra = std::make_unique<MenuBarExtra>(
        *m_viewModel, [this] { openStudio(); }, studioAccent());
    connect(m_menuBarExtra.get(), &MenuBarExtra::popupShown, this, &TruneUpdateApp::bindStudioWindowOpener);
}

void TruneUpdateApp::bindStudioWindowOpener()
{
    QPointer<TruneUpdateApp> self(this);
    m_viewModel->bindStudioWindowOpener([self] {
        if (self)
            self->openStudio();
    });
}

void TruneUpdateApp::openStudio()
{
    QMainWindow& window = *m_studioWindow;
    if (!m_placed) {
        m_placed = true;
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            window.setGeometry(
                QStyle::alignedRect(Qt::LeftToRight, Qt::AlignCenter, window.size(), screen->availableGeometry()));
    }
    if (window.isMinimized())
        window.setWindowState(window.windowState() & ~Qt::WindowMinimized);
    window.show();
    window.raise();
    window.activateWindow();
    TruneAppActivationDelegate::bringStudioWindowToFront();
}

bool TruneUpdateApp::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_studioWindow.get() && event->type() == QEvent::Show)
        bindStudioWindowOpener();
    return QObject::eventFilter(watched, event);
}
