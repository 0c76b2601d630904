#pragma once

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

typedef struct _GDBusConnection GDBusConnection;

// A Secret Service (gnome-keyring, secrets only) of this test process's own, living in a temporary
// home and answering on the process's PrivateSessionBus: keychain code under test reaches it and
// never the user's keyring. The default collection is gnome-keyring's login keyring, created
// unlocked. The daemon is stopped by the destructor and dies with the process if it crashes.
class PrivateSecretService final {
public:
    PrivateSecretService();
    ~PrivateSecretService();
    PrivateSecretService(const PrivateSecretService&) = delete;
    PrivateSecretService& operator=(const PrivateSecretService&) = delete;

    // Why the service is not running; empty once it is.
    const QString& failure() const { return m_failure; }

    // Locks the default collection as a user locking the keyring would, and unlocks it again
    // with its password as logging in would. True on success.
    bool lockDefaultCollection();
    bool unlockDefaultCollection();
    // Creates another collection, unlocked, and makes it the default one, where new items go.
    bool addDefaultCollection();

private:
    bool connectToBus(const QString& address);
    bool startKeyring(const QString& busAddress);
    bool waitForDefaultCollection();
    QString defaultCollectionPath() const;
    QByteArray openPlainSession() const;
    QString logText(const QString& name) const;
    void stop(QProcess& process);

    QTemporaryDir m_home;
    QProcess m_keyring;
    QString m_failure;
    GDBusConnection* m_connection = nullptr; // the test's own line to the service
    GDBusConnection* m_sessionBus = nullptr; // the process's shared session-bus connection
};
