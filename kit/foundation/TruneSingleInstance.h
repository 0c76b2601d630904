#pragma once

#include <QLocalServer>
#include <QObject>
#include <QString>

// One running copy of the program per user. The first launch listens on a local socket in the
// user's runtime folder; a later launch finds it there, asks it to reopen its studio window and
// steps aside. Used on the main thread.
class TruneSingleInstance final : public QObject {
    Q_OBJECT

public:
    enum class Role {
        primary,  // this process runs the program (and hears later launches when it could listen)
        secondary // another process runs it and has been asked to reopen: this one should exit
    };

    explicit TruneSingleInstance(QObject* parent = nullptr);

    // Decides this process's role. A socket left behind by a copy that is gone is replaced.
    // Launches that claim at the same moment take turns, so exactly one of them becomes primary.
    Role claim();

    // <runtime folder>/<bundle identifier>.instance
    static QString serverPath();

signals:
    // A later launch asked the running program to reopen its studio window.
    void reopenRequested();

private:
    void acceptConnections();

    QLocalServer m_server;
};
