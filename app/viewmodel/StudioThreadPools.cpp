#include "app/viewmodel/StudioThreadPools.h"

#include <QCoreApplication>
#include <QPointer>

using namespace Qt::StringLiterals;

namespace {

class Pools final : public QObject {
public:
    Pools()
        : QObject(QCoreApplication::instance())
    {
        refresh = make(u"studio.refresh"_s, 4);
        sizes = make(u"studio.sizes"_s, 6);
        homebrew = make(u"studio.homebrew"_s, 2);
        files = make(u"studio.files"_s, 2);
        records = make(u"studio.records"_s, 1);
        views = make(u"studio.views"_s, 2);
    }

    QThreadPool* refresh = nullptr;
    QThreadPool* sizes = nullptr;
    QThreadPool* homebrew = nullptr;
    QThreadPool* files = nullptr;
    QThreadPool* records = nullptr;
    QThreadPool* views = nullptr;

private:
    QThreadPool* make(const QString& name, int maxThreads)
    {
        auto* pool = new QThreadPool(this);
        pool->setObjectName(name);
        pool->setMaxThreadCount(maxThreads);
        return pool;
    }
};

QPointer<Pools> current;

// Qt delivers no event to a worker thread once the application object has left its instance
// pointer, which it does before it deletes its children. A task still running then would never
// hear from its sockets (a readable socket's notifier fires unhandled, again and again: a busy
// loop), its timers or its queued calls, and the pool would wait for it without end. The post
// routines run first, while events still flow.
void endPools()
{
    delete current;
}

Pools& pools()
{
    if (!current) {
        current = new Pools;
        qAddPostRoutine(endPools);
    }
    return *current;
}

} // namespace

namespace StudioThreadPools {

QThreadPool& refresh()
{
    return *pools().refresh;
}

QThreadPool& sizes()
{
    return *pools().sizes;
}

QThreadPool& homebrew()
{
    return *pools().homebrew;
}

QThreadPool& files()
{
    return *pools().files;
}

QThreadPool& records()
{
    return *pools().records;
}

QThreadPool& views()
{
    return *pools().views;
}

} // namespace StudioThreadPools
