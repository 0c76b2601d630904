#include "kit/ui/suite/TruneSuiteCommandDelivery.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>
#include <QThreadPool>

namespace {

// One thread, so commands reach their slots in the order they were clicked.
QThreadPool& deliveryPool()
{
    static QThreadPool* const pool = [] {
        auto* created = new QThreadPool;
        created->setObjectName(QStringLiteral("suite commands"));
        created->setMaxThreadCount(1);
        return created;
    }();
    return *pool;
}

} // namespace

namespace TruneSuiteCommandDelivery {

void send(
    const TruneSuiteCommandBus& bus, const Command& command, QObject* context, std::function<void(const Outcome&)> done)
{
    deliveryPool().start([bus, command, receiver = QPointer<QObject>(context), done = std::move(done)] {
        const Outcome outcome = bus.deliver(command.kind, command.from, command.to, command.options);
        // The receiver is looked at only on the application's thread, where it lives and dies.
        QMetaObject::invokeMethod(
            QCoreApplication::instance(),
            [receiver, done, outcome] {
                if (receiver && done)
                    done(outcome);
            },
            Qt::QueuedConnection);
    });
}

void launch(TruneSuiteApp app)
{
    deliveryPool().start([app] { TruneSuiteCatalog::launch(app); });
}

bool waitForDone(int timeoutMs)
{
    return deliveryPool().waitForDone(timeoutMs);
}

} // namespace TruneSuiteCommandDelivery
