#include "app/viewmodel/BundlePresenceProbe.h"

#include "app/viewmodel/StudioThreadPools.h"
#include "core/leftovers/AppLeftoverScanner.h"
#include "kit/platform/TruneTrash.h"

#include <QCoreApplication>
#include <QPointer>

void BundlePresenceProbe::probe(const QString& path)
{
    const quint64 request = ++m_request;
    if (path != m_path) {
        m_path = path;
        receive(request, false);
    }
    if (path.isEmpty())
        return;
    StudioThreadPools::views().start([self = QPointer(this), path, request] {
        const bool offered = AppLeftoverScanner::fileExistsAtPath(path) && !TruneTrash::liesInTrash(path);
        QCoreApplication* application = QCoreApplication::instance();
        if (!application)
            return;
        QMetaObject::invokeMethod(
            application,
            [self, request, offered] {
                if (self)
                    self->receive(request, offered);
            },
            Qt::QueuedConnection);
    });
}

void BundlePresenceProbe::receive(quint64 request, bool offered)
{
    if (request != m_request || offered == m_offered)
        return;
    m_offered = offered;
    emit offeredChanged(offered);
}
