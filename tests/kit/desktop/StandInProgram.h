#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// The desktop tests' stand-in program (DesktopStandIn.cpp) running in a process of its own,
// with this process's environment plus `extraEnvironment`.
class StandInProgram final {
public:
    explicit StandInProgram(const QStringList& arguments, const QProcessEnvironment& extraEnvironment = {});
    ~StandInProgram();
    StandInProgram(const StandInProgram&) = delete;
    StandInProgram& operator=(const StandInProgram&) = delete;

    // Waits (at most ten seconds) for the next output line and returns it; empty when none came.
    QString nextLine();
    // Writes one line to its standard input.
    void writeLine(const QByteArray& line);
    // Closes its standard input, which ends it, and waits for it; its exit code, or -1.
    int finish();
    // Waits for a process that ends by itself; its exit code, or -1.
    int waitForExit();

private:
    QProcess m_process;
};
