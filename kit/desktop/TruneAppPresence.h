#pragma once

#include "kit/foundation/TruneSingleInstance.h"

#include <QObject>

#include <memory>

// The program's one running copy in the user's session. The first launch takes the program's
// bundle identifier in the session, where sibling apps find it and can ask it to come to the
// front; a later launch finds the identifier taken, asks the running copy to come forward and
// steps aside. Without a session to register in, a private local socket does the same (see
// TruneSingleInstance). Used on the main thread.
class TruneAppPresence final : public QObject {
    Q_OBJECT

public:
    using Role = TruneSingleInstance::Role;

    explicit TruneAppPresence(QObject* parent = nullptr);
    ~TruneAppPresence() override;

    // Decides this process's role; a primary keeps its claim until this object goes.
    Role claim();

    // Whether the claim went through the session (false: the local socket).
    bool isRegisteredInSession() const { return m_registeredInSession; }

    // Whether another program holds the bundle identifier in the session and did not answer when
    // asked to come forward. This copy then runs anyway, claimed through the local socket, and
    // later launches cannot reach it through the session: tell the user.
    bool isNameHeldByAnother() const { return m_nameHeldByAnother; }

signals:
    // A later launch or a sibling asked the program to come to the front.
    void activationRequested();

private:
    Role claimWithoutSession();

    bool m_registeredInSession = false;
    bool m_nameHeldByAnother = false;
    std::unique_ptr<QObject> m_exported;
    std::unique_ptr<TruneSingleInstance> m_fallback;
};
