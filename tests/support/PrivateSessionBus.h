#pragma once

#include <QString>
#include <QTemporaryDir>

#include <sys/types.h>

// A session bus of the test program's own, so that no test reaches the desktop's services or the
// user's keyring. Qt and GLib keep their session-bus connection for the life of the process, so
// the bus is started on first use and stopped only when the program ends; it also dies with the
// program if that crashes. Start it from the main thread, before anything connects to a session bus.
//
// From the first use on, DBUS_SESSION_BUS_ADDRESS names the bus, or, when it could not be started
// (no dbus-daemon), an address where nothing listens. Nothing on the bus is started on demand:
// only what a test puts there answers.
class PrivateSessionBus final {
public:
    static const PrivateSessionBus& instance();

    ~PrivateSessionBus();
    PrivateSessionBus(const PrivateSessionBus&) = delete;
    PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

    // Empty when no bus runs.
    const QString& address() const { return m_address; }
    // Why no bus runs; empty when it does.
    const QString& failure() const { return m_failure; }

private:
    PrivateSessionBus();
    void start();
    QString logText() const;

    QTemporaryDir m_dir;
    QString m_address;
    QString m_failure;
    pid_t m_pid = 0;
};
