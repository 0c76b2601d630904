#include "app/viewmodel/StudioDerived.h"
#include "app/viewmodel/UpdateStudioViewModel.h"

#include <QCoreApplication>

#include <cstdio>

using namespace Qt::StringLiterals;

// Until the studio window exists, the program runs one check and reports what it found.
int main(int argc, char* argv[])
{
    QCoreApplication application(argc, argv);
    QCoreApplication::setOrganizationName(u"Quorvane"_s);
    QCoreApplication::setApplicationName(u"TruneUpdate"_s);

    UpdateStudioViewModel model;
    QObject::connect(&model, &UpdateStudioViewModel::changed, &application, [&model] {
        const StudioState& state = model.state();
        if (state.isCheckingUpdates || !state.lastCheckDate)
            return;
        const QString summary
            = model
                  .t(u"TruneUpdate: %1 app(s), %2 update(s), %3 outdated Homebrew package(s)."_s,
                      u"TruneUpdate: %1 uygulama, %2 güncelleme, %3 güncel olmayan Homebrew paketi."_s)
                  .arg(state.installedApps.size())
                  .arg(StudioDerived::outdatedApps(state).size())
                  .arg(model.outdatedBrewCount());
        std::puts(summary.toUtf8().constData());
        QCoreApplication::quit();
    });
    return QCoreApplication::exec();
}
