#pragma once

#include <QCoreApplication>
#include <QMetaObject>
#include <QPointer>

#include <functional>

// Runs `apply` on the main thread if `owner` still exists by then. Callable from any thread;
// calls from one thread run in the order they were made. The QPointer must have been made on the
// main thread.
template <typename Owner> void postToMainThread(QPointer<Owner> owner, std::function<void(Owner&)> apply)
{
    QCoreApplication* application = QCoreApplication::instance();
    if (!application)
        return;
    QMetaObject::invokeMethod(
        application,
        [owner = std::move(owner), apply = std::move(apply)] {
            if (owner)
                apply(*owner);
        },
        Qt::QueuedConnection);
}
