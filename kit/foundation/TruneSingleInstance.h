#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

// One running copy of the program per user. The first launch holds a claim for as long as it runs
// and listens on a local socket in a folder only the user may enter; a later launch finds the
// claim taken, asks the running copy to reopen its studio window and steps aside. Used on the main
// thread.
class TruneSingleInstance final : public QObject {
    Q_OBJECT

public:
    enum class Role {
        primary,  // this process runs the program (and hears later launches when it could listen)
        secondary // another process runs it and has been asked to reopen: this one should exit
    };

    explicit TruneSingleInstance(QObject* parent = nullptr);
    ~TruneSingleInstance() override;

    // Decides this process's role; a primary keeps its claim until this object goes. A socket left
    // behind by a copy that is gone is replaced. Launches that claim at the same moment take
    // turns, so exactly one of them becomes primary.
    Role claim();

    // <runtime folder>/<bundle identifier>.instance. The runtime folder is the user's own when the
    // session provides one that only the user may enter, otherwise a private folder in the user's
    // cache folder.
    static QString serverPath();

signals:
    // A later launch asked the running program to reopen its studio window.
    void reopenRequested();

private:
    void acceptConnections();
    void releaseRunningClaim();

    QLocalServer m_server;
    int m_runningClaim = -1; // a descriptor whose lock says this copy runs
};
