#include "kit/ui/menus/TruneAppKitLauncher.h"

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QPointer>

using namespace Qt::StringLiterals;

namespace {

QPointer<QObject> g_delegate;
QPointer<TruneAppMenuController> g_menuController;

// Only macOS has a menu bar of its own for the whole application; there a menu bar without a
// parent window is that one.
bool hasGlobalMenuBar()
{
    return QGuiApplication::platformName() == u"cocoa"_s;
}

} // namespace

namespace TruneAppKitLauncher {

int run(QObject* delegate, QMainWindow* hostWindow, TruneAppMenuOptions options)
{
    // Both live as long as the application object.
    delete g_delegate;
    delete g_menuController;
    g_delegate = delegate;
    if (delegate)
        delegate->setParent(qApp);
    g_menuController = new TruneAppMenuController(std::move(options), qApp);
    if (hostWindow && !hasGlobalMenuBar())
        hostWindow->setMenuBar(g_menuController->mainMenu());
    return QApplication::exec();
}

QObject* strongDelegate()
{
    return g_delegate;
}

TruneAppMenuController* strongMenuController()
{
    return g_menuController;
}

} // namespace TruneAppKitLauncher
